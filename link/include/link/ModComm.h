#pragma once

#include "link/LineRecord.h"
#include "link/LinkTypes.h"
#include "link/ReplyMatcher.h"
#include "link/Steps.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

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
    /// Switches the window between normal and multi-write mode; true when it left
    /// multi-write mode (and set OpKind to Idle).
    virtual bool ShowStartMulWrite() = 0;
    /// The multi-write status line (Label6).
    virtual void setMulWriteStatus(const QString& text) = 0;
    /// The number of the radio in hand (Text2(1)).
    virtual void setMulWriteNumber(const QString& text) = 0;
    [[nodiscard]] virtual Language language() const = 0;
};

/// The programming link's shell: it owns the port's receive and loss handlers and the
/// two timers' ticks (installed by the constructor, removed by the destructor), runs one
/// handler at a time even across message boxes, sends what the steps ask, runs the
/// endings and keeps the record of the line. What came back is judged by the
/// ReplyMatcher, and the next request chosen by the step tables (Steps.h); the link
/// does no I/O of its own: bytes arrive from the SerialPort it is given, and the
/// time-outs are the Timers it is given.
class ModComm {
public:
    /// How many times in all one request is sent while its answer is rejected or cannot
    /// be trusted.
    static constexpr int kMaxTries = 3;
    /// Quiet checks in a row without a byte before a request is sent again (50 ms).
    static constexpr int kQuietTicksBeforeSendingAgain = 10;

    /// `waitTimer` ticks every kAnswerTimeout, `quietTimer` every kAnswerQuiet;
    /// `comPort` gives the number of the chosen port each time the port is opened;
    /// `clock` times the record of what the line showed.
    ModComm(platform::SerialPort& port, platform::Timer& waitTimer, platform::Timer& quietTimer,
            platform::MessageBoxes& messages, const platform::Clock& clock, ModData& data,
            LinkWindow& window, std::function<qint16()> comPort);
    ~ModComm();
    ModComm(const ModComm&) = delete;
    ModComm& operator=(const ModComm&) = delete;

    [[nodiscard]] LinkState& state() { return m_state; }
    [[nodiscard]] const LinkState& state() const { return m_state; }
    /// What the line showed during the operation in hand, or the last one.
    [[nodiscard]] const LineRecord& record() const { return m_record; }

    /// Read and Write buttons: a fresh start whatever runs (the port is opened anew),
    /// then the handshake. Ignored while a step runs (inside its message box).
    void StartRead();
    void StartWrite();
    /// The multi-write button: stops the run under way (the window back in normal mode,
    /// the port closed), or switches the window to multi-write mode and starts a run of
    /// `total` radios. True when a run started; a port that does not open takes the
    /// window back to normal mode. Ignored while a step runs.
    bool MulWriteButton(qint32 total);
    /// The window closes: the port closes and nothing more is sent, awaited or shown.
    void Abandon();
    /// True while a step or an ending runs, that is inside its message box or band
    /// question; no other step, ending or start may run then.
    [[nodiscard]] bool StepRunning() const { return m_stepRunning; }

private:
    /// What taking an answer changed, kept while the answer is in doubt.
    struct Undo {
        LinkState state;
        QByteArray image;
        qint16 band = 0;
        LineRecord record; ///< without its exchanges
        QByteArray request;
        int answerLength = 0;
        int tries = 0;
    };
    /// What the quiet timer runs for.
    enum class Quiet { None, BeforeTaking, BeforeSendingAgain };

    // Handlers of the port and the timers.
    void MSComm1_OnComm();
    void WaitTimer_Timer();
    void QuietTimer_Timer();
    void PortLost();
    template <typename Body> void runHandler(Body body);

    void startOperation(OpKind kind);
    [[nodiscard]] bool StartMulWrite(qint32 total);
    void StopMulWrite();
    void stopWaiting();
    [[nodiscard]] bool OpenCommPort();
    void CloseCommPort();

    void transmit(const QByteArray& request, int answerLength, bool again = false);
    void perform(const steps::Action& action);
    [[nodiscard]] bool receive(const QByteArray& chunk, bool atTimeOut = false);
    void act(Reply reply);
    [[nodiscard]] bool cannotBeTakenBack() const;
    void accept(Reply reply);
    void reject();
    [[nodiscard]] Undo snapshot() const;
    void rollBack();
    void notTrusted();
    void sendAgain();
    void waitForQuietThenSendAgain();
    void StoreReadReply(const QByteArray& frame);
    void StoreBlockAt(const QByteArray& frame, qint32 address, qint32 count);
    [[nodiscard]] bool isTheRadioJustWritten() const;
    void waitForNextRadio(const QString& english, const QString& chinese);

    void ReadDone();
    void WriteDone();
    void ModelError();
    void CommunicationError();
    void beginRecord(OpKind kind);
    [[nodiscard]] qint64 recordTime() const;
    void noteArrival(const QByteArray& chunk, bool atTimeOut = false);

    platform::SerialPort& m_port;
    platform::Timer& m_waitTimer;
    platform::Timer& m_quietTimer;
    platform::MessageBoxes& m_messages;
    const platform::Clock& m_clock;
    ModData& m_data;
    LinkWindow& m_window;
    std::function<qint16()> m_comPort;
    LinkState m_state;
    LineRecord m_record;
    std::chrono::milliseconds m_recordStart{0};

    // The request last sent, sent again as it stands when the radio rejects it, and
    // what has come back since it was sent.
    ReplyMatcher m_matcher;
    int m_tries = 0;
    // The answer last taken, until the next request's own answer is taken; evidence
    // against it takes it back.
    std::optional<Undo> m_undo;
    // A request found bytes waiting while the answer before was in doubt.
    bool m_suspect = false;
    Quiet m_quiet = Quiet::None;
    int m_quietTicks = 0;
    // The image last written in a multi-write run: the radio it went to is not written twice.
    QByteArray m_lastWritten;
    // The port is open for the operation in hand (from OpenCommPort to CloseCommPort).
    bool m_portInUse = false;
    // The port was lost or refused a request; the handler in hand ends the operation.
    bool m_lineLost = false;
    // True while a step or an ending runs: a message box or the band question runs a
    // nested event loop, and a receive event or tick delivered inside it must not run
    // a second step underneath the first.
    bool m_stepRunning = false;
};

} // namespace tavrik
