// The port list and the remembered port, on an in-memory list, map and settings file.
#include "ports/ModSetComm.h"
#include "FakeListControl.h"
#include "PortsFakes.h"
#include "QtPrinters.h"
#include "platform/IniProfileFile.h"
#include "platform/SystemOsVersion.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace tavrik::test {
namespace {

const QString kIniKey = QStringLiteral("language/comPort");
using Names = QStringList;

struct Rig {
    FakeOsVersion os;
    FakeSerialPortMap map;
    MemoryProfileFile ini;
    RecordingMessageBoxes messages;
    FakeListControl combo2;
    ModSetComm ports{os, map, ini, messages, combo2};

    explicit Rig(Names names = {}, std::optional<QString> stored = std::nullopt) {
        map.names = std::move(names);
        os.version = platform::OsVersionInfo{platform::kPlatformNotWindows, 0, 0};
        if (stored) {
            ini.values.insert(kIniKey, *stored);
        }
    }
};

TEST(PickListEntry, ExactEntryElseFirstElseEmpty) {
    const std::vector<std::tuple<Names, QString, QString>> cases{
        {{}, "COM3", ""},
        {{"COM3", "COM1"}, "COM1", "COM1"},
        {{"COM3", "COM1"}, "COM9", "COM3"},
        {{"COM10", "COM1"}, "COM1", "COM1"},
        {{"COM3", "com7"}, "COM7", "COM3"},
    };
    for (const auto& [entries, wanted, expected] : cases) {
        SCOPED_TRACE(entries.join(u',').toStdString() + " / " + wanted.toStdString());
        FakeListControl list;
        for (const QString& e : entries) {
            list.addEntry(e);
        }
        EXPECT_EQ(PickListEntry(list, wanted), expected);
    }
}

struct RefreshCase {
    const char* what;
    Names mapNames;
    Names entries;
    int first;
};

TEST(RefreshPortList, EntriesInMapOrderAndFirstNumber) {
    const QString withNul = QStringLiteral("COM3") + QChar(u'\0') + QStringLiteral("99");
    const std::vector<RefreshCase> cases{
        {"map order, not sorted", {"COM3", "COM1"}, {"COM3", "COM1"}, 3},
        {"cut to three digits", {"COM1234", "COM12"}, {"COM123", "COM12"}, 123},
        {"spaces, first three characters ignored", {"XYZ 4 "}, {"COM4"}, 4},
        {"names that are no port are listed, not first",
         {"COMx", "COM0", "COM007", "COM-5", "CO", "COM5"},
         {"COMx", "COM0", "COM007", "COM-5", "COM", "COM5"},
         5},
        {"name ends at NUL", {withNul}, {"COM3"}, 3},
        {"empty map", {}, {}, 0},
    };
    for (const RefreshCase& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig(c.mapNames);
        rig.combo2.addEntry(QStringLiteral("stale"));
        EXPECT_EQ(rig.ports.RefreshPortList(), c.first);
        EXPECT_EQ(rig.combo2.texts(), c.entries);
        if (!c.entries.isEmpty()) {
            EXPECT_EQ(rig.combo2.detail(0), "dev:" + c.mapNames[0]); // the tooltip
        }
    }
    Rig closed({"COM3"});
    closed.map.unavailable = true;
    EXPECT_EQ(closed.ports.RefreshPortList(), 0);
    EXPECT_EQ(closed.combo2.count(), 0);
}

TEST(InComPorts, ExactEntryOnlyAndNeverBelowOne) {
    Rig rig({"COM3", "COM12", "COM0"});
    static_cast<void>(rig.ports.RefreshPortList());
    for (const auto& [number, expected] : std::vector<std::pair<int, bool>>{
             {3, true}, {12, true}, {1, false}, {123, false}, {0, false}, {-3, false}}) {
        SCOPED_TRACE(number);
        EXPECT_EQ(rig.ports.InComPorts(number), expected);
    }
}

struct TickStep {
    const char* what;
    std::optional<Names> map; ///< empty: the map cannot be opened
    QString userPick;         ///< picked by the user after the tick, if any
    QString selected;
    int comPort;
};

TEST(ReShowComPortTimer, SelectionFollowsPortsAcrossRefreshes) {
    Rig rig({"COM3", "COM5"});
    rig.ports.StartUp();
    const std::vector<TickStep> steps{
        {"user picks COM5", Names{"COM3", "COM5"}, "COM5", "COM5", 5},
        {"order changes: same port kept", Names{"COM5", "COM3"}, "", "COM5", 5},
        {"chosen port vanishes: first listed", Names{"COM3"}, "", "COM3", 3},
        {"it returns: not reselected", Names{"COM3", "COM5"}, "", "COM3", 3},
        {"all ports vanish", Names{}, "", "", 0},
        {"ports return: first listed", Names{"COM7", "COM3"}, "", "COM7", 7},
        {"first entry names no port", Names{"COMx", "COM9"}, "", "COM9", 9},
        {"only a name that is no port", Names{"COMx"}, "", "", 0},
        {"map cannot be opened", std::nullopt, "", "", 0},
        {"map back", Names{"COM9", "COM4"}, "", "COM9", 9},
    };
    for (const TickStep& step : steps) {
        SCOPED_TRACE(step.what);
        rig.map.unavailable = !step.map;
        rig.map.names = step.map.value_or(Names{"COM1"});
        rig.ports.ReShowComPortTimer_Timer();
        if (!step.userPick.isEmpty()) {
            ASSERT_TRUE(rig.combo2.select(step.userPick));
            rig.ports.Combo2_Click();
        }
        EXPECT_EQ(rig.combo2.texts(), step.map.value_or(Names{}));
        EXPECT_EQ(rig.combo2.currentText(), step.selected);
        EXPECT_EQ(rig.combo2.currentIndex() < 0, step.selected.isEmpty());
        EXPECT_EQ(rig.ports.ComPort(), step.comPort);
    }
    // The tick selects but never stores; only start-up and the user's pick did.
    EXPECT_EQ(rig.ini.writes, Names({"3", "5"}));
}

TEST(ReShowComPortTimer, UnchangedPortsLeaveTheListAlone) {
    Rig rig({"COM3", "COM5"});
    rig.ports.StartUp();
    ASSERT_TRUE(rig.combo2.select(QStringLiteral("COM5")));
    rig.ports.Combo2_Click();
    const int changes = rig.combo2.entryChanges;
    const int selections = rig.combo2.selectionChanges;
    rig.ports.ReShowComPortTimer_Timer();
    rig.ports.ReShowComPortTimer_Timer();
    // An open drop-down closes when refilled: same ports, same list, same selection.
    EXPECT_EQ(rig.combo2.entryChanges, changes);
    EXPECT_EQ(rig.combo2.selectionChanges, selections);

    // A name that now stands for another device is refilled: the tooltip follows.
    rig.map.devicePrefix = QStringLiteral("usb:");
    rig.ports.ReShowComPortTimer_Timer();
    EXPECT_EQ(rig.combo2.detail(1), "usb:COM5");
    EXPECT_EQ(rig.combo2.currentText(), "COM5");
}

TEST(Combo2Click, TakesAndStoresOnlyAPortNumber) {
    const std::vector<std::tuple<QString, int, Names>> cases{
        {"COM12", 12, {"12"}}, {"COM123", 123, {"123"}}, {"COMx", 3, {}},
        {"COM05", 3, {}},      {"COM", 3, {}},           {"", 3, {}}, // "": nothing selected
    };
    for (const auto& [pick, comPort, writes] : cases) {
        SCOPED_TRACE(pick.toStdString());
        Rig rig({"COM3", "COM12", "COM1234", "COMx", "COM05", "COM"});
        rig.ports.StartUp();
        rig.ini.writes.clear();
        if (pick.isEmpty()) {
            rig.combo2.setCurrentIndex(-1);
        } else {
            ASSERT_TRUE(rig.combo2.select(pick));
        }
        rig.ports.Combo2_Click();
        EXPECT_EQ(rig.ports.ComPort(), comPort);
        EXPECT_EQ(rig.ini.writes, writes);
    }
}

struct StartUpCase {
    const char* what;
    std::optional<QString> stored; ///< empty: no key
    Names mapNames;
    QString selected;
    int comPort;
    std::optional<QString> storedAfter;
};

TEST(StartUp, RemembersTestsAndStoresThePort) {
    const Names both{"COM3", "COM9"};
    const std::vector<StartUpCase> cases{
        {"no file, COM4 and COM7", std::nullopt, {"COM4", "COM7"}, "COM4", 4, "4"},
        {"no file, no ports", std::nullopt, {}, "", 0, std::nullopt},
        {"stored port listed", "9", both, "COM9", 9, "9"},
        {"stale number", "9", {"COM3"}, "COM3", 3, "3"},
        {"stored, no ports", "9", {}, "", 0, "9"},
        {"spaces", " 9 ", both, "COM9", 9, "9"},
        {"empty value", "", both, "COM3", 3, "3"},
        {"garbled", "COM9", both, "COM3", 3, "3"},
        {"hexadecimal", "0x9", both, "COM3", 3, "3"},
        {"beyond 16 bits", "65545", both, "COM3", 3, "3"},
        {"negative", "-9", both, "COM3", 3, "3"},
        {"only a name that is no port", "3", {"COMx"}, "", 0, "3"},
    };
    for (const StartUpCase& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig(c.mapNames, c.stored);
        rig.ports.CheckOsVersion();
        rig.ports.StartUp();
        EXPECT_EQ(rig.combo2.currentText(), c.selected);
        EXPECT_EQ(rig.combo2.currentIndex() < 0, c.selected.isEmpty());
        EXPECT_EQ(rig.ports.ComPort(), c.comPort);
        EXPECT_EQ(rig.ini.values.contains(kIniKey) ? std::optional(rig.ini.values[kIniKey])
                                                   : std::nullopt,
                  c.storedAfter);
    }
}

struct FileCase {
    const char* what;
    std::optional<QByteArray> before; ///< empty: no file
    Names mapNames;
    std::optional<QByteArray> after;
};

TEST(StartUp, MysetupIniOnDisk) {
    const std::vector<FileCase> cases{
        {"first start", std::nullopt, {"COM4", "COM7"}, "[language]\ncomPort=4\n"},
        {"no ports: no file", std::nullopt, {}, std::nullopt},
        {"hand-edited file keeps the rest",
         "; counter 2\r\n[Window]\r\nleft=10\r\n\r\n[LANGUAGE]\r\nnote=keep\r\nCOMPORT = 9\r\n"
         "\r\n[tail]\r\nx=y",
         {"COM3"},
         "; counter 2\r\n[Window]\r\nleft=10\r\n\r\n[LANGUAGE]\r\nnote=keep\r\ncomPort=3\r\n"
         "\r\n[tail]\r\nx=y"},
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString path = platform::settingsFilePath(dir.path());
        ASSERT_EQ(path, dir.filePath(QStringLiteral("mysetup.ini")));
        QFile file(path);
        if (c.before) {
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(*c.before);
            file.close();
        }
        Rig rig(c.mapNames);
        platform::IniProfileFile ini(path);
        ModSetComm ports(rig.os, rig.map, ini, rig.messages, rig.combo2);
        ports.StartUp();
        ASSERT_EQ(file.exists(), c.after.has_value());
        if (c.after) {
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.readAll(), *c.after);
        }
    }
}

struct OsCase {
    const char* what;
    std::optional<platform::OsVersionInfo> version;
    bool fixed;
};

TEST(CheckOsVersion, FixedListOnNt60OnlyMessageWhenUnreadable) {
    const std::vector<OsCase> cases{
        {"unreadable", std::nullopt, false},
        {"NT 6.0", platform::OsVersionInfo{2, 6, 0}, true},
        {"NT 6.1", platform::OsVersionInfo{2, 6, 1}, false},
        {"NT 5.0", platform::OsVersionInfo{2, 5, 0}, false},
        {"NT 10.0", platform::OsVersionInfo{2, 10, 0}, false},
        {"9x 6.0", platform::OsVersionInfo{1, 6, 0}, false},
        {"this system", platform::SystemOsVersion().query(), false},
    };
    for (const OsCase& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        rig.os.version = c.version;
        rig.ports.CheckOsVersion();
        EXPECT_EQ(rig.ports.FixedPortList(), c.fixed);
        using Shown = std::vector<std::pair<QString, platform::MessageIcon>>;
        const Shown expected =
            c.version ? Shown{} : Shown{{"未知操作系统", platform::MessageIcon::None}};
        EXPECT_EQ(rig.messages.shown, expected);
    }
}

TEST(FixedPortList, TwoHundredFiftySixNamesNoMapNoRefresh) {
    const std::vector<std::tuple<std::optional<QString>, QString, int>> cases{
        {"7", "COM7", 7}, {"256", "COM256", 256}, {std::nullopt, "", 0},
        {"300", "", 0},   {"-2", "", 0},
    };
    for (const auto& [stored, selected, comPort] : cases) {
        SCOPED_TRACE(stored.value_or("<none>").toStdString());
        Rig rig({"COM3"}, stored);
        rig.os.version = platform::OsVersionInfo{2, 6, 0};
        rig.ports.CheckOsVersion();
        rig.ports.StartUp();
        ASSERT_EQ(rig.combo2.count(), 256);
        EXPECT_EQ(rig.combo2.entry(0), "COM1");
        EXPECT_EQ(rig.combo2.entry(9), "COM10");
        EXPECT_EQ(rig.combo2.entry(255), "COM256");
        EXPECT_EQ(rig.combo2.currentText(), selected);
        EXPECT_EQ(rig.combo2.currentIndex() < 0, selected.isEmpty());
        EXPECT_EQ(rig.ports.ComPort(), comPort);
        // Stored again only when it names an entry; the map is never read.
        EXPECT_EQ(rig.ini.writes, comPort ? Names{QString::number(comPort)} : Names{});
        EXPECT_EQ(rig.map.reads, 0);
    }
}

} // namespace
} // namespace tavrik::test
