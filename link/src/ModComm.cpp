#include "link/ModComm.h"

#include "link/Diagnosis.h"
#include "link/Frames.h"
#include "link/ReplyMatcher.h"
#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "platform/SerialPort.h"
#include "platform/Timer.h"
#include "settings/ImageLayout.h"
#include "settings/ModData.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tavrik {

namespace {

constexpr qint16 kCursorStart = 0x3AF0; // the block before the first, so 0x3B00 comes next
constexpr qint32 kFirstBlock = 0x3B00;
constexpr qint32 kSecondBlock = 0x3B10;
constexpr qint32 kLastBlock = 0x3BF0;

const QString kCannotOpen = QStringLiteral("Cannot Open Communication Port.");
const QString kCommunicationError = QStringLiteral("Communication Error!");
const QString kReadComplete = QStringLiteral("Read Complete!");
const QString kWriteComplete = QStringLiteral("Write Complete!");
const QString kMulWriteComplete = QStringLiteral("MulWrite Complete!");
const QString kModelErrorEnglish = QStringLiteral("Model Type Error!");
const QString kModelErrorChinese = QStringLiteral("机型错误!");
const QString kWritingEnglish = QStringLiteral("Writting Data...");
const QString kWritingChinese = QStringLiteral("正在写设置数据...");
const QString kWaitNextEnglish = QStringLiteral("Waitting next...");
const QString kWaitNextChinese = QStringLiteral("请换下一台机器...");
const QString kStillLastEnglish =
    QStringLiteral("The radio just written is still connected. Waitting next...");
const QString kStillLastChinese = QStringLiteral("刚写好的机器仍在连接，请换下一台机器...");

using frames::AddressOf;
using frames::ByteAt;

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
    m_waitTimer.setEnabled(false);
    m_quietTimer.setEnabled(false);
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
    if (m_portInUse) {
        m_record.portLost = true;
    }
    if (m_stepRunning) {
        return; // the handler in hand ends the operation when its step is done
    }
    runHandler([] {});
}

// ---- Starting and stopping ----

void ModComm::StartRead() {
    startOperation(OpKind::Read, m_state.ReadStep);
}

void ModComm::StartWrite() {
    startOperation(OpKind::Write, m_state.WriteStep);
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

// The Read and Write buttons: a fresh start whatever runs, since opening the port
// closes it first. The time-out of an abandoned operation is stopped before anything
// else, so that it cannot tick inside the start's own message box.
void ModComm::startOperation(OpKind kind, Step& stepVar) {
    if (m_stepRunning) {
        return;
    }
    runHandler([&] {
        stopWaiting();
        beginRecord(kind);
        m_state.opKind = kind;
        stepVar = Step::None;
        if (!OpenCommPort()) {
            m_state.opKind = OpKind::Idle;
            return;
        }
        m_state.BlockAddr = kCursorStart;
        stepVar = Step::Handshake;
        SendProgram();
    });
}

bool ModComm::StartMulWrite(qint32 total) {
    if (m_stepRunning) {
        return false;
    }
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
        m_state.BlockAddr = kCursorStart;
        m_window.setMulWriteStatus(m_window.language() == Language::Chinese ? kWritingChinese
                                                                            : kWritingEnglish);
        m_state.WriteStep = Step::Handshake;
        SendProgram();
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
        m_messages.inform(kCannotOpen, platform::MessageIcon::Critical,
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

// ---- Transmit sequence and request senders ----

void ModComm::transmit(const QByteArray& request, int answerLength, bool again) {
    // Bytes waiting in the port came back for the request before, after the answer it
    // was given: they go into the record, and while that answer is still in doubt they
    // are evidence against it, so the request before is sent again instead.
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
    if (!sent) {
        // Not sent is not sent: the handler in hand ends the operation.
        m_lineLost = true;
        m_record.portLost = true;
    } else if (frames::IsDataFrame(request)) {
        ++m_record.blockWritesSent;
    }
    m_record.exchanges.push_back({request, recordTime(), sent, {}});
    if (m_record.exchanges.size() > LineRecord::kKeptExchanges) {
        m_record.exchanges.pop_front();
    }
    m_waitTimer.setEnabled(true);
}

void ModComm::SendProgram() {
    transmit(frames::HandshakeRequest(), frames::kHandshakeAnswerLength);
}

void ModComm::SendReadAt(qint32 address, qint32 length) {
    transmit(frames::ReadRequest(address, length), length + 6);
}

void ModComm::SendReadNext() {
    m_state.BlockAddr = static_cast<qint16>(m_state.BlockAddr + frames::kBlockLength);
    if (m_state.BlockAddr > kLastBlock) {
        FinishReadBlocks();
        return;
    }
    SendReadAt(m_state.BlockAddr, frames::kBlockLength);
}

void ModComm::SendWriteNext() {
    m_state.BlockAddr = static_cast<qint16>(m_state.BlockAddr + frames::kBlockLength);
    if (m_state.BlockAddr > kLastBlock) {
        FinishWriteBlocks();
        return;
    }
    // The writable blocks: 0x3B00, 0x3B10, 0x3B60..0x3B90 and 0x3BF0.
    if (m_state.BlockAddr == 0x3B20) {
        m_state.BlockAddr = 0x3B60;
    } else if (m_state.BlockAddr > 0x3B90) {
        m_state.BlockAddr = static_cast<qint16>(kLastBlock);
    }
    const QByteArray data = m_data.image().bytes(m_state.BlockAddr, frames::kBlockLength);
    transmit(frames::DataFrame(m_state.BlockAddr, data), frames::kSingleAnswerLength);
}

void ModComm::SendEnd() {
    transmit(frames::EndRequest(), frames::kSingleAnswerLength);
}

void ModComm::FinishReadBlocks() {
    m_state.ReadStep = Step::EndAfterBlocks;
    SendEnd();
}

void ModComm::FinishWriteBlocks() {
    m_state.WriteStep = Step::EndAfterBlocks;
    SendEnd();
}

// ---- Storing ----

void ModComm::StoreReadReply(const QByteArray& frame) {
    const qint32 address = frames::AddressOf(frame);
    if (address < kFirstBlock || address > kLastBlock) {
        return;
    }
    m_data.image().setBytes(address, frame.mid(4, frames::kBlockLength));
}

void ModComm::StoreBlockAt(const QByteArray& frame, qint32 address, qint32 count) {
    const qint32 offset = address - kFirstBlock;
    if (offset >= 0 && offset <= 240) {
        const qint32 n = std::clamp<qint32>(count, 0, frames::kBlockLength);
        m_data.image().setBytes(address, frame.mid(4, n));
    }
    if (address == kFirstBlock) {
        m_data.settings().BandIndex = m_data.image().at(layout::kBand.address);
    }
}

// ---- Receiving ----

void ModComm::MSComm1_OnComm() {
    if (m_stepRunning) {
        // Inside a step's message box or band question. The bytes stay in the port's
        // buffer; the step either sends its next request, which takes them first, or
        // ends the operation and closes the port.
        return;
    }
    if (!m_port.isOpen()) {
        return;
    }
    const QByteArray chunk = m_port.takeInput();
    if (chunk.isEmpty()) {
        return;
    }
    runHandler([&] { (void)receive(chunk); });
}

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
        // A byte behind an answer awaiting its quiet check: the answer is not trusted.
        m_quiet = Quiet::None;
        m_quietTimer.setEnabled(false);
        notTrusted();
        return true;
    }
    act(reply);
    return reply != Reply::None;
}

// What to do with what has come back for the request in hand.
void ModComm::act(Reply reply) {
    switch (reply) {
    case Reply::None:
        // No answer yet: the echo or the answer is still on its way, or what came is
        // not an answer to this request. Look again at every byte that follows; the
        // outstanding request's time-out decides.
        m_port.setReceiveThreshold(1);
        break;
    case Reply::Untrusted:
        notTrusted();
        break;
    case Reply::Reject:
        m_record.radioAnswered = m_record.radioAnswered || !m_record.waitingForNextRadio;
        CommStep(false);
        break;
    case Reply::Handshake:
    case Reply::Ack:
    case Reply::Read:
        if (endsOrAsksTheWindow()) {
            // Nothing after this answer undoes what it leads to (an ending, the
            // window's fields): take it once a few characters' time has passed
            // without another byte.
            m_waitTimer.setEnabled(false);
            m_port.setReceiveThreshold(1);
            m_quiet = Quiet::BeforeTaking;
            m_quietTimer.setEnabled(true);
            return;
        }
        m_undo = snapshot();
        accept(reply);
        break;
    }
}

// True when the answer in hand leads to an ending or to the window's fields.
bool ModComm::endsOrAsksTheWindow() const {
    if (m_matcher.request() == frames::EndRequest()) {
        return true;
    }
    return (m_state.opKind == OpKind::Write || m_state.opKind == OpKind::MulWrite) &&
           m_state.WriteStep == Step::WriteTailRead;
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

// A good answer: note it, store what it carries, and make the step.
void ModComm::accept(Reply reply) {
    if (!m_record.waitingForNextRadio) {
        m_record.radioAnswered = true;
    }
    if (reply == Reply::Ack) {
        if (frames::IsDataFrame(m_matcher.request())) {
            ++m_record.blocksAccepted;
        } else {
            m_record.endAcknowledged = true;
        }
    }
    if (reply == Reply::Read) {
        const QByteArray frame = m_matcher.frame();
        if (m_state.opKind == OpKind::Write && m_state.LastGoodStep == Step::Handshake) {
            StoreBlockAt(frame, kFirstBlock, frames::kBlockLength);
        } else {
            StoreReadReply(frame);
        }
    }
    CommStep(true);
    if (m_suspect) {
        rollBack();
    }
}

// What an answer changes, so that it can be taken back while it is in doubt.
ModComm::Undo ModComm::snapshot() const {
    Undo u;
    u.state = m_state;
    u.image = m_data.image().bytes(kFirstBlock, layout::kImageSize);
    u.band = m_data.settings().BandIndex;
    u.record = m_record;
    u.record.exchanges.clear();
    u.request = m_matcher.request();
    u.answerLength = m_matcher.answerLength();
    u.tries = m_tries;
    return u;
}

// Bytes came back behind an answer after the step it led to: the answer is taken back
// and its request sent again, as for a rejection.
void ModComm::rollBack() {
    Undo u = std::move(*m_undo);
    m_undo.reset();
    m_suspect = false;
    m_state = u.state;
    m_data.image().setBytes(kFirstBlock, u.image);
    m_data.settings().BandIndex = u.band;
    std::deque<LineRecord::Exchange> exchanges = std::move(m_record.exchanges);
    m_record = std::move(u.record);
    m_record.exchanges = std::move(exchanges);
    m_tries = u.tries;
    m_matcher.expect(u.request, u.answerLength);
    sendAgain();
}

// The answer to the request in hand could not be trusted: sent again, as a rejected
// request is, within the same bound; or, while the answer before is still in doubt, it
// may have been the late answer to the request before, which is sent again instead.
void ModComm::notTrusted() {
    m_record.answerNotUnderstood = true;
    if (m_undo) {
        rollBack();
        return;
    }
    sendAgain();
}

void ModComm::sendAgain() {
    if (m_tries >= kMaxTries) {
        m_record.answerNotUnderstood = true;
        CommunicationError();
        return;
    }
    waitForQuietThenSendAgain();
}

// What is still arriving is let pass first (the answers to a request sent since, which
// a radio gives some milliseconds after it), so that the request sent again does not
// meet it on the line; the time-out bounds the wait.
void ModComm::waitForQuietThenSendAgain() {
    m_port.setReceiveThreshold(1);
    m_quiet = Quiet::BeforeSendingAgain;
    m_quietTicks = 0;
    m_quietTimer.setEnabled(true);
    m_waitTimer.setEnabled(true);
}

// ---- The step machine ----

void ModComm::CommStep(bool good) {
    m_waitTimer.setEnabled(false);
    Step* stepVar = nullptr;
    switch (m_state.opKind) {
    case OpKind::Read:
        stepVar = &m_state.ReadStep;
        break;
    case OpKind::Write:
    case OpKind::MulWrite:
        stepVar = &m_state.WriteStep;
        break;
    case OpKind::Idle:
        return;
    }

    if (!good) {
        // The radio refused the request last sent (a block write or the end request):
        // send that same request again, so no rejected block is skipped. The step
        // stays the one awaiting its answer. A radio that keeps refusing ends the
        // operation as a missing answer does.
        if (m_tries >= kMaxTries) {
            m_record.refusedTooOften = true;
            CommunicationError();
            return;
        }
        waitForQuietThenSendAgain();
        return;
    }

    m_state.LastGoodStep = *stepVar;
    const Step s = *stepVar;
    switch (m_state.opKind) {
    case OpKind::Read:
        readStep(s);
        break;
    case OpKind::Write:
        writeStep(s);
        break;
    case OpKind::MulWrite:
        mulWriteStep(s);
        break;
    case OpKind::Idle:
        break;
    }
}

void ModComm::readStep(Step s) {
    auto& rs = m_state.ReadStep;
    switch (s) {
    case Step::Handshake:
        rs = Step::ReadModelBlock;
        SendReadNext();
        break;
    case Step::ReadModelBlock:
        if (m_data.IsExpectedModel()) {
            rs = Step::ReadBlock;
            SendReadNext();
        } else {
            rs = Step::EndAfterModelError;
            SendEnd();
        }
        break;
    case Step::ReadBlock:
        rs = Step::ReadBlock;
        SendReadNext();
        break;
    case Step::EndAfterModelError:
        ModelError();
        break;
    default:
        ReadDone();
        break;
    }
}

// On the answer that carries the model word: go on with the read of `address`
// (step `next`), or end the exchange without writing anything.
void ModComm::modelCheckedThen(Step& stepVar, Step next, qint32 address) {
    if (m_data.IsExpectedModel()) {
        stepVar = next;
        SendReadAt(address, frames::kBlockLength);
    } else {
        stepVar = Step::EndAfterModelError;
        SendEnd();
    }
}

// Every block a write sends back has been read from this radio: take the window's
// fields, build the image and send the first block.
void ModComm::startWriting(Step& stepVar) {
    stepVar = Step::WriteBlock;
    m_window.GetDataByShow();
    m_data.BuildWriteImage();
    SendWriteNext();
}

// The rows a write and a multi-write share: from the last read before writing on.
void ModComm::writingStep(Step s) {
    auto& ws = m_state.WriteStep;
    switch (s) {
    case Step::WriteTailRead:
        startWriting(ws);
        break;
    case Step::WriteBlock:
        ws = Step::WriteBlock;
        SendWriteNext();
        break;
    case Step::EndAfterModelError:
        ModelError();
        break;
    default:
        WriteDone();
        break;
    }
}

void ModComm::writeStep(Step s) {
    auto& ws = m_state.WriteStep;
    switch (s) {
    case Step::Handshake:
        ws = Step::WriteFirstRead;
        SendReadAt(kFirstBlock, frames::kBlockLength);
        break;
    case Step::WriteFirstRead:
        ws = Step::WriteModelRead;
        m_data.settings().BandIndex = m_data.image().at(layout::kBand.address);
        SendReadAt(kSecondBlock, frames::kBlockLength);
        break;
    case Step::WriteModelRead:
        modelCheckedThen(ws, Step::WriteTailRead, kLastBlock);
        break;
    default:
        writingStep(s);
        break;
    }
}

// True when the blocks just read from the radio on the cable are the ones last written
// in this run, the bytes sent back as held (its own identity) included.
bool ModComm::isTheRadioJustWritten() const {
    if (m_lastWritten.isEmpty()) {
        return false;
    }
    for (const qint32 block : {kFirstBlock, kSecondBlock, kLastBlock}) {
        const int offset = layout::offsetOf(block);
        if (m_data.image().bytes(block, frames::kBlockLength) !=
            m_lastWritten.mid(offset, frames::kBlockLength)) {
            return false;
        }
    }
    return true;
}

void ModComm::mulWriteStep(Step s) {
    auto& ws = m_state.WriteStep;
    switch (s) {
    case Step::Handshake:
        if (m_state.MulWriteNo < 2 || m_state.WaitNextCount >= 2) {
            // The first radio, or a radio that answered after two silent time-outs.
            if (m_record.waitingForNextRadio) {
                m_record.startRadio();
                m_record.waitingForNextRadio = false;
                m_record.radioAnswered = true;
            }
            ws = Step::WriteModelRead;
            SendReadAt(kFirstBlock, frames::kBlockLength);
        } else {
            // The radio just written is still connected: keep polling.
            m_state.WaitNextCount = 0;
            SendProgram();
        }
        break;
    case Step::WriteModelRead:
        modelCheckedThen(ws, Step::MulWriteSecondRead, kSecondBlock);
        break;
    case Step::MulWriteSecondRead:
        ws = Step::WriteTailRead;
        SendReadAt(kLastBlock, frames::kBlockLength);
        break;
    case Step::WriteTailRead:
        if (m_state.MulWriteNo > 1 && isTheRadioJustWritten()) {
            // Some of its answers to the poll were lost, and it passed for a new radio:
            // it is not written again, and the wait for the next one goes on.
            waitForNextRadio(kStillLastEnglish, kStillLastChinese);
            break;
        }
        writingStep(s);
        break;
    default:
        writingStep(s);
        break;
    }
}

void ModComm::WaitTimer_Timer() {
    if (m_stepRunning) {
        // A tick delivered inside a step's nested event loop is stale: the step
        // switched the time-out off and restarts it with its next request.
        return;
    }
    runHandler([this] {
        m_waitTimer.setEnabled(false);
        if (std::exchange(m_quiet, Quiet::None) == Quiet::BeforeSendingAgain) {
            // The line never went quiet enough to send the request again.
            CommunicationError();
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
        if (m_state.opKind == OpKind::MulWrite && m_state.MulWriteNo > 1 &&
            m_state.WriteStep == Step::Handshake) {
            ++m_state.WaitNextCount;
            if (m_state.WaitNextCount <= kMaxWaitNextCount) {
                m_state.WriteStep = Step::Handshake;
                SendProgram();
                return;
            }
        }
        CommunicationError();
    });
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
    m_record.anyBytes = true;
    m_record.echoSeen = m_record.echoSeen || m_matcher.echoAt() >= 0;
    if (m_record.exchanges.empty()) {
        return;
    }
    LineRecord::Exchange& exchange = m_record.exchanges.back();
    const qsizetype room = LineRecord::kKeptBytesPerExchange - exchange.keptBytes;
    if (room > 0) {
        exchange.arrivals.push_back({recordTime(), chunk.left(room), atTimeOut});
        exchange.keptBytes += exchange.arrivals.back().bytes.size();
    }
}

// ---- Endings ----

void ModComm::inform(const QString& text) {
    m_messages.inform(text, platform::MessageIcon::None);
}

void ModComm::ReadDone() {
    m_state.opKind = OpKind::Idle;
    m_waitTimer.setEnabled(false);
    m_state.BlockAddr = kCursorStart;
    CloseCommPort();
    m_data.ParseImage();
    m_window.ShowByData();
    inform(kReadComplete);
}

void ModComm::WriteDone() {
    const OpKind kind = m_state.opKind;
    m_state.opKind = OpKind::Idle;
    m_state.BlockAddr = kCursorStart;
    if (kind != OpKind::MulWrite) {
        CloseCommPort();
    }
    m_data.NextSerialNumber();
    m_window.ShowByData();
    if (kind != OpKind::MulWrite) {
        inform(kWriteComplete);
        return;
    }
    m_state.opKind = OpKind::MulWrite;
    m_lastWritten = m_data.image().bytes(kFirstBlock, layout::kImageSize);
    ++m_state.MulWriteNo;
    m_window.setMulWriteNumber(QString::number(m_state.MulWriteNo));
    if (m_state.MulWriteTotal < m_state.MulWriteNo) {
        m_window.setMulWriteStatus(QString());
        CloseCommPort();
        (void)m_window.ShowStartMulWrite();
        m_state.opKind = OpKind::Idle;
        inform(kMulWriteComplete);
        return;
    }
    m_record.radioNumber = m_state.MulWriteNo;
    waitForNextRadio(kWaitNextEnglish, kWaitNextChinese);
}

// Polls for the next radio of a multi-write, with `english` or `chinese` on the status line.
void ModComm::waitForNextRadio(const QString& english, const QString& chinese) {
    m_state.WriteStep = Step::Handshake;
    m_state.WaitNextCount = 0;
    m_record.startRadio();
    m_record.waitingForNextRadio = true;
    SendProgram();
    m_window.setMulWriteStatus(m_window.language() == Language::Chinese ? chinese : english);
}

void ModComm::ModelError() {
    CloseCommPort();
    const Language language = m_window.language();
    m_messages.inform(
        language == Language::English ? kModelErrorEnglish : kModelErrorChinese,
        platform::MessageIcon::None,
        ExplainModelError(m_record, m_data.image().bytes(kFirstBlock, layout::kModelWord.length),
                          language));
}

void ModComm::CommunicationError() {
    stopWaiting();
    CloseCommPort();
    const OpKind kind = m_state.opKind;
    if (kind != OpKind::Idle) {
        m_messages.inform(kCommunicationError, platform::MessageIcon::None,
                          ExplainLineFailure(m_record, m_window.language()));
    }
    if (kind == OpKind::MulWrite) {
        (void)m_window.ShowStartMulWrite();
    }
    m_state.opKind = OpKind::Idle;
}

} // namespace tavrik
