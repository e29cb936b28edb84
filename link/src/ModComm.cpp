#include "link/ModComm.h"

#include "link/Diagnosis.h"
#include "link/Frames.h"
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
constexpr int kRxBufLimit = 100; // a chunk taking RxBuf past this restarts it
// What is kept of the bytes received for one request: the port's own receive buffer.
constexpr int kReceivedLimit = 1024;

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

using frames::AddressOf;
using frames::ByteAt;

// The address a read request asks for; -1 for any other request.
qint32 requestedAddress(const QByteArray& request) {
    return frames::IsReadRequest(request) ? AddressOf(request) : -1;
}

// True when `frame` is a data frame with good markers, length byte and checksum.
bool IsGoodDataFrame(const QByteArray& frame) {
    return frames::IsDataFrame(frame) && ByteAt(frame, 3) == frames::kBlockLength &&
           ByteAt(frame, 21) == frames::kAck && frames::BlockSumOk(frame, 1, 19, 20);
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
                 platform::MessageBoxes& messages, const platform::Clock& clock, ModData& data,
                 LinkWindow& window, std::function<qint16()> comPort)
    : m_port(port), m_waitTimer(waitTimer), m_messages(messages), m_clock(clock), m_data(data),
      m_window(window), m_comPort(std::move(comPort)) {
    m_port.setReceiveHandler([this] { MSComm1_OnComm(); });
    m_port.setLostHandler([this] { PortLost(); });
    m_waitTimer.setHandler([this] { WaitTimer_Timer(); });
}

ModComm::~ModComm() {
    m_port.setReceiveHandler({});
    m_port.setLostHandler({});
    m_waitTimer.setHandler({});
    m_waitTimer.setEnabled(false);
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

// The Read and Write buttons: a fresh start whatever runs, since opening the port
// closes it first. The time-out of an abandoned operation is stopped before anything
// else, so that it cannot tick inside the start's own message box.
void ModComm::startOperation(OpKind kind, qint16& stepVar) {
    if (m_stepRunning) {
        return;
    }
    runHandler([&] {
        m_waitTimer.setEnabled(false);
        beginRecord(kind);
        m_state.opKind = kind;
        stepVar = step::kNone;
        if (!OpenCommPort()) {
            m_state.opKind = OpKind::Idle;
            return;
        }
        m_state.BlockAddr = kCursorStart;
        SendProgram();
        stepVar = step::kHandshake;
    });
}

bool ModComm::StartMulWrite(qint32 total) {
    if (m_stepRunning) {
        return false;
    }
    bool opened = false;
    runHandler([&] {
        m_waitTimer.setEnabled(false);
        beginRecord(OpKind::MulWrite);
        m_record.radioNumber = 1;
        m_state.MulWriteTotal = total;
        m_state.MulWriteNo = 1;
        m_window.setMulWriteNumber(QStringLiteral("1"));
        m_state.opKind = OpKind::MulWrite;
        m_state.WriteStep = step::kNone;
        if (!OpenCommPort()) {
            return;
        }
        opened = true;
        m_state.BlockAddr = kCursorStart;
        m_window.setMulWriteStatus(m_window.languageFlag() == kLanguageChinese ? kWritingChinese
                                                                               : kWritingEnglish);
        SendProgram();
        m_state.WriteStep = step::kHandshake;
    });
    return opened;
}

void ModComm::StopMulWrite() {
    m_waitTimer.setEnabled(false);
    CloseCommPort();
    m_state.opKind = OpKind::Idle;
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
                                             m_window.languageFlag()));
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
    m_tries = again ? m_tries + 1 : 1;
    m_lastRequest = request;
    m_lastAnswerLength = answerLength;

    m_state.EchoLen = static_cast<qint32>(request.size());
    m_state.RxLen = 0;
    m_received.clear();
    m_port.clearBuffers();
    m_port.setReceiveThreshold(m_state.EchoLen + answerLength);
    const bool sent = m_port.send(request);
    if (!sent) {
        // Not sent is not sent: the handler in hand ends the operation.
        m_lineLost = true;
        m_record.portLost = true;
    }
    if (sent && frames::IsDataFrame(request)) {
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
    m_state.ReadStep = step::kEndAfterBlocks;
    SendEnd();
}

void ModComm::FinishWriteBlocks() {
    m_state.WriteStep = step::kEndAfterBlocks;
    SendEnd();
}

// ---- Reply tests and storing ----

// What has come back for the request last sent, judged as the radio's answer to it:
// the bytes after a complete echo of the request. Stray bytes before the echo (line
// noise, a late byte of an earlier answer) are skipped; when the request's bytes occur
// more than once, the first echo followed by a recognisable answer counts.
ModComm::Classified ModComm::classify() const {
    const QByteArray& request = m_lastRequest;
    if (request.isEmpty()) {
        return {};
    }
    if (request == frames::HandshakeRequest()) {
        const int length =
            std::clamp<int>(m_state.RxLen, 0, static_cast<int>(m_state.RxBuf.size()));
        if (frames::ContainsHandshakeAnswer(m_state.RxBuf.data(), length)) {
            return {Reply::Handshake, {}};
        }
        return {};
    }
    const qint32 address = requestedAddress(request);
    for (qsizetype at = m_received.indexOf(request); at >= 0;
         at = m_received.indexOf(request, at + 1)) {
        const QByteArray answer = m_received.mid(at + request.size());
        if (address >= 0) {
            const QByteArray frame = answer.left(frames::kFrameLength);
            if (IsGoodDataFrame(frame) && AddressOf(frame) == address) {
                return {Reply::Read, frame};
            }
        } else if (m_lastAnswerLength == frames::kSingleAnswerLength && !answer.isEmpty()) {
            if (ByteAt(answer, 0) == frames::kAck) {
                return {Reply::Ack, {}};
            }
            if (ByteAt(answer, 0) == frames::kReject) {
                return {Reply::Reject, {}};
            }
        }
    }
    return {};
}

void ModComm::StoreReadReply(const QByteArray& frame) {
    const qint32 address = AddressOf(frame);
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

void ModComm::appendToRxBuf(const QByteArray& chunk) {
    auto& buf = m_state.RxBuf;
    const int capacity = static_cast<int>(buf.size());
    QByteArray part = chunk;
    // A chunk longer than the buffer keeps its newest bytes: the handshake answer ends a chunk.
    if (part.size() > capacity) {
        part = part.right(capacity);
    }
    int n = m_state.RxLen + static_cast<int>(part.size());
    if (n > kRxBufLimit) {
        m_state.RxLen = 0;
        n = static_cast<int>(part.size());
    }
    std::memcpy(buf.data() + m_state.RxLen, part.constData(), static_cast<size_t>(part.size()));
    m_state.RxLen = static_cast<qint16>(n);
}

void ModComm::MSComm1_OnComm() {
    if (m_stepRunning) {
        // Inside a step's message box or band question. The bytes stay in the port's
        // buffer; the step either sends its next request, which empties the buffers
        // first, or ends the operation and closes the port.
        return;
    }
    if (!m_port.isOpen()) {
        return;
    }
    const QByteArray chunk = m_port.takeInput();
    if (chunk.isEmpty()) {
        return;
    }
    runHandler([&] { receive(chunk); });
}

void ModComm::receive(const QByteArray& chunk) {
    if (m_state.ReadStep == step::kHandshake || m_state.WriteStep == step::kHandshake) {
        appendToRxBuf(chunk);
    }
    m_received.append(chunk);
    if (m_received.size() > kReceivedLimit) {
        m_received = m_received.right(kReceivedLimit);
    }
    noteArrival(chunk);

    const Classified answer = classify();
    if (answer.reply != Reply::None && !m_record.waitingForNextRadio) {
        m_record.radioAnswered = true;
    }
    if (answer.reply == Reply::Ack) {
        if (frames::IsDataFrame(m_lastRequest)) {
            ++m_record.blocksAccepted;
        } else {
            m_record.endAcknowledged = true;
        }
    }
    switch (answer.reply) {
    case Reply::Handshake:
    case Reply::Ack:
        CommStep(true);
        break;
    case Reply::Reject:
        CommStep(false);
        break;
    case Reply::Read:
        if (m_state.opKind == OpKind::Write && m_state.LastGoodStep == step::kHandshake) {
            StoreBlockAt(answer.frame, kFirstBlock, frames::kBlockLength);
        } else {
            StoreReadReply(answer.frame);
        }
        CommStep(true);
        break;
    case Reply::None:
        // No answer yet: the echo or the answer is still on its way, or what came is
        // not an answer to this request. Look again at every byte that follows; the
        // outstanding request's time-out decides.
        m_port.setReceiveThreshold(1);
        break;
    }
}

// ---- The step machine ----

void ModComm::CommStep(bool good) {
    m_waitTimer.setEnabled(false);
    qint16* stepVar = nullptr;
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
        const QByteArray request = m_lastRequest;
        transmit(request, m_lastAnswerLength, true);
        return;
    }

    m_state.LastGoodStep = *stepVar;
    const qint16 s = *stepVar;
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

void ModComm::readStep(qint16 s) {
    auto& rs = m_state.ReadStep;
    switch (s) {
    case step::kHandshake:
        rs = step::kReadModelBlock;
        SendReadNext();
        break;
    case step::kReadModelBlock:
        if (m_data.IsExpectedModel()) {
            rs = step::kReadBlock;
            SendReadNext();
        } else {
            rs = step::kEndAfterModelError;
            SendEnd();
        }
        break;
    case step::kReadBlock:
        rs = step::kReadBlock;
        SendReadNext();
        break;
    case step::kEndAfterModelError:
        ModelError();
        break;
    default:
        ReadDone();
        break;
    }
}

// On the answer that carries the model word: go on with the read of `address`
// (step `next`), or end the exchange without writing anything.
void ModComm::modelCheckedThen(qint16& stepVar, qint16 next, qint32 address) {
    if (m_data.IsExpectedModel()) {
        stepVar = next;
        SendReadAt(address, frames::kBlockLength);
    } else {
        stepVar = step::kEndAfterModelError;
        SendEnd();
    }
}

// Every block a write sends back has been read from this radio: take the window's
// fields, build the image and send the first block.
void ModComm::startWriting(qint16& stepVar) {
    stepVar = step::kWriteBlock;
    m_window.GetDataByShow();
    m_data.BuildWriteImage();
    SendWriteNext();
}

// The rows a write and a multi-write share: from the last read before writing on.
void ModComm::writingStep(qint16 s) {
    auto& ws = m_state.WriteStep;
    switch (s) {
    case step::kWriteTailRead:
        startWriting(ws);
        break;
    case step::kWriteBlock:
        ws = step::kWriteBlock;
        SendWriteNext();
        break;
    case step::kEndAfterModelError:
        ModelError();
        break;
    default:
        WriteDone();
        break;
    }
}

void ModComm::writeStep(qint16 s) {
    auto& ws = m_state.WriteStep;
    switch (s) {
    case step::kHandshake:
        ws = step::kWriteFirstRead;
        SendReadAt(kFirstBlock, frames::kBlockLength);
        break;
    case step::kWriteFirstRead:
        ws = step::kWriteModelRead;
        m_data.settings().BandIndex = m_data.image().at(layout::kBand.address);
        SendReadAt(kSecondBlock, frames::kBlockLength);
        break;
    case step::kWriteModelRead:
        modelCheckedThen(ws, step::kWriteTailRead, kLastBlock);
        break;
    default:
        writingStep(s);
        break;
    }
}

void ModComm::mulWriteStep(qint16 s) {
    auto& ws = m_state.WriteStep;
    switch (s) {
    case step::kHandshake:
        if (m_state.MulWriteNo < 2 || m_state.WaitNextCount >= 2) {
            // The first radio, or a radio that answered after two silent time-outs.
            if (m_record.waitingForNextRadio) {
                m_record.startRadio();
                m_record.waitingForNextRadio = false;
                m_record.radioAnswered = true;
            }
            ws = step::kWriteModelRead;
            SendReadAt(kFirstBlock, frames::kBlockLength);
        } else {
            // The radio just written is still connected: keep polling.
            m_state.WaitNextCount = 0;
            SendProgram();
        }
        break;
    case step::kWriteModelRead:
        modelCheckedThen(ws, step::kMulWriteSecondRead, kSecondBlock);
        break;
    case step::kMulWriteSecondRead:
        ws = step::kWriteTailRead;
        SendReadAt(kLastBlock, frames::kBlockLength);
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
        // What came back below the receive threshold (an echo with no answer behind
        // it) raised no receive event; it still tells why nothing was recognised.
        const QByteArray waiting = m_port.isOpen() ? m_port.takeInput() : QByteArray();
        if (!waiting.isEmpty()) {
            m_received.append(waiting);
            noteArrival(waiting, true);
        }
        // Bytes behind the echo that were no answer: the radio answered, but not so
        // that the answer could be understood.
        const qsizetype echoAt = m_received.indexOf(m_lastRequest);
        m_record.answerNotUnderstood = !m_lastRequest.isEmpty() && echoAt >= 0 &&
                                       m_received.size() > echoAt + m_lastRequest.size();
        if (m_state.opKind == OpKind::MulWrite && m_state.MulWriteNo > 1 &&
            m_state.WriteStep == step::kHandshake) {
            ++m_state.WaitNextCount;
            if (m_state.WaitNextCount <= kMaxWaitNextCount) {
                m_state.WriteStep = step::kHandshake;
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
    m_record.echoSeen = m_record.echoSeen || m_received.contains(m_lastRequest);
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
    m_state.WriteStep = step::kHandshake;
    m_state.WaitNextCount = 0;
    m_record.startRadio();
    m_record.waitingForNextRadio = true;
    m_record.radioNumber = m_state.MulWriteNo;
    SendProgram();
    m_window.setMulWriteStatus(m_window.languageFlag() == kLanguageChinese ? kWaitNextChinese
                                                                           : kWaitNextEnglish);
}

void ModComm::ModelError() {
    CloseCommPort();
    const qint16 language = m_window.languageFlag();
    m_messages.inform(
        language == kLanguageEnglish ? kModelErrorEnglish : kModelErrorChinese,
        platform::MessageIcon::None,
        ExplainModelError(m_record, m_data.image().bytes(kFirstBlock, layout::kModelWord.length),
                          language));
}

void ModComm::CommunicationError() {
    m_waitTimer.setEnabled(false);
    CloseCommPort();
    const OpKind kind = m_state.opKind;
    if (kind != OpKind::Idle) {
        m_messages.inform(kCommunicationError, platform::MessageIcon::None,
                          ExplainLineFailure(m_record, m_window.languageFlag()));
    }
    if (kind == OpKind::MulWrite) {
        (void)m_window.ShowStartMulWrite();
    }
    m_state.opKind = OpKind::Idle;
}

} // namespace tavrik
