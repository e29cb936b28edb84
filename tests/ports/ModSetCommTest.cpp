// The port list and the remembered port, on an in-memory list, map and settings file.
#include "ports/ModSetComm.h"
#include "FakeListControl.h"
#include "FakeMessageBoxes.h"
#include "ServiceFakes.h"
#include "platform/SystemOsVersion.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>
#include <vector>

namespace tavrik::test {
namespace {

using Names = QStringList;

/// The list under test on a fake map and a settings file in memory.
struct Rig {
    FakeOsVersion os;
    FakePortMap map;
    FakeIni ini;
    FakeMessageBoxes messages;
    FakeListControl combo2;
    ModSetComm ports;

    explicit Rig(Names names = {}, const QString& stored = {})
        : ports(os, map, ini, messages, combo2) {
        map.setNames(names);
        ini.values.insert(QStringLiteral("language/comPort"), stored);
    }
    /// The selection shown and the port chosen agree with `selected`.
    void expectSelected(const QString& selected, int comPort) const {
        EXPECT_EQ(combo2.currentText(), selected);
        EXPECT_EQ(ports.ComPort(), comPort);
    }
};

// Entries in map order, "COM" and the name's characters 4 to 6 without spaces, up to a
// NUL; names that are no port are listed, but the number returned is the first port's.
TEST(RefreshPortList, EntriesInMapOrderAndFirstNumber) {
    Rig rig({"COMx", "COM0", "COM007", "CO", "COM1234", "XYZ 4 ",
             QStringLiteral("COM3") + QChar(u'\0') + QStringLiteral("99"), "COM12"});
    rig.combo2.addEntry(QStringLiteral("stale"));
    EXPECT_EQ(rig.ports.RefreshPortList(), 123);
    EXPECT_EQ(rig.combo2.texts(),
              Names({"COMx", "COM0", "COM007", "COM", "COM123", "COM4", "COM3", "COM12"}));
    EXPECT_EQ(rig.combo2.detail(4), "/dev/COM1234"); // the tooltip
}

// An entry matches only in full: no prefix, no other case, never below one.
TEST(InComPorts, ExactEntryOnly) {
    Rig rig;
    for (const char* entry : {"COM10", "COM3", "com7", "COM0"}) {
        rig.combo2.addEntry(QString::fromUtf8(entry));
    }
    EXPECT_TRUE(rig.ports.InComPorts(3) && rig.ports.InComPorts(10));
    EXPECT_FALSE(rig.ports.InComPorts(1) || rig.ports.InComPorts(7) || rig.ports.InComPorts(0));
    EXPECT_EQ(PickListEntry(rig.combo2, QStringLiteral("COM7")), "COM10"); // else the first
    EXPECT_EQ(PickListEntry(FakeListControl(), QStringLiteral("COM3")), "");
}

TEST(ReShowComPortTimer, SelectionFollowsPortsAcrossRefreshes) {
    Rig rig({"COM3", "COM5"}, QStringLiteral("7")); // the remembered COM7 is not plugged in
    rig.ports.StartUp();
    // What the map gives (empty: it cannot be opened), the user's pick after the tick.
    const std::vector<std::tuple<const char*, std::optional<Names>, QString, QString, int>> steps{
        {"the tick alone: the port chosen at start-up", Names{"COM5", "COM3"}, "", "COM3", 3},
        {"the remembered port appears: chosen again", Names{"COM3", "COM7"}, "", "COM7", 7},
        {"user picks COM5", Names{"COM3", "COM5"}, "COM5", "COM5", 5},
        {"chosen port vanishes: first listed", Names{"COM3"}, "", "COM3", 3},
        {"it returns: chosen again", Names{"COM3", "COM5"}, "", "COM5", 5},
        {"it vanishes, the user picks COM3", Names{"COM3"}, "COM3", "COM3", 3},
        {"it returns: the user's pick stays", Names{"COM3", "COM5"}, "", "COM3", 3},
        {"first entry names no port: the first port", Names{"COMx", "COM9"}, "", "COM9", 9},
        {"picking the entry with no port takes nothing", Names{"COMx", "COM9"}, "COMx", "COMx", 9},
        {"only a name that is no port", Names{"COMx"}, "", "", 0},
        {"map cannot be opened", std::nullopt, "", "", 0},
        {"map back", Names{"COM9", "COM4"}, "", "COM9", 9},
    };
    for (const auto& [what, map, userPick, selected, comPort] : steps) {
        SCOPED_TRACE(what);
        rig.map.unavailable = !map;
        rig.map.setNames(map.value_or(Names{"COM1"}));
        rig.ports.ReShowComPortTimer_Timer();
        if (!userPick.isEmpty()) {
            rig.combo2.setCurrentIndex(static_cast<int>(rig.combo2.texts().indexOf(userPick)));
            rig.ports.Combo2_Click();
        }
        EXPECT_EQ(rig.combo2.texts(), map.value_or(Names{}));
        rig.expectSelected(selected, comPort);
    }
    // Neither the tick nor start-up's stand-in for an absent port stores; a pick does at once.
    EXPECT_EQ(rig.ini.writes, Names({"5", "3"}));

    // An open drop-down closes when refilled: same ports, same list, same selection.
    const int changes = rig.combo2.entryChanges;
    const int selections = rig.combo2.selectionChanges;
    rig.ports.ReShowComPortTimer_Timer();
    EXPECT_EQ(rig.combo2.entryChanges, changes);
    EXPECT_EQ(rig.combo2.selectionChanges, selections);
    // A name that now stands for another device is refilled: the tooltip follows.
    for (platform::PortMapEntry& entry : rig.map.ports) {
        entry.device = "usb:" + entry.name;
    }
    rig.ports.ReShowComPortTimer_Timer();
    EXPECT_EQ(rig.combo2.detail(1), "usb:COM4");
    rig.expectSelected("COM9", 9);
}

// Start-up reads the remembered port, tests it against the list, selects a port and
// stores it (the settings file itself: IniProfileFileTest; a port standing in for an
// absent one: ReShowComPortTimer). NT 6.0 alone lists the fixed 256 ports.
TEST(StartUp, RemembersTestsAndStoresThePortOnAFixedListOnNt60Only) {
    using Version = std::optional<platform::OsVersionInfo>;
    const Version nt60 = platform::OsVersionInfo{2, 6, 0};
    const Version nt10 = platform::OsVersionInfo{2, 10, 0};
    const Names com3{"COM3"};
    const Names both{"COM3", "COM9"};
    // The version, fixed list or not, the ports, the value stored before, the port
    // selected, whether it is stored (again).
    using Case = std::tuple<const char*, Version, bool, Names, QString, QString, int, bool>;
    const std::vector<Case> cases{
        {"stored port listed", nt10, false, both, "9", "COM9", 9, true},
        {"stored, no ports", nt10, false, {}, "9", "", 0, false},
        {"hexadecimal", nt10, false, both, "0x9", "COM3", 3, true},
        {"beyond 16 bits", nt10, false, both, "65545", "COM3", 3, true},
        {"spaces around it", nt10, false, both, " 9 ", "COM9", 9, true},
        {"unreadable version", std::nullopt, false, com3, "7", "COM3", 3, false},
        {"NT 6.1", platform::OsVersionInfo{2, 6, 1}, false, com3, "7", "COM3", 3, false},
        {"9x 6.0", platform::OsVersionInfo{1, 6, 0}, false, com3, "7", "COM3", 3, false},
        {"this system", platform::SystemOsVersion().query(), false, com3, "7", "COM3", 3, false},
        {"NT 6.0", nt60, true, com3, "7", "COM7", 7, true},
        {"NT 6.0, last entry", nt60, true, com3, "256", "COM256", 256, true},
        {"NT 6.0, beyond the list", nt60, true, com3, "257", "", 0, false},
        {"NT 6.0, negative", nt60, true, com3, "-2", "", 0, false},
    };
    for (const auto& [what, version, fixed, names, stored, selected, comPort, stores] : cases) {
        SCOPED_TRACE(what);
        Rig rig(names, stored);
        rig.os.info = version;
        rig.ports.CheckOsVersion();
        rig.ports.StartUp();
        EXPECT_EQ(rig.ports.FixedPortList(), fixed);
        EXPECT_EQ(rig.combo2.count(), fixed ? 256 : names.size());
        EXPECT_EQ(rig.combo2.entry(fixed ? 255 : 0), fixed ? "COM256" : names.value(0));
        rig.expectSelected(selected, comPort);
        EXPECT_EQ(rig.ini.writes, stores ? Names{QString::number(comPort)} : Names{});
        EXPECT_EQ(rig.map.reads, fixed ? 0 : 1); // the fixed list never reads the map
        EXPECT_EQ(rig.messages.texts(),
                  (version ? std::vector<QString>{} : std::vector<QString>{"未知操作系统"}));
        if (!version) {
            EXPECT_EQ(rig.messages.shown().front().icon, platform::MessageIcon::None);
        }
    }
}

} // namespace
} // namespace tavrik::test
