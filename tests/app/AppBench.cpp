#include "AppBench.h"

#include <cstring>

namespace tavrik::apptest {

QString FakePortMap::deviceFor(int portNumber) const {
    const QString name = QStringLiteral("COM%1").arg(portNumber);
    for (const platform::PortMapEntry& entry : ports) {
        if (entry.name == name) {
            return entry.device;
        }
    }
    return {};
}

void PutText(radiosim::Memory& memory, int offset, const char* text) {
    const std::size_t length = std::strlen(text);
    for (std::size_t i = 0; i < length; ++i) {
        memory.at(static_cast<std::size_t>(offset) + i) = static_cast<std::uint8_t>(text[i]);
    }
}

radiosim::Memory KnownRadio(const char* serial) {
    radiosim::Memory m{};
    PutText(m, 0x00, "TAVRIK");
    m[0x07] = 0x11; // bytes that are never interpreted must come back as they were
    m[0x08] = 0x22;
    m[0x0B] = 2; // RF firmware V2.10
    m[0x0C] = 0x10;
    m[0x0D] = 1; // LCD firmware V1.05
    m[0x0E] = 0x05;
    m[0x0F] = 1;                  // band 1
    m[0x10] = 0xA0 | 0x02 | 0x04; // Freq. Set and Stun, high bits foreign
    m[0x11] = 0x33;
    PutText(m, 0x14, "USR1");
    PutText(m, 0x18, "1234");
    PutText(m, 0x1C, "AR01");
    PutText(m, 0x20, serial);
    PutText(m, 0x30, "2026/1/2");
    PutText(m, 0x40, "03-1-E-1");
    PutText(m, 0x48, "RESERVED");
    PutText(m, 0x50, "2026/2/3");
    PutText(m, 0x60, "DLR-9");
    PutText(m, 0x70, "2026/3/4");
    PutText(m, 0x80, "2026/5/6");
    PutText(m, 0x90, "Wang");
    PutText(m, 0xA0, "Checked at the counter");
    PutText(m, 0xF0, "TAILBYTES");
    return m;
}

Bench::Bench() {
    ini.values.insert(QStringLiteral("language/comPort"), QStringLiteral("3"));
    port.setAvailablePorts({3});
}

Bench::~Bench() {
    window.reset();
}

app::FrmMain& Bench::open(std::uint32_t lcid) {
    locale.lcid = lcid;
    const app::FrmMainServices services{locale, calendar, codePage,  os,           portMap,
                                        ini,    port,     waitTimer, refreshTimer, messages};
    window = std::make_unique<app::FrmMain>(services);
    return *window;
}

void Bench::attachRadios(std::vector<radiosim::Memory> radios, radiosim::SimOptions options) {
    // Every byte takes its time on the line, as on the cable: a radio that answers at
    // once would keep the virtual clock standing while the window polls it.
    options.pacing = true;
    radio = std::make_unique<radiosim::RadioSim>(std::move(radios), options);
    port.setPeer([this](const QByteArray& sent, test::VirtualClock::Micros now) {
        std::vector<test::Arrival> arrivals;
        for (radiosim::Output& out : radio->receive(sent, now)) {
            arrivals.push_back({out.at, std::move(out.bytes)});
        }
        return arrivals;
    });
}

bool Bench::runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    return clock.runUntil(done, limit);
}

bool Bench::runUntilMessage(std::chrono::milliseconds limit) {
    const std::size_t before = messages.shown().size();
    return runUntil([&] { return messages.shown().size() > before; }, limit);
}

int Bench::handshakesSent() const {
    int count = 0;
    for (const QByteArray& bytes : port.sent()) {
        if (bytes == QByteArrayLiteral("PROGRAM")) {
            ++count;
        }
    }
    return count;
}

} // namespace tavrik::apptest
