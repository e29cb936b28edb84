// What came back for a request, judged as the radio's answer to it: one row per shape
// of what the line can carry. The bytes are written out as the radio and the cable
// give them.

#include "link/ReplyMatcher.h"

#include <gtest/gtest.h>

#include <QStringList>

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

TEST(ReplyMatcher, JudgesWhatCameBackAsTheAnswerToTheRequest) {
    struct Case {
        const char* name;
        const char* request;
        int answerLength;
        std::vector<QByteArray> chunks; // as they arrive
        Reply reply;                    // after the last chunk
        bool garbled;
        bool strayBeforeEcho;
    };
    const QByteArray program = hex(kProgram);
    const QByteArray frame = hex(kFrame3B10);
    const QByteArray write = hex(kWrite3B00);
    const QByteArray end = hex(kEnd);
    const QByteArray read = hex(kRead3B10);
    QByteArray noise(120, '\x55'); // more than the 101 bytes a handshake buffer would hold
    std::vector<QByteArray> bytewise{noise};
    for (char b : program + hex("51 58 06")) {
        bytewise.emplace_back(1, b);
    }
    const std::vector<Case> cases = {
        {"handshake answer",
         kProgram,
         3,
         {program + hex("51 58 06")},
         Reply::Handshake,
         false,
         false},
        {"handshake answer behind noise",
         kProgram,
         3,
         {hex("55") + program + hex("51 58 06")},
         Reply::Handshake,
         false,
         true},
        {"handshake answer byte by byte behind long noise", kProgram, 3, bytewise, Reply::Handshake,
         false, true},
        {"handshake answer with a byte behind it",
         kProgram,
         3,
         {program + hex("51 58 06 06")},
         Reply::Untrusted,
         false,
         false},
        {"handshake echo, then no answer",
         kProgram,
         3,
         {program + hex("51 58 00")},
         Reply::None,
         true,
         false},
        {"read answer", kRead3B10, 22, {read + frame}, Reply::Read, false, false},
        {"read answer in two pieces: the first",
         kRead3B10,
         22,
         {read + frame.left(9)},
         Reply::None,
         false,
         false},
        {"read answer in two pieces",
         kRead3B10,
         22,
         {read + frame.left(9), frame.mid(9)},
         Reply::Read,
         false,
         false},
        {"read answer behind a doubled echo",
         kRead3B10,
         22,
         {read + read + frame},
         Reply::Read,
         false,
         false},
        {"read answer naming another block",
         kRead3B10,
         22,
         {read + hex(kFrame3B20)},
         Reply::None,
         true,
         false},
        {"read answer with a bad checksum",
         kRead3B10,
         22,
         {read + frame.left(20) + hex("5C 06")},
         Reply::None,
         true,
         false},
        {"read answer with a byte behind it",
         kRead3B10,
         22,
         {read + frame + hex("06")},
         Reply::Untrusted,
         false,
         false},
        {"acknowledge", kWrite3B00, 1, {write + hex("06")}, Reply::Ack, false, false},
        {"acknowledge, then a rejection behind it",
         kWrite3B00,
         1,
         {write + hex("06 0A")},
         Reply::Untrusted,
         false,
         false},
        // The echo of a block write ends in 06: a stray 06 ahead of it is no acknowledge.
        {"echo of a block write behind a stray 06",
         kWrite3B00,
         1,
         {hex("06") + write},
         Reply::None,
         false,
         true},
        {"a block write's echo short by its first byte, then 06",
         kWrite3B00,
         1,
         {write.mid(1) + hex("06")},
         Reply::None,
         false,
         true},
        {"rejection of END", kEnd, 1, {end + hex("0A")}, Reply::Reject, false, false},
        {"END echoed twice, then acknowledged",
         kEnd,
         1,
         {end + end + hex("06")},
         Reply::Ack,
         false,
         false},
        {"a data byte behind END's echo", kEnd, 1, {end + hex("55")}, Reply::None, true, false},
        {"a byte that cannot start the echo", kEnd, 1, {hex("0A")}, Reply::None, false, true},
        {"the start of the echo", kEnd, 1, {hex("45 4E")}, Reply::None, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReplyMatcher matcher;
        matcher.expect(hex(c.request), c.answerLength);
        Reply reply = Reply::None;
        for (const QByteArray& chunk : c.chunks) {
            reply = matcher.add(chunk);
        }
        EXPECT_EQ(reply, c.reply);
        EXPECT_EQ(matcher.garbled(), c.garbled);
        EXPECT_EQ(matcher.strayBeforeEcho(), c.strayBeforeEcho);
        if (c.reply == Reply::Read) {
            EXPECT_EQ(matcher.frame(), frame);
        }
    }
}

// A new request forgets what came back for the one before.
TEST(ReplyMatcher, ANewRequestStartsAfresh) {
    ReplyMatcher matcher;
    matcher.expect(hex(kProgram), 3);
    ASSERT_EQ(matcher.add(hex(kProgram) + hex("51 58 06")), Reply::Handshake);
    matcher.expect(hex(kProgram), 3);
    EXPECT_EQ(matcher.judge(), Reply::None);
    EXPECT_EQ(matcher.add(hex("51 58 06")), Reply::None);
}

} // namespace
} // namespace tavrik
