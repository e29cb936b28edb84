#pragma once

#include "link/LinkTypes.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <deque>
#include <vector>

namespace tavrik {

/// What the line showed during an operation: enough to tell the operator why it
/// failed, and, for a support request, the last requests and what came back for them.
/// The link keeps it as a by-product; nothing in it steers the exchange.
struct LineRecord {
    /// Bytes that came back, and when (milliseconds since the operation started).
    struct Arrival {
        qint64 atMs = 0;
        QByteArray bytes;
        bool atTimeOut = false; ///< too few to be looked at; found waiting at the time-out
    };
    /// One request and what came back for it.
    struct Exchange {
        Request request;
        QByteArray bytes; ///< the request as sent
        qint64 sentAtMs = 0;
        bool sent = true; ///< false when the port refused to send it
        std::vector<Arrival> arrivals;
        qsizetype keptBytes = 0; ///< bytes held in arrivals
    };
    /// Requests kept for the details, and what is kept of what came back for each.
    static constexpr std::size_t kKeptExchanges = 12;
    static constexpr qsizetype kKeptBytesPerExchange = 256;

    OpKind kind{};
    int portNumber = 0;
    QString device;
    QDateTime startedAt;
    qint32 radioNumber = 0; ///< the radio in hand of a multi-write (1 first)

    // What the radio in hand did (a multi-write starts afresh with each radio):
    bool anyBytes = false;      ///< some byte came back
    bool echoSeen = false;      ///< the echo of a request came back whole
    bool radioAnswered = false; ///< the radio gave an answer the link recognised
    int blockWritesSent = 0;    ///< block write requests sent to the radio
    int blocksAccepted = 0;     ///< block writes the radio acknowledged
    bool endAcknowledged = false;
    /// The radio answered the end request, but more bytes followed the answer, so it
    /// could not be trusted; the end request was not sent again (a radio that took it
    /// has left programming).
    bool endAnswerNotUnderstood = false;
    bool refusedTooOften = false; ///< the radio rejected the same request every time
    bool waitingForNextRadio = false;
    bool portLost = false; ///< the port went away, or refused a request
    /// Bytes came back behind the echo of the last request and were no answer to it
    /// (a damaged frame, a bad checksum, another block), or an answer that could not be
    /// trusted because more bytes followed it.
    bool answerNotUnderstood = false;

    std::deque<Exchange> exchanges;

    /// `request` was sent as `bytes` at `atMs` (or refused by the port: not `sent`).
    void noteSent(const Request& request, const QByteArray& bytes, qint64 atMs, bool sent) {
        if (sent && request.kind == Request::Kind::BlockWrite) {
            ++blockWritesSent;
        }
        portLost = portLost || !sent;
        exchanges.push_back({request, bytes, atMs, sent, {}, 0});
        if (exchanges.size() > kKeptExchanges) {
            exchanges.pop_front();
        }
    }
    /// Bytes came back at `atMs` for the request last sent; `echoSeen` when its echo
    /// has come back whole.
    void noteArrival(const QByteArray& bytes, qint64 atMs, bool atTimeOut, bool echoSeenNow) {
        anyBytes = true;
        echoSeen = echoSeen || echoSeenNow;
        if (exchanges.empty()) {
            return;
        }
        Exchange& exchange = exchanges.back();
        const qsizetype room = kKeptBytesPerExchange - exchange.keptBytes;
        if (room > 0) {
            exchange.arrivals.push_back({atMs, bytes.left(room), atTimeOut});
            exchange.keptBytes += exchange.arrivals.back().bytes.size();
        }
    }
    /// Forgets what the radio in hand did (a multi-write's next radio).
    void startRadio() {
        anyBytes = echoSeen = radioAnswered = endAcknowledged = refusedTooOften = false;
        answerNotUnderstood = endAnswerNotUnderstood = false;
        blockWritesSent = blocksAccepted = 0;
    }
};

} // namespace tavrik
