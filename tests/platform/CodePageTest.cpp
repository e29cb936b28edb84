#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tavrik::platform {
namespace {

QString text(const char16_t* utf16) {
    return QString::fromUtf16(utf16);
}

template <std::size_t N> QByteArray bytes(const char (&literal)[N]) {
    return QByteArray(literal, N - 1);
}

// Every code page these tests name is one the build must convert.
std::unique_ptr<CodePage> page(int number) {
    auto page = makeCodePage(number);
    return page ? std::move(page) : throw std::runtime_error(std::to_string(number));
}

TEST(CodePage, TheWindowsAnsiCodePagesConvertBothWays) {
    for (const int number :
         {874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 28591}) {
        EXPECT_EQ(page(number)->number(), number);
    }
    for (const int number : {0, 437, 65001, -936}) {
        EXPECT_EQ(makeCodePage(number), nullptr) << number;
    }
}

// Text and bytes that convert both ways ('='), or only one way: bytes that are no
// character to text ('<'), characters without bytes to one question mark ('>').
TEST(CodePage, ConvertsAsWindowsDoes) {
    const std::tuple<int, char, QString, QByteArray> rows[] = {
        // Double-byte, single-byte, and Latin-1, which Qt converts without a named codec.
        {936, '=', text(u"经销商€"), bytes("\xBE\xAD\xCF\xFA\xC9\xCC\x80")},
        {1252, '=', text(u"é€ÿ"), bytes("\xE9\x80\xFF")},
        {28591, '=', text(u"é"), bytes("\xE9")},
        // Windows-1252 gives its five unassigned bytes the C1 controls.
        {1252, '=', text(u"\u0081\u008D\u008F\u0090\u009D"), bytes("\x81\x8D\x8F\x90\x9D")},
        // What is left of a character cut at a byte limit is dropped; a lead byte
        // without its partner elsewhere is shown as not text.
        {936, '<', text(u"a张"), bytes("a\xD5\xC5\xC1")},
        {936, '<', text(u"\uFFFD A"), bytes("\x81 A")},
        {1252, '>', text(u"a\U0001F600b"), bytes("a?b")},
        {1252, '>', QString(QChar(0xD800)) + u'x', bytes("?x")},
        {936, '>', text(u"한"), bytes("?")},
        {28591, '>', text(u"€"), bytes("?")}};
    const QString ascii = QStringLiteral("AZ az 09 ~-/") + QChar(u'\0');
    for (const auto& [number, way, unicode, encoded] : rows) {
        SCOPED_TRACE(std::to_string(number) + ' ' + unicode.toStdString());
        if (way != '<') {
            EXPECT_EQ(page(number)->fromUnicode(ascii + unicode), ascii.toLatin1() + encoded);
        }
        if (way != '>') {
            EXPECT_EQ(page(number)->toUnicode(ascii.toLatin1() + encoded), ascii + unicode);
        }
    }
}

// One locale for each rule: the locales named one by one, then the languages.
TEST(AnsiCodePage, FollowsTheLocaleAsWindowsDoes) {
    const std::pair<std::uint32_t, int> rows[] = {
        {0x0804, 936},  {0x0C1A, 1251}, {0x081A, 1250}, {0x042C, 1254}, {0x0404, 950},
        {0x0411, 932},  {0x0412, 949},  {0x0419, 1251}, {0x0405, 1250}, {0x0408, 1253},
        {0x041F, 1254}, {0x040D, 1255}, {0x0401, 1256}, {0x0425, 1257}, {0x041E, 874},
        {0x042A, 1258}, {0x0409, 1252}};
    for (const auto& [lcid, number] : rows) {
        EXPECT_EQ(ansiCodePageForLcid(lcid), number) << std::hex << lcid;
    }
}

} // namespace
} // namespace tavrik::platform
