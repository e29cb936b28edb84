#include "platform/CodePage.h"

#include <gtest/gtest.h>

namespace tavrik::platform {
namespace {

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

TEST(CodePage, EveryWindowsAnsiCodePageConverts) {
    struct Row {
        int number;
        QString text; // characters of that code page
        QByteArray encoded;
    };
    const Row rows[] = {
        {874, QString::fromUtf16(u"ก"), bytes("\xA1")},
        {932, QString::fromUtf16(u"日本"), bytes("\x93\xFA\x96\x7B")},
        {936, QString::fromUtf16(u"中文"), bytes("\xD6\xD0\xCE\xC4")},
        {949, QString::fromUtf16(u"한"), bytes("\xC7\xD1")},
        {950, QString::fromUtf16(u"中文"), bytes("\xA4\xA4\xA4\xE5")},
        {1250, QString::fromUtf16(u"ł"), bytes("\xB3")},
        {1251, QString::fromUtf16(u"Ж"), bytes("\xC6")},
        {1252, QString::fromUtf16(u"é€"), bytes("\xE9\x80")},
        {1253, QString::fromUtf16(u"Ω"), bytes("\xD9")},
        {1254, QString::fromUtf16(u"ş"), bytes("\xFE")},
        {1255, QString::fromUtf16(u"א"), bytes("\xE0")},
        {1256, QString::fromUtf16(u"ب"), bytes("\xC8")},
        {1257, QString::fromUtf16(u"ą"), bytes("\xE0")},
        {1258, QString::fromUtf16(u"₫"), bytes("\xFE")},
        {28591, QString::fromUtf16(u"é"), bytes("\xE9")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.number);
        const auto page = codePage(row.number);
        if (!page) {
            continue;
        }
        EXPECT_EQ(page->number(), row.number);
        const QString ascii = QStringLiteral("AZ az 09 ~-/");
        EXPECT_EQ(page->fromUnicode(ascii), ascii.toLatin1());
        EXPECT_EQ(page->fromUnicode(row.text), row.encoded);
        EXPECT_EQ(page->toUnicode(row.encoded), row.text);
    }
}

TEST(CodePage, UnknownNumbersHaveNoCodePage) {
    for (const int number : {0, 1, 437, 65001, 1259, -936}) {
        SCOPED_TRACE(number);
        EXPECT_EQ(makeCodePage(number), nullptr);
    }
}

TEST(CodePage, GbkRoundTripsChineseText) {
    const auto gbk = codePage(936);
    ASSERT_TRUE(gbk);
    const QString text = QString::fromUtf16(u"经销商 A-01 维修");
    const QByteArray encoded = bytes("\xBE\xAD\xCF\xFA\xC9\xCC A-01 \xCE\xAC\xD0\xDE");
    EXPECT_EQ(gbk->fromUnicode(text), encoded);
    EXPECT_EQ(gbk->toUnicode(encoded), text);
}

TEST(CodePage, BytesThatAreNoCharacter) {
    struct Row {
        int number;
        QByteArray in;
        QString out;
    };
    const Row rows[] = {
        // What is left of a character cut at a byte limit is dropped...
        {936, bytes("A\xD6\xD0\xCE"), QString::fromUtf16(u"A中")},
        {936, bytes("\x81"), QString()},
        // ...a lead byte without its partner elsewhere is shown as not text.
        {936, bytes("\x81 A"), QString::fromUtf16(u"\uFFFD A")},
        {936, bytes("\xD6\xD0\x81\x00"), QString::fromUtf16(u"中\uFFFD") + QChar(u'\0')},
        {936, bytes("\x80"), QString::fromUtf16(u"€")},
        // Windows-1252 gives its five unassigned bytes the C1 controls.
        {1252, bytes("\x81\x8D\x8F\x90\x9D"),
         QString::fromUtf16(u"\u0081\u008D\u008F\u0090\u009D")},
        {1252, bytes("\xFF\x00"), QString::fromUtf16(u"ÿ") + QChar(u'\0')},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.in.toHex(' ').toStdString());
        const auto page = codePage(row.number);
        ASSERT_TRUE(page);
        EXPECT_EQ(page->toUnicode(row.in), row.out);
    }
}

TEST(CodePage, CharactersWithoutBytesBecomeQuestionMarks) {
    struct Row {
        int number;
        QString in;
        QByteArray out;
    };
    const Row rows[] = {
        {1252, QString::fromUtf16(u"中A"), bytes("?A")},
        {1252, QString::fromUtf16(u"a\U0001F600b"), bytes("a?b")},
        {1252, QString(QChar(0xD800)) + u'x', bytes("?x")},
        {936, QString::fromUtf16(u"\U0001F600中"), bytes("?\xD6\xD0")},
        {936, QString::fromUtf16(u"한"), bytes("?")},
        {28591, QString::fromUtf16(u"€"), bytes("?")},
        {1252, QString(QChar(u'\0')), bytes("\0")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.in.toStdString());
        const auto page = codePage(row.number);
        ASSERT_TRUE(page);
        EXPECT_EQ(page->fromUnicode(row.in), row.out);
    }
}

TEST(AnsiCodePage, FollowsTheLocaleAsWindowsDoes) {
    struct Row {
        std::uint32_t lcid;
        int codePage;
    };
    const Row rows[] = {
        {0x0804, 936},      {0x1004, 936},  {0x0404, 950},  {0x0C04, 950},  {0x1404, 950},
        {0x0411, 932},      {0x0412, 949},  {0x0419, 1251}, {0x0422, 1251}, {0x0402, 1251},
        {0x0C1A, 1251},     {0x081A, 1250}, {0x041A, 1250}, {0x0405, 1250}, {0x0415, 1250},
        {0x040E, 1250},     {0x0408, 1253}, {0x041F, 1254}, {0x042C, 1254}, {0x082C, 1251},
        {0x040D, 1255},     {0x0401, 1256}, {0x0C01, 1256}, {0x0429, 1256}, {0x0425, 1257},
        {0x0426, 1257},     {0x0427, 1257}, {0x041E, 874},  {0x042A, 1258}, {0x0409, 1252},
        {0x0809, 1252},     {0x0407, 1252}, {0x040C, 1252}, {0x0439, 1252}, {0x0000, 1252},
        {0xFFFFFFFF, 1252},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.lcid);
        EXPECT_EQ(ansiCodePageForLcid(row.lcid), row.codePage);
    }
}

} // namespace
} // namespace tavrik::platform
