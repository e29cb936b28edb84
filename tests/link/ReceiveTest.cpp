// The receive buffer of the handshake answer and the reply tests, driven with
// hand-made chunks.

#include "LinkBench.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavrik::test {
namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text));
}

QByteArray zeros(int n) {
    return QByteArray(n, '\0');
}

const QByteArray kPattern = hex("50524F4752414D515806"); // echo of PROGRAM, then 51 58 06

// A link with no radio behind the port, its port open; `read` starts a read.
struct Quiet : LinkBench {
    explicit Quiet(bool read) {
        port.setPeer({});
        read ? comm.StartRead() : (void)comm.OpenCommPort();
    }
};

TEST(RxBuf, GathersChunksWhileTheHandshakeAnswerIsAwaited) {
    struct Case {
        const char* name;
        std::vector<QByteArray> chunks;
        int rxLen; // RxLen after the last chunk; -1 when the answer was recognised
    };
    const std::vector<Case> cases = {
        {"100 bytes in all keep both chunks",
         {zeros(83) + hex("50524F4752414D"), hex("515806") + zeros(7)},
         -1},
        {"101 bytes in all restart with the last chunk",
         {zeros(84) + hex("50524F4752414D"), hex("515806") + zeros(7)},
         10},
        {"150-byte chunk ending in the answer", {zeros(140) + kPattern}, -1},
        {"150-byte chunk keeps only its last 101 bytes", {kPattern + zeros(140)}, 101},
        {"answer ending in 0A", {hex("50524F4752414D51580A")}, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Quiet bench(true);
        ASSERT_EQ(bench.port.receiveThreshold(), 10);
        for (const QByteArray& chunk : c.chunks) {
            bench.port.deliver(chunk);
        }
        const bool recognised = c.rxLen < 0;
        EXPECT_EQ(bench.requests(), words(recognised ? "PROGRAM R3B00" : "PROGRAM"));
        EXPECT_EQ(bench.comm.state().ReadStep, recognised ? 3 : 1);
        if (!recognised) {
            EXPECT_EQ(bench.comm.state().RxLen, c.rxLen);
        }
    }
}

// An answer counts only behind the complete echo of the request just sent; stray
// bytes before the echo are skipped, and an answer that is still arriving waits.
TEST(Reply, IsJudgedAfterTheEchoOfTheRequestJustSent) {
    enum Kind { None, Ack, Reject, Read };
    struct Case {
        const char* name;
        char request; // 'R' a read of 0x3B00, 'W' the write of 0x3B00, 'E' END
        std::vector<QByteArray> chunks;
        Kind expected;
    };
    const QByteArray echo = hex("523B0010");
    const QByteArray frame = hex("573B0010000000000000000000000000000000004B06");
    const auto with = [&frame](int at, char value) {
        QByteArray b = frame;
        b[at] = value;
        return b;
    };
    const std::vector<Case> cases = {
        {"ack after end", 'E', {hex("454E4406")}, Ack},
        {"reject after end", 'E', {hex("454E440A")}, Reject},
        {"ack after block write", 'W', {frame + hex("06")}, Ack},
        {"reject after block write", 'W', {frame + hex("0A")}, Reject},
        {"stray 06 before the echo of a block write", 'W', {hex("06") + frame}, None},
        {"... then the radio's ack", 'W', {hex("06") + frame, hex("06")}, Ack},
        {"... then the radio's rejection", 'W', {hex("06") + frame, hex("0A")}, Reject},
        {"stray bytes before the echo of END", 'E', {hex("0A06454E"), hex("4406")}, Ack},
        {"echo damaged", 'E', {hex("454E4506")}, None},
        {"other single byte", 'E', {hex("454E4415")}, None},
        {"bytes after the ack are not the answer", 'E', {hex("454E440615")}, Ack},
        {"lone 06 after a read request", 'R', {hex("523B001006")}, None},
        {"read answer", 'R', {echo + frame}, Read},
        {"read answer in two pieces", 'R', {echo + frame.left(5), frame.mid(5)}, Read},
        {"read answer behind stray bytes", 'R', {hex("0606") + echo + frame}, Read},
        {"read answer naming another block",
         'R',
         {echo + hex("573B1010000000000000000000000000000000005B06")},
         None},
        {"read answer, checksum one high", 'R', {echo + with(20, 0x4C)}, None},
        {"read answer, wrong marker", 'R', {echo + with(0, 0x52)}, None},
        {"read answer, wrong length byte", 'R', {echo + with(3, 0x11)}, None},
        {"read answer, no closing 06", 'R', {echo + with(21, 0x00)}, None},
        {"read answer one byte short", 'R', {echo + frame.left(21)}, None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Quiet bench(false);
        ASSERT_TRUE(bench.port.isOpen());
        if (c.request == 'R') {
            bench.comm.SendReadAt(0x3B00, 16);
        } else if (c.request == 'W') {
            bench.comm.state().BlockAddr = 0x3AF0;
            bench.comm.SendWriteNext();
        } else {
            bench.comm.SendEnd();
        }
        for (const QByteArray& chunk : c.chunks) {
            bench.port.deliver(chunk);
        }
        EXPECT_EQ(bench.comm.IsAckReply(), c.expected == Ack);
        EXPECT_EQ(bench.comm.IsRejectReply(), c.expected == Reject);
        EXPECT_EQ(bench.comm.IsReadReply(), c.expected == Read);
    }
}

} // namespace
} // namespace tavrik::test
