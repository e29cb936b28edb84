// mysetup.ini as a plain-text initialization file.
#include "platform/IniProfileFile.h"
#include "QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace tavrik::test {
namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

struct ReadCase {
    const char* what;
    std::optional<QByteArray> file; ///< empty: no file
    QString expected;
};

TEST(IniProfileFileRead, FindsTheKeyAsWindowsDoes) {
    const QString none = QStringLiteral("<none>");
    const std::vector<ReadCase> cases{
        {"no file", std::nullopt, none},
        {"plain", QByteArray("[language]\ncomPort=3\n"), "3"},
        {"names in other case, spaces", QByteArray("[ Language ]\n  COMPORT = 7 \n"), "7"},
        {"CRLF", QByteArray("[language]\r\ncomPort=6\r\n"), "6"},
        {"no line break at the end", QByteArray("[language]\ncomPort=8"), "8"},
        {"section without the key", QByteArray("[language]\nfont=1\n"), none},
        {"key in another section", QByteArray("[other]\ncomPort=3\n[language]\n"), none},
        {"key before any section", QByteArray("comPort=3\n[language]\n"), none},
        {"commented out", QByteArray("[language]\n;comPort=3\n"), none},
        {"empty value", QByteArray("[language]\ncomPort=\n"), ""},
        {"quoted value", QByteArray("[language]\ncomPort=\"5\"\n"), "5"},
        {"first key counts", QByteArray("[language]\ncomPort=1\ncomPort=2\n"), "1"},
        {"value with '='", QByteArray("[language]\ncomPort=a=b\n"), "a=b"},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("mysetup.ini"));
        if (c.file) {
            ASSERT_TRUE(writeAll(path, *c.file));
        }
        const platform::IniProfileFile ini(path);
        EXPECT_EQ(ini.read(QStringLiteral("language"), QStringLiteral("comPort"), none),
                  c.expected);
    }
}

struct WriteCase {
    const char* what;
    std::optional<QByteArray> before; ///< empty: no file
    QByteArray after;
};

TEST(IniProfileFileWrite, ChangesOnlyItsOwnLine) {
    const std::vector<WriteCase> cases{
        {"no file", std::nullopt, "[language]\ncomPort=4\n"},
        {"replace", QByteArray("[language]\ncomPort=9\n"), "[language]\ncomPort=4\n"},
        {"replace, CRLF", QByteArray("[language]\r\ncomPort=9\r\n"), "[language]\r\ncomPort=4\r\n"},
        {"names in other case", QByteArray("[LANGUAGE]\nCOMPORT=9\n"), "[LANGUAGE]\ncomPort=4\n"},
        {"spaces", QByteArray("[ language ]\n  comPort = 9  \n"), "[ language ]\ncomPort=4\n"},
        {"key added at the end of its section",
         QByteArray("; note\n[other]\nkey=1\n\n[language]\nfont=big\n\n[more]\nx=y\n"),
         "; note\n[other]\nkey=1\n\n[language]\nfont=big\ncomPort=4\n\n[more]\nx=y\n"},
        {"section added, no line break before", QByteArray("[other]\nkey=1"),
         "[other]\nkey=1\n[language]\ncomPort=4\n"},
        {"section added, CRLF", QByteArray("[other]\r\nkey=1\r\n"),
         "[other]\r\nkey=1\r\n[language]\r\ncomPort=4\r\n"},
        {"key added, no line break at the end", QByteArray("[language]\nfont=big"),
         "[language]\nfont=big\ncomPort=4\n"},
        {"key of another section untouched", QByteArray("[other]\ncomPort=1\n"),
         "[other]\ncomPort=1\n[language]\ncomPort=4\n"},
        {"first section only", QByteArray("[language]\ncomPort=1\n[language]\ncomPort=2\n"),
         "[language]\ncomPort=4\n[language]\ncomPort=2\n"},
        {"commented key kept", QByteArray("[language]\n;comPort=1\n"),
         "[language]\n;comPort=1\ncomPort=4\n"},
        {"same value", QByteArray("[language]\ncomPort=4\n"), "[language]\ncomPort=4\n"},
        {"other bytes kept", QByteArray("[語言]\nname=\xe5\x90\x8d\n[language]\ncomPort=1\n"),
         "[語言]\nname=\xe5\x90\x8d\n[language]\ncomPort=4\n"},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("mysetup.ini"));
        if (c.before) {
            ASSERT_TRUE(writeAll(path, *c.before));
        }
        platform::IniProfileFile ini(path);
        EXPECT_TRUE(
            ini.write(QStringLiteral("language"), QStringLiteral("comPort"), QStringLiteral("4")));
        EXPECT_EQ(readAll(path), c.after);
        EXPECT_EQ(ini.read(QStringLiteral("language"), QStringLiteral("comPort"), {}), "4");
    }
}

TEST(IniProfileFileWrite, FailsWithoutDamage) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Case {
        const char* what;
        QString path;
        QString key;
        QString value;
    };
    const QString good = dir.filePath(QStringLiteral("mysetup.ini"));
    ASSERT_TRUE(writeAll(good, "[language]\ncomPort=3\n"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.ini")));
    const std::vector<Case> cases{
        {"folder missing", dir.filePath(QStringLiteral("gone/mysetup.ini")), "comPort", "4"},
        {"path is a folder", dir.filePath(QStringLiteral("folder.ini")), "comPort", "4"},
        {"line break in value", good, "comPort", "4\n[evil]"},
        {"line break in key", good, "com\rPort", "4"},
        {"'=' in key", good, "com=Port", "4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform::IniProfileFile ini(c.path);
        EXPECT_FALSE(ini.write(QStringLiteral("language"), c.key, c.value));
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("gone/mysetup.ini"))));
    EXPECT_EQ(readAll(good), "[language]\ncomPort=3\n");
}

} // namespace
} // namespace tavrik::test
