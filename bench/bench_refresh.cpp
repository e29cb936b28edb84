// Prints what one refresh of the port list costs on this machine: reading the
// serial-port map (the machine's devices plus N aliases to a character device) and
// the refresh tick's RefreshPortList and selection.
#include "FakeListControl.h"
#include "FakeMessageBoxes.h"
#include "ServiceFakes.h"
#include "platform/LinuxSerialPortMap.h"
#include "ports/ModSetComm.h"

#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

int main() {
    using namespace tavrik;
    using Clock = std::chrono::steady_clock;
    const auto devices = platform::systemSerialDevices();
    for (int i = 0; i < 4; ++i) {
        static_cast<void>(devices()); // until the answer counts as settled
    }
    for (const int aliases : {0, 4, 32}) {
        QTemporaryDir dir;
        for (int n = 1; n <= aliases; ++n) {
            QFile::link(QStringLiteral("/dev/null"), dir.filePath(QStringLiteral("COM%1").arg(n)));
        }
        const platform::LinuxSerialPortMap map({dir.path()}, devices);
        test::FakeOsVersion os;
        test::FakeIni ini;
        test::FakeMessageBoxes messages;
        test::FakeListControl combo2;
        ModSetComm ports(os, map, ini, messages, combo2);
        constexpr int kRounds = 2000;
        const auto start = Clock::now();
        for (int i = 0; i < kRounds; ++i) {
            ports.ReShowComPortTimer_Timer();
        }
        const std::chrono::duration<double, std::micro> each = (Clock::now() - start) / kRounds;
        std::printf("%2d aliases, %2d entries: %7.1f us per refresh\n", aliases, combo2.count(),
                    each.count());
    }
}
