// Where mysetup.ini and the alias folders live: beside the program, or in the user's
// configuration folder when the program's folder cannot be written.
#include "platform/SettingsFile.h"
#include "ServiceFakes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include <tuple>
#include <vector>

namespace tavrik::test {
namespace {

const QString kSection = QStringLiteral("language");
const QString kKey = QStringLiteral("comPort");

/// Lays out what a folder holds: nothing (""), a mysetup.ini with this comPort value,
/// "dir" for a folder named mysetup.ini that no store can replace, or "blocked" for a
/// file where the folder would go.
void lay(const QString& folder, const QByteArray& holds) {
    if (holds == "blocked") {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(folder).path()) &&
                    QFile(folder).open(QIODevice::WriteOnly));
    } else if (holds == "dir") {
        ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/mysetup.ini")));
    } else if (!holds.isEmpty()) {
        QFile file(folder + QStringLiteral("/mysetup.ini"));
        ASSERT_TRUE(QDir().mkpath(folder) && file.open(QIODevice::WriteOnly) &&
                    file.write("[language]\ncomPort=" + holds + '\n') > 0);
    }
}

/// The comPort line's value in the folder's mysetup.ini, "dir" or "" as lay() puts it.
QByteArray heldIn(const QString& folder) {
    QFile file(folder + QStringLiteral("/mysetup.ini"));
    if (!file.open(QIODevice::ReadOnly)) {
        return QFileInfo(file).isDir() ? "dir" : "";
    }
    const QByteArray bytes = file.readAll();
    return bytes.mid(bytes.indexOf("comPort=") + 8).trimmed();
}

TEST(SettingsFile, BesideTheProgramElseInTheUsersFolder) {
    // Program folder writable, installed there; what each folder holds before; the value
    // read; what each holds after storing 4, read back at once (a failure when neither
    // holds 4).
    const std::vector<std::tuple<const char*, bool, bool, QByteArray, QByteArray, QString,
                                 QByteArray, QByteArray>>
        cases{
            {"writable: kept beside the program, the user's file not read", true, false, "9", "7",
             "9", "4", "7"},
            {"not writable: the file beside the program gives the starting value", false, false,
             "9", "", "9", "9", "4"},
            {"not writable: the user's file once it exists", false, false, "9", "7", "7", "9", "4"},
            {"a store that fails beside the program goes to the user's folder", true, false, "dir",
             "", "", "dir", "4"},
            {"installed: nothing beside the program is read or written", true, true, "9", "", "",
             "9", "4"},
            {"the store fails in both places", true, false, "dir", "blocked", "", "dir", ""},
        };
    for (const auto& [what, writable, installed, inProgram, inUser, read, programAfter, userAfter] :
         cases) {
        SCOPED_TRACE(what);
        QTemporaryDir dir;
        const QString program = dir.filePath(QStringLiteral("usr/bin"));
        const QString user = dir.filePath(QStringLiteral("home/.config/VEL_TAVRIK_DovI"));
        lay(program, inProgram);
        lay(user, inUser);

        const platform::SettingsFolders folders = platform::settingsFoldersFor(
            program, writable, user, installed ? program : dir.filePath(QStringLiteral("x")));
        const QStringList aliases{user + QStringLiteral("/ports"),
                                  program + QStringLiteral("/ports")};
        EXPECT_EQ(platform::aliasFolders(folders), installed ? aliases.mid(0, 1) : aliases);

        platform::SettingsFile file(folders);
        const bool stored = programAfter == "4" || userAfter == "4";
        EXPECT_EQ(file.read(kSection, kKey, QString()), read);
        EXPECT_EQ(file.write(kSection, kKey, QStringLiteral("4")), stored);
        EXPECT_EQ(heldIn(program), programAfter);
        EXPECT_EQ(heldIn(user), userAfter);
        EXPECT_EQ(file.read(kSection, kKey, QString()), stored ? "4" : read);
        // A failure before there is a handler is said when one is set; and said once,
        // however often the store fails.
        int reported = 0;
        file.setStoreFailedHandler([&reported] { ++reported; });
        EXPECT_EQ(reported, stored ? 0 : 1);
        static_cast<void>(file.write(kSection, kKey, QStringLiteral("5")));
        EXPECT_EQ(reported, stored ? 0 : 1);
    }
}

// A mysetup.ini beside the program that this user may not replace: left read-only by a
// run with sudo, or another user's file in a shared folder (sticky, as /tmp), which the
// user may write but whose store fails at its final rename, leaving the file whole. The
// choice is stored in the user's folder and read from there at the next start. Root may
// replace any file, so the starts run as nobody, in a child.
void startTwiceBesideAFileNotToReplace(bool shared) {
    const auto becomeNobody = [] {
        return ::geteuid() != 0 ||
               (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0);
    };
    bool ok = shared || becomeNobody();
    QTemporaryDir dir;
    const QString program = shared ? dir.path() : dir.filePath(QStringLiteral("stick"));
    QDir().mkpath(program);
    const QString path = program + QStringLiteral("/mysetup.ini");
    QFile ini(path);
    ok = ok && ini.open(QIODevice::WriteOnly) && ini.write("[language]\ncomPort=9\n") > 0 &&
         ini.flush() && ::chmod(QFile::encodeName(path).constData(), shared ? 0666 : 0444) == 0;
    if (shared) {
        ok = ok && ::chmod(QFile::encodeName(program).constData(), 01777) == 0 && becomeNobody();
        platform::IniProfileFile beside(path);
        ok = ok && !beside.write(kSection, kKey, QStringLiteral("4")) &&
             beside.read(kSection, kKey, {}) == QLatin1String("9");
    }
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
    QStringList seen; // the port read at each start, then the file beside the program
    for (const char* choice : {"4", ""}) {
        platform::SettingsFile file(platform::systemSettingsFolders(program));
        seen << file.read(kSection, kKey, QStringLiteral("-"));
        if (*choice != '\0') {
            static_cast<void>(file.write(kSection, kKey, QString::fromLatin1(choice)));
        }
    }
    seen << QString::fromLatin1(heldIn(program));
    std::fprintf(stderr, "%s\n", qPrintable(seen.join(u' ')));
    std::exit(ok && seen.join(u' ') == QLatin1String("9 4 9") ? 0 : 1);
}

TEST(SettingsFile, AFileBesideTheProgramNotToReplaceKeepsTheChoiceAcrossRestarts) {
    EXPECT_EXIT(startTwiceBesideAFileNotToReplace(false), ::testing::ExitedWithCode(0), "");
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can leave a file of another user in a shared folder";
    }
    EXPECT_EXIT(startTwiceBesideAFileNotToReplace(true), ::testing::ExitedWithCode(0), "");
}

TEST(XdgSettingsFolder, ConfigHomeWhenAbsoluteElseHomeDotConfig) {
    const std::vector<std::tuple<const char*, const char*, const char*>> cases{
        {"/cfg/", "/home/u", "/cfg/VEL_TAVRIK_DovI"},
        {"relative", "/home/u", "/home/u/.config/VEL_TAVRIK_DovI"},
        {"", "", ""},
    };
    for (const auto& [configHome, home, folder] : cases) {
        SCOPED_TRACE(configHome);
        EXPECT_EQ(
            platform::xdgSettingsFolder(QString::fromUtf8(configHome), QString::fromUtf8(home)),
            QString::fromUtf8(folder));
    }
}

} // namespace
} // namespace tavrik::test
