#include "platform/SystemLocale.h"

#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tavrik::platform {
namespace {

TEST(PosixLocaleName, MapsToTheWindowsLocaleIdentifier) {
    using Row = std::pair<const char*, std::uint32_t>;
    const Row rows[] = {{"zh_CN.UTF-8", 0x0804},  {"zh_CN.GB18030", 0x0804},
                        {"zh_CN", 0x0804},        {"zh", 0x0804},
                        {"zh-CN", 0x0804},        {"ZH_cn.utf8", 0x0804},
                        {" zh_CN.GBK ", 0x0804},  {"zh_TW.Big5", 0x0404},
                        {"zh_TW.UTF-8", 0x0404},  {"zh_HK.UTF-8", 0x0C04},
                        {"zh_SG.GBK", 0x1004},    {"en_US.UTF-8", 0x0409},
                        {"en_GB.UTF-8", 0x0809},  {"en_AU.UTF-8", 0x0C09},
                        {"en", 0x0409},           {"en_ZZ.UTF-8", 0x0409},
                        {"de_DE@euro", 0x0407},   {"de_AT.UTF-8", 0x0C07},
                        {"de_BE.UTF-8", 0x0407},  {"fr_CA.UTF-8", 0x0C0C},
                        {"ja_JP.eucJP", 0x0411},  {"ko_KR.UTF-8", 0x0412},
                        {"ru_RU.KOI8-R", 0x0419}, {"sr_RS@latin", 0x241A},
                        {"sr_RS.UTF-8", 0x281A},  {"C", 0x0409},
                        {"POSIX", 0x0409},        {"", 0x0409},
                        {"xx_YY", 0x0409},        {"_CN", 0x0409}};
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
        const char* name;
        const char* localeConf;    // null: no such file
        const char* defaultLocale; // null: no such file
        const char* lcAll;         // environment, null: not set
        const char* lang;
        const char* found;
        std::uint32_t lcid;
    };
    const Row rows[] = {
        {"locale.conf first", "LANG=zh_CN.UTF-8\n", "LANG=en_GB.UTF-8\n", nullptr, nullptr,
         "zh_CN.UTF-8", 0x0804},
        {"default/locale only", nullptr, "LANG=\"en_GB.UTF-8\"\n", nullptr, nullptr, "en_GB.UTF-8",
         0x0809},
        {"LC_ALL over LANG", "LANG=en_US.UTF-8\nLC_ALL=zh_TW.Big5\n", nullptr, nullptr, nullptr,
         "zh_TW.Big5", 0x0404},
        {"LC_ALL before LANG", "LC_ALL=zh_HK.UTF-8\nLANG=en_US.UTF-8\n", nullptr, nullptr, nullptr,
         "zh_HK.UTF-8", 0x0C04},
        {"other variables only: next file", "LC_TIME=de_DE.UTF-8\nLANGUAGE=de\n",
         "LANG=de_DE.UTF-8\n", nullptr, nullptr, "de_DE.UTF-8", 0x0407},
        {"shell syntax, Windows line ends",
         "# system locale\r\n  export LANG='zh_CN.UTF-8' # set by installer\r\n", nullptr, nullptr,
         nullptr, "zh_CN.UTF-8", 0x0804},
        {"commented out", "#LANG=zh_CN.UTF-8\n", "LANG=en_AU.UTF-8 #default\n", nullptr, nullptr,
         "en_AU.UTF-8", 0x0C09},
        {"empty values", "LANG=\n", "LANG=\"\"\n", nullptr, "de_DE.UTF-8", "de_DE.UTF-8", 0x0407},
        {"a file names one: environment ignored", "LANG=en_US.UTF-8\n", nullptr, "zh_CN.UTF-8",
         "zh_CN.UTF-8", "en_US.UTF-8", 0x0409},
        {"no file: LC_ALL", nullptr, nullptr, "zh_CN.UTF-8", "en_US", "zh_CN.UTF-8", 0x0804},
        {"no file: LANG", nullptr, nullptr, nullptr, "zh_SG.UTF-8", "zh_SG.UTF-8", 0x1004},
        {"nothing anywhere", nullptr, nullptr, nullptr, nullptr, "", 0x0409}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
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
        QMap<QString, QString> environment;
        if (row.lcAll) {
            environment.insert(QStringLiteral("LC_ALL"), QString::fromLatin1(row.lcAll));
        }
        if (row.lang) {
            environment.insert(QStringLiteral("LANG"), QString::fromLatin1(row.lang));
        }
        const LocaleSources sources{
            files, [environment](const QString& name) { return environment.value(name); }};
        EXPECT_EQ(systemLocaleName(sources), QString::fromLatin1(row.found));
        EXPECT_EQ(PosixSystemLocale(sources).systemDefaultLcid(), row.lcid);
    }
}

} // namespace
} // namespace tavrik::platform
