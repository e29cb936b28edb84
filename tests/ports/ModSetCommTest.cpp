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

struct Rig {
    FakeOsVersion os;
    FakeSerialPortMap map;
    MemoryProfileFile ini;
    RecordingMessageBoxes messages;
    FakeListControl combo2;
    ModSetComm ports{os, map, ini, messages, combo2};

    explicit Rig(QStringList names = {}) {
        map.names = std::move(names);
        os.version = platform::OsVersionInfo{platform::kPlatformNotWindows, 0, 0};
    }
};

QStringList listOf(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* t : texts) {
        list.append(QString::fromUtf8(t));
    }
    return list;
}

// ---- PickListEntry ----

struct PickCase {
    QStringList entries;
    QString wanted;
    QString expected;
};

TEST(PickListEntry, ExactEntryElseFirstElseEmpty) {
    const std::vector<PickCase> cases{
        {{}, "COM3", ""},
        {{}, "", ""},
        {listOf({"COM3", "COM1"}), "COM1", "COM1"},
        {listOf({"COM3", "COM1"}), "COM9", "COM3"},
        {listOf({"COM10", "COM1"}), "COM1", "COM1"},
        {listOf({"COM1", "COM10"}), "COM10", "COM10"},
        {listOf({"COM3", "com7"}), "COM7", "COM3"},
        {listOf({"COM3", "COM7"}), "", "COM3"},
    };
    for (const PickCase& c : cases) {
        SCOPED_TRACE(c.entries.join(u',').toStdString() + " / " + c.wanted.toStdString());
        FakeListControl list;
        for (const QString& e : c.entries) {
            list.addEntry(e);
        }
        EXPECT_EQ(PickListEntry(list, c.wanted), c.expected);
    }
}

// ---- RefreshPortList ----

struct RefreshCase {
    const char* what;
    QStringList mapNames;
    bool unavailable;
    QStringList entries;
    int first;
};

TEST(RefreshPortList, EntriesInMapOrderAndFirstNumber) {
    const QString withNul = QStringLiteral("COM3") + QChar(u'\0') + QStringLiteral("99");
    const std::vector<RefreshCase> cases{
        {"map order, not sorted", listOf({"COM3", "COM1"}), false, listOf({"COM3", "COM1"}), 3},
        {"two digits", listOf({"COM12"}), false, listOf({"COM12"}), 12},
        {"cut to three digits", listOf({"COM1234", "COM2"}), false, listOf({"COM123", "COM2"}),
         123},
        {"spaces around the number", listOf({"COM 4 "}), false, listOf({"COM4"}), 4},
        {"not a number is listed, not first", listOf({"COMx", "COM5"}), false,
         listOf({"COMx", "COM5"}), 5},
        {"zero is not a port", listOf({"COM0", "COM7"}), false, listOf({"COM0", "COM7"}), 7},
        {"leading zero is not a port", listOf({"COM007", "COM8"}), false,
         listOf({"COM007", "COM8"}), 8},
        {"sign is not a port", listOf({"COM-5", "COM2"}), false, listOf({"COM-5", "COM2"}), 2},
        {"first three characters ignored", listOf({"XYZ9"}), false, listOf({"COM9"}), 9},
        {"short name", listOf({"CO", "COM6"}), false, listOf({"COM", "COM6"}), 6},
        {"name ends at NUL", {withNul}, false, listOf({"COM3"}), 3},
        {"empty map", {}, false, {}, 0},
        {"map cannot be opened", listOf({"COM3"}), true, {}, 0},
    };
    for (const RefreshCase& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig(c.mapNames);
        rig.map.unavailable = c.unavailable;
        rig.combo2.addEntry(QStringLiteral("stale"));
        EXPECT_EQ(rig.ports.RefreshPortList(), c.first);
        EXPECT_EQ(rig.combo2.texts(), c.entries);
    }
}

TEST(RefreshPortList, EachEntryCarriesItsDevice) {
    Rig rig(listOf({"COM3", "COM1"}));
    static_cast<void>(rig.ports.RefreshPortList());
    EXPECT_EQ(rig.combo2.detail(0), "dev:COM3");
    EXPECT_EQ(rig.combo2.detail(1), "dev:COM1");
}

// ---- InComPorts ----

TEST(InComPorts, ExactEntryOnlyAndNeverBelowOne) {
    Rig rig(listOf({"COM3", "COM12", "COM0", "COMx"}));
    static_cast<void>(rig.ports.RefreshPortList());
    const std::vector<std::pair<int, bool>> cases{
        {3, true}, {12, true}, {1, false}, {123, false}, {0, false}, {-3, false}, {7, false},
    };
    for (const auto& [number, expected] : cases) {
        SCOPED_TRACE(number);
        EXPECT_EQ(rig.ports.InComPorts(number), expected);
    }
}

// ---- the refresh tick ----

struct TickStep {
    const char* what;
    QStringList mapNames; ///< the map before the tick
    bool unavailable;
    QString userPick; ///< an entry the user picks after the tick, if any
    QString selected; ///< expected selection after the tick (and the pick)
    int comPort;
};

TEST(ReShowComPortTimer, SelectionFollowsPortsAcrossRefreshes) {
    Rig rig(listOf({"COM3", "COM5"}));
    rig.ports.StartUp();
    ASSERT_EQ(rig.combo2.currentText(), "COM3");

    const std::vector<TickStep> steps{
        {"user picks COM5", listOf({"COM3", "COM5"}), false, "COM5", "COM5", 5},
        {"same ports: selection kept", listOf({"COM3", "COM5"}), false, "", "COM5", 5},
        {"order changes: same port kept", listOf({"COM5", "COM3"}), false, "", "COM5", 5},
        {"chosen port vanishes: first listed", listOf({"COM3"}), false, "", "COM3", 3},
        {"it returns: not reselected", listOf({"COM3", "COM5"}), false, "", "COM3", 3},
        {"all ports vanish", {}, false, "", "", 0},
        {"still none", {}, false, "", "", 0},
        {"ports return: first listed", listOf({"COM7", "COM3"}), false, "", "COM7", 7},
        {"first entry names no port", listOf({"COMx", "COM9"}), false, "", "COM9", 9},
        {"a new port before the chosen one", listOf({"COM2", "COMx", "COM9"}), false, "", "COM9",
         9},
        {"only a name that is no port", listOf({"COMx"}), false, "", "", 0},
        {"map cannot be opened", listOf({"COM9"}), true, "", "", 0},
        {"map back", listOf({"COM9", "COM4"}), false, "", "COM9", 9},
    };
    for (const TickStep& step : steps) {
        SCOPED_TRACE(step.what);
        rig.map.names = step.mapNames;
        rig.map.unavailable = step.unavailable;
        rig.ports.ReShowComPortTimer_Timer();
        if (!step.userPick.isEmpty()) {
            ASSERT_TRUE(rig.combo2.select(step.userPick));
            rig.ports.Combo2_Click();
        }
        EXPECT_EQ(rig.combo2.currentText(), step.selected);
        EXPECT_EQ(rig.combo2.currentIndex() < 0, step.selected.isEmpty());
        EXPECT_EQ(rig.ports.ComPort(), step.comPort);
        EXPECT_EQ(rig.combo2.texts(), step.unavailable ? QStringList{} : step.mapNames);
    }
    // The tick selects but never stores; only start-up and the user's pick did.
    EXPECT_EQ(rig.ini.writes, listOf({"3", "5"}));
}

TEST(ReShowComPortTimer, UnchangedPortsLeaveTheListAlone) {
    Rig rig(listOf({"COM3", "COM5"}));
    rig.ports.StartUp();
    ASSERT_TRUE(rig.combo2.select(QStringLiteral("COM5")));
    rig.ports.Combo2_Click();
    const int changes = rig.combo2.entryChanges;
    const int selections = rig.combo2.selectionChanges;
    for (int tick = 0; tick < 3; ++tick) {
        rig.ports.ReShowComPortTimer_Timer();
    }
    // An open drop-down would close on every refill: same ports, same list.
    EXPECT_EQ(rig.combo2.entryChanges, changes);
    EXPECT_EQ(rig.combo2.selectionChanges, selections);
    EXPECT_EQ(rig.combo2.currentText(), "COM5");

    // A name that now stands for another device is refilled: the tooltip follows.
    rig.map.devicePrefix = QStringLiteral("usb:");
    rig.ports.ReShowComPortTimer_Timer();
    EXPECT_EQ(rig.combo2.texts(), listOf({"COM3", "COM5"}));
    EXPECT_EQ(rig.combo2.detail(1), "usb:COM5");
    EXPECT_EQ(rig.combo2.currentText(), "COM5");

    // So is a list emptied behind the logic's back.
    rig.combo2.clear();
    rig.ports.ReShowComPortTimer_Timer();
    EXPECT_EQ(rig.combo2.texts(), listOf({"COM3", "COM5"}));
    EXPECT_EQ(rig.combo2.currentText(), "COM5");
}

// ---- Combo2_Click ----

struct ClickCase {
    const char* what;
    QStringList mapNames;
    std::optional<QString> pick; ///< empty: nothing selected
    int comPort;
    QStringList writes;
};

TEST(Combo2Click, TakesAndStoresOnlyAPortNumber) {
    const std::vector<ClickCase> cases{
        {"two digits", listOf({"COM3", "COM12"}), QStringLiteral("COM12"), 12, listOf({"12"})},
        {"three digits", listOf({"COM3", "COM1234"}), QStringLiteral("COM123"), 123,
         listOf({"123"})},
        {"not a number", listOf({"COM3", "COMx"}), QStringLiteral("COMx"), 3, {}},
        {"leading zero", listOf({"COM3", "COM05"}), QStringLiteral("COM05"), 3, {}},
        {"three characters", listOf({"COM3", "COM"}), QStringLiteral("COM"), 3, {}},
        {"nothing selected", listOf({"COM3"}), std::nullopt, 3, {}},
    };
    for (const ClickCase& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig(c.mapNames);
        rig.ports.StartUp();
        ASSERT_EQ(rig.ports.ComPort(), 3);
        rig.ini.writes.clear();
        if (c.pick) {
            ASSERT_TRUE(rig.combo2.select(*c.pick));
        } else {
            rig.combo2.setCurrentIndex(-1);
        }
        rig.ports.Combo2_Click();
        EXPECT_EQ(rig.ports.ComPort(), c.comPort);
        EXPECT_EQ(rig.ini.writes, c.writes);
    }
}

// ---- start-up, enumeration mode ----

struct StartUpCase {
    const char* what;
    std::optional<QString> stored; ///< empty: no key
    QStringList mapNames;
    QString selected;
    int comPort;
    std::optional<QString> storedAfter; ///< empty: still no key
};

TEST(StartUp, RemembersTestsAndStoresThePort) {
    const std::vector<StartUpCase> cases{
        {"no file, COM4 and COM7", std::nullopt, listOf({"COM4", "COM7"}), "COM4", 4,
         QStringLiteral("4")},
        {"no file, no ports", std::nullopt, {}, "", 0, std::nullopt},
        {"stored port listed", QStringLiteral("9"), listOf({"COM3", "COM9"}), "COM9", 9,
         QStringLiteral("9")},
        {"stale number", QStringLiteral("9"), listOf({"COM3"}), "COM3", 3, QStringLiteral("3")},
        {"stored, no ports", QStringLiteral("9"), {}, "", 0, QStringLiteral("9")},
        {"spaces", QStringLiteral(" 9 "), listOf({"COM3", "COM9"}), "COM9", 9, QStringLiteral("9")},
        {"empty value", QStringLiteral(""), listOf({"COM3", "COM9"}), "COM3", 3,
         QStringLiteral("3")},
        {"garbled", QStringLiteral("COM9"), listOf({"COM3", "COM9"}), "COM3", 3,
         QStringLiteral("3")},
        {"hexadecimal", QStringLiteral("0x9"), listOf({"COM3", "COM9"}), "COM3", 3,
         QStringLiteral("3")},
        {"beyond 16 bits", QStringLiteral("65545"), listOf({"COM3", "COM9"}), "COM3", 3,
         QStringLiteral("3")},
        {"negative", QStringLiteral("-9"), listOf({"COM3", "COM9"}), "COM3", 3,
         QStringLiteral("3")},
        {"zero", QStringLiteral("0"), listOf({"COM3", "COM9"}), "COM3", 3, QStringLiteral("3")},
        {"only a name that is no port", QStringLiteral("3"), listOf({"COMx"}), "", 0,
         QStringLiteral("3")},
    };
    for (const StartUpCase& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig(c.mapNames);
        if (c.stored) {
            rig.ini.values.insert(kIniKey, *c.stored);
        }
        rig.ports.CheckOsVersion();
        rig.ports.StartUp();
        EXPECT_FALSE(rig.ports.FixedPortList());
        EXPECT_EQ(rig.combo2.currentText(), c.selected);
        EXPECT_EQ(rig.combo2.currentIndex() < 0, c.selected.isEmpty());
        EXPECT_EQ(rig.ports.ComPort(), c.comPort);
        EXPECT_EQ(rig.ini.values.contains(kIniKey), c.storedAfter.has_value());
        if (c.storedAfter) {
            EXPECT_EQ(rig.ini.values.value(kIniKey), *c.storedAfter);
        }
    }
}

TEST(StartUp, ReadOnlySettingsKeepTheChoiceForThisRun) {
    Rig rig(listOf({"COM4", "COM7"}));
    rig.ini.writable = false;
    rig.ports.StartUp();
    ASSERT_TRUE(rig.combo2.select(QStringLiteral("COM7")));
    rig.ports.Combo2_Click();
    EXPECT_EQ(rig.ports.ComPort(), 7);
    EXPECT_EQ(rig.ini.writes, listOf({"4", "7"}));
    EXPECT_TRUE(rig.messages.shown.empty());
}

// ---- the real settings file ----

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

TEST(StartUpWithIniFile, FirstStartWritesTheFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("mysetup.ini"));
    ASSERT_EQ(platform::settingsFilePath(dir.path()), path);
    FakeOsVersion os;
    FakeSerialPortMap map;
    map.names = listOf({"COM4", "COM7"});
    platform::IniProfileFile ini(path);
    RecordingMessageBoxes messages;
    FakeListControl combo2;
    ModSetComm ports(os, map, ini, messages, combo2);
    ports.StartUp();
    EXPECT_EQ(combo2.currentText(), "COM4");
    EXPECT_EQ(readAll(path), "[language]\ncomPort=4\n");

    // The user's pick is in the file at once.
    ASSERT_TRUE(combo2.select(QStringLiteral("COM7")));
    ports.Combo2_Click();
    EXPECT_EQ(readAll(path), "[language]\ncomPort=7\n");
}

TEST(StartUpWithIniFile, NoPortsCreateNoFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("mysetup.ini"));
    FakeOsVersion os;
    FakeSerialPortMap map;
    platform::IniProfileFile ini(path);
    RecordingMessageBoxes messages;
    FakeListControl combo2;
    ModSetComm ports(os, map, ini, messages, combo2);
    ports.StartUp();
    EXPECT_EQ(combo2.currentIndex(), -1);
    EXPECT_EQ(ports.ComPort(), 0);
    EXPECT_FALSE(QFile::exists(path));
}

TEST(StartUpWithIniFile, HandEditedFileKeepsEverythingElse) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("mysetup.ini"));
    ASSERT_TRUE(writeAll(path, "; counter 2\r\n[Window]\r\nleft=10\r\n\r\n[LANGUAGE]\r\n"
                               "note=keep me\r\nCOMPORT = 9\r\nafter=1\r\n\r\n[tail]\r\nx=y"));
    FakeOsVersion os;
    FakeSerialPortMap map;
    map.names = listOf({"COM3"});
    platform::IniProfileFile ini(path);
    RecordingMessageBoxes messages;
    FakeListControl combo2;
    ModSetComm ports(os, map, ini, messages, combo2);
    ports.StartUp();
    EXPECT_EQ(ports.ComPort(), 3);
    EXPECT_EQ(readAll(path), "; counter 2\r\n[Window]\r\nleft=10\r\n\r\n[LANGUAGE]\r\n"
                             "note=keep me\r\ncomPort=3\r\nafter=1\r\n\r\n[tail]\r\nx=y");
}

// ---- the operating-system check and the fixed list ----

struct OsCase {
    const char* what;
    std::optional<platform::OsVersionInfo> version;
    bool fixed;
    bool message;
};

TEST(CheckOsVersion, FixedListOnNt60Only) {
    const std::vector<OsCase> cases{
        {"version unreadable", std::nullopt, false, true},
        {"NT 6.0", platform::OsVersionInfo{2, 6, 0}, true, false},
        {"NT 6.1", platform::OsVersionInfo{2, 6, 1}, false, false},
        {"NT 5.1", platform::OsVersionInfo{2, 5, 1}, false, false},
        {"NT 10.0", platform::OsVersionInfo{2, 10, 0}, false, false},
        {"Windows 9x 6.0", platform::OsVersionInfo{1, 6, 0}, false, false},
        {"not Windows", platform::OsVersionInfo{platform::kPlatformNotWindows, 6, 0}, false, false},
    };
    for (const OsCase& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        rig.os.version = c.version;
        rig.ports.CheckOsVersion();
        EXPECT_EQ(rig.ports.FixedPortList(), c.fixed);
        if (c.message) {
            ASSERT_EQ(rig.messages.shown.size(), 1u);
            EXPECT_EQ(rig.messages.shown[0].first, QStringLiteral("未知操作系统"));
            EXPECT_EQ(rig.messages.shown[0].second, platform::MessageIcon::None);
        } else {
            EXPECT_TRUE(rig.messages.shown.empty());
        }
    }
}

TEST(CheckOsVersion, ThisSystemGetsTheEnumeratedListSilently) {
    platform::SystemOsVersion os;
    FakeSerialPortMap map;
    MemoryProfileFile ini;
    RecordingMessageBoxes messages;
    FakeListControl combo2;
    ModSetComm ports(os, map, ini, messages, combo2);
    ports.CheckOsVersion();
    EXPECT_FALSE(ports.FixedPortList());
    EXPECT_TRUE(messages.shown.empty());
}

struct FixedCase {
    const char* what;
    std::optional<QString> stored;
    QString selected;
    int comPort;
    std::optional<QString> storedAfter;
};

TEST(FixedPortList, TwoHundredFiftySixNamesNoMapNoRefresh) {
    const std::vector<FixedCase> cases{
        {"stored 7", QStringLiteral("7"), "COM7", 7, QStringLiteral("7")},
        {"stored 256", QStringLiteral("256"), "COM256", 256, QStringLiteral("256")},
        {"no file", std::nullopt, "", 0, std::nullopt},
        {"stored 300", QStringLiteral("300"), "", 0, QStringLiteral("300")},
        {"stored -2", QStringLiteral("-2"), "", 0, QStringLiteral("-2")},
    };
    for (const FixedCase& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig(listOf({"COM3"}));
        rig.os.version = platform::OsVersionInfo{2, 6, 0};
        if (c.stored) {
            rig.ini.values.insert(kIniKey, *c.stored);
        }
        rig.ports.CheckOsVersion();
        ASSERT_TRUE(rig.ports.FixedPortList());
        rig.ports.StartUp();
        ASSERT_EQ(rig.combo2.count(), 256);
        EXPECT_EQ(rig.combo2.entry(0), "COM1");
        EXPECT_EQ(rig.combo2.entry(9), "COM10");
        EXPECT_EQ(rig.combo2.entry(255), "COM256");
        EXPECT_EQ(rig.combo2.currentText(), c.selected);
        EXPECT_EQ(rig.combo2.currentIndex() < 0, c.selected.isEmpty());
        EXPECT_EQ(rig.ports.ComPort(), c.comPort);
        EXPECT_EQ(rig.ini.values.value(kIniKey), c.storedAfter.value_or(QString()));
        EXPECT_EQ(rig.map.reads, 0);
    }
}

} // namespace
} // namespace tavrik::test
