// How long a clean Read and a clean Write take at 9600 baud against the simulated radio,
// on the virtual clock, next to an ideal client that sends each request the instant the
// answer to the one before is complete. What the link adds on top (the quiet checks
// behind the answers that lead to an ending or to the window's fields) shows as the
// difference. Run by hand; prints its figures.

#include "../tests/link/LinkBench.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

using namespace tavrik;
using namespace tavrik::test;

// The virtual time an ideal client needs for `requests`, each sent the moment the
// last byte of the answer before has arrived.
double idealMs(const std::vector<QByteArray>& requests) {
    radiosim::RadioSim radio({radiosim::DefaultMemory()}, pacedOptions());
    radiosim::Micros t{0};
    for (const QByteArray& request : requests) {
        for (const radiosim::Output& o : radio.receive(request, t)) {
            t = std::max(t, o.at);
        }
    }
    return static_cast<double>(t.count()) / 1000.0;
}

void measure(const char* name, OpKind kind) {
    LinkBench bench;
    bench.start(kind, 1);
    (void)bench.runUntil([&] { return !bench.boxes.texts().empty(); });
    const double link = static_cast<double>(bench.clock.now().count()) / 1000.0;
    const double ideal = idealMs(bench.port.sent());
    std::printf("%-6s %2zu requests  link %7.1f ms  ideal client %7.1f ms  %+5.2f %%  (%s)\n", name,
                bench.port.sent().size(), link, ideal, 100.0 * (link - ideal) / ideal,
                qPrintable(bench.boxes.texts().front()));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    measure("Read", OpKind::Read);
    measure("Write", OpKind::Write);
    return 0;
}
