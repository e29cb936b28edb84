#include "TestText.h"

#include "settings/FixedText.h"
#include "settings/ModVersion.h"
#include "settings/Numeric.h"
#include "settings/RadioImage.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>

namespace tavrik {
namespace {

using test::text;

// Spaces go first, so a space before the NUL stays.
TEST(TrimAtNul, RemovesTrailingSpacesThenCutsAtTheFirstNul) {
    const std::pair<QString, QString> rows[] = {
        {text(u""), text(u"")},           {text(u"    "), text(u"")},
        {text(u"AB  "), text(u"AB")},     {text(u"  AB"), text(u"  AB")},
        {text(u"AB\0CD"), text(u"AB")},   {text(u"\0AB"), text(u"")},
        {text(u"AB\0    "), text(u"AB")}, {text(u"A B"), text(u"A B")},
        {text(u"AB \0 "), text(u"AB ")},  {text(u"中文\0  "), text(u"中文")}};
    for (const auto& [in, out] : rows) {
        SCOPED_TRACE(in.toStdString());
        EXPECT_EQ(TrimAtNul(in), out);
    }
}

TEST(FixedText, AssignmentIsLeftJustifiedToTheWidth) {
    struct Row {
        int width;
        QString assigned, raw, read;
    };
    const Row rows[] = {{4, text(u"AB"), text(u"AB  "), text(u"AB")},
                        {4, text(u"ABCDEF"), text(u"ABCD"), text(u"ABCD")},
                        {4, text(u""), text(u"    "), text(u"")},
                        {8, text(u"03-1-E-1\0"), text(u"03-1-E-1"), text(u"03-1-E-1")},
                        {16, text(u"X\0"), text(u"X\0              "), text(u"X")},
                        {6, text(u"张三李四王五赵"), text(u"张三李四王五"), text(u"张三李四王五")},
                        {0, text(u"AB"), text(u""), text(u"")}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.assigned.toStdString() + " in " + std::to_string(row.width));
        FixedText field(row.width);
        field = row.assigned;
        EXPECT_EQ(field.raw(), row.raw);
        EXPECT_EQ(field.text(), row.read);
    }
}

TEST(RadioImage, AccessOutsideTheWindowIsHarmless) {
    RadioImage image;
    for (int address = 0x3B00; address <= 0x3BFF; ++address) {
        image.set(address, static_cast<std::uint8_t>(address & 0xFF));
    }
    auto expected = image.raw();
    image.set(0x3AFF, 0x11);
    image.set(0x3C00, 0x22);
    image.setBytes(0x3BFE, QByteArray(8, '\x44'));
    image.setBytes(INT_MAX - 1, QByteArray(8, '\x44'));
    image.setBytes(INT_MIN, QByteArray(8, '\x55'));
    expected[0xFE] = expected[0xFF] = 0x44;
    EXPECT_EQ(image.raw(), expected);
    EXPECT_EQ(image.at(0x3AFF) + image.at(0x3C00), 0);
    EXPECT_EQ(image.bytes(0x3B00, 2), QByteArray("\x00\x01", 2));
    EXPECT_EQ(image.bytes(0x3BFD, 16), QByteArray("\xFD\x44\x44", 3));
    EXPECT_EQ(image.bytes(0x3AF0, 16) + image.bytes(0x3B20, -4), QByteArray());
}

// IsNumeric, and ToInt32 rounding half to even and refusing what does not fit.
TEST(Numeric, BlanksSignPointAndExponent) {
    using Row = std::pair<const char16_t*, std::optional<qint32>>;
    const std::optional<qint32> none;
    const Row numeric[] = {{u"00000001", 1}, {u" 12 ", 12},  {u"\t7", 7}, {u"-3", -3},
                           {u"+3", 3},       {u".5", 0},     {u"1.5", 2}, {u"2.5", 2},
                           {u"-2.5", -2},    {u"2.51", 3},   {u"5.", 5},  {u"1E+3", 1000},
                           {u"2e-2", 0},     {u"9E99", none}};
    const Row limits[] = {{u"2147483647", INT_MAX},
                          {u"-2147483648", INT_MIN},
                          {u"2147483648", none},
                          {u"-2147483649", none}};
    const auto check = [](const char16_t* in, bool isNumeric, std::optional<qint32> value) {
        const QString text = QString::fromUtf16(in);
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(IsNumeric(text), isNumeric);
        EXPECT_EQ(ToInt32(text), value);
    };
    for (const auto& [in, value] : numeric) {
        check(in, true, value);
    }
    for (const auto& [in, value] : limits) {
        check(in, true, value);
    }
    for (const char16_t* in : {u"", u" ", u".", u"1.2.3", u"AB12", u"0x10", u"&H10", u"1e", u"- 1",
                               u"1 2", u"١٢", u"1,5"}) {
        check(in, false, none);
    }
}

TEST(VersionText, FromBytes) { // major and minor byte
    const std::pair<std::uint16_t, const char*> rows[] = {
        {0x0100, "V1.00"}, {0x020A, "V2.0A"},  {0x1F05, "V1F.05"}, {0x10FF, "V10.FF"},
        {0x0000, "V0.00"}, {0xFF10, "VFF.10"}, {0x02AB, "V2.AB"}};
    for (const auto& [version, shown] : rows) {
        EXPECT_EQ(VersionTextFromBytes(static_cast<std::uint8_t>(version >> 8),
                                       static_cast<std::uint8_t>(version & 0xFF)),
                  QLatin1String(shown));
    }
}

TEST(VersionText, NormalisedFromTheWindowOrTheDefault) {
    const std::pair<const char16_t*, const char16_t*> rows[] = {
        {u"V1.5", u"V1.05"},   {u"v1.5", u"V1.05"},   {u"1.5", u"V1.05"},     {u"V2.10", u"V2.10"},
        {u"V1.00", u"V1.00"},  {u"V01.5", u"V01.05"}, {u"V12.34", u"V12.34"}, {u"V1", u"V9.99"},
        {u"V123.4", u"V9.99"}, {u"V1.234", u"V9.99"}, {u"", u"V9.99"},        {u"X1.5", u"V9.99"},
        {u"VA.05", u"V9.99"},  {u"V1.0A", u"V9.99"},  {u"V.5", u"V9.99"},     {u"V1.", u"V9.99"},
        {u"15", u"V9.99"}};
    for (const auto& [in, out] : rows) {
        SCOPED_TRACE(QString::fromUtf16(in).toStdString());
        EXPECT_EQ(NormaliseVersionText(QString::fromUtf16(in), QStringLiteral("V9.99")),
                  QString::fromUtf16(out));
    }
}

} // namespace
} // namespace tavrik
