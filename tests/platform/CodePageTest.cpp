#include "platform/CodePage.h"

#include <gtest/gtest.h>

namespace tavrik::platform {
namespace {

QString text(const char16_t* utf16) {
    return QString::fromUtf16(utf16);
}

template <std::size_t N> QByteArray bytes(const char (&literal)[N]) {
    return QByteArray(literal, N - 1);
}

std::unique_ptr<CodePage> codePage(int number) {
    auto page = makeCodePage(number);
    if (!page) {
        ADD_FAILURE() << "code page " << number << " not available";
    }
    return page;
}

TEST(CodePage, EveryWindowsAnsiCodePageConvertsBothWays) {
    const std::tuple<int, QString, QByteArray> rows[] = {
        {874, text(u"ก"), bytes("\xA1")},
        {932, text(u"日本"), bytes("\x93\xFA\x96\x7B")},
        {936, text(u"经销商 A-01 维修"), bytes("\xBE\xAD\xCF\xFA\xC9\xCC A-01 \xCE\xAC\xD0\xDE")},
        {949, text(u"한"), bytes("\xC7\xD1")},
        {950, text(u"中文"), bytes("\xA4\xA4\xA4\xE5")},
        {1250, text(u"ł"), bytes("\xB3")},
        {1251, text(u"Ж"), bytes("\xC6")},
        {1252, text(u"é€ÿ"), bytes("\xE9\x80\xFF")},
        {1253, text(u"Ω"), bytes("\xD9")},
        {1254, text(u"ş"), bytes("\xFE")},
        {1255, text(u"א"), bytes("\xE0")},
        {1256, text(u"ب"), bytes("\xC8")},
        {1257, text(u"ą"), bytes("\xE0")},
        {1258, text(u"₫"), bytes("\xFE")},
        {28591, text(u"é"), bytes("\xE9")}};
    for (const auto& [number, unicode, encoded] : rows) {
        SCOPED_TRACE(number);
        const auto page = codePage(number);
        if (!page) {
            continue;
        }
        EXPECT_EQ(page->number(), number);
        const QString ascii = QStringLiteral("AZ az 09 ~-/") + QChar(u'\0');
        EXPECT_EQ(page->fromUnicode(ascii + unicode), ascii.toLatin1() + encoded);
        EXPECT_EQ(page->toUnicode(ascii.toLatin1() + encoded), ascii + unicode);
    }
    for (const int number : {0, 1, 437, 65001, 1259, -936}) {
        EXPECT_EQ(makeCodePage(number), nullptr) << number;
    }
}

TEST(CodePage, BytesThatAreNoCharacter) {
    const std::tuple<int, QByteArray, QString> rows[] = {
        // What is left of a character cut at a byte limit (here 16 bytes) is dropped...
        {936, bytes("a\xD5\xC5\xC8\xFD\xC0\xEE\xCB\xC4\xCD\xF5\xCE\xE5\xD5\xD4\xC1"),
         text(u"a张三李四王五赵")},
        {936, bytes("\x81"), QString()},
        // ...a lead byte without its partner elsewhere is shown as not text.
        {936, bytes("\x81 A"), text(u"\uFFFD A")},
        {936, bytes("\xD6\xD0\x81\x00"), text(u"中\uFFFD") + QChar(u'\0')},
        {936, bytes("\x80"), text(u"€")},
        // Windows-1252 gives its five unassigned bytes the C1 controls.
        {1252, bytes("\x81\x8D\x8F\x90\x9D"), text(u"\u0081\u008D\u008F\u0090\u009D")}};
    for (const auto& [number, in, out] : rows) {
        SCOPED_TRACE(in.toHex(' ').toStdString());
        const auto page = codePage(number);
        ASSERT_TRUE(page);
        EXPECT_EQ(page->toUnicode(in), out);
    }
}

TEST(CodePage, CharactersWithoutBytesBecomeQuestionMarks) {
    const std::tuple<int, QString, QByteArray> rows[] = {
        {1252, text(u"中A"), bytes("?A")},
        {1252, text(u"a\U0001F600b"), bytes("a?b")},
        {1252, QString(QChar(0xD800)) + u'x', bytes("?x")},
        {936, text(u"\U0001F600中"), bytes("?\xD6\xD0")},
        {936, text(u"한"), bytes("?")},
        {28591, text(u"€"), bytes("?")}};
    for (const auto& [number, in, out] : rows) {
        SCOPED_TRACE(in.toStdString());
        const auto page = codePage(number);
        ASSERT_TRUE(page);
        EXPECT_EQ(page->fromUnicode(in), out);
    }
}

TEST(AnsiCodePage, FollowsTheLocaleAsWindowsDoes) {
    const std::pair<std::uint32_t, int> rows[] = {
        {0x0804, 936},  {0x1004, 936},  {0x0404, 950},     {0x0C04, 950},  {0x1404, 950},
        {0x0411, 932},  {0x0412, 949},  {0x0419, 1251},    {0x0422, 1251}, {0x0C1A, 1251},
        {0x082C, 1251}, {0x081A, 1250}, {0x0405, 1250},    {0x0415, 1250}, {0x0408, 1253},
        {0x041F, 1254}, {0x042C, 1254}, {0x040D, 1255},    {0x0401, 1256}, {0x0429, 1256},
        {0x0425, 1257}, {0x041E, 874},  {0x042A, 1258},    {0x0409, 1252}, {0x0407, 1252},
        {0x0439, 1252}, {0x0000, 1252}, {0xFFFFFFFF, 1252}};
    for (const auto& [lcid, number] : rows) {
        EXPECT_EQ(ansiCodePageForLcid(lcid), number) << std::hex << lcid;
    }
}

} // namespace
} // namespace tavrik::platform
