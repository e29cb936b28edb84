#include "settings/FixedText.h"
#include "settings/ModVersion.h"
#include "settings/Numeric.h"
#include "settings/RadioImage.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>

namespace tavrik {
namespace {

QString text(const char16_t* utf16) {
    return QString::fromUtf16(utf16);
}

// Padded or cut to the width in characters; read back with trailing spaces removed
// first, then cut at the first NUL, so that leading spaces and a space before the NUL stay.
TEST(FixedText, LeftJustifiedToTheWidthAndReadUpToTheNul) {
    const std::tuple<int, QString, QString, QString> rows[] = {
        {4, text(u"AB"), text(u"AB  "), text(u"AB")},
        {4, text(u"ABCDEF"), text(u"ABCD"), text(u"ABCD")},
        {8, text(u" A ") + QChar(0) + u'B', text(u" A ") + QChar(0) + text(u"B   "), text(u" A ")}};
    for (const auto& [width, assigned, raw, read] : rows) {
        SCOPED_TRACE(assigned.toStdString());
        FixedText field(width);
        field = assigned;
        EXPECT_EQ(field.raw(), raw);
        EXPECT_EQ(field.text(), read);
    }
}

TEST(RadioImage, AccessOutsideTheWindowIsHarmless) {
    RadioImage image;
    image.setBytes(0x3BFE, QByteArray(8, '\x44'));
    image.setBytes(INT_MAX - 1, QByteArray(8, '\x55'));
    image.setBytes(INT_MIN, QByteArray(8, '\x55'));
    image.set(0x3AFF, 0x11);
    image.set(0x3C00, 0x22);
    std::array<std::uint8_t, 256> expected{};
    expected[0xFE] = expected[0xFF] = 0x44;
    EXPECT_EQ(image.raw(), expected);
    EXPECT_EQ(image.at(0x3AFF) + image.at(0x3C00), 0);
    EXPECT_EQ(image.bytes(0x3BFD, 16), QByteArray("\x00\x44\x44", 3));
    EXPECT_EQ(image.bytes(0x3AF0, 16) + image.bytes(0x3B20, -4), QByteArray());
}

// IsNumeric, and ToInt32 rounding half to even and refusing what does not fit.
TEST(Numeric, BlanksSignPointAndExponent) {
    const std::optional<qint32> none;
    using Row = std::pair<const char16_t*, std::optional<qint32>>;
    const Row numeric[] = {{u"\t+12 ", 12}, {u".5", 0},           {u"5.", 5},   {u"1.5", 2},
                           {u"2.5", 2},     {u"-2.5", -2},        {u"2.51", 3}, {u"1E+3", 1000},
                           {u"2e-2", 0},    {u"2147483648", none}};
    for (const auto& [in, value] : numeric) {
        SCOPED_TRACE(text(in).toStdString());
        EXPECT_TRUE(IsNumeric(text(in)));
        EXPECT_EQ(ToInt32(text(in)), value);
    }
    EXPECT_EQ(ToInt32(text(u"2147483647")), INT_MAX);
    EXPECT_EQ(ToInt32(text(u"-2147483648")), INT_MIN);
    EXPECT_EQ(ToInt32(text(u"-2147483649")), none);
    for (const char16_t* in : {u"", u".", u"1e", u"- 1", u"١٢", u"1,5"}) {
        SCOPED_TRACE(text(in).toStdString());
        EXPECT_FALSE(IsNumeric(text(in)));
        EXPECT_EQ(ToInt32(text(in)), none);
    }
}

TEST(VersionText, FromTheRadiosBytesAndFromTheWindow) {
    EXPECT_EQ(VersionTextFromBytes(0x02, 0x0A), QStringLiteral("V2.0A"));
    const std::pair<const char16_t*, const char16_t*> rows[] = {
        {u"v1.5", u"V1.05"},   {u"1.5", u"V1.05"},   {u"V01.5", u"V01.05"}, {u"V12.34", u"V12.34"},
        {u"", u"V9.99"},       {u"X1.5", u"V9.99"},  {u"V1", u"V9.99"},     {u"V123.4", u"V9.99"},
        {u"V1.234", u"V9.99"}, {u"VA.05", u"V9.99"}, {u"V1.0A", u"V9.99"}};
    for (const auto& [in, out] : rows) {
        SCOPED_TRACE(text(in).toStdString());
        EXPECT_EQ(NormaliseVersionText(text(in), QStringLiteral("V9.99")), text(out));
    }
}

} // namespace
} // namespace tavrik
