#include "platform/SystemLocale.h"

#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tavrik::platform {
namespace {

TEST(PosixLocaleName, MapsToTheWindowsLocaleIdentifier) {
    const std::pair<const char*, std::uint32_t> rows[] = {
        {"zh_CN.UTF-8", 0x0804}, {" ZH-tw.big5 ", 0x0404},
        {"zh", 0x0804},          {"de_BE.UTF-8", 0x0407},
        {"de_AT@euro", 0x0C07},  {"sr_RS@latin", 0x241A},
        {"sr_RS.UTF-8", 0x281A}, {"C", 0x0409}};
    for (const auto& [name, lcid] : rows) {
        EXPECT_EQ(lcidForPosixLocale(QString::fromLatin1(name)), lcid) << '"' << name << '"';
    }
}

// /etc/locale.conf, then /etc/default/locale, then the environment: the first that
// names a locale (LC_ALL before LANG) wins.
TEST(SystemLocaleName, TheFirstFileThatNamesALocaleWins) {
    EXPECT_EQ(systemLocaleSources().files, QStringList({QStringLiteral("/etc/locale.conf"),
                                                        QStringLiteral("/etc/default/locale")}));
    struct Row {
        const char* localeConf;    // null: no such file
        const char* defaultLocale; // null: no such file
        const char* lcAll;         // environment, null: not set
        const char* lang;
        const char* found;
        std::uint32_t lcid;
    };
    const Row rows[] = {
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
    for (const Row& row : rows) {
        SCOPED_TRACE(row.found);
        QTemporaryDir dir;
        const QStringList files{dir.filePath(QStringLiteral("locale.conf")),
                                dir.filePath(QStringLiteral("default-locale"))};
        for (int i = 0; i < 2; ++i) {
            if (const char* content = i == 0 ? row.localeConf : row.defaultLocale) {
                QFile file(files[i]);
                ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                file.write(content);
            }
        }
        const QMap<QString, QString> environment{
            {QStringLiteral("LC_ALL"), QString::fromLatin1(row.lcAll)},
            {QStringLiteral("LANG"), QString::fromLatin1(row.lang)}};
        const LocaleSources sources{
            files, [environment](const QString& name) { return environment.value(name); }};
        EXPECT_EQ(systemLocaleName(sources), QString::fromLatin1(row.found));
        EXPECT_EQ(PosixSystemLocale(sources).systemDefaultLcid(), row.lcid);
    }
}

} // namespace
} // namespace tavrik::platform
