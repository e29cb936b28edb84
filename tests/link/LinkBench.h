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

#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace tavrik::test {

/// Text as ISO 8859-1; enough for the link, which never converts text itself.
class Latin1CodePage final : public platform::CodePage {
public:
    [[nodiscard]] int number() const override { return 28591; }
    [[nodiscard]] QByteArray fromUnicode(const QString& text) const override {
        return text.toLatin1();
    }
    [[nodiscard]] QString toUnicode(const QByteArray& bytes) const override {
        return QString::fromLatin1(bytes);
    }
};

/// What the operator has typed into the window; GetDataByShow copies it into the record.
struct WindowFields {
    qint16 band = 2;
    qint16 freqSet = 0;
    qint16 stun = 1;
    qint16 kill = 1;
    QString password = QStringLiteral("AB");
    QString dealer = QStringLiteral("SHOP-7");
    QString stock = QStringLiteral("2026-03-01");
    QString sell = QStringLiteral("2026-03-05");
    QString seller = QStringLiteral("Li Lei");
};

/// A main window that records what the link asks of it.
class FakeWindow final : public LinkWindow {
public:
    explicit FakeWindow(ModData& data) : m_data(data) {}
    void attach(ModComm& comm) { m_comm = &comm; }

    void ShowByData() override;
    void GetDataByShow() override;
    bool ShowStartMulWrite() override;
    void setMulWriteStatus(const QString& text) override;
    void setMulWriteNumber(const QString& text) override;
    [[nodiscard]] qint16 languageFlag() const override { return language; }

    WindowFields fields;
    qint16 language = kLanguageEnglish;
    /// Runs inside GetDataByShow before the fields are copied (the band question's place).
    std::function<void()> duringGetData;
    bool mulWriteMode = false;
    QString status;
    QString number;
    /// Every call, in order: "ShowByData", "GetDataByShow", "ShowStartMulWrite",
    /// "status:<text>", "number:<text>".
    QStringList calls;
    /// The serial number the record held at each ShowByData.
    QStringList shownSerials;

private:
    ModData& m_data;
    ModComm* m_comm = nullptr;
};

/// A link wired to simulated radios on a virtual clock: the port, the 500 ms time-out,
/// the message boxes, the settings model and the window are all fakes.
struct LinkBench {
    explicit LinkBench(std::vector<radiosim::Memory> radios = {radiosim::DefaultMemory()},
                       radiosim::SimOptions options = pacedOptions());

    static radiosim::SimOptions pacedOptions();

    /// Runs the clock until nothing is scheduled (the operation is over) or `limit` passes.
    void settle(std::chrono::microseconds limit = std::chrono::seconds(60));
    /// Runs until `done` holds; false when `limit` passed first.
    bool runUntil(const std::function<bool()>& done,
                  std::chrono::microseconds limit = std::chrono::seconds(60));
    /// The multi-write button's start, as the window does it.
    bool startMulWrite(qint32 total);

    /// Each request sent, in a short form: "PROGRAM", "R3B00", "W3B60", "END".
    [[nodiscard]] QStringList requests() const;
    /// Each request sent, as upper-case hex bytes separated by spaces.
    [[nodiscard]] QStringList hexRequests() const;
    [[nodiscard]] QStringList messages() const;

    VirtualClock clock;
    FakeTimer timer{clock, std::chrono::milliseconds(500)};
    FakeSerialPort port{clock};
    FakeMessageBoxes boxes;
    Latin1CodePage codePage;
    FixedCalendar calendar{QDate(2026, 3, 5)};
    ModData data{codePage, calendar};
    FakeWindow window{data};
    radiosim::RadioSim sim;
    ModComm comm;
};

/// A memory of `radio` that differs from the default in its own bytes.
[[nodiscard]] radiosim::Memory distinctMemory(int radio);
/// True for the bytes a write puts there from the settings (band, three flag bits,
/// password, dealer fields); every other byte goes back as the radio held it.
[[nodiscard]] bool writeOwns(int offset, std::uint8_t* mask);

} // namespace tavrik::test
