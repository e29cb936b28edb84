#include "TestText.h"

#include "FixedCalendar.h"
#include "settings/ModData.h"

#include <gtest/gtest.h>

#include <array>

namespace tavrik {
namespace {

using test::bytes;
using test::text;
using Image = std::array<std::uint8_t, 256>;

// A radio as it comes from the factory and a dealer: every field set, junk in the
// bytes this program does not interpret.
Image realisticImage() {
    Image image{};
    const auto put = [&image](int offset, const QByteArray& data) {
        for (int i = 0; i < data.size(); ++i) {
            image[static_cast<std::size_t>(offset + i)] = static_cast<std::uint8_t>(data.at(i));
        }
    };
    put(0x00, bytes("TAVRIK\0"));
    put(0x07, bytes("\x12\x34\x56\x78"));
    put(0x0B, bytes("\x01\x02\x1F\x0A")); // RF 1.02, LCD 1F.0A
    put(0x0F, bytes("\x01"));             // band 1
    put(0x10, bytes("\x8B"));             // factory, freq. set, kill, bit 7
    put(0x11, bytes("\xA5\x5A\xC3"));
    put(0x14, bytes("WOLP"));
    put(0x18, bytes("12\0\0"));
    put(0x1C, bytes("CN01"));
    put(0x20, bytes("2026030500000001")); // all 16 bytes, no terminator
    put(0x30, bytes("2026/3/5"));
    put(0x40, bytes("03-1-E-1")); // all 8 bytes
    put(0x48, bytes("\xDE\xAD\xBE\xEF\x01\x02\x03\x04"));
    put(0x50, bytes("2026/4/1\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"));
    put(0x60, bytes("DLR-0042"));
    put(0x70, bytes("2026/3/9"));
    put(0x90, bytes("Zhang Wei"));
    put(0xA0, bytes("Battery contacts cleaned"));
    put(0xF0, bytes("\xF0\xF1\xF2\xF3\xF4\xF5\xF6\xF7\xF8\xF9\xFA\xFB\xFC\xFD\xFE\xFF"));
    return image;
}

void load(RadioImage& target, const Image& image) {
    for (int i = 0; i < 256; ++i) {
        target.set(0x3B00 + i, image[static_cast<std::size_t>(i)]);
    }
}

// Every differing byte, for a readable failure message.
std::string differences(const Image& expected, const Image& actual) {
    std::string out;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] != actual[i]) {
            out += QStringLiteral(" 0x%1: expected %2 got %3;")
                       .arg(0x3B00 + int(i), 0, 16)
                       .arg(expected[i], 2, 16, QChar(u'0'))
                       .arg(actual[i], 2, 16, QChar(u'0'))
                       .toStdString();
        }
    }
    return out;
}

class ImageCodingTest : public ::testing::Test {
protected:
    explicit ImageCodingTest(int codePage = 1252) : m_codePage(test::requireCodePage(codePage)) {}

    std::unique_ptr<platform::CodePage> m_codePage;
    test::FixedCalendar m_calendar{QDate(2026, 3, 5)};
    ModData m_data{*m_codePage, m_calendar};
};

class GbkImageCodingTest : public ImageCodingTest {
protected:
    GbkImageCodingTest() : ImageCodingTest(936) {}
};

TEST_F(ImageCodingTest, ParseImageReadsEveryField) {
    m_data.LoadDefaults();
    load(m_data.image(), realisticImage());
    m_data.ParseImage();
    const RadioSettings& s = m_data.settings();

    EXPECT_EQ(s.RfFirmwareVersion, QStringLiteral("V1.02"));
    EXPECT_EQ(s.LcdFirmwareVersion, QStringLiteral("V1F.0A"));
    EXPECT_EQ(s.BandIndex, 1);
    EXPECT_EQ(s.FactoryMode, 1);
    EXPECT_EQ(s.FreqSetEnabled, 1);
    EXPECT_EQ(s.StunEnabled, 0);
    EXPECT_EQ(s.KillEnabled, 1);
    EXPECT_EQ(s.AreaCode, QStringLiteral("CN01"));
    // Not in the image: left as they were.
    EXPECT_EQ(s.ModelName, QStringLiteral("TAVRIK"));
    EXPECT_EQ(s.StunCode.raw(), QStringLiteral("370512"));
    EXPECT_EQ(s.KillCode.raw(), QStringLiteral("481623"));

    struct Row {
        const char* field;
        const FixedText& value;
        QString raw;
    };
    const Row rows[] = {
        {"UserCode", s.UserCode, text(u"WOLP")},
        {"ProgramPassword", s.ProgramPassword, text(u"12  ")},
        {"SerialNumber", s.SerialNumber, text(u"2026030500000001")},
        {"ProductionDate", s.ProductionDate, text(u"2026/3/5\0       ")},
        {"ManufactureCode", s.ManufactureCode, text(u"03-1-E-1")},
        {"MaintainedDate", s.MaintainedDate, text(u"2026/4/1\0       ")},
        {"DealerCode", s.DealerCode, text(u"DLR-0042\0       ")},
        {"StockDate", s.StockDate, text(u"2026/3/9\0       ")},
        {"SellDate", s.SellDate, text(u"\0               ")},
        {"Seller", s.Seller, text(u"Zhang Wei\0      ")},
        {"MaintainedDescription", s.MaintainedDescription,
         text(u"Battery contacts cleaned\0") + QString(55, u' ')},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.field);
        EXPECT_EQ(row.value.raw(), row.raw);
    }
}

TEST_F(ImageCodingTest, ErasedMemoryReadsAsEmptyTextsAndAllFlags) {
    Image erased;
    erased.fill(0xFF);
    load(m_data.image(), erased);
    m_data.ParseImage();
    const RadioSettings& s = m_data.settings();

    EXPECT_EQ(s.BandIndex, 255); // kept as the radio reports it
    EXPECT_EQ(s.FactoryMode, 1);
    EXPECT_EQ(s.FreqSetEnabled, 1);
    EXPECT_EQ(s.StunEnabled, 1);
    EXPECT_EQ(s.KillEnabled, 1);
    EXPECT_EQ(s.RfFirmwareVersion, QStringLiteral("VFF.FF"));
    EXPECT_EQ(s.AreaCode, QString());
    EXPECT_EQ(s.UserCode.raw(), QStringLiteral("    "));
    EXPECT_EQ(s.ProgramPassword.raw(), QStringLiteral("    "));
    for (const FixedText* field :
         {&s.SerialNumber, &s.ProductionDate, &s.ManufactureCode, &s.MaintainedDate, &s.DealerCode,
          &s.StockDate, &s.SellDate, &s.Seller, &s.MaintainedDescription}) {
        EXPECT_EQ(field->text(), QString());
        EXPECT_EQ(field->raw().front(), QChar(u'\0'));
    }
}

TEST_F(ImageCodingTest, TextFieldsEndAtTheirFirstZeroOrErasedByte) {
    struct Row {
        int address;
        QByteArray field; // bytes written at the address
        QString read;     // the field as read (TrimAtNul)
    };
    const Row rows[] = {
        {0x3B60, bytes("ABCDEFGHIJKLMNOP"), QStringLiteral("ABCDEFGHIJKLMNOP")},
        {0x3B60, bytes("ABCDEFGHIJKLM   "), QStringLiteral("ABCDEFGHIJKLM")},
        {0x3B60,
         bytes("ABC\xFF"
               "DEF"),
         QStringLiteral("ABC")},
        {0x3B60, bytes("ABC\0DEF"), QStringLiteral("ABC")},
        {0x3B60,
         bytes("\xFF"
               "ABC"),
         QString()},
        {0x3B60, bytes("  AB  "), QStringLiteral("  AB")},
        {0x3B60, bytes("Caf\xE9 \x80"), QStringLiteral("Café €")},
        // The 8-byte field stops at its length, not at the junk that follows it.
        {0x3B40, bytes("03-1-E-1XXXX"), QStringLiteral("03-1-E-1")},
        {0x3BA0, QByteArray(80, 'D') + bytes("EEEE"), QString(80, u'D')},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.field.toHex(' ').toStdString());
        RadioImage& image = m_data.image();
        image = RadioImage();
        image.setBytes(row.address, row.field);
        m_data.ParseImage();
        const RadioSettings& s = m_data.settings();
        const FixedText& read = row.address == 0x3B60   ? s.DealerCode
                                : row.address == 0x3B40 ? s.ManufactureCode
                                                        : s.MaintainedDescription;
        EXPECT_EQ(read.text(), row.read);
    }
}

TEST_F(ImageCodingTest, CharacterFieldsEndAtTheirFirstZeroOrErasedByte) {
    struct Row {
        QByteArray field; // the four bytes at 0x3B1C, 0x3B14 and 0x3B18
        QString read;
    };
    const Row rows[] = {
        {bytes("CN01"), QStringLiteral("CN01")},
        {bytes("C\0N0"), QStringLiteral("C")},
        {bytes("CN\xFF"
               "1"),
         QStringLiteral("CN")},
        {bytes("\0\0\0\0"), QString()},
        {bytes("\xE9\x80\x81"
               "A"),
         QString::fromUtf16(u"é€\u0081A")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.field.toHex(' ').toStdString());
        m_data.image().setBytes(0x3B14, row.field);
        m_data.image().setBytes(0x3B18, row.field);
        m_data.image().setBytes(0x3B1C, row.field);
        m_data.ParseImage();
        EXPECT_EQ(m_data.settings().AreaCode, row.read);
        EXPECT_EQ(m_data.settings().UserCode.raw(), row.read.leftJustified(4, u' '));
        EXPECT_EQ(m_data.settings().ProgramPassword.raw(), row.read.leftJustified(4, u' '));
    }
}

// The record as a Read leaves it, with every field that a Write does not send changed:
// building the image must not carry any of them into it.
void readAndEditUnsentFields(ModData& data, const Image& held) {
    load(data.image(), held);
    data.ParseImage();
    RadioSettings& s = data.settings();
    s.FactoryMode = s.FactoryMode ? 0 : 1;
    s.SerialNumber = QStringLiteral("9999999999999999");
    s.ProductionDate = QStringLiteral("1/1/2000");
    s.ManufactureCode = QStringLiteral("XX-X-X-X");
    s.UserCode = QStringLiteral("ZZZZ");
    s.AreaCode = QStringLiteral("ZZ");
    s.MaintainedDate = QStringLiteral("1/1/2000");
    s.MaintainedDescription = QStringLiteral("changed");
    s.RfFirmwareVersion = QStringLiteral("V9.99");
    s.LcdFirmwareVersion = QStringLiteral("V9.99");
}

TEST_F(ImageCodingTest, BuildWriteImageWritesBandAndThreeFlagBitsOnly) {
    struct Row {
        const char* name;
        std::uint8_t flagsHeld;
        qint16 freqSet, stun, kill, band;
        std::uint8_t flagsWritten, bandWritten;
    };
    const Row rows[] = {
        {"flags clear keep bits 0 and 7", 0x81, 0, 0, 0, 0, 0x81, 0x00},
        {"all writable flags set", 0x81, 1, 1, 1, 2, 0x8F, 0x02},
        {"factory bit clear stays clear", 0x00, 1, 0, 0, 1, 0x02, 0x01},
        {"erased flags, one set", 0xFF, 0, 1, 0, 0, 0xF5, 0x00},
        {"band outside the list goes back as it is", 0x8B, 1, 0, 1, 255, 0x8B, 0xFF},
        {"a band index that is no byte keeps the radio's", 0x8B, 1, 0, 1, -1, 0x8B, 0x01},
        {"a grayed check box value counts as set", 0x80, 2, 0, 0, 0, 0x82, 0x00},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Image held = realisticImage();
        held[0x10] = row.flagsHeld;
        readAndEditUnsentFields(m_data, held);
        RadioSettings& s = m_data.settings();
        s.FreqSetEnabled = row.freqSet;
        s.StunEnabled = row.stun;
        s.KillEnabled = row.kill;
        s.BandIndex = row.band;
        m_data.BuildWriteImage();

        Image expected = held;
        expected[0x0F] = row.bandWritten;
        expected[0x10] = row.flagsWritten;
        EXPECT_EQ(m_data.image().raw(), expected) << differences(expected, m_data.image().raw());
    }
}

TEST_F(ImageCodingTest, BuildWriteImageWritesPasswordAndDealerFieldsZeroFilled) {
    struct Row {
        FixedText RadioSettings::*field;
        QString text;
        int offset;
        QByteArray stored;
    };
    const QByteArray zeros16(16, '\0');
    const Row rows[] = {
        {&RadioSettings::ProgramPassword, QStringLiteral("AB"), 0x18, bytes("AB\0\0")},
        {&RadioSettings::ProgramPassword, QString(), 0x18, bytes("\0\0\0\0")},
        {&RadioSettings::ProgramPassword, QStringLiteral("9999"), 0x18, bytes("9999")},
        {&RadioSettings::DealerCode, QStringLiteral("ABCDEFGHIJKLMNOP"), 0x60,
         bytes("ABCDEFGHIJKLMNOP")},
        {&RadioSettings::DealerCode, QString(), 0x60, zeros16},
        {&RadioSettings::DealerCode, QStringLiteral("  D7"), 0x60,
         bytes("  D7") + QByteArray(12, 0)},
        {&RadioSettings::StockDate, QStringLiteral("2026/3/10"), 0x70,
         bytes("2026/3/10") + QByteArray(7, 0)},
        {&RadioSettings::SellDate, QStringLiteral("2026/3/11"), 0x80,
         bytes("2026/3/11") + QByteArray(7, 0)},
        {&RadioSettings::Seller, QStringLiteral("Café"), 0x90,
         bytes("Caf\xE9") + QByteArray(12, 0)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.toStdString() + " at " + std::to_string(row.offset));
        const Image held = realisticImage();
        readAndEditUnsentFields(m_data, held);
        m_data.settings().*row.field = row.text;
        m_data.BuildWriteImage();

        Image expected = held;
        for (int i = 0; i < row.stored.size(); ++i) {
            expected[static_cast<std::size_t>(row.offset + i)] =
                static_cast<std::uint8_t>(row.stored.at(i));
        }
        EXPECT_EQ(m_data.image().raw(), expected) << differences(expected, m_data.image().raw());

        // What was written reads back as it was typed.
        m_data.ParseImage();
        EXPECT_EQ((m_data.settings().*row.field).text(), row.text);
    }
}

TEST_F(ImageCodingTest, PutCharBytesStoresOneBytePerCharacter) {
    struct Row {
        QString text;
        int n;
        QByteArray stored; // the bytes from 0x3B18 up to 0x3B1D
    };
    const Row rows[] = {
        {QStringLiteral("AB"), 4, bytes("AB\0\0\xEE\xEE")},
        {QString(), 4, bytes("\0\0\0\0\xEE\xEE")},
        {QStringLiteral("ABCDEF"), 4, bytes("ABCD\xEE\xEE")},
        {QString::fromUtf16(u"é€"), 4, bytes("\xE9\x80\0\0\xEE\xEE")},
        {QString::fromUtf16(u"\u0081"), 2, bytes("\x81\0\xEE\xEE\xEE\xEE")},
        // No single byte holds these: the field gets '?' in their place.
        {QString::fromUtf16(u"中A"), 4, bytes("?A\0\0\xEE\xEE")},
        {QString::fromUtf16(u"\U0001F600"), 3, bytes("??\0\xEE\xEE\xEE")},
        {QStringLiteral("AB"), 0, bytes("\xEE\xEE\xEE\xEE\xEE\xEE")},
        {QStringLiteral("AB"), -2, bytes("\xEE\xEE\xEE\xEE\xEE\xEE")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.toStdString());
        m_data.image().setBytes(0x3B18, QByteArray(6, '\xEE'));
        m_data.PutCharBytes(0x3B18, row.text, row.n);
        EXPECT_EQ(m_data.image().bytes(0x3B18, 6), row.stored);
    }
}

TEST_F(ImageCodingTest, PutBytesNeverReachesPastTheImage) {
    Image pattern = realisticImage();
    load(m_data.image(), pattern);
    m_data.PutAnsiBytes(0x3BF8, QStringLiteral("ABCDEFGHIJKLMNOP"), 16);
    m_data.PutCharBytes(0x3AFE, QStringLiteral("WXYZ"), 4);
    pattern[0x00] = 'Y';
    pattern[0x01] = 'Z';
    for (int i = 0; i < 8; ++i) {
        pattern[static_cast<std::size_t>(0xF8 + i)] = static_cast<std::uint8_t>('A' + i);
    }
    EXPECT_EQ(m_data.image().raw(), pattern) << differences(pattern, m_data.image().raw());
}

TEST_F(GbkImageCodingTest, ChineseTextRoundTripsThroughTheImage) {
    m_data.LoadDefaults();
    load(m_data.image(), realisticImage());
    m_data.settings().DealerCode = QString::fromUtf16(u"经销商");
    m_data.settings().Seller = QString::fromUtf16(u"张三李四王五赵六孙");
    m_data.settings().SellDate = QString::fromUtf16(u"a张三李四王五赵六孙");
    m_data.BuildWriteImage();

    // 经销商 in GBK, zero-filled.
    EXPECT_EQ(m_data.image().bytes(0x3B60, 16),
              bytes("\xBE\xAD\xCF\xFA\xC9\xCC") + QByteArray(10, '\0'));
    // Nine double-byte characters: the first 16 bytes, eight characters.
    EXPECT_EQ(m_data.image().bytes(0x3B90, 16),
              bytes("\xD5\xC5\xC8\xFD\xC0\xEE\xCB\xC4\xCD\xF5\xCE\xE5\xD5\xD4\xC1\xF9"));
    // One byte in front: the 16th byte is the first half of the eighth character.
    EXPECT_EQ(m_data.image().bytes(0x3B80, 16),
              bytes("a\xD5\xC5\xC8\xFD\xC0\xEE\xCB\xC4\xCD\xF5\xCE\xE5\xD5\xD4\xC1"));

    m_data.ParseImage();
    EXPECT_EQ(m_data.settings().DealerCode.text(), QString::fromUtf16(u"经销商"));
    EXPECT_EQ(m_data.settings().Seller.text(), QString::fromUtf16(u"张三李四王五赵六"));
    // The half character left by the cut is not shown.
    EXPECT_EQ(m_data.settings().SellDate.text(), QString::fromUtf16(u"a张三李四王五赵"));
}

TEST_F(GbkImageCodingTest, CodePageFieldsDecodeChinese) {
    struct Row {
        QByteArray field;
        QString read;
    };
    const Row rows[] = {
        {bytes("\xCE\xAC\xD0\xDE"), QString::fromUtf16(u"维修")},
        {bytes("\xCE\xAC\xD0\xDE\xFF\xD6\xD0"), QString::fromUtf16(u"维修")},
        {bytes("A\xD6\xD0"
               "B"),
         QString::fromUtf16(u"A中B")},
        // A lead byte whose partner is not a trail byte is shown as not text.
        {bytes("\x81 B"), QString::fromUtf16(u"\uFFFD B")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.field.toHex(' ').toStdString());
        m_data.image() = RadioImage();
        m_data.image().setBytes(0x3BA0, row.field);
        m_data.ParseImage();
        EXPECT_EQ(m_data.settings().MaintainedDescription.text(), row.read);
    }
}

TEST_F(GbkImageCodingTest, LoneDoubleByteHalvesInCharacterFieldsAreVisible) {
    struct Row {
        QByteArray field; // the four bytes at 0x3B1C
        QString read;
        QByteArray rewritten; // the same text stored back through PutCharBytes
    };
    const Row rows[] = {
        {bytes("CN01"), QStringLiteral("CN01"), bytes("CN01")},
        {bytes("A\x81"
               "B\0"),
         QString::fromUtf16(u"A\uFFFDB"), bytes("A?B\0")},
        {bytes("\xD6\xD0\0\0"), QString::fromUtf16(u"\uFFFD\uFFFD"), bytes("??\0\0")},
        {bytes("\x80\0\0\0"), QString::fromUtf16(u"€"), bytes("\x80\0\0\0")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.field.toHex(' ').toStdString());
        m_data.image().setBytes(0x3B1C, row.field);
        m_data.ParseImage();
        EXPECT_EQ(m_data.settings().AreaCode, row.read);
        m_data.PutCharBytes(0x3B1C, row.read, 4);
        EXPECT_EQ(m_data.image().bytes(0x3B1C, 4), row.rewritten);
    }
}

TEST_F(GbkImageCodingTest, PutAnsiBytesCutsAtTheByteCount) {
    struct Row {
        QString text;
        int n;
        QByteArray stored; // the bytes from 0x3B60, two past n
    };
    const Row rows[] = {
        {QString::fromUtf16(u"中文"), 4, bytes("\xD6\xD0\xCE\xC4\xEE\xEE")},
        {QString::fromUtf16(u"中文"), 3, bytes("\xD6\xD0\xCE\xEE\xEE")},
        {QString::fromUtf16(u"中"), 6, bytes("\xD6\xD0\0\0\0\0\xEE\xEE")},
        {QString(), 2, bytes("\0\0\xEE\xEE")},
        // A character GBK lacks is stored as '?', as the system's conversion does.
        {QString::fromUtf16(u"\U0001F600A"), 4, bytes("?A\0\0\xEE\xEE")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.toStdString());
        m_data.image().setBytes(0x3B60, QByteArray(16, '\xEE'));
        m_data.PutAnsiBytes(0x3B60, row.text, row.n);
        EXPECT_EQ(m_data.image().bytes(0x3B60, row.stored.size()), row.stored);
    }
}

} // namespace
} // namespace tavrik
