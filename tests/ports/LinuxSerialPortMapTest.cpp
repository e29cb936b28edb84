// The serial-port map on Linux: device numbers and the COM<n> alias folder.
#include "platform/LinuxSerialPortMap.h"
#include "QtPrinters.h"
#include "platform/SystemSerialPortMap.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <vector>

namespace tavrik::test {
namespace {

using platform::comNumberForDevice;
using platform::LinuxSerialPortMap;

TEST(ComNumberForDevice, FamilyAndIndexRanges) {
    const std::vector<std::pair<const char*, std::optional<int>>> cases{
        {"/dev/ttyS0", 1},      {"/dev/ttyS3", 4},         {"/dev/ttyS98", 99},
        {"/dev/ttyS99", {}},    {"/dev/ttyUSB0", 100},     {"/dev/ttyUSB7", 107},
        {"/dev/ttyUSB99", 199}, {"/dev/ttyUSB100", {}},    {"/dev/ttyACM0", 200},
        {"/dev/ttyACM3", 203},  {"/dev/ttyAMA0", 300},     {"/dev/ttyAMA12", 312},
        {"/dev/rfcomm1", 401},  {"ttyUSB2", 102},          {"/dev/ttyUSB01", {}},
        {"/dev/ttyUSB", {}},    {"/dev/ttyUSB-1", {}},     {"/dev/ttyUSB1a", {}},
        {"/dev/pts/3", {}},     {"/dev/ttySAC0", {}},      {"/dev/ttyXRUSB0", {}},
        {"/dev/tty0", {}},      {"/dev/usb/ttyUSB5", 105}, {"", {}},
    };
    for (const auto& [device, expected] : cases) {
        SCOPED_TRACE(device);
        EXPECT_EQ(comNumberForDevice(QString::fromUtf8(device)), expected);
    }
}

TEST(ComNumberForDevice, NumbersAreUniqueAndAtMostThreeDigits) {
    std::map<int, QString> owner;
    for (const char* family : {"ttyS", "ttyUSB", "ttyACM", "ttyAMA", "rfcomm"}) {
        for (int index = 0; index < 1000; ++index) {
            const QString device =
                QStringLiteral("/dev/") + QString::fromUtf8(family) + QString::number(index);
            const auto n = comNumberForDevice(device);
            if (!n) {
                continue;
            }
            SCOPED_TRACE(device.toStdString());
            EXPECT_GE(*n, 1);
            EXPECT_LE(*n, 999);
            const auto [it, added] = owner.emplace(*n, device);
            EXPECT_TRUE(added) << "COM" << *n << " also " << it->second.toStdString();
        }
    }
    EXPECT_EQ(owner.size(), 99u + 4u * 100u);
}

/// A folder for aliases and a folder of fake device nodes: each fake device is a
/// link to a real character device, so that aliases can point at "the same device".
class AliasFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("ports")));
        ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("dev")));
        for (const auto& [name, target] :
             std::map<QString, QString>{{QStringLiteral("ttyUSB0"), QStringLiteral("/dev/null")},
                                        {QStringLiteral("ttyUSB1"), QStringLiteral("/dev/zero")},
                                        {QStringLiteral("ttyS0"), QStringLiteral("/dev/full")}}) {
            ASSERT_TRUE(QFile::link(target, device(name)));
        }
    }
    [[nodiscard]] QString device(const QString& name) const {
        return m_dir.filePath(QStringLiteral("dev/") + name);
    }
    [[nodiscard]] QString aliases() const { return m_dir.filePath(QStringLiteral("ports")); }
    void alias(const QString& name, const QString& target) const {
        ASSERT_TRUE(QFile::link(target, aliases() + u'/' + name));
    }

    QTemporaryDir m_dir;
};

using Listing = std::vector<std::pair<QString, QString>>;

Listing listingOf(const platform::SerialPortMap& map) {
    Listing listing;
    const auto entries = map.entries();
    EXPECT_TRUE(entries.has_value());
    if (entries) {
        for (const auto& e : *entries) {
            listing.emplace_back(e.name, e.device);
        }
    }
    return listing;
}

struct MapCase {
    const char* what;
    std::vector<std::pair<const char*, const char*>> aliases; ///< name -> target ("@x": fake dev)
    std::vector<const char*> devices;                         ///< fake devices present
    Listing expected;
};

TEST_F(AliasFolder, AliasesFirstThenDevices) {
    // Devices: "@name" is the fake node of that name.
    const QString null = QStringLiteral("/dev/null");
    const QString zero = QStringLiteral("/dev/zero");
    const QString full = QStringLiteral("/dev/full");
    const QString random = QStringLiteral("/dev/random");
    const QString usb0 = QStringLiteral("@ttyUSB0");
    const QString usb1 = QStringLiteral("@ttyUSB1");
    const QString s0 = QStringLiteral("@ttyS0");
    const std::vector<MapCase> cases{
        {"devices only, in number order",
         {},
         {"ttyUSB1", "ttyS0", "ttyUSB0"},
         {{"COM1", s0}, {"COM100", usb0}, {"COM101", usb1}}},
        {"alias shadows a device's own number",
         {{"COM3", "/dev/zero"}},
         {"ttyUSB0", "ttyUSB1"},
         {{"COM3", zero}, {"COM100", usb0}}},
        {"relative alias",
         {{"COM8", "../dev/ttyUSB1"}},
         {"ttyUSB0", "ttyUSB1"},
         {{"COM8", zero}, {"COM100", usb0}}},
        {"alias through the fake node",
         {{"COM8", "@ttyUSB0"}},
         {"ttyUSB0", "ttyS0"},
         {{"COM8", usb0}, {"COM1", s0}}},
        {"device loses a number taken by an alias",
         {{"COM100", "/dev/random"}},
         {"ttyUSB0"},
         {{"COM100", random}}},
        {"aliases in number order",
         {{"COM12", "/dev/null"}, {"COM3", "/dev/zero"}, {"COM7", "/dev/full"}},
         {},
         {{"COM3", zero}, {"COM7", full}, {"COM12", null}}},
        {"dangling alias left out",
         {{"COM2", "/nonexistent/ttyUSB9"}, {"COM4", "/dev/null"}},
         {},
         {{"COM4", null}}},
        {"not a device left out",
         {{"COM5", "@."}, {"COM6", "/etc/passwd"}, {"COM9", "/dev/full"}},
         {},
         {{"COM9", full}}},
        {"names that are no alias",
         {{"com5", "/dev/null"},
          {"COM05", "/dev/null"},
          {"COM0", "/dev/null"},
          {"COM1000", "/dev/null"},
          {"COMx", "/dev/null"},
          {"COM3.bak", "/dev/null"},
          {"COM999", "/dev/zero"}},
         {},
         {{"COM999", zero}}},
        {"devices outside the rule", {}, {"ttyXR0", "ttyUSB0", "ttyUSB100"}, {{"COM100", usb0}}},
    };
    for (const MapCase& c : cases) {
        SCOPED_TRACE(c.what);
        for (const QString& name :
             QDir(aliases()).entryList(QDir::System | QDir::AllEntries | QDir::NoDotAndDotDot)) {
            ASSERT_TRUE(QFile::remove(aliases() + u'/' + name));
        }
        for (const auto& [name, target] : c.aliases) {
            const QString t = QString::fromUtf8(target);
            alias(QString::fromUtf8(name), t == u"@."           ? m_dir.path()
                                           : t.startsWith(u'@') ? device(t.mid(1))
                                                                : t);
        }
        QStringList devices;
        for (const char* d : c.devices) {
            devices.append(device(QString::fromUtf8(d)));
        }
        Listing expected = c.expected;
        for (auto& entry : expected) {
            if (entry.second.startsWith(u'@')) {
                entry.second = device(entry.second.mid(1));
            }
        }
        const LinuxSerialPortMap map(aliases(), [devices] { return devices; });
        EXPECT_EQ(listingOf(map), expected);
        for (const auto& [name, dev] : expected) {
            EXPECT_EQ(map.deviceFor(name.mid(3).toInt()), dev) << name.toStdString();
        }
        EXPECT_EQ(map.deviceFor(0), QString());
        EXPECT_EQ(map.deviceFor(55), QString());
    }
}

TEST_F(AliasFolder, NumbersHoldWhileOtherDevicesComeAndGo) {
    QStringList present{device(QStringLiteral("ttyUSB0")), device(QStringLiteral("ttyUSB1"))};
    const LinuxSerialPortMap map(aliases(), [&present] { return present; });
    const QString usb1 = device(QStringLiteral("ttyUSB1"));
    EXPECT_EQ(listingOf(map), (Listing{{"COM100", present[0]}, {"COM101", usb1}}));
    present.removeFirst();
    EXPECT_EQ(listingOf(map), (Listing{{"COM101", usb1}}));
    EXPECT_EQ(map.deviceFor(101), usb1);
    EXPECT_EQ(map.deviceFor(100), QString());
    present.append(device(QStringLiteral("ttyS0")));
    EXPECT_EQ(listingOf(map), (Listing{{"COM1", present[1]}, {"COM101", usb1}}));
}

TEST_F(AliasFolder, MissingAliasFolderListsDevicesOnly) {
    const QStringList present{device(QStringLiteral("ttyUSB0"))};
    const LinuxSerialPortMap map(m_dir.filePath(QStringLiteral("no-such-folder")),
                                 [present] { return present; });
    EXPECT_EQ(listingOf(map), (Listing{{"COM100", present[0]}}));
}

TEST_F(AliasFolder, SystemMapReadsPortsBesideTheProgram) {
    alias(QStringLiteral("COM9"), QStringLiteral("/dev/null"));
    const auto map = platform::makeSystemSerialPortMap(m_dir.path());
    const auto entries = map->entries();
    ASSERT_TRUE(entries.has_value());
    ASSERT_FALSE(entries->empty());
    EXPECT_EQ(entries->front().name, "COM9");
    EXPECT_EQ(entries->front().device, "/dev/null");
    EXPECT_EQ(map->deviceFor(9), "/dev/null");
    // The machine's own devices follow, each under a number of its own.
    std::set<QString> names;
    for (const auto& e : *entries) {
        EXPECT_TRUE(names.insert(e.name).second) << e.name.toStdString();
    }
}

} // namespace
} // namespace tavrik::test
