// The receive buffer of the handshake answer, the reply tests and the storing of
// read answers, driven with hand-made chunks.

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

struct RxCase {
    const char* name;
    std::vector<QByteArray> chunks;
    bool recognised;
    int rxLen; // RxLen after the last chunk when not recognised
};

class RxBufTest : public ::testing::TestWithParam<RxCase> {};

TEST_P(RxBufTest, GathersChunksWhileTheHandshakeAnswerIsAwaited) {
    const RxCase& c = GetParam();
    LinkBench bench;
    bench.port.setPeer({});
    bench.comm.StartRead();
    ASSERT_EQ(bench.requests(), QStringList{"PROGRAM"});
    ASSERT_EQ(bench.port.receiveThreshold(), 10);

    for (const QByteArray& chunk : c.chunks) {
        bench.port.deliver(chunk);
    }
    if (c.recognised) {
        EXPECT_EQ(bench.requests(), (QStringList{"PROGRAM", "R3B00"}));
        EXPECT_EQ(bench.comm.state().ReadStep, 3);
    } else {
        EXPECT_EQ(bench.requests(), QStringList{"PROGRAM"});
        EXPECT_EQ(bench.comm.state().ReadStep, 1);
        EXPECT_EQ(bench.comm.state().RxLen, c.rxLen);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, RxBufTest,
    ::testing::Values(
        RxCase{"split over two chunks",
               {hex("0000000050524F475241"), hex("4D515806000000000000")},
               true,
               0},
        RxCase{"100 bytes in all keep both chunks",
               {zeros(83) + hex("50524F4752414D"), hex("515806") + zeros(7)},
               true,
               0},
        RxCase{"101 bytes in all restart with the last chunk",
               {zeros(84) + hex("50524F4752414D"), hex("515806") + zeros(7)},
               false,
               10},
        RxCase{"150-byte chunk ending in the answer", {zeros(140) + kPattern}, true, 0},
        RxCase{"150-byte chunk keeps only its last 101 bytes", {kPattern + zeros(140)}, false, 101},
        RxCase{"long chunk after a short one", {zeros(20), zeros(110) + kPattern}, true, 0},
        RxCase{"answer without its echo", {zeros(7) + hex("515806")}, false, 10}),
    [](const ::testing::TestParamInfo<RxCase>& p) {
        std::string name = p.param.name;
        for (char& ch : name) {
            if (!std::isalnum(static_cast<unsigned char>(ch))) {
                ch = '_';
            }
        }
        return name;
    });

TEST(RxBuf, IsLeftAloneOnceTheHandshakeIsAnswered) {
    LinkBench bench;
    bench.port.setPeer({});
    bench.comm.StartRead();
    bench.port.deliver(kPattern);
    ASSERT_EQ(bench.comm.state().ReadStep, 3);
    // A 26-byte chunk that holds the handshake answer but is no read answer.
    bench.port.deliver(kPattern + zeros(16));
    EXPECT_EQ(bench.comm.state().RxLen, 0);
    EXPECT_EQ(bench.requests(), (QStringList{"PROGRAM", "R3B00"}));
    EXPECT_TRUE(bench.timer.isEnabled());
}

enum class Kind { None, Ack, Reject, Read };

struct ReplyCase {
    const char* name;
    const char* request; // "R", "W" or "END": what was sent last
    QByteArray chunk;
    Kind expected;
};

const QByteArray kReadEcho = hex("523B0010");
const QByteArray kZeroFrame = hex("573B0010000000000000000000000000000000004B06");

QByteArray withByte(QByteArray bytes, int at, char value) {
    bytes[at] = value;
    return bytes;
}

class ReplyTest : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyTest, ClassifiesTheChunk) {
    const ReplyCase& c = GetParam();
    LinkBench bench;
    bench.port.setPeer({});
    ASSERT_TRUE(bench.comm.OpenCommPort());
    const QString request = QString::fromLatin1(c.request);
    if (request == QLatin1String("R")) {
        bench.comm.SendReadAt(0x3B00, 16);
    } else if (request == QLatin1String("W")) {
        bench.comm.state().BlockAddr = 0x3AF0;
        bench.comm.SendWriteNext();
    } else {
        bench.comm.SendEnd();
    }
    EXPECT_EQ(bench.comm.IsAckReply(c.chunk), c.expected == Kind::Ack);
    EXPECT_EQ(bench.comm.IsRejectReply(c.chunk), c.expected == Kind::Reject);
    EXPECT_EQ(bench.comm.IsReadReply(c.chunk), c.expected == Kind::Read);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ReplyTest,
    ::testing::Values(
        ReplyCase{"ack after end", "END", hex("454E4406"), Kind::Ack},
        ReplyCase{"reject after end", "END", hex("454E440A"), Kind::Reject},
        ReplyCase{"ack after block write", "W", kZeroFrame + hex("06"), Kind::Ack},
        ReplyCase{"reject after block write", "W", kZeroFrame + hex("0A"), Kind::Reject},
        ReplyCase{"echo is not compared", "END", hex("00000006"), Kind::Ack},
        ReplyCase{"other single byte", "END", hex("454E4415"), Kind::None},
        ReplyCase{"ack one byte long", "END", hex("454E440606"), Kind::None},
        ReplyCase{"lone 06 after a read request", "R", hex("523B001006"), Kind::None},
        ReplyCase{"lone 0A after a read request", "R", hex("523B00100A"), Kind::None},
        ReplyCase{"read answer", "R", kReadEcho + kZeroFrame, Kind::Read},
        ReplyCase{"read answer, checksum one high", "R", kReadEcho + withByte(kZeroFrame, 20, 0x4C),
                  Kind::None},
        ReplyCase{"read answer, checksum one low", "R", kReadEcho + withByte(kZeroFrame, 20, 0x4A),
                  Kind::None},
        ReplyCase{"read answer, wrong marker", "R", kReadEcho + withByte(kZeroFrame, 0, 0x52),
                  Kind::None},
        ReplyCase{"read answer, wrong length byte", "R", kReadEcho + withByte(kZeroFrame, 3, 0x11),
                  Kind::None},
        ReplyCase{"read answer, no closing 06", "R", kReadEcho + withByte(kZeroFrame, 21, 0x00),
                  Kind::None},
        ReplyCase{"read answer one byte short", "R", kReadEcho + kZeroFrame.left(21), Kind::None},
        ReplyCase{"read answer one byte long", "R", kReadEcho + kZeroFrame + hex("06"),
                  Kind::None}),
    [](const ::testing::TestParamInfo<ReplyCase>& p) {
        std::string name = p.param.name;
        for (char& ch : name) {
            if (!std::isalnum(static_cast<unsigned char>(ch))) {
                ch = '_';
            }
        }
        return name;
    });

TEST(StoreReadReply, StoresAtTheAnsweredAddressInsideTheWindowOnly) {
    struct Case {
        const char* name;
        int address;
        int storedAt; // -1: nothing stored
    };
    const std::vector<Case> cases = {
        {"first block", 0x3B00, 0x3B00},
        {"last block", 0x3BF0, 0x3BF0},
        {"below the window", 0x3AF0, -1},
        {"past the last block", 0x3BF1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkBench bench;
        bench.port.setPeer({});
        ASSERT_TRUE(bench.comm.OpenCommPort());
        bench.comm.SendReadAt(c.address, 16);
        QByteArray chunk = kReadEcho + hex("57") +
                           QByteArray(1, static_cast<char>(c.address >> 8)) +
                           QByteArray(1, static_cast<char>(c.address & 0xFF)) + hex("10") +
                           QByteArray(16, '\x5A') + hex("0006");
        bench.comm.StoreReadReply(chunk);
        for (int a = 0x3B00; a <= 0x3BFF; ++a) {
            const bool inBlock = c.storedAt >= 0 && a >= c.storedAt && a < c.storedAt + 16;
            ASSERT_EQ(bench.data.image().at(a), inBlock ? 0x5A : 0x00) << std::hex << a;
        }
    }
}

TEST(StoreBlockAt, IgnoresTheAnsweredAddressAndTakesTheBand) {
    LinkBench bench;
    bench.port.setPeer({});
    ASSERT_TRUE(bench.comm.OpenCommPort());
    bench.comm.SendReadAt(0x3B00, 16);
    bench.data.settings().BandIndex = 0;
    // The answer names 0x3B40, but the block is stored at 0x3B00.
    const QByteArray chunk =
        kReadEcho + hex("573B4010") + hex("000102030405060708090A0B0C0D0E02") + hex("0006");
    bench.comm.StoreBlockAt(chunk, 0x3B00, 16);
    EXPECT_EQ(bench.data.image().bytes(0x3B00, 16), hex("000102030405060708090A0B0C0D0E02"));
    EXPECT_EQ(bench.data.image().at(0x3B40), 0);
    EXPECT_EQ(bench.data.settings().BandIndex, 2);
}

} // namespace
} // namespace tavrik::test
