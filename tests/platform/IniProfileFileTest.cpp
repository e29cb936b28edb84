// mysetup.ini as a plain-text initialization file (start-up's use of it: ModSetCommTest).
#include "platform/IniProfileFile.h"
#include "ServiceFakes.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

#include <tuple>
#include <vector>

namespace tavrik::test {
namespace {

const QString kSection = QStringLiteral("language");
const QString kKey = QStringLiteral("comPort");

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

TEST(IniProfileFile, ReadsTheKeyAndWritesOnlyItsOwnLine) {
    // The file, the value read from it, the file after writing "4".
    const std::vector<std::tuple<const char*, QByteArray, QString, QByteArray>> cases{
        {"names in other case, spaces, quotes", "[ Language ]\n  COMPORT = \"5\" \n", "5",
         "[ Language ]\ncomPort=4\n"},
        {"other sections, comments: key added at the end of its section",
         "; note\n[other]\ncomPort=1\n\n[language]\nfont=big\n;comPort=2\n\n[more]\nx=y\n", "-",
         "; "
         "note\n[other]\ncomPort=1\n\n[language]\nfont=big\n;comPort=2\ncomPort=4\n\n[more]\nx="
         "y\n"},
        {"first key of the first section, value with '='",
         "comPort=3\n[language]\ncomPort=a=b\ncomPort=2\n[language]\ncomPort=1", "a=b",
         "comPort=3\n[language]\ncomPort=4\ncomPort=2\n[language]\ncomPort=1"},
        {"section added, CRLF, no line break at the end", "[other]\r\nkey=1", "-",
         "[other]\r\nkey=1\r\n[language]\r\ncomPort=4\r\n"},
        {"key added, no line break at the end, other bytes kept",
         "[語言]\nname=\xe5\x90\x8d\n[language]\nfont=big", "-",
         "[語言]\nname=\xe5\x90\x8d\n[language]\nfont=big\ncomPort=4\n"},
        {"a lone CR ends a line, also the last", "[other]\rcomPort=1\r[language]\rcomPort=2\r[x]\r",
         "2", "[other]\rcomPort=1\r[language]\rcomPort=4\r[x]\r"},
    };
    for (const auto& [what, before, read, after] : cases) {
        SCOPED_TRACE(what);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("mysetup.ini"));
        ASSERT_TRUE(writeAll(path, before));
        platform::IniProfileFile ini(path);
        EXPECT_EQ(ini.read(kSection, kKey, QStringLiteral("-")), read);
        EXPECT_TRUE(ini.write(kSection, kKey, QStringLiteral("4")));
        EXPECT_EQ(readAll(path), after);
        EXPECT_EQ(ini.read(kSection, kKey, {}), "4");
        // A hand edit between two stores is kept, and the second store changes its line only.
        ASSERT_TRUE(writeAll(path, after + "; kept"));
        EXPECT_TRUE(ini.write(kSection, kKey, QStringLiteral("7")));
        EXPECT_EQ(readAll(path), QByteArray(after + "; kept").replace("comPort=4", "comPort=7"));
    }
}

TEST(IniProfileFile, OnlyARegularFileOfAtMostOneMebibyteIsUsed) {
    QTemporaryDir dir;
    const auto path = [&dir](const char* name) { return dir.filePath(QLatin1String(name)); };
    const QByteArray held = "[language]\ncomPort=3\n";
    const QByteArray mebibyte = held + QByteArray(1024 * 1024 - held.size(), ';');
    ASSERT_TRUE(writeAll(path("full.ini"), mebibyte));
    ASSERT_TRUE(writeAll(path("big.ini"), mebibyte + ';'));
    // None may block or be read to its end: a FIFO waits for a writer, /dev/zero never ends.
    std::vector<std::pair<const char*, QString>> unusable{
        {"larger than 1 MiB", path("big.ini")}, {"in a missing folder", path("gone/mysetup.ini")}};
#ifndef Q_OS_WIN
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.ini")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path("zero.ini")));
    ASSERT_TRUE(QFile::link(path("elsewhere.ini"), path("dangling.ini")));
    unusable.insert(unusable.end(), {{"a FIFO", path("fifo.ini")},
                                     {"a link to /dev/zero", path("zero.ini")},
                                     {"a link to nothing", path("dangling.ini")}});
#endif
    for (const auto& [what, file] : unusable) {
        SCOPED_TRACE(what);
        const QFileInfo before(file);
        platform::IniProfileFile ini(file);
        EXPECT_EQ(ini.read(kSection, kKey, QStringLiteral("-")), "-");
        EXPECT_FALSE(ini.write(kSection, kKey, QStringLiteral("4")));
        EXPECT_EQ(QFileInfo(file).size(), before.size());
        EXPECT_EQ(QFileInfo(file).symLinkTarget(), before.symLinkTarget());
    }
    EXPECT_EQ(readAll(path("big.ini")), mebibyte + ';');
    EXPECT_FALSE(QFile::exists(path("elsewhere.ini")) || QFile::exists(path("gone")));

    // At the limit the file is used; a name or value that would add lines of its own is not.
    platform::IniProfileFile full(path("full.ini"));
    EXPECT_EQ(full.read(kSection, kKey, {}), "3");
    EXPECT_TRUE(full.write(kSection, kKey, QStringLiteral("4")));
    EXPECT_FALSE(full.write(kSection, kKey, QStringLiteral("5\n[evil]")));
    EXPECT_FALSE(full.write(kSection, QStringLiteral("com=Port"), QStringLiteral("5")));
    EXPECT_EQ(readAll(path("full.ini")), QByteArray(mebibyte).replace("comPort=3", "comPort=4"));
}

} // namespace
} // namespace tavrik::test
