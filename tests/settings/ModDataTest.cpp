#include "TestText.h"

#include "FixedCalendar.h"
#include "settings/ModData.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavrik {
namespace {

using test::bytes;
using test::text;

// A memory image here is the QByteArray of its 256 bytes, offset 0 being 0x3B00.
void put(QByteArray& image, int offset, const QByteArray& data) {
    image.replace(offset, data.size(), data);
}

QByteArray zeroFilled(const QByteArray& data, int size) {
    return data + QByteArray(size - data.size(), '\0');
}

std::vector<int> flagsAndBand(const RadioSettings& s) {
    return {s.FactoryMode, s.FreqSetEnabled, s.StunEnabled, s.KillEnabled, s.BandIndex};
}

// Sixteen bytes a line, so that a failure shows the lines that differ.
std::string hex(const QByteArray& image) {
    std::string out;
    for (int i = 0; i < image.size(); i += 16) {
        out += image.mid(i, 16).toHex(' ').toStdString() + '\n';
    }
    return out;
}

// A radio as the factory and a dealer leave it: erased memory around the fields, junk
// in the bytes this program does not interpret, the dealer fields as a Write stores them.
QByteArray realisticImage() {
    QByteArray image(256, '\xFF');
    put(image, 0x00, bytes("TAVRIK\0\x12\x34\x56\x78\x01\x02\x1F\x0A")); // RF 1.02, LCD 1F.0A
    put(image, 0x0F, bytes("\x01\x8B\xA5\x5A\xC3"));    // band 1; factory, freq. set, kill, bit 7
    put(image, 0x14, bytes("WOLP12\0\0\xE9\x80\xFFZ")); // user code, password, area code
    put(image, 0x20, bytes("2026030500000001"));        // all 16 bytes, no terminator
    put(image, 0x30, bytes("2026/3/5"));
    put(image, 0x40, bytes("03-1-E-1\xDE\xAD\xBE\xEF")); // all 8 bytes, then junk
    put(image, 0x50, bytes("2026/4/1\xFFjunk"));
    // Dealer code, stock date, an empty sell date, seller.
    put(image, 0x60,
        zeroFilled("DLR-0042", 16) + zeroFilled("2026/3/9", 32) + zeroFilled("Caf\xE9 \x80", 16));
    put(image, 0xA0, bytes("Battery contacts cleaned  \0junk"));
    return image;
}

class ModDataTest : public ::testing::Test {
protected:
    explicit ModDataTest(int codePage = 1252) : m_codePage(test::requireCodePage(codePage)) {}

    void load(const QByteArray& image) {
        m_data.image().setBytes(0x3B00, image);
        m_data.ParseImage();
    }
    std::string written() const { return hex(m_data.image().bytes(0x3B00, 256)); }

    // Reads `held`, changes every field a Write does not send (none may reach the
    // image), lets `edit` change the record, and builds the image to write.
    template <typename Edit> void buildFrom(const QByteArray& held, Edit edit) {
        load(held);
        RadioSettings& s = m_data.settings();
        s.FactoryMode = s.FactoryMode ? 0 : 1;
        s.SerialNumber = s.ProductionDate = s.MaintainedDate = QStringLiteral("1/1/2000");
        s.ManufactureCode = QStringLiteral("XX-X-X-X");
        s.MaintainedDescription = QStringLiteral("changed");
        s.UserCode = s.AreaCode = QStringLiteral("ZZZZ");
        s.RfFirmwareVersion = s.LcdFirmwareVersion = QStringLiteral("V9.99");
        edit(s);
        m_data.BuildWriteImage();
    }

    std::unique_ptr<platform::CodePage> m_codePage;
    test::FixedCalendar m_calendar{QDate(2026, 3, 5)};
    ModData m_data{*m_codePage, m_calendar};
};

TEST_F(ModDataTest, DefaultsOnTheFifthOfMarch2026) {
    RadioSettings& s = m_data.settings();
    s.FreqSetEnabled = s.StunEnabled = s.KillEnabled = s.FactoryMode = s.BandIndex = 1;
    s.Reserved1 = s.Reserved2 = 1;
    s.AreaCode = QStringLiteral("CN01");
    m_data.LoadDefaults();

    EXPECT_EQ(flagsAndBand(s), std::vector<int>(5, 0));
    EXPECT_EQ(s.Reserved1 + s.Reserved2, 0);
    EXPECT_EQ(s.ModelName, QStringLiteral("TAVRIK"));
    EXPECT_EQ(s.AreaCode, QString());
    EXPECT_EQ(s.RfFirmwareVersion, QStringLiteral("V1.00"));
    EXPECT_EQ(s.LcdFirmwareVersion, QStringLiteral("V1.00"));
    EXPECT_EQ(s.MaintainedDescription.raw(), text(u"\0") + QString(79, u' '));
    const std::pair<const FixedText&, QString> rows[] = {
        {s.StunCode, text(u"370512")},
        {s.KillCode, text(u"481623")},
        {s.ProgramPassword, text(u"\0   ")},
        {s.SerialNumber, text(u"2026030500000001")},
        {s.ProductionDate, text(u"2026/3/5\0       ")},
        {s.ManufactureCode, text(u"03-1-E-1")},
        {s.UserCode, text(u"WOLP")}};
    for (const auto& [field, raw] : rows) {
        EXPECT_EQ(field.raw(), raw);
    }
    for (const FixedText* field :
         {&s.MaintainedDate, &s.DealerCode, &s.StockDate, &s.SellDate, &s.Seller}) {
        EXPECT_EQ(field->raw(), text(u"\0               "));
    }

    // The date and its format come from the calendar.
    const test::FixedCalendar calendar(QDate(987, 12, 31), text(u"dd.MM.yyyy"));
    ModData data(*m_codePage, calendar);
    data.LoadDefaults();
    EXPECT_EQ(data.settings().SerialNumber.raw(), text(u"0987123100000001"));
    EXPECT_EQ(data.settings().ProductionDate.raw(), text(u"31.12.0987\0     "));
    EXPECT_EQ(data.settings().ManufactureCode.raw(), text(u"12-1-E-1"));
}

TEST_F(ModDataTest, SerialNumberAdvancesItsNumericPart) {
    const std::pair<QString, QString> rows[] = {
        // before, and the field as read after
        {text(u"2026030500000001"), text(u"2026030500000002")},
        {text(u"AB12"), text(u"AB12")},
        {text(u"12345"), text(u"00012346")},
        {text(u"ABCDEFGH0000099"), text(u"ABCDEFGH00000100")},
        {text(u"ABCDEFGHXY"), text(u"ABCDEFGHXY")},
        {text(u""), text(u"")},
        // Eight nines widen to nine digits; the 16-character field keeps 16 of 17.
        {text(u"ABCDEFGH99999999"), text(u"ABCDEFGH10000000")},
        {text(u"99999999"), text(u"100000000")},
        {text(u"ABCDEFGH2.5"), text(u"ABCDEFGH00000003")},
        {text(u"-5"), text(u"-00000004")},
        {text(u" 12\0XYZ"), text(u"00000013")},
        // Too large for a 32-bit integer (plus one): left as it is, nothing stops.
        {text(u"ABCDEFGH9E99"), text(u"ABCDEFGH9E99")},
        {text(u"3E9"), text(u"3E9")}};
    for (const auto& [before, after] : rows) {
        SCOPED_TRACE(before.toStdString());
        m_data.settings().SerialNumber = before;
        m_data.NextSerialNumber();
        EXPECT_EQ(m_data.settings().SerialNumber.text(), after);
    }
    // Stored with a NUL after it, and advanced again from there.
    m_data.settings().SerialNumber = QStringLiteral("12345");
    m_data.NextSerialNumber();
    EXPECT_EQ(m_data.settings().SerialNumber.raw(), text(u"00012346\0       "));
    m_data.NextSerialNumber();
    EXPECT_EQ(m_data.settings().SerialNumber.raw(), text(u"00012347\0       "));
}

TEST_F(ModDataTest, ModelWordInTheFirstSevenBytes) {
    const std::pair<QByteArray, bool> rows[] = {
        // image bytes 0x3B00..0x3B07
        {bytes("TAVRIK\0\0"), true},    {bytes("TAVRIK\xFF\xFF"), true},
        {bytes("TAVRIK \0"), true},     {bytes("TAVRIK\0X"), true},
        {bytes("tavrik\0\0"), false},   {bytes("TAVRIKS\0"), false},
        {bytes("TAVRI\0\0\0"), false},  {bytes(" TAVRIK\0"), false},
        {bytes("TAV\xFFRIK\0"), false}, {QByteArray(8, '\xFF'), false}};
    for (const auto& [first8, expected] : rows) {
        SCOPED_TRACE(first8.toHex(' ').toStdString());
        m_data.image().setBytes(0x3B00, first8);
        EXPECT_EQ(m_data.IsExpectedModel(), expected);
    }
    EXPECT_EQ(ModelDisplayName(text(u"TAVRIK\0  ")), QStringLiteral("TAVRIK"));
    EXPECT_EQ(ModelDisplayName(text(u"OTHER\0Y  ")), QStringLiteral("OTHER"));
}

TEST(BandList, ThreeBandPlansInIndexOrder) {
    EXPECT_EQ(BandList(), QStringList({QStringLiteral("UHF{430 - 440 MHz} VHF{144 - 148 MHz}"),
                                       QStringLiteral("UHF{400 - 490 MHz} VHF{136 - 174 MHz}"),
                                       QStringLiteral("UHF{430 - 440 MHz} VHF{144 - 146 MHz}")}));
}

TEST_F(ModDataTest, ParseImageReadsEveryField) {
    m_data.LoadDefaults();
    load(realisticImage());
    const RadioSettings& s = m_data.settings();

    EXPECT_EQ(s.RfFirmwareVersion, QStringLiteral("V1.02"));
    EXPECT_EQ(s.LcdFirmwareVersion, QStringLiteral("V1F.0A"));
    EXPECT_EQ(flagsAndBand(s), std::vector<int>({1, 1, 0, 1, 1}));
    EXPECT_EQ(s.AreaCode, QString::fromUtf16(u"é€"));
    // Not in the image: left as they were.
    EXPECT_EQ(s.ModelName, QStringLiteral("TAVRIK"));
    EXPECT_EQ(s.StunCode.raw(), QStringLiteral("370512"));

    const std::pair<const FixedText&, QString> rows[] = {
        {s.UserCode, text(u"WOLP")},
        {s.ProgramPassword, text(u"12  ")},
        {s.SerialNumber, text(u"2026030500000001")},
        {s.ProductionDate, text(u"2026/3/5\0       ")},
        {s.ManufactureCode, text(u"03-1-E-1")},
        {s.MaintainedDate, text(u"2026/4/1\0       ")},
        {s.DealerCode, text(u"DLR-0042\0       ")},
        {s.StockDate, text(u"2026/3/9\0       ")},
        {s.SellDate, text(u"\0               ")},
        {s.Seller, text(u"Café €\0         ")},
        {s.MaintainedDescription, text(u"Battery contacts cleaned\0") + QString(55, u' ')}};
    for (const auto& [field, raw] : rows) {
        EXPECT_EQ(field.raw(), raw);
    }

    // Erased memory: every flag set, the band kept as the radio reports it, empty texts.
    load(QByteArray(256, '\xFF'));
    EXPECT_EQ(flagsAndBand(s), std::vector<int>({1, 1, 1, 1, 255}));
    EXPECT_EQ(s.RfFirmwareVersion, QStringLiteral("VFF.FF"));
    EXPECT_EQ(s.AreaCode + s.UserCode.text() + s.SerialNumber.text(), QString());
    EXPECT_EQ(s.Seller.raw(), text(u"\0               "));
}

TEST_F(ModDataTest, BuildWriteImageWritesBandAndThreeFlagBitsOnly) {
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
        {"a grayed check box value counts as set", 0x80, 2, 0, 0, 0, 0x82, 0x00}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QByteArray held = realisticImage();
        held[0x10] = static_cast<char>(row.flagsHeld);
        buildFrom(held, [&row](RadioSettings& s) {
            s.FreqSetEnabled = row.freqSet;
            s.StunEnabled = row.stun;
            s.KillEnabled = row.kill;
            s.BandIndex = row.band;
        });
        held[0x0F] = static_cast<char>(row.bandWritten);
        held[0x10] = static_cast<char>(row.flagsWritten);
        EXPECT_EQ(written(), hex(held));
    }
}

TEST_F(ModDataTest, BuildWriteImageWritesPasswordAndDealerFieldsZeroFilled) {
    struct Row {
        FixedText RadioSettings::*field;
        QString typed;
        int offset;
        QByteArray stored;
    };
    const Row rows[] = {
        {&RadioSettings::ProgramPassword, text(u"AB"), 0x18, bytes("AB\0\0")},
        {&RadioSettings::DealerCode, text(u"ABCDEFGHIJKLMNOP"), 0x60, bytes("ABCDEFGHIJKLMNOP")},
        {&RadioSettings::StockDate, text(u"  D7"), 0x70, zeroFilled("  D7", 16)},
        {&RadioSettings::SellDate, text(u"2026/3/11"), 0x80, zeroFilled("2026/3/11", 16)},
        {&RadioSettings::Seller, text(u"Café"), 0x90, zeroFilled("Caf\xE9", 16)}};
    for (const bool empty : {false, true}) {
        SCOPED_TRACE(empty ? "emptied" : "typed");
        QByteArray expected = realisticImage();
        buildFrom(expected, [&rows, empty](RadioSettings& s) {
            for (const Row& row : rows) {
                s.*row.field = empty ? QString() : row.typed;
            }
        });
        for (const Row& row : rows) {
            put(expected, row.offset, empty ? QByteArray(row.stored.size(), '\0') : row.stored);
        }
        EXPECT_EQ(written(), hex(expected));
        m_data.ParseImage(); // what was written reads back as it was typed
        for (const Row& row : rows) {
            EXPECT_EQ((m_data.settings().*row.field).text(), empty ? QString() : row.typed);
        }
    }
}

TEST_F(ModDataTest, PutCharBytesStoresOneBytePerCharacter) {
    struct Row {
        QString text;
        int n;
        QByteArray stored; // the bytes from 0x3B18 up to 0x3B1D
    };
    const Row rows[] = {{text(u"AB"), 4, bytes("AB\0\0\xEE\xEE")},
                        {text(u"ABCDEF"), 4, bytes("ABCD\xEE\xEE")},
                        {text(u"é€"), 4, bytes("\xE9\x80\0\0\xEE\xEE")},
                        {text(u"中A"), 4, bytes("?A\0\0\xEE\xEE")},
                        {text(u"\U0001F600"), 3, bytes("??\0\xEE\xEE\xEE")},
                        {text(u"AB"), 0, bytes("\xEE\xEE\xEE\xEE\xEE\xEE")}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.toStdString());
        m_data.image().setBytes(0x3B18, QByteArray(6, '\xEE'));
        m_data.PutCharBytes(0x3B18, row.text, row.n);
        EXPECT_EQ(m_data.image().bytes(0x3B18, 6), row.stored);
    }
}

class GbkModDataTest : public ModDataTest {
protected:
    GbkModDataTest() : ModDataTest(936) {}
};

TEST_F(GbkModDataTest, ChineseTextRoundTripsThroughTheImage) {
    QByteArray held = realisticImage();
    put(held, 0x1C, bytes("\xD6\xD0Z\0")); // a double-byte character in a character field
    put(held, 0xA0, bytes("\xCE\xAC\xD0\xDE\xFF\xD6\xD0"));
    buildFrom(held, [](RadioSettings& s) {
        s.DealerCode = text(u"经销商");
        s.Seller = text(u"张三李四王五赵六孙");
        s.SellDate = text(u"a张三李四王五赵六孙");
    });
    // 经销商 in GBK, zero-filled.
    EXPECT_EQ(m_data.image().bytes(0x3B60, 16), zeroFilled("\xBE\xAD\xCF\xFA\xC9\xCC", 16));
    // Nine double-byte characters: the first 16 bytes, eight characters.
    EXPECT_EQ(m_data.image().bytes(0x3B90, 16),
              bytes("\xD5\xC5\xC8\xFD\xC0\xEE\xCB\xC4\xCD\xF5\xCE\xE5\xD5\xD4\xC1\xF9"));
    // One byte in front: the 16th byte is the first half of the eighth character.
    EXPECT_EQ(m_data.image().bytes(0x3B80, 16),
              bytes("a\xD5\xC5\xC8\xFD\xC0\xEE\xCB\xC4\xCD\xF5\xCE\xE5\xD5\xD4\xC1"));

    m_data.ParseImage();
    const RadioSettings& s = m_data.settings();
    EXPECT_EQ(s.DealerCode.text(), text(u"经销商"));
    EXPECT_EQ(s.Seller.text(), text(u"张三李四王五赵六"));
    EXPECT_EQ(s.SellDate.text(), text(u"a张三李四王五赵")); // the half character is not shown
    EXPECT_EQ(s.MaintainedDescription.text(), text(u"维修"));
    // Each half of a double-byte character is visibly not text, and stores back as '?'.
    EXPECT_EQ(s.AreaCode, text(u"\uFFFD\uFFFDZ"));
    m_data.PutCharBytes(0x3B1C, text(u"中A"), 4);
    EXPECT_EQ(m_data.image().bytes(0x3B1C, 4), bytes("?A\0\0"));
}

} // namespace
} // namespace tavrik
