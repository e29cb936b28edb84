// Prints what one refresh of the port list costs on this machine: reading the
// serial-port map (the machine's devices plus N aliases to pseudo-terminals) and
// RefreshPortList with the selection that the refresh tick makes.
#include "FakeListControl.h"
#include "PortsFakes.h"
#include "platform/LinuxSerialPortMap.h"
#include "ports/ModSetComm.h"

#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double microseconds(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

/// Opens a pseudo-terminal and returns its device path; the master stays open in `fds`.
QString openPty(std::vector<int>& fds) {
    const int fd = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0 || ::grantpt(fd) != 0 || ::unlockpt(fd) != 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        return QStringLiteral("/dev/null");
    }
    fds.push_back(fd);
    return QString::fromLocal8Bit(::ptsname(fd));
}

} // namespace

int main() {
    using namespace tavrik;
    const auto devices = platform::systemSerialDevices();
    const auto scanStart = Clock::now();
    const QStringList present = devices();
    const double scan = microseconds(Clock::now() - scanStart);
    std::printf("machine's serial devices: %lld, first scan %.0f us\n",
                static_cast<long long>(present.size()), scan);
    for (int i = 0; i < 3; ++i) {
        static_cast<void>(devices()); // until the answer counts as settled
    }

    for (const int aliases : {0, 4, 32}) {
        QTemporaryDir dir;
        if (!dir.isValid()) {
            std::fprintf(stderr, "no temporary folder\n");
            return EXIT_FAILURE;
        }
        std::vector<int> fds;
        for (int n = 1; n <= aliases; ++n) {
            QFile::link(openPty(fds), dir.filePath(QStringLiteral("COM%1").arg(n)));
        }
        const platform::LinuxSerialPortMap map(dir.path(), devices);
        test::FakeOsVersion os;
        test::MemoryProfileFile ini;
        test::RecordingMessageBoxes messages;
        test::FakeListControl combo2;
        ModSetComm ports(os, map, ini, messages, combo2);
        ports.ReShowComPortTimer_Timer();

        constexpr int kRounds = 2000;
        const auto start = Clock::now();
        for (int i = 0; i < kRounds; ++i) {
            ports.ReShowComPortTimer_Timer();
        }
        const double each = microseconds(Clock::now() - start) / kRounds;
        std::printf("%2d aliases, %2d entries: %7.1f us per refresh\n", aliases, combo2.count(),
                    each);
        for (const int fd : fds) {
            ::close(fd);
        }
    }
    return EXIT_SUCCESS;
}
