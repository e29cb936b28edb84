#include "settings/ModData.h"

#include "FixedCalendar.h"
#include "RadioMemory.h"
#include "ServiceFakes.h"
#include "platform/CodePage.h"

#include <gtest/gtest.h>

namespace tavrik {
namespace {

// A QString or a QByteArray from a literal that may hold NULs.
template <std::size_t N> QString text(const char16_t (&literal)[N]) {
    return QString::fromUtf16(literal, N - 1);
}
template <std::size_t N> QByteArray bytes(const char (&literal)[N]) {
    return QByteArray(literal, N - 1);
}

// The record as the window shows it: the flags (factory mode, freq. set, stun, kill),
// the band index, then the texts, between bars.
QString shown(const RadioSettings& s) {
    QString all = QStringLiteral("%1%2%3%4|%5").arg(s.FactoryMode).arg(s.FreqSetEnabled);
    all = all.arg(s.StunEnabled).arg(s.KillEnabled).arg(s.BandIndex);
    for (const QString* text :
         {&s.ModelName, &s.AreaCode, &s.RfFirmwareVersion, &s.LcdFirmwareVersion}) {
        all += u'|' + *text;
    }
    for (const FixedText* field :
         {&s.StunCode, &s.KillCode, &s.UserCode, &s.ProgramPassword, &s.SerialNumber,
          &s.ProductionDate, &s.ManufactureCode, &s.MaintainedDate, &s.DealerCode, &s.StockDate,
          &s.SellDate, &s.Seller, &s.MaintainedDescription}) {
        all += u'|' + field->text();
    }
    return all;
}

// Sixteen bytes a line, so that a failure shows the lines that differ.
std::string hex(const radiosim::Memory& memory) {
    std::string out;
    for (std::size_t i = 0; i < memory.size(); ++i) {
        out += QByteArray(1, static_cast<char>(memory[i])).toHex().toStdString();
        out += i % 16 == 15 ? '\n' : ' ';
    }
    return out;
}

// Code page 936, as on a Chinese dealer's computer: double-byte characters show
// where a field holds characters, where code-page text and where bytes are cut.
class ModDataTest : public ::testing::Test {
protected:
    void load(const radiosim::Memory& memory) {
        m_data.image().setBytes(
            0x3B00, QByteArray::fromRawData(reinterpret_cast<const char*>(memory.data()), 256));
        m_data.ParseImage();
    }

    // That this build converts code page 936: CodePage.EveryLocalesAnsiCodePageConverts.
    std::unique_ptr<platform::CodePage> m_codePage = platform::makeCodePage(936);
    test::FixedCalendar m_calendar{QDate(987, 3, 5), QStringLiteral("dd.MM.yyyy")};
    ModData m_data{*m_codePage, m_calendar};
};

TEST_F(ModDataTest, DefaultsFromTheCalendar) {
    load(radiosim::DefaultMemory()); // every field the image holds, then the others
    RadioSettings& s = m_data.settings();
    s.StunEnabled = s.KillEnabled = s.Reserved1 = s.Reserved2 = 1;
    s.ModelName = QStringLiteral("X");
    s.StunCode = s.KillCode = QStringLiteral("X");
    m_data.LoadDefaults();
    EXPECT_EQ(s.Reserved1 + s.Reserved2, 0);
    EXPECT_EQ(shown(s), text(u"0000|0|TAVRIK||V1.00|V1.00|370512|481623|WOLP||0987030500000001|"
                             u"05.03.0987|03-1-E-1||||||"));
}

TEST_F(ModDataTest, SerialNumberAdvancesItsNumericPart) {
    // The eight characters in front stay and the rest counts; eight characters or fewer
    // count as a whole. A carry into a new digit widens the serial to eight digits; eight
    // nines widen to nine, of which the field keeps 16; 3E9 plus one does not fit 32 bits.
    const std::pair<const char*, const char*> rows[] = {{"ABCDEFGHXY", "ABCDEFGHXY"},
                                                        {"ABCDEFGH0000099", "ABCDEFGH00000100"},
                                                        {"ABCDEFGH99999999", "ABCDEFGH10000000"},
                                                        {"12345", "00012346"},
                                                        {"-5", "-00000004"},
                                                        {"3E9", "3E9"}};
    for (const auto& [before, after] : rows) {
        m_data.settings().SerialNumber = QString::fromLatin1(before);
        m_data.NextSerialNumber();
        EXPECT_EQ(m_data.settings().SerialNumber.text(), QString::fromLatin1(after)) << before;
    }
}

TEST_F(ModDataTest, ModelWordInTheFirstSevenBytesAndTheBandList) {
    // The model word, ended by erased memory or blanks; then other words.
    const char* const first7[] = {"TAVRIK\xFF", "TAVRIK ", "TAVRIKS", " TAVRIK"};
    for (int i = 0; i < 4; ++i) {
        m_data.image().setBytes(0x3B00, QByteArray(first7[i]));
        EXPECT_EQ(m_data.IsExpectedModel(), i < 2) << first7[i];
    }
    EXPECT_EQ(ModelDisplayName(text(u"TAV RIK\0Y  ")), QStringLiteral("TAV RIK")); // as sent
    EXPECT_EQ(BandList(), (QStringList{"UHF{430 - 440 MHz} VHF{144 - 148 MHz}",
                                       "UHF{400 - 490 MHz} VHF{136 - 174 MHz}",
                                       "UHF{430 - 440 MHz} VHF{144 - 146 MHz}"}));
}

TEST_F(ModDataTest, ParseImageReadsEveryField) {
    radiosim::Memory memory = radiosim::DefaultMemory(radiosim::DealerText::Chinese);
    test::Put(memory, 0x14, bytes("W\x81\x80P"));  // a lone lead byte in the user code
    test::Put(memory, 0x1C, bytes("\xD6\xD0Z\0")); // a double-byte character in a byte field
    test::Put(memory, 0xA0, bytes(" Cleaned  \0junk"));
    load(memory);
    // Each half of the double-byte character is visibly not text; the sell date is
    // erased memory; the serial number fills its 16 bytes.
    EXPECT_EQ(
        shown(m_data.settings()),
        text(u"1100|1||\uFFFD\uFFFDZ|V1.05|V1.02|||W\uFFFD€P|1234|2025110300000042|2025-11-03|"
             u"11-1-E-1|2026-01-15|D-0042|2025-12-01||王记通讯| Cleaned"));
    test::Put(memory, 0x0F, bytes("\xFF\xA5")); // a band the list does not hold is kept
    load(memory);
    EXPECT_EQ(shown(m_data.settings()).section(u'|', 0, 1), text(u"1010|255"));
}

// A Write takes the band, flag bits 1 to 3, the password and the dealer fields from the
// record, and nothing else. A password stores a character per byte, '?' for one that is
// not a byte of its own; the dealer fields store code-page text, cut at 16 bytes even
// between the halves of a character. Both zero-filled.
TEST_F(ModDataTest, WriteImageTakesItsFieldsFromTheRecord) {
    // The flags held; freq. set, stun and kill (a grayed check box's 2 counts); the band
    // (one that is no byte stays as held); the band and flags written at 0x0F; whether
    // the texts are typed, emptied or left unedited.
    const std::tuple<char, qint16, qint16, qint16, qint16, const char*, char> rows[] = {
        {'\xFF', 0, 1, 0, 0, "\x00\xF5", 't'},
        {'\x33', 1, 0, 2, 2, "\x02\x3B", 'e'},
        {'\x33', 0, 0, 0, 255, "\xFF\x31", 'u'},
        {'\x33', 0, 0, 0, -1, "\x01\x31", 'u'}};
    const std::tuple<FixedText RadioSettings::*, QString, int, QByteArray> fields[] = {
        {&RadioSettings::ProgramPassword, text(u"中€\U0001F600"), 0x18, bytes("?\x80??")},
        {&RadioSettings::DealerCode, text(u"D-7"), 0x60, bytes("D-7").leftJustified(16, '\0')},
        {&RadioSettings::StockDate, text(u"  D7"), 0x70, bytes("  D7").leftJustified(16, '\0')},
        {&RadioSettings::SellDate, text(u"a张三李四王五赵六孙"), 0x80,
         bytes("a\xD5\xC5\xC8\xFD\xC0\xEE\xCB\xC4\xCD\xF5\xCE\xE5\xD5\xD4\xC1")},
        {&RadioSettings::Seller, text(u"经销商"), 0x90,
         bytes("\xBE\xAD\xCF\xFA\xC9\xCC").leftJustified(16, '\0')}};
    for (const auto& [flagsHeld, freqSet, stun, kill, band, bandAndFlags, texts] : rows) {
        SCOPED_TRACE(band);
        radiosim::Memory held = radiosim::DefaultMemory();
        held[0x10] = static_cast<std::uint8_t>(flagsHeld);
        // Unedited, the password goes back as read: a lone lead byte, a byte after its end;
        // the user code as held, whatever the code page makes of its bytes.
        test::Put(held, 0x14, bytes("W\x81\x80P\xE9\x31\0\x7F"));
        load(held);
        RadioSettings& s = m_data.settings();
        // Every field a Write does not send changes: none may reach the image.
        s.FactoryMode = s.FactoryMode ? 0 : 1;
        s.SerialNumber = s.ProductionDate = s.MaintainedDate = QStringLiteral("1/1/2000");
        s.ManufactureCode = QStringLiteral("XX-X-X-X");
        s.MaintainedDescription = QStringLiteral("changed");
        s.UserCode = s.AreaCode = QStringLiteral("ZZZZ");
        s.RfFirmwareVersion = s.LcdFirmwareVersion = QStringLiteral("V9.99");
        s.FreqSetEnabled = freqSet;
        s.StunEnabled = stun;
        s.KillEnabled = kill;
        s.BandIndex = band;
        test::Put(held, 0x0F, QByteArray(bandAndFlags, 2));
        test::Put(held, 0x80, QByteArray(16, '\0')); // the erased sell date goes back empty
        for (const auto& [field, typed, offset, stored] : fields) {
            if (texts != 'u') {
                s.*field = texts == 't' ? typed : QString();
                test::Put(held, offset, texts == 't' ? stored : QByteArray(stored.size(), '\0'));
            }
        }
        m_data.BuildWriteImage();
        EXPECT_EQ(hex(m_data.image().raw()), hex(held));
    }
}

} // namespace
} // namespace tavrik
