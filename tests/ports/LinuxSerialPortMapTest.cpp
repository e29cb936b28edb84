// The serial-port map on Linux: device numbers and the COM<n> alias folder.
#include "platform/LinuxSerialPortMap.h"
#include "QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <vector>

namespace tavrik::test {
namespace {

using platform::comNumberForDevice;

TEST(ComNumberForDevice, FamilyAndIndexRanges) {
    const std::vector<std::pair<const char*, std::optional<int>>> cases{
        {"/dev/ttyS0", 1},
        {"/dev/ttyS98", 99},
        {"/dev/ttyS99", {}},
        {"/dev/ttyUSB0", 100},
        {"/dev/ttyUSB99", 199},
        {"/dev/ttyUSB100", {}},
        {"/dev/ttyACM3", 203},
        {"/dev/ttyAMA12", 312},
        {"/dev/rfcomm1", 401},
        {"ttyUSB2", 102},
        {"/dev/ttyUSB01", {}},
        {"/dev/ttyUSB", {}},
        {"/dev/ttyUSB1a", {}},
        {"/dev/pts/3", {}},
        {"/dev/ttySAC0", {}},
        {"/dev/tty0", {}},
        {"", {}},
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
            const QString device = QStringLiteral("/dev/%1%2").arg(family).arg(index);
            if (const auto n = comNumberForDevice(device)) {
                EXPECT_TRUE(*n >= 1 && *n <= 999) << device.toStdString();
                EXPECT_TRUE(owner.emplace(*n, device).second) << device.toStdString();
            }
        }
    }
    EXPECT_EQ(owner.size(), 99u + 4u * 100u);
}

using Listing = std::vector<std::pair<QString, QString>>;

struct MapCase {
    const char* what;
    std::vector<std::pair<const char*, const char*>> aliases; ///< name -> target
    std::vector<const char*> devices;                         ///< fake nodes present
    Listing expected;
};

/// Fake device nodes in dev/ (links to real character devices, so that an alias can
/// lead to "the same device") and an alias folder ports/. "@name" stands for the fake
/// node of that name, "@." for the temporary folder itself.
TEST(LinuxSerialPortMap, AliasesFirstThenDevices) {
    const QString null = QStringLiteral("/dev/null");
    const QString zero = QStringLiteral("/dev/zero");
    const QString full = QStringLiteral("/dev/full");
    const QString usb0 = QStringLiteral("@ttyUSB0");
    const std::vector<MapCase> cases{
        {"devices only, in number order",
         {},
         {"ttyUSB1", "ttyS0", "ttyUSB0"},
         {{"COM1", "@ttyS0"}, {"COM100", usb0}, {"COM101", "@ttyUSB1"}}},
        {"an aliased device is not listed twice",
         {{"COM3", "/dev/zero"}},
         {"ttyUSB0", "ttyUSB1"},
         {{"COM3", zero}, {"COM100", usb0}}},
        {"alias to the node, relative alias",
         {{"COM8", "@ttyUSB0"}, {"COM9", "../dev/ttyUSB1"}},
         {"ttyUSB0", "ttyUSB1", "ttyS0"},
         {{"COM8", usb0}, {"COM9", zero}, {"COM1", "@ttyS0"}}},
        {"a device loses a number taken by an alias",
         {{"COM100", "/dev/random"}},
         {"ttyUSB0"},
         {{"COM100", "/dev/random"}}},
        {"aliases in number order",
         {{"COM12", "/dev/null"}, {"COM3", "/dev/zero"}, {"COM7", "/dev/full"}},
         {},
         {{"COM3", zero}, {"COM7", full}, {"COM12", null}}},
        {"dangling links and non-devices left out",
         {{"COM2", "/nonexistent/ttyUSB9"},
          {"COM5", "@."},
          {"COM6", "/etc/passwd"},
          {"COM4", "/dev/null"}},
         {},
         {{"COM4", null}}},
        {"names that are no alias",
         {{"com5", "/dev/null"},
          {"COM05", "/dev/null"},
          {"COM0", "/dev/null"},
          {"COM1000", "/dev/null"},
          {"COM3.bak", "/dev/null"},
          {"COM999", "/dev/zero"}},
         {},
         {{"COM999", zero}}},
        {"devices outside the rule", {}, {"ttyXR0", "ttyUSB0", "ttyUSB100"}, {{"COM100", usb0}}},
    };
    for (const MapCase& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QDir root(dir.path());
        ASSERT_TRUE(root.mkdir(QStringLiteral("ports")) && root.mkdir(QStringLiteral("dev")));
        const auto node = [&](const QString& name) { return dir.filePath("dev/" + name); };
        ASSERT_TRUE(QFile::link(null, node(QStringLiteral("ttyUSB0"))));
        ASSERT_TRUE(QFile::link(zero, node(QStringLiteral("ttyUSB1"))));
        ASSERT_TRUE(QFile::link(full, node(QStringLiteral("ttyS0"))));
        const auto place = [&](QString path) {
            return path == u"@." ? dir.path() : path.startsWith(u'@') ? node(path.mid(1)) : path;
        };
        for (const auto& [name, target] : c.aliases) {
            ASSERT_TRUE(QFile::link(place(QString::fromUtf8(target)),
                                    dir.filePath(QStringLiteral("ports/") + name)));
        }
        QStringList devices;
        for (const char* d : c.devices) {
            devices.append(node(QString::fromUtf8(d)));
        }
        Listing expected = c.expected;
        for (auto& entry : expected) {
            entry.second = place(entry.second);
        }

        const platform::LinuxSerialPortMap map(dir.filePath(QStringLiteral("ports")),
                                               [devices] { return devices; });
        Listing listing;
        const auto entries = map.entries();
        ASSERT_TRUE(entries.has_value());
        for (const auto& e : *entries) {
            listing.emplace_back(e.name, e.device);
        }
        EXPECT_EQ(listing, expected);
        for (const auto& [name, device] : expected) {
            EXPECT_EQ(map.deviceFor(name.mid(3).toInt()), device) << name.toStdString();
        }
        EXPECT_EQ(map.deviceFor(55), QString());

        // Without the alias folder the devices keep their own numbers.
        const platform::LinuxSerialPortMap plain(dir.filePath(QStringLiteral("none")),
                                                 [devices] { return devices; });
        const auto plainEntries = plain.entries();
        ASSERT_TRUE(plainEntries.has_value());
        for (const auto& e : *plainEntries) {
            EXPECT_EQ(e.name, QStringLiteral("COM%1").arg(*comNumberForDevice(e.device)));
        }
    }
}

} // namespace
} // namespace tavrik::test
