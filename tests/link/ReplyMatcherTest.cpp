// What came back for a request, judged as the radio's answer to it: one row per shape
// of what the line can carry. The bytes are written out as the radio and the cable
// give them.

#include "link/ReplyMatcher.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <map>
#include <vector>

namespace tavrik {
namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

const char* const kProgram = "50 52 4F 47 52 41 4D";
const char* const kRead3B10 = "52 3B 10 10";
// The answer to it: sixteen zero bytes, the sum 3B + 10 + 10 = 5B, and 06.
const char* const kFrame3B10 = "57 3B 10 10 00000000000000000000000000000000 5B 06";
const char* const kFrame3B20 = "57 3B 20 10 00000000000000000000000000000000 6B 06";
// A block write of 0x3B00 with sixteen zero bytes; it ends in 06 itself.
const char* const kWrite3B00 = "57 3B 00 10 00000000000000000000000000000000 4B 06";
const char* const kEnd = "45 4E 44";

// The request each of the byte strings above is sent for.
Request requestOf(const char* bytes) {
    const std::map<const char*, Request> kinds = {{kProgram, {Request::Kind::Handshake, 0}},
                                                  {kRead3B10, {Request::Kind::Read, 0x3B10}},
                                                  {kWrite3B00, {Request::Kind::BlockWrite, 0x3B00}},
                                                  {kEnd, {Request::Kind::End, 0}}};
    return kinds.at(bytes);
}

// What came back, written as words: P "PROGRAM", R the read of 3B10, F its answer,
// G the answer for 3B20, W the block write of 3B00, E "END", N 120 noise bytes (more
// than a 101-byte handshake buffer holds), M 1100 (more than the port's 1024), anything
// else one byte in hexadecimal.
// Chunks arrive one after the other, split at "|"; a chunk led by "~" arrives byte by
// byte.
std::vector<QByteArray> chunks(const char* text) {
    const std::map<QString, QByteArray> words = {
        {"P", hex(kProgram)},           {"R", hex(kRead3B10)},          {"F", hex(kFrame3B10)},
        {"G", hex(kFrame3B20)},         {"W", hex(kWrite3B00)},         {"E", hex(kEnd)},
        {"N", QByteArray(120, '\x55')}, {"M", QByteArray(1100, '\x55')}};
    std::vector<QByteArray> out;
    for (QString chunk : QString::fromLatin1(text).split(QLatin1Char('|'))) {
        const bool bytewise = chunk.startsWith(QLatin1Char('~'));
        QByteArray bytes;
        for (const QString& w : chunk.remove(QLatin1Char('~')).split(' ', Qt::SkipEmptyParts)) {
            bytes += words.count(w) != 0 ? words.at(w) : QByteArray::fromHex(w.toLatin1());
        }
        for (qsizetype i = 0; i < bytes.size(); i += bytewise ? 1 : bytes.size()) {
            out.push_back(bytes.mid(i, bytewise ? 1 : bytes.size()));
        }
    }
    return out;
}

TEST(ReplyMatcher, JudgesWhatCameBackAsTheAnswerToTheRequest) {
    struct Case {
        const char* request;
        const char* back;
        Reply reply;      // after the last chunk
        const char* seen; // g: garbled (no answer behind the echo), s: a stray byte ahead of it
    };
    const char* const r = kRead3B10;
    const char* const w = kWrite3B00;
    const std::vector<Case> cases = {
        {kProgram, "P 51 58 06", Reply::Handshake, ""},
        {kProgram, "55 P 51 58 06", Reply::Handshake, "s"},
        {kProgram, "N | ~P 51 58 06", Reply::Handshake, "s"},
        {kProgram, "M P 51 58 06", Reply::Handshake, "s"},         // more noise than is kept
        {kProgram, "P 51 58 06 06 55 | 0A", Reply::Handshake, ""}, // whatever follows it
        {kProgram, "P 51 58 00", Reply::None, "g"},
        {r, "R F", Reply::Read, ""},
        {r, "R 57 3B 10 10 00 00", Reply::None, ""}, // the answer still arriving
        {r, "R 57 3B 10 10 00 00 | 0000000000000000000000000000 5B 06", Reply::Read, ""},
        {r, "R R F", Reply::Read, ""},   // a doubled echo
        {r, "R 52 3B", Reply::None, ""}, // ... still arriving
        {r, "R 57 3B 10 0F 00000000000000000000000000000000 5A 06", Reply::None, "g"}, // length
        {r, "R G", Reply::None, "g"}, // another block
        {r, "R 57 3B 10 10 00000000000000000000000000000000 5C 06", Reply::None, "g"},
        {r, "R F 06", Reply::Untrusted, ""},
        {w, "W 06", Reply::Ack, ""},
        {w, "W 06 0A", Reply::Untrusted, ""},
        {w, "06 W", Reply::None, "s"}, // the echo ends in 06 itself: no acknowledge
        {w, "3B 00 10 00000000000000000000000000000000 4B 06 06", Reply::None, "s"},
        {kEnd, "E 0A", Reply::Reject, ""},
        {kEnd, "E E 06", Reply::Ack, ""},
        {kEnd, "E 55", Reply::None, "g"},
        {kEnd, "0A", Reply::None, "s"},
        {kEnd, "45 4E", Reply::None, ""}, // the start of the echo
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.request << ": " << c.back);
        ReplyMatcher matcher;
        matcher.expect(requestOf(c.request), hex(c.request));
        Reply reply = Reply::None;
        for (const QByteArray& chunk : chunks(c.back)) {
            reply = matcher.add(chunk);
        }
        EXPECT_EQ(reply, c.reply);
        EXPECT_EQ(matcher.garbled(), QByteArray(c.seen).contains('g'));
        EXPECT_EQ(matcher.strayBeforeEcho(), QByteArray(c.seen).contains('s'));
        EXPECT_EQ(matcher.frame(), c.reply == Reply::Read ? hex(kFrame3B10) : QByteArray());
    }
}

} // namespace
} // namespace tavrik
