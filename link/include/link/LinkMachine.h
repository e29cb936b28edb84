#pragma once

#include "link/LineRecord.h"
#include "link/LinkTypes.h"
#include "link/ReplyMatcher.h"
#include "link/Steps.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <chrono>
#include <optional>
#include <variant>
#include <vector>

namespace tavrik {

/// What the multi-write status line shows.
enum class MulWriteStatus { Empty, Writing, WaitingNext, SameRadio };

/// How an operation ends, each with its box.
enum class Ending { ReadComplete, WriteComplete, MulWriteComplete, ModelError, CommunicationError };

/// One thing the link's shell is to do for the machine.
struct LinkCommand {
    enum class Kind {
        /// Empty the port's buffers (what waited was given to the machine when the
        /// handler began), set the receive threshold to `count`, send `bytes` and start
        /// the answer time-out.
        Send,
        Threshold,    ///< set the receive threshold to `count`
        StartTimeOut, ///< start the answer time-out afresh
        StopTimeOut,
        Wake,     ///< wake the machine once `wait` has passed (replacing an earlier wake)
        StopWake, ///< no wake is wanted
        /// Put the blocks `blocks` of `bytes` (the image read from the radio in hand) into
        /// the settings image, take the window's fields (the band question may be asked)
        /// and build the write image; then hand it to LinkMachine::fieldsTaken(). With
        /// `on`, the record's band is first the radio's (the byte at 0x3B0F).
        TakeFields,
        ShowImage,    ///< `bytes`, the whole image read, into the record and the window
        RadioWritten, ///< the serial number advances and the record is shown again
        ShowNumber,   ///< the radio in hand of a multi-write is number `count`
        ShowStatus,   ///< the multi-write status line shows `status`
        WindowMode,   ///< the window in multi-write mode (`on`) or back to normal
        ClosePort,
        Inform, ///< the box of `ending`; for a model error `bytes` is the model word
    };
    Kind kind = Kind::Threshold;
    QByteArray bytes;
    std::vector<int> blocks;
    int count = 0;
    std::chrono::microseconds wait{0};
    MulWriteStatus status = MulWriteStatus::Empty;
    bool on = false;
    Ending ending = Ending::CommunicationError;
};

/// The programming link's decisions as one pure machine: events in (an operation's
/// start, bytes with their arrival time, the time-out, a wake, the window's fields
/// taken, the port lost, a stop), commands out (LinkCommand). It has no port, timer,
/// window or settings of its own; the shell (ModComm) carries its commands out.
///
/// It owns the link state, the record of the line, the image read in the operation and
/// the phase of the request outstanding (Phase: its states are listed there). Which
/// request comes next is the step tables' (Steps.h); what came back is judged by the
/// ReplyMatcher. On top of those it keeps the rules of trust:
/// - An answer whose next action is a read or a block write (idempotent requests) is
///   taken at once and stays in doubt until the next request's own answer is taken or
///   its deadline passes; evidence against it before then takes it back and sends its
///   request again.
/// - An answer whose next action cannot be taken back (the end request, an ending, the
///   window's fields, the end request sent again, the radio taken for the one just
///   written) is confirmed first: taken only once its deadline passes with the line quiet.
/// - The deadline follows the radio's pace: the longest answer delay seen in the
///   operation (from answers whose content proves them the radio's: the handshake answer
///   and read answers), twice over, plus kConfirmSlack, from the end of the echo: by then
///   the radio's own answer has begun to arrive. Never past the time-out.
/// - A request is sent again only after kResendQuiet of quiet, and once the answer to the
///   last request sent could no longer arrive.
class LinkMachine {
public:
    using Time = std::chrono::microseconds;
    using Commands = std::vector<LinkCommand>;

    /// Times one request is sent in all while its answer is rejected or cannot be trusted.
    static constexpr int kMaxTries = 3;
    /// Quiet on the line before a request is sent again.
    static constexpr std::chrono::milliseconds kResendQuiet{50};
    /// Quiet behind an answer, and slack behind the radio's pace, before an answer is
    /// final: about two characters.
    static constexpr std::chrono::milliseconds kConfirmSlack{2};

    /// What an operation starts with. The port is open.
    struct Begin {
        OpKind kind = OpKind::Read;
        qint32 total = 0; ///< radios of a multi-write
        int portNumber = 0;
        QString device;
        QDateTime startedAt;
    };

    Commands start(const Begin& begin, Time now);
    Commands received(const QByteArray& bytes, Time now, bool atTimeOut = false);
    Commands timedOut(Time now);
    Commands woke(Time now);
    /// The write image built from the window's fields (256 bytes from 0x3B00).
    Commands fieldsTaken(const QByteArray& image, Time now);
    /// The port went away, or refused the request last sent (`refused`).
    Commands portLost(bool refused);
    /// The operator stopped the operation (or closed the window): nothing more is sent.
    Commands stop();

    [[nodiscard]] const LinkState& state() const { return m_core.state; }
    [[nodiscard]] const LineRecord& record() const { return m_core.record; }
    /// True while an operation has a request on the line or a step to take.
    [[nodiscard]] bool running() const { return !std::holds_alternative<Idle>(m_phase); }

private:
    struct Sent {
        Request request;
        QByteArray bytes;
        Time at{0};
        int tries = 1;
    };
    /// What taking an answer changes, kept whole while the answer is in doubt.
    struct Core {
        LinkState state;
        QByteArray image = QByteArray(256, '\0'); ///< what the operation read, from 0x3B00
        std::vector<int> blocksRead;              ///< of the radio in hand
        Sent outstanding;
        LineRecord record;
    };
    struct Doubt {
        Core before; ///< the core before the answer in doubt was taken (no exchanges)
        Time until;
    };

    // The phases of the request outstanding; every legal state stands here.
    struct Idle {};                 ///< no operation, or one that ended
    struct Awaiting {               ///< the answer to the request outstanding
        std::optional<Doubt> doubt; ///< the answer before, while it is in doubt
    };
    struct Confirming { ///< a good answer waits for its deadline, the line quiet
        Reply reply;
        Core taken;
        steps::Action next;
        Time until;
    };
    struct Resending { ///< the request outstanding is sent again once the line is quiet
        Time notBefore;
    };
    struct TakingFields { ///< the window's fields are being taken
        steps::Action next;
    };
    using Phase = std::variant<Idle, Awaiting, Confirming, Resending, TakingFields>;

    void judge(Awaiting& awaiting, Time now, Commands& out);
    void good(Reply reply, Time now, Commands& out);
    void rejected(Time now, Commands& out);
    void untrusted(Time now, Commands& out);
    void takeBack(Doubt doubt, Time now, Commands& out);
    void confirm(Reply reply, Core taken, const steps::Action& next, Time now, Commands& out);
    void confirmed(Confirming c, Time now, Commands& out);
    void sendAgain(Time now, Commands& out);
    [[nodiscard]] steps::Action take(Core& core, Reply reply) const;
    void carry(const steps::Action& action, Time now, Commands& out);
    void send(const Request& request, int tries, Time now, Commands& out);
    void adopt(Core core);
    [[nodiscard]] Time deadline(const Sent& sent) const;
    void learnPace(Time now);

    void readDone(Commands& out);
    void writeDone(Time now, Commands& out);
    void waitForNextRadio(MulWriteStatus status, Time now, Commands& out);
    void modelError(Commands& out);
    void communicationError(Commands& out);

    [[nodiscard]] Step currentStep() const;
    [[nodiscard]] qint64 recordMs(Time now) const;

    Core m_core;
    Phase m_phase;
    ReplyMatcher m_matcher;
    Sent m_lastSent; ///< the request last on the line (a take-back does not change it)
    QByteArray m_writeImage;
    QByteArray m_lastWrittenSerial; ///< block 0x3B20 of the radio last written in the run
    Time m_maxDelay{0};
    Time m_timeOutFrom{0};
    Time m_recordStart{0};
};

} // namespace tavrik
