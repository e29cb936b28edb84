#include "link/ModComm.h"

#include "link/Diagnosis.h"
#include "link/Frames.h"
#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "platform/SerialPort.h"
#include "platform/Timer.h"
#include "settings/ImageLayout.h"
#include "settings/ModData.h"

#include <utility>

namespace tavrik {

namespace {

using steps::Action;
using steps::Request;

const QString kWritingEnglish = QStringLiteral("Writting Data...");
const QString kWritingChinese = QStringLiteral("正在写设置数据...");

QString pick(Language language, const QString& english, const QString& chinese) {
    return language == Language::Chinese ? chinese : english;
}

// Marks a step (or an ending) as running for as long as it lives.
class StepGuard {
public:
    explicit StepGuard(bool& flag) : m_flag(flag), m_previous(flag) { m_flag = true; }
    ~StepGuard() { m_flag = m_previous; }
    StepGuard(const StepGuard&) = delete;
    StepGuard& operator=(const StepGuard&) = delete;

private:
    bool& m_flag;
    bool m_previous;
};

} // namespace

ModComm::ModComm(platform::SerialPort& port, platform::Timer& waitTimer,
                 platform::Timer& quietTimer, platform::MessageBoxes& messages,
                 const platform::Clock& clock, ModData& data, LinkWindow& window,
                 std::function<qint16()> comPort)
    : m_port(port), m_waitTimer(waitTimer), m_quietTimer(quietTimer), m_messages(messages),
      m_clock(clock), m_data(data), m_window(window), m_comPort(std::move(comPort)) {
    m_port.setReceiveHandler([this] { MSComm1_OnComm(); });
    m_port.setLostHandler([this] { PortLost(); });
    m_waitTimer.setHandler([this] { WaitTimer_Timer(); });
    m_quietTimer.setHandler([this] { QuietTimer_Timer(); });
}

ModComm::~ModComm() {
    m_port.setReceiveHandler({});
    m_port.setLostHandler({});
    m_waitTimer.setHandler({});
    m_quietTimer.setHandler({});
    stopWaiting();
}

// ---- Handlers ----

// Every entry from outside (a start command, a receive event, a tick, the port's
// loss) runs as one handler: no second one runs inside it, and a port lost or a
// request refused while it ran ends the operation once it is done.
template <typename Body> void ModComm::runHandler(Body body) {
    {
        StepGuard guard(m_stepRunning);
        body();
    }
    if (m_lineLost && m_portInUse) {
        StepGuard guard(m_stepRunning);
        CommunicationError();
    }
    m_lineLost = false;
}

void ModComm::PortLost() {
    m_lineLost = true;
    m_record.portLost = m_record.portLost || m_portInUse;
    if (!m_stepRunning) { // else the handler in hand ends the operation when it is done
        runHandler([] {});
    }
}

void ModComm::MSComm1_OnComm() {
    // Inside a step's message box the bytes stay in the port: the step either sends its
    // next request, which takes them first, or ends the operation and closes the port.
    if (m_stepRunning || !m_port.isOpen()) {
        return;
    }
    const QByteArray chunk = m_port.takeInput();
    if (!chunk.isEmpty()) {
        runHandler([&] { (void)receive(chunk); });
    }
}

void ModComm::WaitTimer_Timer() {
    if (m_stepRunning) {
        return; // a stale tick inside a step: the step restarts the time-out itself
    }
    runHandler([this] {
        m_waitTimer.setEnabled(false);
        if (std::exchange(m_quiet, Quiet::None) == Quiet::BeforeSendingAgain) {
            CommunicationError(); // the line never went quiet enough to send again
            return;
        }
        // What came back below the receive threshold raised no receive event: judge it
        // now. A whole answer that was only waiting for its notification counts.
        const QByteArray waiting = m_port.isOpen() ? m_port.takeInput() : QByteArray();
        if (!waiting.isEmpty() && receive(waiting, true)) {
            return;
        }
        // Bytes behind the echo that were no answer: the radio answered, but not so
        // that the answer could be understood.
        m_record.answerNotUnderstood = m_record.answerNotUnderstood || m_matcher.garbled();
        perform(steps::TimedOut(m_state));
    });
}

void ModComm::QuietTimer_Timer() {
    if (m_stepRunning) {
        return;
    }
    runHandler([this] {
        if (m_quiet == Quiet::BeforeSendingAgain &&
            ++m_quietTicks < kQuietTicksBeforeSendingAgain) {
            return;
        }
        m_quietTimer.setEnabled(false);
        const Quiet quiet = std::exchange(m_quiet, Quiet::None);
        m_undo.reset(); // what came back for this request stands: the answer before too
        if (quiet == Quiet::BeforeTaking) {
            accept(m_matcher.judge());
        } else if (quiet == Quiet::BeforeSendingAgain) {
            const QByteArray request = m_matcher.request();
            transmit(request, m_matcher.answerLength(), true);
        }
    });
}

// ---- Starting and stopping ----

void ModComm::StartRead() {
    startOperation(OpKind::Read);
}

void ModComm::StartWrite() {
    startOperation(OpKind::Write);
}

// Nothing of an earlier operation carries over: no time-out, no answer in doubt, no
// answer awaiting its quiet check.
void ModComm::stopWaiting() {
    m_waitTimer.setEnabled(false);
    m_quietTimer.setEnabled(false);
    m_quiet = Quiet::None;
    m_undo.reset();
    m_suspect = false;
}

// A fresh start whatever runs, since opening the port closes it first. The time-outs of
// an abandoned operation stop before anything else, so that none ticks inside the
// start's own message box.
void ModComm::startOperation(OpKind kind) {
    if (m_stepRunning) {
        return;
    }
    runHandler([&] {
        stopWaiting();
        beginRecord(kind);
        m_state.opKind = kind;
        (kind == OpKind::Read ? m_state.ReadStep : m_state.WriteStep) = Step::None;
        if (!OpenCommPort()) {
            m_state.opKind = OpKind::Idle;
            return;
        }
        perform(steps::Start(m_state, kind));
    });
}

bool ModComm::MulWriteButton(qint32 total) {
    if (m_stepRunning) {
        return false;
    }
    if (m_window.ShowStartMulWrite()) {
        StopMulWrite(); // the request still outstanding leads nowhere: free the port now
        return false;
    }
    if (!StartMulWrite(total)) {
        (void)m_window.ShowStartMulWrite(); // "Cannot Open Communication Port." was shown
        return false;
    }
    return true;
}

bool ModComm::StartMulWrite(qint32 total) {
    bool opened = false;
    runHandler([&] {
        stopWaiting();
        beginRecord(OpKind::MulWrite);
        m_record.radioNumber = 1;
        m_lastWritten.clear();
        m_state.MulWriteTotal = total;
        m_state.MulWriteNo = 1;
        m_window.setMulWriteNumber(QStringLiteral("1"));
        m_state.opKind = OpKind::MulWrite;
        m_state.WriteStep = Step::None;
        if (!OpenCommPort()) {
            return;
        }
        opened = true;
        m_window.setMulWriteStatus(pick(m_window.language(), kWritingEnglish, kWritingChinese));
        perform(steps::Start(m_state, OpKind::MulWrite));
    });
    return opened;
}

void ModComm::StopMulWrite() {
    stopWaiting();
    CloseCommPort();
    m_state.opKind = OpKind::Idle;
}

void ModComm::Abandon() {
    stopWaiting();
    CloseCommPort();
}

// ---- The port ----

bool ModComm::OpenCommPort() {
    if (m_port.isOpen()) {
        m_port.close();
    }
    m_portInUse = false;
    const int number = m_comPort ? m_comPort() : 0;
    const bool opened = m_port.open(number);
    m_record.portNumber = number;
    m_record.device = m_port.device();
    if (!opened) {
        m_messages.inform(QStringLiteral("Cannot Open Communication Port."),
                          platform::MessageIcon::Critical,
                          ExplainOpenFailure(m_port.lastOpenFailure(), number, m_clock.now(),
                                             m_window.language()));
        return false;
    }
    m_portInUse = true;
    m_lineLost = false;
    m_port.setReceiveThreshold(1);
    return true;
}

void ModComm::CloseCommPort() {
    m_portInUse = false;
    if (m_port.isOpen()) {
        m_port.close();
    }
}

// ---- Sending ----

// The transmit sequence: empty both buffers, set the receive threshold to echo plus
// answer, send, start the time-out.
void ModComm::transmit(const QByteArray& request, int answerLength, bool again) {
    // Bytes waiting in the port came back for the request before, after its answer:
    // they go into the record, and while that answer is still in doubt they are
    // evidence against it, so the request before is sent again instead.
    const QByteArray late = m_port.isOpen() ? m_port.takeInput() : QByteArray();
    if (!late.isEmpty()) {
        noteArrival(late);
        if (m_undo) {
            m_suspect = true;
            return;
        }
    }
    m_tries = again ? m_tries + 1 : 1;
    m_matcher.expect(request, answerLength);
    m_state.EchoLen = static_cast<qint32>(request.size());
    m_port.clearBuffers();
    m_port.setReceiveThreshold(m_state.EchoLen + answerLength);
    const bool sent = m_port.send(request);
    m_lineLost = m_lineLost || !sent; // not sent is not sent: the handler ends the operation
    m_record.noteSent(request, recordTime(), sent);
    m_waitTimer.setEnabled(true);
}

// What the step tables ask for.
void ModComm::perform(const Action& action) {
    if (action.takeBand) {
        m_data.settings().BandIndex = m_data.image().at(layout::kBand.address);
    }
    if (action.takeFields) {
        m_window.GetDataByShow();
        m_data.BuildWriteImage();
    }
    if (action.newRadio && m_record.waitingForNextRadio) {
        m_record.startRadio();
        m_record.waitingForNextRadio = false;
        m_record.radioAnswered = true;
    }
    const Request& r = action.request;
    switch (action.kind) {
    case Action::Kind::Send:
        switch (r.kind) {
        case Request::Kind::Handshake:
            transmit(frames::HandshakeRequest(), frames::kHandshakeAnswerLength);
            break;
        case Request::Kind::Read:
            transmit(frames::ReadRequest(r.address, layout::kBlockSize), frames::kFrameLength);
            break;
        case Request::Kind::BlockWrite:
            transmit(
                frames::DataFrame(r.address, m_data.image().bytes(r.address, layout::kBlockSize)),
                frames::kSingleAnswerLength);
            break;
        case Request::Kind::End:
            transmit(frames::EndRequest(), frames::kSingleAnswerLength);
            break;
        }
        break;
    case Action::Kind::SendAgain:
        waitForQuietThenSendAgain();
        break;
    case Action::Kind::ReadDone:
        ReadDone();
        break;
    case Action::Kind::WriteDone:
        WriteDone();
        break;
    case Action::Kind::ModelError:
        ModelError();
        break;
    case Action::Kind::CommunicationError:
        CommunicationError();
        break;
    case Action::Kind::WaitForNextRadio:
        waitForNextRadio(QStringLiteral("Same radio again. Waitting next..."),
                         QStringLiteral("此台已写过，请换下一台机器..."));
        break;
    case Action::Kind::None:
        break;
    }
}

// ---- Receiving ----

bool ModComm::receive(const QByteArray& chunk, bool atTimeOut) {
    const Reply reply = m_matcher.add(chunk);
    noteArrival(chunk, atTimeOut);
    // The answer before stays in doubt until this request's own answer is taken: a byte
    // ahead of this request's echo came back after that answer, and so may a byte where
    // this request's answer should be (a radio slower to answer than the echo is long).
    if (m_undo && m_matcher.strayBeforeEcho()) {
        rollBack();
        return true;
    }
    if (m_quiet == Quiet::BeforeSendingAgain) {
        if (m_undo) {
            rollBack(); // the rejection was not this request's
        } else {
            m_quietTicks = 0; // the line is not quiet yet
            m_quietTimer.setEnabled(true);
        }
        return true;
    }
    if (m_quiet == Quiet::BeforeTaking) {
        m_quiet = Quiet::None; // a byte behind an answer awaiting its quiet check
        m_quietTimer.setEnabled(false);
        notTrusted();
        return true;
    }
    act(reply);
    return reply != Reply::None;
}

// ---- The record of the line ----

void ModComm::beginRecord(OpKind kind) {
    m_record = LineRecord{};
    m_record.kind = kind;
    m_record.startedAt = m_clock.now();
    m_recordStart = m_clock.steady();
}

qint64 ModComm::recordTime() const {
    return (m_clock.steady() - m_recordStart).count();
}

void ModComm::noteArrival(const QByteArray& chunk, bool atTimeOut) {
    m_record.noteArrival(chunk, recordTime(), atTimeOut, m_matcher.echoAt() >= 0);
}

} // namespace tavrik
