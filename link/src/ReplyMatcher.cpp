#include "link/ReplyMatcher.h"

#include "link/Frames.h"
#include "settings/ImageLayout.h"

namespace tavrik {

namespace {

using frames::ByteAt;

const QByteArray kHandshakeAnswer("\x51\x58\x06", 3);

// True when `part` (at most a frame long) agrees with a good answer to a read of
// `address` as far as it goes.
bool couldBeFrameFor(const QByteArray& part, int address) {
    const int n = static_cast<int>(part.size());
    const auto agrees = [&](int at, int value) { return at >= n || ByteAt(part, at) == value; };
    return agrees(0, frames::kFrameMark) && agrees(1, (address >> 8) & 0xFF) &&
           agrees(2, address & 0xFF) && agrees(3, layout::kBlockSize) &&
           (n <= 20 || frames::BlockSumOk(part, 1, 19, 20)) && agrees(21, frames::kAck);
}

} // namespace

void ReplyMatcher::expect(const Request& request, const QByteArray& bytes) {
    m_kind = request;
    m_request = bytes;
    m_received.clear();
}

Reply ReplyMatcher::add(const QByteArray& bytes) {
    m_received.append(bytes);
    if (m_received.size() > kKeptLimit) {
        m_received = m_received.right(kKeptLimit);
    }
    return judge();
}

// What stands behind one echo: an answer, an answer with more behind it, the start of
// an answer still arriving, or something that is no answer.
ReplyMatcher::Verdict ReplyMatcher::verdictOn(const QByteArray& behind) const {
    const auto whole = [&](qsizetype length) {
        return behind.size() == length ? Verdict::Answer : Verdict::Untrusted;
    };
    switch (m_kind.kind) {
    case Request::Kind::Handshake:
        if (!kHandshakeAnswer.startsWith(behind.left(kHandshakeAnswer.size()))) {
            return Verdict::NotAnswer;
        }
        return behind.size() < kHandshakeAnswer.size() ? Verdict::Pending : Verdict::Answer;
    case Request::Kind::BlockWrite:
    case Request::Kind::End: {
        if (behind.isEmpty()) {
            return Verdict::Pending;
        }
        const std::uint8_t b = ByteAt(behind, 0);
        return b == frames::kAck || b == frames::kReject ? whole(1) : Verdict::NotAnswer;
    }
    case Request::Kind::Read:
        if (!couldBeFrameFor(behind.left(frames::kFrameLength), m_kind.address)) {
            return Verdict::NotAnswer;
        }
        return behind.size() < frames::kFrameLength ? Verdict::Pending
                                                    : whole(frames::kFrameLength);
    }
    return Verdict::NotAnswer;
}

Reply ReplyMatcher::replyFor(const QByteArray& behind) const {
    switch (m_kind.kind) {
    case Request::Kind::Handshake:
        return Reply::Handshake;
    case Request::Kind::BlockWrite:
    case Request::Kind::End:
        return ByteAt(behind, 0) == frames::kAck ? Reply::Ack : Reply::Reject;
    case Request::Kind::Read:
        return Reply::Read;
    }
    return Reply::None;
}

Reply ReplyMatcher::judge() const {
    if (m_request.isEmpty()) {
        return Reply::None;
    }
    for (qsizetype at = m_received.indexOf(m_request); at >= 0;
         at = m_received.indexOf(m_request, at + 1)) {
        const QByteArray behind = m_received.mid(at + m_request.size());
        switch (verdictOn(behind)) {
        case Verdict::NotAnswer:
            continue; // perhaps a doubled echo: the next one may carry the answer
        case Verdict::Pending:
            return Reply::None;
        case Verdict::Answer:
            return replyFor(behind);
        case Verdict::Untrusted:
            return Reply::Untrusted;
        }
    }
    return Reply::None;
}

QByteArray ReplyMatcher::frame() const {
    if (judge() != Reply::Read) {
        return {};
    }
    return m_received.right(frames::kFrameLength);
}

bool ReplyMatcher::garbled() const {
    const qsizetype at = echoAt();
    if (at < 0 || m_received.size() == at + m_request.size()) {
        return false;
    }
    QByteArray behind;
    for (qsizetype a = at; a >= 0; a = m_received.indexOf(m_request, a + 1)) {
        behind = m_received.mid(a + m_request.size());
        if (verdictOn(behind) != Verdict::NotAnswer) {
            return false;
        }
    }
    // A second echo still arriving behind the last one may yet carry the answer.
    return !m_request.startsWith(behind);
}

bool ReplyMatcher::strayBeforeEcho() const {
    const qsizetype at = echoAt();
    if (at >= 0) {
        return at > 0;
    }
    return !m_received.isEmpty() && !m_request.startsWith(m_received.left(m_request.size()));
}

} // namespace tavrik
