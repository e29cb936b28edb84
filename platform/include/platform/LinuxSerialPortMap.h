#pragma once

#include "platform/SerialPortMap.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>

namespace tavrik::platform {

/// Lists the machine's serial devices by their paths ("/dev/ttyUSB0").
using SerialDeviceLister = std::function<QStringList()>;

/// The serial devices of the kernel's tty class folder (/sys/class/tty), as paths in
/// `deviceFolder`, sorted: the devices QSerialPortInfo::availablePorts() lists, found
/// by the same rules without its walk through udev's records of every tty, which costs
/// over ten times as much (bench/bench_portlist):
/// - a tty with a device behind it (a `device` link), except an on-board port (ttyS<n>,
///   or any of the 8250 driver, `serial8250`) whose node does not open or reports an
///   unknown UART: that driver makes a node for every port the board may have. From
///   kernel 6.5 on, a ttyS port's device link leads to the serial core's `port` driver,
///   which QSerialPortInfo does not check;
/// - a tty without one only when it is a Bluetooth link (rfcomm0 .. rfcomm255), a
///   null-modem pair (tnt...) or a USB gadget's port (ttyGS...); the consoles and
///   terminals are left out.
[[nodiscard]] QStringList
serialDevicesInSysfs(const QString& ttyClassFolder = QStringLiteral("/sys/class/tty"),
                     const QString& deviceFolder = QStringLiteral("/dev"));

/// The machine's serial devices (serialDevicesInSysfs). The answer is kept while the
/// names in /sys/class/tty stay the same, which they do until an adapter comes or goes;
/// after a change it is asked again until it has given the same answer three times.
[[nodiscard]] SerialDeviceLister systemSerialDevices();

/// The COM number of a device, from its kernel name (the last part of its path), by
/// family and index:
///
///     ttyS<k>     on-board ports              k 0..98   COM1   .. COM99   (k + 1)
///     ttyUSB<k>   USB serial adapters         k 0..99   COM100 .. COM199  (100 + k)
///     ttyACM<k>   USB modem-class adapters    k 0..99   COM200 .. COM299  (200 + k)
///     ttyAMA<k>   on-board ports of ARM boards k 0..99  COM300 .. COM399  (300 + k)
///     rfcomm<k>   Bluetooth serial links      k 0..99   COM400 .. COM499  (400 + k)
///
/// The index is plain decimal (no leading zeros). Any other device, or an index out
/// of its range, has no number of its own: the map numbers it by name.
[[nodiscard]] std::optional<int> comNumberForDevice(QStringView devicePath);

/// The number, from 500 to 999, that a device without a number of its own starts from,
/// from its kernel name alone: h starts at 0, and for each character of the name
/// h := (h * 31 + its code) mod 500; the number is 500 + h ("ttyCH341USB0" gives 746,
/// "ttyXRUSB0" 535, "ttyUSB100" 842).
[[nodiscard]] int comNumberByName(QStringView devicePath);

/// The serial-port map on Linux, read afresh on each call:
/// 1. aliases first, in number order: each entry "COM<n>" of the alias folders (n from
///    1 to 999, plain decimal, name in capitals) that leads to a character device,
///    normally a symbolic link made by the user (`ln -s /dev/ttyUSB0 ports/COM3`);
///    a dangling link, or one to anything but a character device, is left out; a name
///    found in an earlier folder is not taken again from a later one;
/// 2. then the devices, in number order, except a device that an alias already leads to
///    (the same device number, whatever the path): a device keeps its own number
///    (comNumberForDevice) unless an alias has taken it; every other device, in the
///    order of the kernel names, takes the first number from comNumberByName up that
///    no alias or device has (after 999 comes 500), and is left out only when all of
///    500 to 999 are taken. Name order compares character codes one by one. A number
///    never depends on the order the devices are listed in, and a device moves on from
///    its comNumberByName only past numbers that an alias, or a device earlier in name
///    order, holds.
/// Each entry's `device` is the path to open: for an alias its link's target when that
/// is an absolute path (as written: /dev/ttyUSB0, /dev/serial/by-id/...), else the path
/// resolved in full; for a device its path as listed. deviceFor() reads the same map, so
/// the port opened by number is the one listed under that number.
class LinuxSerialPortMap final : public SerialPortMap {
public:
    LinuxSerialPortMap(QStringList aliasFolders, SerialDeviceLister devices);

    [[nodiscard]] std::optional<std::vector<PortMapEntry>> entries() const override;
    [[nodiscard]] QString deviceFor(int portNumber) const override;

    /// Highest number an alias may take: entries show at most three digits.
    static constexpr int kMaxPortNumber = 999;

private:
    QStringList m_aliasFolders;
    SerialDeviceLister m_devices;
};

} // namespace tavrik::platform
