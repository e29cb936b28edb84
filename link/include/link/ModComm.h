#pragma once

#include "link/LineRecord.h"
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

/// Kind of the running operation; the values are the documented codes.
enum class OpKind : qint16 { Idle = 0, Read = 1, Write = 2, MulWrite = 3 };

/// Language of the window's texts, chosen once at start-up; the values are the documented codes.
inline constexpr qint16 kLanguageEnglish = 1;
inline constexpr qint16 kLanguageChinese = 2;

/// The answer time-out of every request.
inline constexpr std::chrono::milliseconds kAnswerTimeout{500};
/// How long the line must stay quiet behind an answer that leads to an ending or to the
/// window's fields before it is taken: about five characters at 9600 baud.
inline constexpr std::chrono::milliseconds kAnswerQuiet{5};

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
    /// 1 English, 2 Chinese.
    [[nodiscard]] virtual qint16 languageFlag() const = 0;
};

/// The link's state, kept by the link and read (and, by the window's start commands,
/// written) directly, as the operation state of the program.
struct LinkState {
    OpKind opKind = OpKind::Idle;
    qint16 ReadStep = 0;
    qint16 WriteStep = 0;
    qint16 LastGoodStep = 0;
    qint16 BlockAddr = 0x3AF0;
    qint32 WaitNextCount = 0;
    qint32 EchoLen = 0;
    qint32 MulWriteNo = 0;
    qint32 MulWriteTotal = 0;
};

/// Step codes of ReadStep and WriteStep: the request whose answer is awaited.
///
///   code  kinds             request outstanding
///   0     all               none yet (set by the start command)
///   1     all               handshake
///   3     read              read of 0x3B00 (model check on its answer)
///   4     read              read of a further block, 0x3B10..0x3BF0
///   41    write             read of 0x3B00
///   4     write             read of 0x3B10 (model check on its answer)
///   4     multi-write       read of 0x3B00 (model check on its answer)
///   43    multi-write       read of 0x3B10, after the model check
///   42    write, multi      read of 0x3BF0, the last block read before the writes
///   5     write, multi      a block write
///   69    all               end request after the last block
///   70    all               end request after a model mismatch
///
/// 42 and 43 fetch the blocks whose bytes a write sends back as held, from the radio
/// being written, so that nothing of another radio (or of an all-zero image) is copied
/// into it.
namespace step {
inline constexpr qint16 kNone = 0;
inline constexpr qint16 kHandshake = 1;
inline constexpr qint16 kReadModelBlock = 3;
inline constexpr qint16 kReadBlock = 4;
inline constexpr qint16 kWriteFirstRead = 41;
inline constexpr qint16 kWriteModelRead = 4;
inline constexpr qint16 kWriteTailRead = 42;
inline constexpr qint16 kMulWriteSecondRead = 43;
inline constexpr qint16 kWriteBlock = 5;
inline constexpr qint16 kEndAfterBlocks = 69;
inline constexpr qint16 kEndAfterModelError = 70;
} // namespace step

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
    void startOperation(OpKind kind, qint16& stepVar);
    void readStep(qint16 s);
    void writeStep(qint16 s);
    void writingStep(qint16 s);
    void mulWriteStep(qint16 s);
    void modelCheckedThen(qint16& stepVar, qint16 next, qint32 address);
    void startWriting(qint16& stepVar);
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
