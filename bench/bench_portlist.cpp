// Prints what listing the machine's serial devices costs, through
// QSerialPortInfo::availablePorts() and through the direct listing of /sys/class/tty
// that the program uses (serialDevicesInSysfs), and whether the two list the same
// devices here.
#include "platform/LinuxSerialPortMap.h"

#include <QSerialPortInfo>
#include <QStringList>

#include <chrono>
#include <cstdio>
#include <functional>

namespace {

using Clock = std::chrono::steady_clock;

QStringList qtDevices() {
    QStringList devices;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : ports) {
        devices.append(info.systemLocation());
    }
    devices.sort();
    return devices;
}

/// The first call's time, then the mean of `rounds` more, in milliseconds.
void time(const char* name, const std::function<QStringList()>& list, int rounds) {
    auto start = Clock::now();
    const QStringList devices = list();
    const std::chrono::duration<double, std::milli> first = Clock::now() - start;
    start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        static_cast<void>(list());
    }
    const std::chrono::duration<double, std::milli> each = (Clock::now() - start) / rounds;
    std::printf("%-26s first %7.3f ms, then %7.3f ms each; %lld devices: %s\n", name, first.count(),
                each.count(), static_cast<long long>(devices.size()),
                qPrintable(devices.join(u' ')));
}

} // namespace

int main() {
    // The direct listing first: the first call of either pays for the kernel's sysfs
    // entries coming into its caches.
    time(
        "/sys/class/tty directly", [] { return tavrik::platform::serialDevicesInSysfs(); }, 200);
    time("QSerialPortInfo", qtDevices, 50);
    const bool same = qtDevices() == tavrik::platform::serialDevicesInSysfs();
    std::printf("same devices: %s\n", same ? "yes" : "NO");
    return same ? 0 : 1;
}
