#include "TestText.h"

#include "FixedCalendar.h"
#include "settings/ModData.h"

#include <gtest/gtest.h>

namespace tavrik {
namespace {

using test::bytes;
using test::text;

class ModelSerialTest : public ::testing::Test {
protected:
    std::unique_ptr<platform::CodePage> m_codePage = test::requireCodePage(1252);
    test::FixedCalendar m_calendar{QDate(2026, 3, 5)};
    ModData m_data{*m_codePage, m_calendar};
};

TEST_F(ModelSerialTest, DefaultsOnTheFifthOfMarch2026) {
    m_data.settings().BandIndex = 2;
    m_data.settings().FreqSetEnabled = 1;
    m_data.settings().AreaCode = QStringLiteral("CN01");
    m_data.LoadDefaults();
    const RadioSettings& s = m_data.settings();

    EXPECT_EQ(s.FactoryMode, 0);
    EXPECT_EQ(s.FreqSetEnabled, 0);
    EXPECT_EQ(s.StunEnabled, 0);
    EXPECT_EQ(s.KillEnabled, 0);
    EXPECT_EQ(s.Reserved1, 0);
    EXPECT_EQ(s.Reserved2, 0);
    EXPECT_EQ(s.BandIndex, 0);
    EXPECT_EQ(s.ModelName, QStringLiteral("TAVRIK"));
    EXPECT_EQ(s.AreaCode, QString());
    EXPECT_EQ(s.RfFirmwareVersion, QStringLiteral("V1.00"));
    EXPECT_EQ(s.LcdFirmwareVersion, QStringLiteral("V1.00"));

    struct Row {
        const char* field;
        const FixedText& value;
        QString raw;
    };
    const Row rows[] = {
        {"StunCode", s.StunCode, text(u"370512")},
        {"KillCode", s.KillCode, text(u"481623")},
        {"ProgramPassword", s.ProgramPassword, text(u"\0   ")},
        {"SerialNumber", s.SerialNumber, text(u"2026030500000001")},
        {"ProductionDate", s.ProductionDate, text(u"2026/3/5\0       ")},
        {"ManufactureCode", s.ManufactureCode, text(u"03-1-E-1")},
        {"UserCode", s.UserCode, text(u"WOLP")},
        {"MaintainedDate", s.MaintainedDate, text(u"\0               ")},
        {"DealerCode", s.DealerCode, text(u"\0               ")},
        {"StockDate", s.StockDate, text(u"\0               ")},
        {"SellDate", s.SellDate, text(u"\0               ")},
        {"Seller", s.Seller, text(u"\0               ")},
        {"MaintainedDescription", s.MaintainedDescription, text(u"\0") + QString(79, u' ')},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.field);
        EXPECT_EQ(row.value.raw(), row.raw);
    }
}

TEST_F(ModelSerialTest, DefaultsFollowTheCalendarsDateAndFormat) {
    struct Row {
        QDate today;
        QString format;
        QString serial;
        QString production;
        QString manufacture;
    };
    const Row rows[] = {
        {QDate(1999, 12, 31), QStringLiteral("dd.MM.yyyy"), QStringLiteral("1999123100000001"),
         text(u"31.12.1999\0     "), QStringLiteral("12-1-E-1")},
        {QDate(987, 1, 2), QStringLiteral("yyyy/M/d"), QStringLiteral("0987010200000001"),
         text(u"0987/1/2\0       "), QStringLiteral("01-1-E-1")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.serial.toStdString());
        test::FixedCalendar calendar(row.today, row.format);
        ModData data(*m_codePage, calendar);
        data.LoadDefaults();
        EXPECT_EQ(data.settings().SerialNumber.raw(), row.serial);
        EXPECT_EQ(data.settings().ProductionDate.raw(), row.production);
        EXPECT_EQ(data.settings().ManufactureCode.raw(), row.manufacture);
    }
}

TEST_F(ModelSerialTest, SerialNumberAdvancesItsNumericPart) {
    struct Row {
        QString before;
        QString after; // the field as read (TrimAtNul)
    };
    const Row rows[] = {
        {QStringLiteral("2026030500000001"), QStringLiteral("2026030500000002")},
        {QStringLiteral("AB12"), QStringLiteral("AB12")},
        {QStringLiteral("12345"), QStringLiteral("00012346")},
        {QStringLiteral("ABCDEFGH0000099"), QStringLiteral("ABCDEFGH00000100")},
        {QStringLiteral("ABCDEFGHXY"), QStringLiteral("ABCDEFGHXY")},
        {QString(), QString()},
        // Eight nines widen to nine digits; the 16-character field keeps 16 of 17.
        {QStringLiteral("ABCDEFGH99999999"), QStringLiteral("ABCDEFGH10000000")},
        {QStringLiteral("99999999"), QStringLiteral("100000000")},
        {QStringLiteral("2147483647"), QStringLiteral("2147483600000048")},
        {QStringLiteral("ABCDEFGH2.5"), QStringLiteral("ABCDEFGH00000003")},
        {QStringLiteral("ABCDEFGH3.5"), QStringLiteral("ABCDEFGH00000005")},
        {QStringLiteral("-5"), QStringLiteral("-00000004")},
        {QStringLiteral(" 12"), QStringLiteral("00000013")},
        {text(u"123\0XYZ"), QStringLiteral("00000124")},
        // Too large for a 32-bit integer (plus one): left as it is, nothing stops.
        {QStringLiteral("ABCDEFGH9E99"), QStringLiteral("ABCDEFGH9E99")},
        {QStringLiteral("3E9"), QStringLiteral("3E9")},
        {QStringLiteral("2147483647ABCDEF"), QStringLiteral("2147483647ABCDEF")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.before.toStdString());
        m_data.settings().SerialNumber = row.before;
        m_data.NextSerialNumber();
        EXPECT_EQ(m_data.settings().SerialNumber.text(), row.after);
    }
}

TEST_F(ModelSerialTest, SerialNumberStoredWithANulAndAdvancesAgain) {
    m_data.settings().SerialNumber = QStringLiteral("12345");
    m_data.NextSerialNumber();
    EXPECT_EQ(m_data.settings().SerialNumber.raw(), text(u"00012346\0       "));

    m_data.settings().SerialNumber = QStringLiteral("2026030500000001");
    m_data.NextSerialNumber();
    m_data.NextSerialNumber();
    EXPECT_EQ(m_data.settings().SerialNumber.raw(), QStringLiteral("2026030500000003"));
}

TEST_F(ModelSerialTest, ModelWordInTheFirstSevenBytes) {
    struct Row {
        QByteArray first8; // image bytes 0x3B00..0x3B07
        bool expected;
    };
    const Row rows[] = {
        {bytes("TAVRIK\0\0"), true},        {bytes("TAVRIK\xFF\xFF"), true},
        {bytes("TAVRIK \0"), true},         {bytes("TAVRIK\0X"), true},
        {bytes("TAVRIK\xFFX"), true},       {bytes("tavrik\0\0"), false},
        {bytes("TAVRIKS\0"), false},        {bytes("TAVRI\0\0\0"), false},
        {bytes(" TAVRIK\0"), false},        {bytes("TAV\0RIK\0"), false},
        {bytes("TAV\xFFRIK\0"), false},     {bytes("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"), false},
        {bytes("\0\0\0\0\0\0\0\0"), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.first8.toHex(' ').toStdString());
        m_data.image().setBytes(0x3B00, row.first8);
        EXPECT_EQ(m_data.IsExpectedModel(), row.expected);
    }
}

TEST(ModelDisplayName, ShowsTheModelWordOrTheTrimmedText) {
    struct Row {
        QString model;
        QString shown;
    };
    const Row rows[] = {
        {QStringLiteral("TAVRIK"), QStringLiteral("TAVRIK")},
        {text(u"TAVRIK\0  "), QStringLiteral("TAVRIK")},
        {QStringLiteral("TAVRIK   "), QStringLiteral("TAVRIK")},
        {QStringLiteral("tavrik"), QStringLiteral("tavrik")},
        {QStringLiteral("OTHER  "), QStringLiteral("OTHER")},
        {text(u"X\0Y"), QStringLiteral("X")},
        {QString(), QString()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.model.toStdString());
        EXPECT_EQ(ModelDisplayName(row.model), row.shown);
    }
}

TEST(BandList, ThreeBandPlansInIndexOrder) {
    const QStringList expected{
        QStringLiteral("UHF{430 - 440 MHz} VHF{144 - 148 MHz}"),
        QStringLiteral("UHF{400 - 490 MHz} VHF{136 - 174 MHz}"),
        QStringLiteral("UHF{430 - 440 MHz} VHF{144 - 146 MHz}"),
    };
    EXPECT_EQ(BandList(), expected);
}

} // namespace
} // namespace tavrik
