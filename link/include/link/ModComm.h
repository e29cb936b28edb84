#pragma once

#include "link/LineRecord.h"
#include "link/LinkMachine.h"
#include "link/LinkTypes.h"
#include "link/Steps.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace tavrik {
class ModData;
namespace platform {
class Clock;
class SerialPort;
class Timer;
class MessageBoxes;
} // namespace platform

/// What the programming link needs of the main window.
class LinkWindow {
public:
    virtual ~LinkWindow() = default;
    /// Shows the settings record in the window's fields.
    virtual void ShowByData() = 0;
    /// Copies the window's fields into the settings record (may ask the band question).
    virtual void GetDataByShow() = 0;
    /// Shows the window in multi-write mode (Read and Write disabled, the button's stop
    /// caption) or back in normal mode. The link decides; the window only follows.
    virtual void ShowStartMulWrite(bool multiWrite) = 0;
    /// The multi-write status line (Label6).
    virtual void setMulWriteStatus(const QString& text) = 0;
    /// The number of the radio in hand (Text2(1)).
    virtual void setMulWriteNumber(const QString& text) = 0;
    [[nodiscard]] virtual Language language() const = 0;
};

/// The programming link's shell around its machine (LinkMachine): it installs the port's
/// receive and loss handlers and the two timers' ticks (in the constructor, removed by
/// the destructor), runs one handler at a time even across message boxes, gives the
/// machine every event with the time, and carries out the machine's commands on the
/// port, the timers, the settings, the window and the message boxes. It decides nothing
/// itself.
class ModComm {
public:
    /// `waitTimer` ticks every kAnswerTimeout; `wakeTimer`'s interval is set each time
    /// the machine asks to be woken; `comPort` gives the number of the chosen port each
    /// time the port is opened; `clock` times the events.
    ModComm(platform::SerialPort& port, platform::Timer& waitTimer, platform::Timer& wakeTimer,
            platform::MessageBoxes& messages, const platform::Clock& clock, ModData& data,
            LinkWindow& window, std::function<qint16()> comPort);
    ~ModComm();
    ModComm(const ModComm&) = delete;
    ModComm& operator=(const ModComm&) = delete;

    /// The link state, written by the machine alone.
    [[nodiscard]] const LinkState& state() const { return m_machine.state(); }
    /// What the line showed during the operation in hand, or the last one.
    [[nodiscard]] const LineRecord& record() const { return m_machine.record(); }

    /// Read and Write buttons: a fresh start whatever runs (the port is opened anew),
    /// then the handshake. Ignored while a step runs (inside its message box).
    void StartRead();
    void StartWrite();
    /// The multi-write button: stops the run under way (the window back in normal mode,
    /// the port closed), or puts the window in multi-write mode and starts a run of
    /// `total` radios. True when a run started; a port that does not open takes the
    /// window back to normal mode. Ignored while a step runs.
    bool MulWriteButton(qint32 total);
    /// The window closes: the port closes and nothing more is sent, awaited or shown.
    void Abandon();
    /// True while a step or an ending runs, that is inside its message box or band
    /// question; no other step, ending or start may run then.
    [[nodiscard]] bool StepRunning() const { return m_stepRunning; }

private:
    // Handlers of the port and the timers.
    void MSComm1_OnComm();
    void WaitTimer_Timer();
    void WakeTimer_Timer();
    void PortLost();
    template <typename Body> void runHandler(Body body);

    void startOperation(OpKind kind, qint32 total);
    [[nodiscard]] bool OpenCommPort();
    void CloseCommPort();
    [[nodiscard]] LinkMachine::Time now() const;
    /// Bytes waiting in the port go to the machine first (`atTimeOut`: found at a tick).
    void giveWaiting(bool atTimeOut);
    void carryOut(const LinkMachine::Commands& commands);
    void carryOut(const LinkCommand& c);
    void inform(const LinkCommand& c);

    platform::SerialPort& m_port;
    platform::Timer& m_waitTimer;
    platform::Timer& m_wakeTimer;
    platform::MessageBoxes& m_messages;
    const platform::Clock& m_clock;
    ModData& m_data;
    LinkWindow& m_window;
    std::function<qint16()> m_comPort;
    LinkMachine m_machine;
    int m_portNumber = 0; ///< the port last opened or tried
    // The port was lost, or refused a request (`m_refused`); the handler in hand tells
    // the machine once it is done.
    bool m_lineLost = false;
    bool m_refused = false;
    // True while a step or an ending runs: a message box or the band question runs a
    // nested event loop, and a receive event or tick delivered inside it must not run
    // a second step underneath the first.
    bool m_stepRunning = false;
};

} // namespace tavrik
