#pragma once

#include "link/LineRecord.h"
#include "link/LinkTypes.h"
#include "link/ReplyMatcher.h"

#include <QByteArray>
#include <QString>

#include <array>
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

/// The link's state, kept by the link and read (and, by the window's start commands,
/// written) directly, as the operation state of the program.
struct LinkState {
    OpKind opKind = OpKind::Idle;
    Step ReadStep = Step::None;
    Step WriteStep = Step::None;
    Step LastGoodStep = Step::None;
    qint16 BlockAddr = 0x3AF0;
    qint32 WaitNextCount = 0;
    qint32 EchoLen = 0;
    qint32 MulWriteNo = 0;
    qint32 MulWriteTotal = 0;
};

/// The programming link: the serial line, the frames and their checksum, the step
/// machine of read, write and multi-write, and their endings. It does no I/O of its
/// own: bytes arrive through MSComm1_OnComm(), the time-out through WaitTimer_Timer(),
/// and requests leave through the SerialPort it is given.
///
/// The constructor installs the port's receive handler and the timer's tick handler;
/// the destructor removes them.
class ModComm {
public:
    /// How many times in all one request is sent while the radio keeps rejecting it.
    static constexpr int kMaxTries = 3;
    /// Quiet checks in a row without a byte before a request is sent again (50 ms).
    static constexpr int kQuietTicksBeforeSendingAgain = 10;
    /// Time-outs counted while a multi-write waits for its next radio before it gives up.
    static constexpr qint32 kMaxWaitNextCount = 28800;

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

    /// Read and Write buttons: stop the time-out, set the kind and step, open the port,
    /// send the handshake. Ignored while a step runs (inside its message box).
    void StartRead();
    void StartWrite();
    /// The link's part of starting a multi-write run of `total` radios (the window
    /// has already switched to multi-write mode). False when the port could not be
    /// opened; OpKind is then still MulWrite and the caller takes the window back.
    /// The window calls it only while no step runs.
    [[nodiscard]] bool StartMulWrite(qint32 total);
    /// The operator stopped a run (the window has set OpKind to Idle): switches the
    /// time-out off and closes the port, so nothing more is sent or awaited.
    void StopMulWrite();
    /// The window closes: the port closes and nothing more is sent, awaited or shown.
    void Abandon();
    /// True while a step or an ending runs, that is inside its message box or band
    /// question; no other step, ending or start may run then.
    [[nodiscard]] bool StepRunning() const { return m_stepRunning; }

    [[nodiscard]] bool OpenCommPort();
    void CloseCommPort();

    /// The receive event of the serial port: takes the waiting bytes and makes at most one step.
    void MSComm1_OnComm();
    /// The answer time-out.
    void WaitTimer_Timer();
    /// The end of the quiet check behind an answer that leads to an ending or to the
    /// window's fields: nothing followed it, so it is taken.
    void QuietTimer_Timer();
    /// The serial port was lost (device removed, read or write failed): the operation
    /// in hand ends at once with the communication-error ending.
    void PortLost();

    /// Request senders; each ends with the transmit sequence (empty both buffers, set
    /// the receive threshold to echo plus answer, send, start the time-out).
    void SendProgram();
    void SendReadAt(qint32 address, qint32 length);
    void SendReadNext();
    void SendWriteNext();
    void SendEnd();
    void FinishReadBlocks();
    void FinishWriteBlocks();

    /// Stores a read answer's data frame at the address it names (0x3B00..0x3BF0,
    /// else nothing).
    void StoreReadReply(const QByteArray& frame);
    /// Stores `count` data bytes of a read answer's data frame at `address`; at
    /// 0x3B00 the band is then taken from the image.
    void StoreBlockAt(const QByteArray& frame, qint32 address, qint32 count);

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

    void transmit(const QByteArray& request, int answerLength, bool again = false);
    /// Takes bytes that came back; true when they led to something (a step, a request
    /// sent again, an ending), false when no answer is recognised yet.
    bool receive(const QByteArray& chunk, bool atTimeOut = false);
    void act(Reply reply);
    [[nodiscard]] bool endsOrAsksTheWindow() const;
    void accept(Reply reply);
    [[nodiscard]] Undo snapshot() const;
    void rollBack();
    void notTrusted();
    void sendAgain();
    void waitForQuietThenSendAgain();
    void stopWaiting();
    template <typename Body> void runHandler(Body body);
    void CommStep(bool good);
    void startOperation(OpKind kind, Step& stepVar);
    void readStep(Step s);
    void writeStep(Step s);
    void writingStep(Step s);
    void mulWriteStep(Step s);
    void modelCheckedThen(Step& stepVar, Step next, qint32 address);
    void startWriting(Step& stepVar);
    [[nodiscard]] bool isTheRadioJustWritten() const;
    void waitForNextRadio(const QString& english, const QString& chinese);
    void ReadDone();
    void WriteDone();
    void ModelError();
    void CommunicationError();
    void inform(const QString& text);
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
    // The answer last taken, until the next request's echo comes back with nothing
    // ahead of it; bytes found ahead of that echo take it back.
    std::optional<Undo> m_undo;
    // A request found bytes waiting while the answer before was in doubt.
    bool m_suspect = false;
    // What the quiet timer is running for: an answer that leads to an ending or the
    // window's fields awaits its quiet check, or a request waits to be sent again.
    enum class Quiet { None, BeforeTaking, BeforeSendingAgain };
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
