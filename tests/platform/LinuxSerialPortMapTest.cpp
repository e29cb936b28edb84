// The serial-port map on Linux: device numbers and the COM<n> alias folders.
#include "platform/LinuxSerialPortMap.h"
#include "ServiceFakes.h"

#include <QDir>
#include <QFile>
#include <QSerialPortInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

#include <map>
#include <optional>
#include <vector>

namespace tavrik::test {
namespace {

using platform::comNumberForDevice;

// Each family's first number, shapes that name no device, and over a thousand indices
// of each family numbers that are distinct and of at most three digits.
TEST(ComNumberForDevice, FamiliesNumberedApart) {
    const std::vector<std::pair<const char*, std::optional<int>>> cases{
        {"/dev/ttyS0", 1},     {"/dev/ttyUSB0", 100}, {"/dev/ttyACM3", 203}, {"/dev/ttyAMA12", 312},
        {"/dev/rfcomm1", 401}, {"ttyUSB2", 102},      {"/dev/ttyUSB01", {}}, {"/dev/ttyUSB", {}},
        {"/dev/ttyUSB1a", {}}, {"/dev/ttySAC0", {}}};
    for (const auto& [device, expected] : cases) {
        EXPECT_EQ(comNumberForDevice(QString::fromUtf8(device)), expected) << device;
    }
    std::map<int, QString> owner;
    for (const char* family : {"ttyS", "ttyUSB", "ttyACM", "ttyAMA", "rfcomm"}) {
        for (int index = 0; index < 1000; ++index) {
            const QString device = QStringLiteral("/dev/%1%2").arg(family).arg(index);
            if (const auto n = comNumberForDevice(device)) {
                EXPECT_TRUE(*n >= 1 && *n <= 999 && owner.emplace(*n, device).second)
                    << device.toStdString();
            }
        }
    }
    EXPECT_EQ(owner.size(), 99u + 4u * 100u);
}

/// Fake device nodes in dev/ link to real character devices, so that an alias can lead
/// to "the same device"; aliases "name>target" go into ports/, the first alias folder,
/// and "2:name>target" into more/, the second. "@name" stands for the fake node of that
/// name; the listing is "COM<n>=device" in order.
TEST(LinuxSerialPortMap, AliasesFirstThenDevices) {
    // The aliases, the devices present, the listing.
    const std::vector<std::tuple<const char*, QStringList, QStringList, const char*>> cases{
        {"aliases, then devices, each in number order; an aliased device not twice",
         {"COM12>/dev/zero", "COM9>../dev/ttyUSB0"},
         {"ttyACM0", "ttyUSB1", "ttyS0", "ttyUSB0", "ttyXR0", "ttyUSB100"},
         "COM9=/dev/null COM12=/dev/zero COM1=@ttyS0 COM200=@ttyACM0 COM821=@ttyXR0 "
         "COM842=@ttyUSB100"},
        {"an alias takes a device's own number: the device is numbered by its name",
         {"COM100>/dev/full"},
         {"ttyUSB0"},
         "COM100=/dev/full COM645=@ttyUSB0"},
        {"numbers by name in name order, past those taken, after 999 from 500",
         {"COM535>/dev/zero", "COM999>/dev/full"},
         {"ttyUSB152", "ttyXRUSB0", "ttyMXUSB0", "ttyCH341USB0", "ttyUSB100", "ttyACM150"},
         "COM535=/dev/zero COM999=/dev/full COM500=@ttyMXUSB0 COM501=@ttyUSB152 "
         "COM536=@ttyXRUSB0 COM746=@ttyCH341USB0 COM842=@ttyACM150 COM843=@ttyUSB100"},
        {"dangling links, non-devices and names that are no alias",
         {"COM2>/nonexistent/ttyUSB9", "COM6>/etc/passwd", "com5>/dev/null", "COM0>/dev/null",
          "COM1000>/dev/null", "COM999>/dev/zero"},
         {},
         "COM999=/dev/zero"},
        {"the first folder wins a clash of names; the second adds its other names",
         {"2:COM3>/dev/zero", "COM3>/dev/null", "2:COM4>/dev/full"},
         {"ttyUSB1"},
         "COM3=/dev/null COM4=/dev/full COM101=@ttyUSB1"},
    };
    for (const auto& [what, aliases, present, listing] : cases) {
        SCOPED_TRACE(what);
        QTemporaryDir dir;
        const QDir root(dir.path());
        ASSERT_TRUE(root.mkdir(QStringLiteral("ports")) && root.mkdir(QStringLiteral("more")) &&
                    root.mkdir(QStringLiteral("dev")));
        const auto place = [&](const QString& path) {
            return path.startsWith(u'@') ? dir.filePath("dev/" + path.mid(1)) : path;
        };
        for (const auto& [node, device] : {std::pair{"ttyUSB0", "/dev/null"},
                                           {"ttyUSB1", "/dev/zero"},
                                           {"ttyS0", "/dev/full"},
                                           {"ttyACM0", "/dev/random"}}) {
            ASSERT_TRUE(QFile::link(device, place(QStringLiteral("@") + node)));
        }
        for (const QString& alias : aliases) {
            const bool second = alias.startsWith(QLatin1String("2:"));
            const QString name = alias.section(u'>', 0, 0).mid(second ? 2 : 0);
            ASSERT_TRUE(QFile::link(place(alias.section(u'>', 1)),
                                    dir.filePath((second ? "more/" : "ports/") + name)));
        }
        QStringList devices;
        for (const QString& d : present) {
            devices.append(place(u'@' + d));
        }
        const platform::LinuxSerialPortMap map(
            {dir.filePath(QStringLiteral("ports")), dir.filePath(QStringLiteral("more"))},
            [devices] { return devices; });
        const auto entries = map.entries();
        ASSERT_TRUE(entries.has_value());
        QStringList got;
        for (const auto& e : *entries) {
            got.append(e.name + u'=' + e.device);
        }
        QStringList expected;
        for (const QString& entry : QString::fromUtf8(listing).split(u' ')) {
            const QString name = entry.section(u'=', 0, 0);
            expected.append(name + u'=' + place(entry.section(u'=', 1)));
            EXPECT_EQ(map.deviceFor(name.mid(3).toInt()), place(entry.section(u'=', 1)));
        }
        EXPECT_EQ(got, expected);
        EXPECT_EQ(map.deviceFor(55), QString());
    }
}

// The tty class folder as the kernel shows it: a tty with a device behind it is a serial
// port, one without is not unless it is a Bluetooth link, a null-modem pair or a USB
// gadget's port; a ttyS port only when its node opens and reports a known UART type,
// whether its device link leads to the 8250 driver (kernels before 6.5) or to the serial
// core's "port" driver. This machine's ttyS0 stands in for a real UART when the kernel
// reports one there and the node may be opened. On this machine the listing is
// QSerialPortInfo's, but for ttyS ports it does not check.
TEST(SerialDevicesInSysfs, ListsWhatQSerialPortInfoLists) {
    QTemporaryDir sys;
    const QDir root(sys.path());
    QFile uartType(QStringLiteral("/sys/class/tty/ttyS0/type"));
    const bool realUart = uartType.open(QIODevice::ReadOnly) &&
                          uartType.readAll().trimmed().toInt() > 0 &&
                          ::access("/dev/ttyS0", R_OK | W_OK) == 0;
    // Each tty as "name:driver>node" (no ":": no device link, no ">": no node), with "+"
    // when it is listed.
    QStringList ttys = QString::fromLatin1(
                           "+ttyUSB0:ftdi_sio +ttyACM1:cdc_acm ttyS0:port ttyS1:serial8250 "
                           "ttyS2:port>/dev/null ttyS3:serial8250>/dev/null +ttyAMA0: tty1 console "
                           "ptmx +rfcomm0 rfcomm256 rfcommx +tnt0 +ttyGS0")
                           .split(u' ');
    if (realUart) {
        ttys.append(QStringLiteral("+ttyS4:port>/dev/ttyS0"));
    }
    const QString dev = root.filePath(QStringLiteral("dev"));
    ASSERT_TRUE(root.mkpath(dev));
    QStringList expected;
    for (const QString& tty : ttys) {
        const QString name = tty.section(u'>', 0, 0).section(u':', 0, 0).remove(u'+');
        const QString driver = tty.section(u'>', 0, 0).section(u':', 1);
        const QString node = tty.section(u'>', 1);
        ASSERT_TRUE(root.mkpath(QStringLiteral("class/tty/") + name));
        if (tty.contains(u':')) {
            const QString device = QStringLiteral("devices/") + name;
            ASSERT_TRUE(
                root.mkpath(device) &&
                QFile::link(root.filePath(device), root.filePath("class/tty/" + name + "/device")));
            ASSERT_TRUE(driver.isEmpty() || QFile::link("../../bus/x/drivers/" + driver,
                                                        root.filePath(device + "/driver")));
        }
        ASSERT_TRUE(node.isEmpty() || QFile::link(node, dev + u'/' + name));
        if (tty.startsWith(u'+')) {
            expected.append(dev + u'/' + name);
        }
    }
    expected.sort();
    EXPECT_EQ(platform::serialDevicesInSysfs(root.filePath(QStringLiteral("class/tty")), dev),
              expected);

    // Qt lists a ttyS port unchecked unless its driver is serial8250.
    const QStringList ours = platform::serialDevicesInSysfs();
    QStringList qt;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (!info.portName().startsWith(u"ttyS") || ours.contains(info.systemLocation())) {
            qt.append(info.systemLocation());
        }
    }
    qt.sort();
    EXPECT_EQ(ours, qt);
}

} // namespace
} // namespace tavrik::test
