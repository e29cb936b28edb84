#include "platform/SystemLocale.h"

#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tavrik::platform {
namespace {

TEST(PosixLocaleName, MapsToTheWindowsLocaleIdentifier) {
    struct Row {
        const char* name;
        std::uint32_t lcid;
    };
    const Row rows[] = {
        {"zh_CN.UTF-8", 0x0804},
        {"zh_CN.GB18030", 0x0804},
        {"zh_CN", 0x0804},
        {"zh_TW.Big5", 0x0404},
        {"zh_TW.UTF-8", 0x0404},
        {"zh_HK.UTF-8", 0x0C04},
        {"zh_SG.GBK", 0x1004},
        {"zh", 0x0804},
        {"en_US.UTF-8", 0x0409},
        {"en_US", 0x0409},
        {"en_GB.UTF-8", 0x0809},
        {"en_AU.UTF-8", 0x0C09},
        {"en", 0x0409},
        {"en_ZZ.UTF-8", 0x0409},
        {"de_DE.UTF-8", 0x0407},
        {"de_DE@euro", 0x0407},
        {"de_AT.UTF-8", 0x0C07},
        {"de_BE.UTF-8", 0x0407},
        {"fr_CA.UTF-8", 0x0C0C},
        {"ja_JP.eucJP", 0x0411},
        {"ko_KR.UTF-8", 0x0412},
        {"ru_RU.KOI8-R", 0x0419},
        {"sr_RS@latin", 0x241A},
        {"sr_RS.UTF-8", 0x281A},
        {"zh-CN", 0x0804},
        {"ZH_cn.utf8", 0x0804},
        {"  zh_CN.UTF-8 ", 0x0804},
        {"C", 0x0409},
        {"C.UTF-8", 0x0409},
        {"POSIX", 0x0409},
        {"", 0x0409},
        {"xx_YY", 0x0409},
        {"_CN", 0x0409},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(lcidForPosixLocale(QString::fromLatin1(row.name)), row.lcid);
    }
}

// The system's locale files in a temporary folder, and an environment of its own.
class SystemLocaleFiles : public ::testing::Test {
protected:
    void write(const QString& file, const QByteArray& content) {
        QFile out(m_dir.filePath(file));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(content);
    }

    [[nodiscard]] LocaleSources sources() const {
        const QMap<QString, QString> environment = m_environment;
        return {{m_dir.filePath(QStringLiteral("locale.conf")),
                 m_dir.filePath(QStringLiteral("default-locale"))},
                [environment](const QString& name) { return environment.value(name); }};
    }

    QTemporaryDir m_dir;
    QMap<QString, QString> m_environment;
};

TEST_F(SystemLocaleFiles, TheFirstFileThatNamesALocaleWins) {
    struct Row {
        const char* name;
        QByteArray localeConf;    // empty: no such file
        QByteArray defaultLocale; // empty: no such file
        QString lcAll;            // environment
        QString lang;             // environment
        QString found;
        std::uint32_t lcid;
    };
    const Row rows[] = {
        {"locale.conf",
         "LANG=zh_CN.UTF-8\n",
         "LANG=en_GB.UTF-8\n",
         {},
         {},
         QStringLiteral("zh_CN.UTF-8"),
         0x0804},
        {"default/locale only",
         {},
         "LANG=\"en_GB.UTF-8\"\n",
         {},
         {},
         QStringLiteral("en_GB.UTF-8"),
         0x0809},
        {"LC_ALL over LANG",
         "LANG=en_US.UTF-8\nLC_ALL=zh_TW.Big5\n",
         {},
         {},
         {},
         QStringLiteral("zh_TW.Big5"),
         0x0404},
        {"LC_ALL before LANG in the file",
         "LC_ALL=zh_HK.UTF-8\nLANG=en_US.UTF-8\n",
         {},
         {},
         {},
         QStringLiteral("zh_HK.UTF-8"),
         0x0C04},
        {"other variables only: next file",
         "LC_TIME=de_DE.UTF-8\nLANGUAGE=de\n",
         "LANG=de_DE.UTF-8\n",
         {},
         {},
         QStringLiteral("de_DE.UTF-8"),
         0x0407},
        {"shell syntax",
         "# system locale\n  export LANG='zh_CN.UTF-8' # set by installer\n",
         {},
         {},
         {},
         QStringLiteral("zh_CN.UTF-8"),
         0x0804},
        {"commented out",
         "#LANG=zh_CN.UTF-8\n",
         "LANG=en_AU.UTF-8 #default\n",
         {},
         {},
         QStringLiteral("en_AU.UTF-8"),
         0x0C09},
        {"empty value",
         "LANG=\n",
         "LANG=\"\"\n",
         {},
         QStringLiteral("de_DE.UTF-8"),
         QStringLiteral("de_DE.UTF-8"),
         0x0407},
        {"a file names one: environment ignored",
         "LANG=en_US.UTF-8\n",
         {},
         QStringLiteral("zh_CN.UTF-8"),
         QStringLiteral("zh_CN.UTF-8"),
         QStringLiteral("en_US.UTF-8"),
         0x0409},
        {"no file: LC_ALL",
         {},
         {},
         QStringLiteral("zh_CN.UTF-8"),
         QStringLiteral("en_US"),
         QStringLiteral("zh_CN.UTF-8"),
         0x0804},
        {"no file: LANG",
         {},
         {},
         {},
         QStringLiteral("zh_SG.UTF-8"),
         QStringLiteral("zh_SG.UTF-8"),
         0x1004},
        {"nothing anywhere", {}, {}, {}, {}, QString(), 0x0409},
        {"windows line ends",
         "LANG=zh_CN.UTF-8\r\n",
         {},
         {},
         {},
         QStringLiteral("zh_CN.UTF-8"),
         0x0804},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QFile::remove(m_dir.filePath(QStringLiteral("locale.conf")));
        QFile::remove(m_dir.filePath(QStringLiteral("default-locale")));
        if (!row.localeConf.isEmpty()) {
            write(QStringLiteral("locale.conf"), row.localeConf);
        }
        if (!row.defaultLocale.isEmpty()) {
            write(QStringLiteral("default-locale"), row.defaultLocale);
        }
        m_environment.clear();
        if (!row.lcAll.isEmpty()) {
            m_environment.insert(QStringLiteral("LC_ALL"), row.lcAll);
        }
        if (!row.lang.isEmpty()) {
            m_environment.insert(QStringLiteral("LANG"), row.lang);
        }
        EXPECT_EQ(systemLocaleName(sources()), row.found);
        EXPECT_EQ(PosixSystemLocale(sources()).systemDefaultLcid(), row.lcid);
    }
}

} // namespace
} // namespace tavrik::platform
