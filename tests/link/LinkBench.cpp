#include "LinkBench.h"

namespace tavrik::test {

void FakeWindow::ShowByData() {
    calls << QStringLiteral("ShowByData");
    shownSerials << m_data.settings().SerialNumber.text();
}

void FakeWindow::GetDataByShow() {
    calls << QStringLiteral("GetDataByShow");
    if (duringGetData) {
        duringGetData();
    }
    RadioSettings& s = m_data.settings();
    s.BandIndex = fields.band;
    s.FreqSetEnabled = fields.freqSet;
    s.StunEnabled = fields.stun;
    s.KillEnabled = fields.kill;
    s.ProgramPassword = fields.password;
    s.DealerCode = fields.dealer;
    s.StockDate = fields.stock;
    s.SellDate = fields.sell;
    s.Seller = fields.seller;
}

bool FakeWindow::ShowStartMulWrite() {
    calls << QStringLiteral("ShowStartMulWrite");
    if (m_comm->state().opKind == OpKind::MulWrite) {
        mulWriteMode = false;
        status.clear();
        number.clear();
        m_comm->state().opKind = OpKind::Idle;
        return true;
    }
    mulWriteMode = true;
    return false;
}

void FakeWindow::setMulWriteStatus(const QString& text) {
    calls << QStringLiteral("status:") + text;
    status = text;
}

void FakeWindow::setMulWriteNumber(const QString& text) {
    calls << QStringLiteral("number:") + text;
    number = text;
}

radiosim::SimOptions LinkBench::pacedOptions() {
    radiosim::SimOptions options;
    options.pacing = true;
    return options;
}

LinkBench::LinkBench(std::vector<radiosim::Memory> radios, radiosim::SimOptions options)
    : sim(std::move(radios), options),
      comm(port, timer, boxes, data, window, [] { return qint16{3}; }) {
    data.LoadDefaults();
    window.attach(comm);
    port.setPeer([this](const QByteArray& sent, VirtualClock::Micros now) {
        std::vector<Arrival> out;
        for (radiosim::Output& o : sim.receive(sent, now)) {
            out.push_back({o.at, std::move(o.bytes)});
        }
        return out;
    });
}

void LinkBench::settle(std::chrono::microseconds limit) {
    (void)clock.runUntil([this] { return !clock.hasPending(); }, limit);
}

bool LinkBench::runUntil(const std::function<bool()>& done, std::chrono::microseconds limit) {
    return clock.runUntil(done, limit);
}

bool LinkBench::startMulWrite(qint32 total) {
    if (window.ShowStartMulWrite()) {
        comm.StopMulWrite();
        return false;
    }
    if (!comm.StartMulWrite(total)) {
        (void)window.ShowStartMulWrite();
        return false;
    }
    return true;
}

QStringList LinkBench::requests() const {
    QStringList out;
    for (const QByteArray& r : port.sent()) {
        if (r == "PROGRAM" || r == "END") {
            out << QString::fromLatin1(r);
        } else if ((r.size() == 4 || r.size() == 22) && (r.at(0) == 'R' || r.at(0) == 'W')) {
            out << QString::fromLatin1(r.left(1) + r.mid(1, 2).toHex().toUpper());
        } else {
            out << QString::fromLatin1(r.toHex(' ').toUpper());
        }
    }
    return out;
}

QStringList LinkBench::hexRequests() const {
    QStringList out;
    for (const QByteArray& r : port.sent()) {
        out << QString::fromLatin1(r.toHex(' ').toUpper());
    }
    return out;
}

QStringList LinkBench::messages() const {
    QStringList out;
    for (const QString& t : boxes.texts()) {
        out << t;
    }
    return out;
}

radiosim::Memory distinctMemory(int radio) {
    radiosim::Memory m = radiosim::DefaultMemory();
    const auto r = static_cast<std::uint8_t>(radio);
    m[0x07] = static_cast<std::uint8_t>(0x10 + r);                 // not interpreted
    m[0x0B] = static_cast<std::uint8_t>(0x02 + r);                 // RF major version
    m[0x10] = static_cast<std::uint8_t>(r % 2 == 0 ? 0x81 : 0x70); // flag bits 0, 4..7
    m[0x12] = static_cast<std::uint8_t>(0x40 + r);                 // not interpreted
    m[0x14] = static_cast<std::uint8_t>('A' + r);                  // user code
    m[0x1C] = static_cast<std::uint8_t>('5' + r);                  // area code
    m[0x2F] = static_cast<std::uint8_t>('0' + r);                  // serial number
    for (int i = 0; i < 16; ++i) {
        m[static_cast<size_t>(0xF0 + i)] = static_cast<std::uint8_t>(0x11 * r + i);
    }
    return m;
}

bool writeOwns(int offset, std::uint8_t* mask) {
    if (offset == 0x10) {
        *mask = 0x0E; // bits 1..3: freq. set, stun, kill
        return true;
    }
    *mask = 0xFF;
    return offset == 0x0F || (offset >= 0x18 && offset <= 0x1B) ||
           (offset >= 0x60 && offset <= 0x9F);
}

} // namespace tavrik::test
