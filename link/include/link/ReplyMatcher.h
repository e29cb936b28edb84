#pragma once

#include "link/LinkTypes.h"

#include <QByteArray>

namespace tavrik {

/// What has come back for the outstanding request, judged as the radio's answer to it.
enum class Reply {
    None,      ///< no answer yet: the echo or the answer is still on its way (or nothing came)
    Handshake, ///< 51 58 06 behind the echo of "PROGRAM", whatever follows it
    Ack,       ///< 06 behind the echo of a block write or "END"
    Reject,    ///< 0A behind the echo of a block write or "END"
    Read,      ///< a good data frame naming the block requested, behind the read request's echo
    Untrusted, ///< an answer with more bytes behind it: not to be trusted
};

/// The matching of answers to requests, as pure code: a request goes in, then the bytes
/// that come back for it, and out comes what they amount to. No I/O, no steps.
///
/// The cable echoes every request ahead of the radio's answer. An answer counts only
/// when it stands right behind a complete echo of the request and is the whole of what
/// came back behind that echo: bytes before the echo are skipped (noise, or the tail of
/// something earlier), but a byte behind a complete answer makes it untrusted, since the
/// answer may then be noise in front of the radio's real one (an 06 before a 0A). When
/// the request's bytes stand more than once (a doubled echo), the first echo followed by
/// something that is or may become an answer is the one judged. The handshake answer is
/// the exception: three bytes no noise makes up, it stands whatever follows it.
class ReplyMatcher {
public:
    /// What is kept of the bytes that came back for one request: the port's own buffer.
    static constexpr int kKeptLimit = 1024;

    /// `request` was sent as `bytes`: forget what came back for the one before.
    void expect(const Request& request, const QByteArray& bytes);
    /// Bytes that came back; returns the judgement of everything since the request.
    Reply add(const QByteArray& bytes);
    /// The judgement of everything since the request.
    [[nodiscard]] Reply judge() const;

    /// The data frame of a Read answer (empty otherwise).
    [[nodiscard]] QByteArray frame() const;
    /// Where the first complete echo of the request starts in what came back; -1 while
    /// there is none.
    [[nodiscard]] qsizetype echoAt() const { return m_received.indexOf(m_request); }
    /// Bytes came back behind the echo and they are no answer, nor the start of one (nor
    /// of a second echo).
    [[nodiscard]] bool garbled() const;
    /// What came back cannot be the start of a clean echo: something came ahead of it.
    [[nodiscard]] bool strayBeforeEcho() const;

    [[nodiscard]] const Request& request() const { return m_kind; }
    [[nodiscard]] const QByteArray& requestBytes() const { return m_request; }

private:
    enum class Verdict { NotAnswer, Pending, Answer, Untrusted };
    [[nodiscard]] Verdict verdictOn(const QByteArray& behind) const;
    [[nodiscard]] Reply replyFor(const QByteArray& behind) const;

    Request m_kind;
    QByteArray m_request;
    QByteArray m_received;
};

} // namespace tavrik
