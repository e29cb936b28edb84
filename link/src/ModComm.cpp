#include "link/ModComm.h"

#include "link/Frames.h"
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

std::uint8_t chunkByte(const QByteArray& chunk, qint32 position) {
    if (position < 0 || position >= chunk.size()) {
        return 0;
    }
    return static_cast<std::uint8_t>(chunk.at(position));
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
                 platform::MessageBoxes& messages, ModData& data, LinkWindow& window,
                 std::function<qint16()> comPort)
    : m_port(port), m_waitTimer(waitTimer), m_messages(messages), m_data(data), m_window(window),
      m_comPort(std::move(comPort)) {
    m_port.setReceiveHandler([this] { MSComm1_OnComm(); });
    m_waitTimer.setHandler([this] { WaitTimer_Timer(); });
}

ModComm::~ModComm() {
    m_port.setReceiveHandler({});
    m_waitTimer.setHandler({});
    m_waitTimer.setEnabled(false);
}

// ---- Starting and stopping ----

void ModComm::StartRead() {
    startOperation(OpKind::Read, m_state.ReadStep);
}

void ModComm::StartWrite() {
    startOperation(OpKind::Write, m_state.WriteStep);
}

// The Read and Write buttons: a fresh start whatever runs, since opening the port
// closes it first.
void ModComm::startOperation(OpKind kind, qint16& stepVar) {
    m_state.opKind = kind;
    stepVar = step::kNone;
    if (!OpenCommPort()) {
        m_state.opKind = OpKind::Idle;
        m_waitTimer.setEnabled(false);
        return;
    }
    m_state.BlockAddr = kCursorStart;
    SendProgram();
    stepVar = step::kHandshake;
}

bool ModComm::StartMulWrite(qint32 total) {
    m_state.MulWriteTotal = total;
    m_state.MulWriteNo = 1;
    m_window.setMulWriteNumber(QStringLiteral("1"));
    m_state.opKind = OpKind::MulWrite;
    m_state.WriteStep = step::kNone;
    if (!OpenCommPort()) {
        m_waitTimer.setEnabled(false);
        return false;
    }
    m_state.BlockAddr = kCursorStart;
    m_window.setMulWriteStatus(m_window.languageFlag() == kLanguageChinese ? kWritingChinese
                                                                           : kWritingEnglish);
    SendProgram();
    m_state.WriteStep = step::kHandshake;
    return true;
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
    if (!m_port.open(m_comPort ? m_comPort() : 0)) {
        m_messages.inform(kCannotOpen, platform::MessageIcon::Critical);
        return false;
    }
    m_port.setReceiveThreshold(1);
    return true;
}

void ModComm::CloseCommPort() {
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
    m_port.clearBuffers();
    m_port.setReceiveThreshold(m_state.EchoLen + answerLength);
    // A refused send (device gone) is left to the time-out, which ends the operation.
    (void)m_port.send(request);
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

bool ModComm::IsHandshakeReply() const {
    const int length = std::clamp<int>(m_state.RxLen, 0, static_cast<int>(m_state.RxBuf.size()));
    return frames::ContainsHandshakeAnswer(m_state.RxBuf.data(), length);
}

bool ModComm::IsAckReply(const QByteArray& chunk) const {
    const qint32 expected = m_state.EchoLen + frames::kSingleAnswerLength;
    return m_port.receiveThreshold() == expected && chunk.size() == expected &&
           chunkByte(chunk, m_state.EchoLen) == frames::kAck;
}

bool ModComm::IsRejectReply(const QByteArray& chunk) const {
    const qint32 expected = m_state.EchoLen + frames::kSingleAnswerLength;
    return m_port.receiveThreshold() == expected && chunk.size() == expected &&
           chunkByte(chunk, m_state.EchoLen) == frames::kReject;
}

bool ModComm::IsReadReply(const QByteArray& chunk) const {
    const qint32 echo = m_state.EchoLen;
    if (chunk.size() != echo + frames::kFrameLength) {
        return false;
    }
    const qint32 last = static_cast<qint32>(chunk.size()) - 1;
    return chunkByte(chunk, echo) == frames::kFrameMark &&
           chunkByte(chunk, echo + 3) == frames::kBlockLength &&
           chunkByte(chunk, echo + 21) == frames::kAck &&
           frames::BlockSumOk(chunk, echo + 1, last - 2, last - 1);
}

void ModComm::StoreReadReply(const QByteArray& chunk) {
    const qint32 echo = m_state.EchoLen;
    const qint32 address = chunkByte(chunk, echo + 1) * 256 + chunkByte(chunk, echo + 2);
    if (address < kFirstBlock || address > kLastBlock) {
        return;
    }
    m_data.image().setBytes(address, chunk.mid(echo + 4, frames::kBlockLength));
}

void ModComm::StoreBlockAt(const QByteArray& chunk, qint32 address, qint32 count) {
    const qint32 offset = address - kFirstBlock;
    if (offset >= 0 && offset <= 240) {
        const qint32 n = std::clamp<qint32>(count, 0, frames::kBlockLength);
        m_data.image().setBytes(address, chunk.mid(m_state.EchoLen + 4, n));
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
    if (m_state.ReadStep == step::kHandshake || m_state.WriteStep == step::kHandshake) {
        appendToRxBuf(chunk);
    }
    const bool awaitingHandshake =
        (m_state.opKind == OpKind::Read && m_state.ReadStep == step::kHandshake) ||
        ((m_state.opKind == OpKind::Write || m_state.opKind == OpKind::MulWrite) &&
         m_state.WriteStep == step::kHandshake);
    if (awaitingHandshake && !IsHandshakeReply()) {
        // Bytes of an abandoned exchange (Read pressed again mid-read) can still be
        // arriving ahead of the handshake answer and leave its last bytes below the
        // threshold for good; examine the rest of the answer as it arrives.
        m_port.setReceiveThreshold(1);
    }

    StepGuard guard(m_stepRunning);
    if (IsHandshakeReply() || IsAckReply(chunk)) {
        CommStep(true);
    } else if (IsRejectReply(chunk)) {
        CommStep(false);
    } else if (IsReadReply(chunk)) {
        if (m_state.opKind == OpKind::Write && m_state.LastGoodStep == step::kHandshake) {
            StoreBlockAt(chunk, kFirstBlock, frames::kBlockLength);
        } else {
            StoreReadReply(chunk);
        }
        CommStep(true);
    }
    // Anything else is dropped; the outstanding request's time-out decides.
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
    StepGuard guard(m_stepRunning);
    m_waitTimer.setEnabled(false);
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
    SendProgram();
    m_window.setMulWriteStatus(m_window.languageFlag() == kLanguageChinese ? kWaitNextChinese
                                                                           : kWaitNextEnglish);
}

void ModComm::ModelError() {
    CloseCommPort();
    inform(m_window.languageFlag() == kLanguageEnglish ? kModelErrorEnglish : kModelErrorChinese);
}

void ModComm::CommunicationError() {
    m_waitTimer.setEnabled(false);
    CloseCommPort();
    const OpKind kind = m_state.opKind;
    if (kind != OpKind::Idle) {
        inform(kCommunicationError);
    }
    if (kind == OpKind::MulWrite) {
        (void)m_window.ShowStartMulWrite();
    }
    m_state.opKind = OpKind::Idle;
}

} // namespace tavrik
