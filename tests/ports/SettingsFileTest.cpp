// Where mysetup.ini and the alias folders live: beside the program, or in the user's
// configuration folder when the program's folder cannot be written.
#include "platform/SettingsFile.h"
#include "ServiceFakes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <tuple>
#include <vector>

namespace tavrik::test {
namespace {

const QString kSection = QStringLiteral("language");
const QString kKey = QStringLiteral("comPort");

/// What a folder holds: no mysetup.ini (empty), a file with this comPort value, or
/// "dir" for a folder named mysetup.ini that no store can replace.
using Holds = std::optional<QByteArray>;

void lay(const QString& folder, const Holds& holds) {
    ASSERT_TRUE(QDir().mkpath(folder));
    if (!holds) {
        return;
    }
    if (*holds == "dir") {
        ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("mysetup.ini")));
        return;
    }
    QFile file(folder + QStringLiteral("/mysetup.ini"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_GT(file.write("[language]\ncomPort=" + *holds + '\n'), 0);
}

/// The comPort line's value in the folder's mysetup.ini; empty when there is no file.
Holds heldIn(const QString& folder) {
    QFile file(folder + QStringLiteral("/mysetup.ini"));
    if (!file.open(QIODevice::ReadOnly)) {
        return QFileInfo(file).isDir() ? Holds("dir") : std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    return bytes.mid(bytes.indexOf("comPort=") + 8).trimmed();
}

TEST(SettingsFile, BesideTheProgramElseInTheUsersFolder) {
    const Holds none;
    // Program folder writable, installed there; what each folder holds before ("blocked":
    // the user's folder cannot be made); the value read; what each holds after storing 4,
    // read back at once; the failures reported.
    struct Case {
        const char* what;
        bool writable;
        bool installed;
        Holds program;
        Holds user;
        QString read;
        Holds programAfter;
        Holds userAfter;
        int reported;
    };
    const std::vector<Case> cases{
        {"writable: kept beside the program", true, false, "9", none, "9", "4", none, 0},
        {"writable: the user's file is not read", true, false, "9", "7", "9", "4", "7", 0},
        {"not writable: the file beside the program gives the starting value", false, false, "9",
         none, "9", "9", "4", 0},
        {"not writable: the user's file once it exists", false, false, "9", "7", "7", "9", "4", 0},
        {"a store that fails beside the program goes to the user's folder", true, false, "dir",
         none, "", "dir", "4", 0},
        {"installed: nothing beside the program is read or written", true, true, "9", none, "", "9",
         "4", 0},
        {"the store fails in both places", true, false, "dir", "blocked", "", "dir", none, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString program = dir.filePath(QStringLiteral("usr/bin"));
        const QString config = dir.filePath(QStringLiteral("home/.config"));
        const QString user = config + QStringLiteral("/VEL_TAVRIK_DovI");
        lay(program, c.program);
        if (c.user == "blocked") {
            QFile blocker(config); // a file where the user's folder would go
            ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("home"))) &&
                        blocker.open(QIODevice::WriteOnly));
        } else if (c.user) {
            lay(user, c.user);
        }

        const platform::SettingsFolders folders = platform::settingsFoldersFor(
            program, c.writable, user, c.installed ? program : dir.filePath(QStringLiteral("x")));
        const QStringList aliases{user + QStringLiteral("/ports"),
                                  program + QStringLiteral("/ports")};
        EXPECT_EQ(platform::aliasFolders(folders), c.installed ? aliases.mid(0, 1) : aliases);

        platform::SettingsFile file(folders);
        int reported = 0;
        file.setStoreFailedHandler([&reported] { ++reported; });
        EXPECT_EQ(file.read(kSection, kKey, QString()), c.read);
        EXPECT_EQ(file.write(kSection, kKey, QStringLiteral("4")), c.reported == 0);
        EXPECT_EQ(heldIn(program), c.programAfter);
        EXPECT_EQ(heldIn(user), c.userAfter);
        EXPECT_EQ(file.read(kSection, kKey, QString()), c.reported == 0 ? "4" : c.read);
        // Said once, however often it fails.
        static_cast<void>(file.write(kSection, kKey, QStringLiteral("5")));
        EXPECT_EQ(reported, c.reported);
    }
}

TEST(SettingsFile, FailureBeforeAHandlerIsSaidWhenOneIsSet) {
    QTemporaryDir dir;
    lay(dir.path(), Holds("dir"));
    platform::SettingsFile file(platform::settingsFoldersFor(dir.path(), true, {}, {}));
    EXPECT_FALSE(file.write(kSection, kKey, QStringLiteral("4")));
    int reported = 0;
    file.setStoreFailedHandler([&reported] { ++reported; });
    EXPECT_FALSE(file.write(kSection, kKey, QStringLiteral("4")));
    EXPECT_EQ(reported, 1);

    const QString path = QDir::toNativeSeparators(dir.path());
    EXPECT_EQ(platform::storeFailedMessage(false, file.folders()),
              "The chosen port cannot be saved: mysetup.ini cannot be written in any of these "
              "folders:\n" +
                  path + "\nThe port stays chosen until the program closes.");
    EXPECT_EQ(platform::storeFailedMessage(true, file.folders()),
              "无法保存所选端口：以下文件夹都无法写入 mysetup.ini：\n" + path +
                  "\n在程序关闭之前仍使用所选端口。");
}

TEST(XdgSettingsFolder, ConfigHomeWhenAbsoluteElseHomeDotConfig) {
    const std::vector<std::tuple<const char*, const char*, const char*>> cases{
        {"/cfg/", "/home/u", "/cfg/VEL_TAVRIK_DovI"},
        {"relative", "/home/u", "/home/u/.config/VEL_TAVRIK_DovI"},
        {"", "/home/u", "/home/u/.config/VEL_TAVRIK_DovI"},
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
