#include "settings/ModVersion.h"
#include "settings/Numeric.h"

#include <gtest/gtest.h>

#include <optional>

namespace tavrik {
namespace {

TEST(IsNumeric, AcceptsBlanksSignPointAndExponent) {
    struct Row {
        const char16_t* text;
        bool numeric;
    };
    const Row rows[] = {
        {u"1", true},     {u"00000001", true}, {u" 12 ", true}, {u"\t7", true},   {u"-3", true},
        {u"+3", true},    {u"1.5", true},      {u".5", true},   {u"5.", true},    {u"1e3", true},
        {u"9E99", true},  {u"1E+3", true},     {u"2e-2", true}, {u"", false},     {u" ", false},
        {u".", false},    {u"1.2.3", false},   {u"A", false},   {u"AB12", false}, {u"0x10", false},
        {u"&H10", false}, {u"1e", false},      {u"- 1", false}, {u"1 2", false},  {u"XY", false},
        {u"١٢", false},   {u"1,5", false},
    };
    for (const Row& row : rows) {
        const QString text = QString::fromUtf16(row.text);
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(IsNumeric(text), row.numeric);
    }
}

TEST(ToInt32, RoundsHalfToEvenAndRefusesWhatDoesNotFit) {
    struct Row {
        const char16_t* text;
        std::optional<qint32> value;
    };
    const Row rows[] = {
        {u"0", 0},
        {u"0.5", 0},
        {u"1.5", 2},
        {u"2.5", 2},
        {u"3.5", 4},
        {u"-2.5", -2},
        {u"2.51", 3},
        {u"2147483647", 2147483647},
        {u"-2147483648", -2147483647 - 1},
        {u"2147483648", std::nullopt},
        {u"-2147483649", std::nullopt},
        {u"9E99", std::nullopt},
        {u"1e999", std::nullopt},
        {u"AB", std::nullopt},
    };
    for (const Row& row : rows) {
        const QString text = QString::fromUtf16(row.text);
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(ToInt32(text), row.value);
    }
}

TEST(VersionText, FromBytes) {
    struct Row {
        std::uint8_t major;
        std::uint8_t minor;
        const char* hexMinor;
        const char* text;
    };
    const Row rows[] = {
        {0x01, 0x00, "00", "V1.00"},  {0x02, 0x0A, "0A", "V2.0A"},  {0x1F, 0x05, "05", "V1F.05"},
        {0x0A, 0x05, "05", "VA.05"},  {0x10, 0xFF, "FF", "V10.FF"}, {0x00, 0x00, "00", "V0.00"},
        {0xFF, 0x10, "10", "VFF.10"}, {0x02, 0xAB, "AB", "V2.AB"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(HexByte2(row.minor), QLatin1String(row.hexMinor));
        EXPECT_EQ(VersionTextFromBytes(row.major, row.minor), QLatin1String(row.text));
    }
}

TEST(VersionText, NormalisedFromTheWindowOrTheDefault) {
    struct Row {
        const char16_t* text;
        const char16_t* fallback;
        const char16_t* result;
    };
    const Row rows[] = {
        {u"V1.5", u"V1.00", u"V1.05"},    {u"v1.5", u"V1.00", u"V1.05"},
        {u"1.5", u"V1.00", u"V1.05"},     {u"V2.10", u"V1.00", u"V2.10"},
        {u"V1.00", u"V9.99", u"V1.00"},   {u"V01.5", u"V1.00", u"V01.05"},
        {u"V12.34", u"V1.00", u"V12.34"}, {u"V1", u"V1.00", u"V1.00"},
        {u"V123.4", u"V1.00", u"V1.00"},  {u"V1.234", u"V1.00", u"V1.00"},
        {u"", u"V1.00", u"V1.00"},        {u"X1.5", u"V1.00", u"V1.00"},
        {u"VA.05", u"V1.00", u"V1.00"},   {u"V1.0A", u"V1.00", u"V1.00"},
        {u"V.5", u"V1.00", u"V1.00"},     {u"V1.", u"V1.00", u"V1.00"},
        {u"15", u"V1.00", u"V1.00"},      {u"V1.5", u"V3.33", u"V1.05"},
        {u"junk", u"V3.33", u"V3.33"},    {u"V1F.05", u"V3.33", u"V3.33"},
    };
    for (const Row& row : rows) {
        const QString text = QString::fromUtf16(row.text);
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(NormaliseVersionText(text, QString::fromUtf16(row.fallback)),
                  QString::fromUtf16(row.result));
    }
}

} // namespace
} // namespace tavrik
