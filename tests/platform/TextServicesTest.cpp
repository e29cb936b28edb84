// The platform's text services: code pages, the system locale and the short date format.
#include "platform/TextServices.h"
#include "ServiceFakes.h"
#include "platform/CodePage.h"
#include "platform/SystemCalendar.h"
#include "platform/SystemLocale.h"

#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

namespace tavrik::platform {
namespace {

// Whatever code page a locale takes, this build converts it.
TEST(CodePage, EveryLocalesAnsiCodePageConverts) {
    std::set<int> numbers{28591};
    for (std::uint32_t lcid = 0; lcid <= 0xFFFF; ++lcid) {
        numbers.insert(ansiCodePageForLcid(lcid));
    }
    for (const int number : numbers) {
        const auto page = makeCodePage(number);
        ASSERT_TRUE(page) << number;
        EXPECT_EQ(page->number(), number);
    }
    EXPECT_EQ(makeCodePage(437), nullptr);
}

// Text and bytes that convert both ways ('='), or only one way: bytes that are no
// character to text ('<'), characters without bytes to one question mark ('>').
TEST(CodePage, ConvertsAsWindowsDoes) {
    const std::tuple<int, char, QString, QByteArray> rows[] = {
        // Double-byte, single-byte, and Latin-1, which Qt converts without a named codec;
        // Windows-1252 gives its five unassigned bytes the C1 controls.
        {936, '=', QStringLiteral("经销商€"), QByteArray("\xBE\xAD\xCF\xFA\xC9\xCC\x80")},
        {1252, '=', QStringLiteral("é€ÿ\u0081\u008D\u008F\u0090\u009D"),
         QByteArray("\xE9\x80\xFF\x81\x8D\x8F\x90\x9D")},
        {28591, '=', QStringLiteral("é"), QByteArray("\xE9")},
        // What is left of a character cut at a byte limit is dropped.
        {936, '<', QStringLiteral("a张"), QByteArray("a\xD5\xC5\xC1")},
        // A character without bytes, a pair of surrogates among them, or a lone one: one
        // question mark each.
        {1252, '>', QStringLiteral("a\U0001F600b한") + QChar(0xD800) + u'x', QByteArray("a?b??x")}};
    const QString ascii = QStringLiteral("AZ az 09 ~-/") + QChar(u'\0');
    for (const auto& [number, way, unicode, encoded] : rows) {
        SCOPED_TRACE(std::to_string(number) + ' ' + unicode.toStdString());
        const auto page = makeCodePage(number);
        ASSERT_TRUE(page);
        if (way != '<') {
            EXPECT_EQ(page->fromUnicode(ascii + unicode), ascii.toLatin1() + encoded);
        }
        if (way != '>') {
            EXPECT_EQ(page->toUnicode(ascii.toLatin1() + encoded), ascii + unicode);
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

TEST(PosixLocaleName, MapsToTheWindowsLocaleIdentifier) {
    const std::pair<const char*, std::uint32_t> rows[] = {
        {" ZH-tw.big5 ", 0x0404},   {"zh", 0x0804},
        {"de_BE.UTF-8", 0x0407},    {"sr_RS@latin", 0x241A},
        {"sr_RS@cyrillic", 0x281A}, {"C", 0x0409}};
    for (const auto& [name, lcid] : rows) {
        EXPECT_EQ(lcidForPosixLocale(QString::fromLatin1(name)), lcid) << '"' << name << '"';
    }
}

// /etc/locale.conf, then /etc/default/locale, then the environment: the first that
// names a locale (LC_ALL before LANG) wins.
TEST(SystemLocaleName, TheFirstFileThatNamesALocaleWins) {
    EXPECT_EQ(systemLocaleSources().files, QStringList({QStringLiteral("/etc/locale.conf"),
                                                        QStringLiteral("/etc/default/locale")}));
    // /etc/locale.conf and /etc/default/locale (null: no such file), LC_ALL and LANG in
    // the environment (null: not set), the name found and its locale identifier.
    using Text = const char*;
    const std::tuple<Text, Text, Text, Text, Text, std::uint32_t> rows[] = {
        // Shell syntax and Windows line ends; a file that names one hides the environment.
        {"# system locale\r\n  export LANG='zh_CN.UTF-8' # set by installer\r\n",
         "LANG=en_GB.UTF-8\n", "de_DE.UTF-8", "de_DE.UTF-8", "zh_CN.UTF-8", 0x0804},
        {"LANG=en_US.UTF-8\nLC_ALL=\"zh_TW.Big5\"\nLANG=de_DE.UTF-8\n", nullptr, nullptr, nullptr,
         "zh_TW.Big5", 0x0404},
        // Commented out, other variables, empty values: the next file.
        {"LANG=\n#LANG=zh_CN.UTF-8\nLC_TIME=de_DE.UTF-8\nLANGUAGE=de\n",
         "LANG=en_AU.UTF-8 #default\n", nullptr, nullptr, "en_AU.UTF-8", 0x0C09},
        {"LANG=\"\"\n", nullptr, "zh_CN.UTF-8", "en_US", "zh_CN.UTF-8", 0x0804},
        {nullptr, nullptr, nullptr, "zh_SG.UTF-8", "zh_SG.UTF-8", 0x1004}};
    for (const auto& [localeConf, defaultLocale, lcAll, lang, found, lcid] : rows) {
        SCOPED_TRACE(found);
        QTemporaryDir dir;
        const QStringList files{dir.filePath(QStringLiteral("locale.conf")),
                                dir.filePath(QStringLiteral("default-locale"))};
        for (int i = 0; i < 2; ++i) {
            if (const char* content = i == 0 ? localeConf : defaultLocale) {
                QFile file(files[i]);
                ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                file.write(content);
            }
        }
        const QMap<QString, QString> environment{
            {QStringLiteral("LC_ALL"), QString::fromLatin1(lcAll)},
            {QStringLiteral("LANG"), QString::fromLatin1(lang)}};
        const LocaleSources sources{
            files, [environment](const QString& name) { return environment.value(name); }};
        EXPECT_EQ(systemLocaleName(sources), QString::fromLatin1(found));
        EXPECT_EQ(PosixSystemLocale(sources).systemDefaultLcid(), lcid);
    }
}

// The code page and the short date follow the locale: day and month with or without a
// leading zero, in the locale's order and with its separators; year first for a locale
// the table of date formats does not hold.
TEST(TextServices, CodePageAndShortDateFollowTheLocale) {
    const std::tuple<std::uint32_t, int, const char*> rows[] = {
        {0x0409, 1252, "3/5/2026"}, {0x0419, 1251, "05.03.2026"}, {0x0439, 1252, "2026/3/5"}};
    for (const auto& [lcid, codePage, fifthOfMarch] : rows) {
        auto locale = std::make_unique<test::FakeLocale>();
        locale->lcid = lcid;
        const TextServices services = makeTextServices(std::move(locale));
        ASSERT_TRUE(services.locale && services.codePage && services.calendar);
        EXPECT_EQ(services.locale->systemDefaultLcid(), lcid);
        EXPECT_EQ(services.codePage->number(), codePage);
        EXPECT_EQ(services.calendar->shortDate(QDate(2026, 3, 5)), QLatin1String(fifthOfMarch));
    }
    EXPECT_EQ(ClockCalendar(0x0409).shortDate(QDate()), QString());
}

} // namespace
} // namespace tavrik::platform
