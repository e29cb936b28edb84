#pragma once

#include "FakeMessageBoxes.h"
#include "FakeSerialPort.h"
#include "FakeTimer.h"
#include "FixedCalendar.h"
#include "VirtualClock.h"
#include "link/ModComm.h"
#include "platform/CodePage.h"
#include "radiosim/RadioSim.h"
#include "settings/ModData.h"

#include "RadioMemory.h"

#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

#include <ostream>

// Texts in test failures as text.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace tavrik::test {

/// A main window that records what the link asks of it.
class FakeWindow final : public LinkWindow {
public:
    explicit FakeWindow(ModData& data) : m_data(data) {}

    void ShowByData() override {
        calls << QStringLiteral("ShowByData");
        shownSerials << m_data.settings().SerialNumber.text();
    }
    /// Copies the operator's fields into the record.
    void GetDataByShow() override {
        calls << QStringLiteral("GetDataByShow");
        if (duringGetData) {
            duringGetData();
        }
        RadioSettings& s = m_data.settings();
        s.BandIndex = 2;
        s.FreqSetEnabled = 0;
        s.StunEnabled = 1;
        s.KillEnabled = 1;
        s.ProgramPassword = QStringLiteral("AB");
        s.DealerCode = dealerCode;
        s.StockDate = QStringLiteral("2026-03-01");
        s.SellDate = QStringLiteral("2026-03-05");
        s.Seller = QStringLiteral("Li Lei");
    }
    void ShowStartMulWrite(bool multiWrite) override {
        calls << QStringLiteral("ShowStartMulWrite");
        mulWriteMode = multiWrite;
        if (!multiWrite) {
            number.clear();
        }
    }
    void setMulWriteStatus(const QString& text) override {
        calls << QStringLiteral("status:") + text;
    }
    void setMulWriteNumber(const QString& text) override {
        calls << QStringLiteral("number:") + text;
        number = text;
    }
    [[nodiscard]] Language language() const override { return windowLanguage; }

    Language windowLanguage = Language::English;
    QString dealerCode = QStringLiteral("SHOP-7");
    /// Runs inside GetDataByShow before the fields are copied (the band question's place).
    std::function<void()> duringGetData;
    bool mulWriteMode = false;
    QString number;
    /// Every call: "ShowByData", "GetDataByShow", "ShowStartMulWrite", "status:..", "number:..".
    QStringList calls;
    /// The serial number the record held at each ShowByData.
    QStringList shownSerials;

private:
    ModData& m_data;
};

inline radiosim::SimOptions pacedOptions() {
    radiosim::SimOptions options;
    options.pacing = true;
    return options;
}

/// A link wired to simulated radios on a virtual clock: the port, the answer time-out,
/// the message boxes and the window are fakes; the settings model is the real one.
struct LinkBench {
    explicit LinkBench(std::vector<radiosim::Memory> radios = {radiosim::DefaultMemory()},
                       const radiosim::SimOptions& options = pacedOptions())
        : sim(std::move(radios), options),
          comm(port, timer, wakeTimer, boxes, time, data, window, [] { return qint16{3}; }) {
        data.LoadDefaults();
        port.setPeer([this](const QByteArray& sent, VirtualClock::Micros now) {
            return sim.receive(sent, now);
        });
    }
    /// Two default radios and `options`.
    explicit LinkBench(const radiosim::SimOptions& options)
        : LinkBench({radiosim::DefaultMemory(), radiosim::DefaultMemory()}, options) {}
    virtual ~LinkBench() = default;
    LinkBench(const LinkBench&) = delete;
    LinkBench& operator=(const LinkBench&) = delete;

    /// Runs the clock until nothing is scheduled (the operation is over) or `limit` passes.
    void settle(std::chrono::microseconds limit = std::chrono::seconds(60)) {
        (void)clock.runUntil([this] { return !clock.hasPending(); }, limit);
    }
    bool runUntil(const std::function<bool()>& done,
                  std::chrono::microseconds limit = std::chrono::seconds(60)) {
        return clock.runUntil(done, limit);
    }
    /// The multi-write button; true when a run started.
    bool startMulWrite(qint32 total) { return comm.MulWriteButton(total); }
    /// Read or Write button; the multi-write button with `total` radios for MulWrite.
    void start(OpKind kind, qint32 total = 2) {
        if (kind == OpKind::Read) {
            comm.StartRead();
        } else if (kind == OpKind::Write) {
            comm.StartWrite();
        } else {
            (void)startMulWrite(total);
        }
    }

    /// Each request sent, as upper-case hex bytes separated by spaces, or (`brief`) as
    /// "PROGRAM", "R3B00", "W3B60", "END".
    [[nodiscard]] QStringList requests(bool brief = true) const {
        QStringList out;
        for (const QByteArray& r : port.sent()) {
            const bool block = (r.size() == 4 || r.size() == 22) && (r[0] == 'R' || r[0] == 'W');
            out << QString::fromLatin1(!brief                         ? r.toHex(' ').toUpper()
                                       : r == "PROGRAM" || r == "END" ? r
                                       : block ? r.left(1) + r.mid(1, 2).toHex().toUpper()
                                               : r.toHex(' ').toUpper());
        }
        return out;
    }
    [[nodiscard]] QStringList messages() const {
        const std::vector<QString> texts = boxes.texts();
        return {texts.begin(), texts.end()};
    }
    /// The operation is over: idle, port closed, no time-out running.
    [[nodiscard]] bool ended() const {
        return comm.state().opKind == OpKind::Idle && !port.isOpen() && !timer.isEnabled() &&
               !wakeTimer.isEnabled();
    }

    VirtualClock clock;
    FakeTimer timer{clock, kAnswerTimeout};
    FakeTimer wakeTimer{clock, kAnswerTimeout};
    FakeSerialPort port{clock};
    FakeMessageBoxes boxes;
    VirtualTime time{clock};
    std::unique_ptr<platform::CodePage> codePage = platform::makeCodePage(28591);
    FixedCalendar calendar{QDate(2026, 3, 5)};
    ModData data{*codePage, calendar};
    radiosim::RadioSim sim;
    ModComm comm;
    FakeWindow window{data};
};

/// Words separated by spaces, as a list.
inline QStringList words(const char* text) {
    return QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace tavrik::test
