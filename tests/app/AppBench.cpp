#include "AppBench.h"

#include <cstring>

namespace tavrik::apptest {

void PutText(radiosim::Memory& memory, int offset, const char* text) {
    for (std::size_t i = 0; i < std::strlen(text); ++i) {
        memory.at(static_cast<std::size_t>(offset) + i) = static_cast<std::uint8_t>(text[i]);
    }
}

QStringList AllTexts(const app::FrmMain& w) {
    QStringList texts;
    for (int index = 0; index <= 13; ++index) {
        texts << w.Text1Text(index);
    }
    return texts;
}

radiosim::Memory KnownRadio(const char* serial) {
    radiosim::Memory m{};
    const std::pair<int, const char*> texts[] = {
        {0x00, "TAVRIK"},   {0x14, "USR1"},
        {0x18, "1234"},     {0x1C, "AR01"},
        {0x20, serial},     {0x30, "2026/1/2"},
        {0x40, "03-1-E-1"}, {0x48, "RESERVED"},
        {0x50, "2026/2/3"}, {0x60, "DLR-9"},
        {0x70, "2026/3/4"}, {0x80, "2026/5/6"},
        {0x90, "Wang"},     {0xA0, "Checked at the counter"},
        {0xF0, "TAILBYTES"}};
    for (const auto& [offset, text] : texts) {
        PutText(m, offset, text);
    }
    m[0x07] = 0x11; // bytes that are never interpreted must come back as they were
    m[0x08] = 0x22;
    m[0x0B] = 2; // RF firmware V2.10
    m[0x0C] = 0x10;
    m[0x0D] = 1; // LCD firmware V1.05
    m[0x0E] = 0x05;
    m[0x0F] = 1;                  // band 1
    m[0x10] = 0xA0 | 0x02 | 0x04; // Freq. Set and Stun, high bits foreign
    m[0x11] = 0x33;
    return m;
}

Bench::Bench() {
    portMap.ports = {{QStringLiteral("COM3"), QStringLiteral("/dev/ttyUSB0")}};
    ini.values.insert(QStringLiteral("language/comPort"), QStringLiteral("3"));
    port.setAvailablePorts({3});
}

app::FrmMain& Bench::open(std::uint32_t lcid) {
    locale.lcid = lcid;
    const app::FrmMainServices services{locale, calendar,  *codePage,    os,       portMap, ini,
                                        port,   waitTimer, refreshTimer, messages, time};
    window = std::make_unique<app::FrmMain>(services);
    return *window;
}

void Bench::activate() {
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
}

QStringList Bench::tabThrough(int count) {
    QStringList visited;
    for (int i = 0; i < count; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    return visited;
}

void Bench::attachRadios(std::vector<radiosim::Memory> radios) {
    radiosim::SimOptions options;
    options.pacing = true; // a radio answering at once would keep the virtual clock standing
    radio = std::make_unique<radiosim::RadioSim>(std::move(radios), options);
    port.setPeer([this](const QByteArray& sent, test::VirtualClock::Micros now) {
        std::vector<test::Arrival> arrivals;
        for (radiosim::Output& out : radio->receive(sent, now)) {
            arrivals.push_back({out.at, std::move(out.bytes)});
        }
        return arrivals;
    });
}

bool Bench::runUntilMessage(std::chrono::milliseconds limit) {
    const std::size_t before = messages.shown().size();
    return clock.runUntil([&] { return messages.shown().size() > before; }, limit);
}

} // namespace tavrik::apptest

// Widget tests need an application object for the whole run.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
