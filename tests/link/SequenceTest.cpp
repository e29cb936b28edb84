// Read, write and multi-write against the simulated radio: the exact requests on the
// line, what reaches the radio, how each operation ends, and the multi-write's wait
// for its next radio.

#include "LinkBench.h"

#include <gtest/gtest.h>

namespace tavrik::test {
namespace {

using namespace std::chrono_literals;
using radiosim::Memory;

// The radio's memory once it has stored the block writes `frames` (hexadecimal, as sent).
Memory stored(Memory memory, const QStringList& frames) {
    for (const QString& f : frames) {
        const QByteArray frame = QByteArray::fromHex(f.toLatin1());
        if (frame.size() == 22 && frame[0] == 'W') {
            Put(memory, (std::uint8_t(frame[1]) << 8 | std::uint8_t(frame[2])) - 0x3B00,
                frame.mid(4, 16));
        }
    }
    return memory;
}

// The dealer's blocks as the fake window's fields make them, for every radio.
const QStringList kDealerBlocks{
    "57 3B 60 10 53 48 4F 50 2D 37 00 00 00 00 00 00 00 00 00 00 49 06",
    "57 3B 70 10 32 30 32 36 2D 30 33 2D 30 31 00 00 00 00 00 00 A3 06",
    "57 3B 80 10 32 30 32 36 2D 30 33 2D 30 35 00 00 00 00 00 00 B7 06",
    "57 3B 90 10 4C 69 20 4C 65 69 00 00 00 00 00 00 00 00 00 00 CA 06"};

TEST(Write, BeforeAnyReadSendsTheRadiosOwnBytesBack) {
    LinkBench bench;
    const Memory before = bench.sim.memory(0);
    bench.data.settings().BandIndex = 0;
    qint16 bandSeen = -1; // the band question sees the radio's byte at 0x3B0F
    bench.window.duringGetData = [&] { bandSeen = bench.data.settings().BandIndex; };
    bench.comm.StartWrite();
    bench.settle();

    const QStringList blocks =
        QStringList{"57 3B 00 10 54 41 56 52 49 4B 00 5A 01 20 07 01 05 01 02 02 A9 06",
                    "57 3B 10 10 3D A5 5A 11 57 4F 4C 50 41 42 00 00 30 35 37 31 3A 06"} +
        kDealerBlocks +
        QStringList{"57 3B F0 10 C3 3C 00 FF 12 34 56 78 9A BC DE F0 0F 1E 2D 3C 07 06"};
    EXPECT_EQ(bench.requests(false),
              QStringList({"50 52 4F 47 52 41 4D", "52 3B 00 10", "52 3B 10 10", "52 3B F0 10"}) +
                  blocks + QStringList{"45 4E 44"});
    EXPECT_EQ(bandSeen, 1);
    EXPECT_EQ(bench.messages(), QStringList{"Write Complete!"});
    EXPECT_EQ(bench.window.calls, (QStringList{"GetDataByShow", "ShowByData"}));
    // The serial number advances in the window only.
    EXPECT_EQ(bench.window.shownSerials, QStringList{"2026030500000002"});
    EXPECT_TRUE(bench.ended());
    EXPECT_EQ(bench.sim.memory(0), stored(before, blocks));
}

TEST(MulWrite, WritesThreeRadiosEachWithItsOwnBytes) {
    // Radios that differ in bytes a write sends back as they were: the flag byte's
    // foreign bits, the area code and block 0x3BF0; and in their serial numbers.
    std::vector<Memory> radios(3, radiosim::DefaultMemory());
    for (int r = 0; r < 3; ++r) {
        Put(radios[r], 0x10, QByteArray(1, char(0x81 + 0x10 * r)));
        Put(radios[r], 0x1C, QByteArray::number(r).repeated(4));
        Put(radios[r], 0xF0, QByteArray(16, char('a' + r)));
        Put(radios[r], 0x2F, QByteArray(1, char('1' + r)));
    }
    LinkBench bench(radios);
    bench.window.windowLanguage = Language::Chinese;
    ASSERT_TRUE(bench.startMulWrite(3));
    bench.settle(120s);

    EXPECT_EQ(bench.messages(), QStringList{"MulWrite Complete!"});
    EXPECT_TRUE(bench.ended());
    EXPECT_FALSE(bench.window.mulWriteMode);
    for (int r = 0; r < 3; ++r) {
        SCOPED_TRACE(r);
        Memory expected = stored(radios[r], kDealerBlocks);
        Put(expected, 0x0F, QByteArray::fromHex("02") + char(0x8D + 0x10 * r));
        Put(expected, 0x18, QByteArray("AB\0\0", 4));
        EXPECT_EQ(bench.sim.memory(r), expected);
    }
    // Between radios the handshake is polled while the written radio is still
    // connected; runs of it are counted once here.
    QStringList collapsed;
    for (const QString& r : bench.requests()) {
        if (r != QLatin1String("PROGRAM") || collapsed.isEmpty() || collapsed.last() != r) {
            collapsed << r;
        }
    }
    const QStringList perRadio =
        words("PROGRAM R3B00 R3B20 R3B10 R3BF0 W3B00 W3B10 W3B60 W3B70 W3B80 W3B90 W3BF0 END");
    EXPECT_EQ(collapsed, perRadio + perRadio + perRadio);

    QStringList shown = bench.window.calls;
    shown.removeAll(QStringLiteral("ShowByData"));
    shown.removeAll(QStringLiteral("GetDataByShow"));
    EXPECT_EQ(shown,
              (QStringList{"ShowStartMulWrite", "number:1", "status:正在写设置数据...", "number:2",
                           "status:请换下一台机器...", "number:3", "status:请换下一台机器...",
                           "number:4", "status:", "ShowStartMulWrite"}));
    EXPECT_EQ(bench.window.shownSerials,
              (QStringList{"2026030500000002", "2026030500000003", "2026030500000004"}));
}

radiosim::SimOptions series(std::chrono::milliseconds unplugAfter, std::chrono::milliseconds gap) {
    radiosim::SimOptions options;
    options.unplugAfter = unplugAfter;
    options.gap = gap;
    return options;
}

TEST(MulWriteStop, WhileWaitingClosesThePortAndTheNextPressStartsAtRadioOne) {
    LinkBench bench(series(200ms, 1500ms));
    ASSERT_TRUE(bench.startMulWrite(2));
    ASSERT_TRUE(bench.runUntil([&] { return bench.comm.state().WaitNextCount == 1; }));
    EXPECT_FALSE(bench.startMulWrite(2)); // the button's second press stops the run
    EXPECT_TRUE(bench.ended());
    const size_t sent = bench.port.sent().size();
    bench.settle();
    EXPECT_EQ(bench.port.sent().size(), sent);
    EXPECT_TRUE(bench.messages().isEmpty());

    bench.clock.advanceBy(2s); // another radio is connected
    ASSERT_TRUE(bench.startMulWrite(1));
    EXPECT_EQ(bench.window.number, QStringLiteral("1"));
    bench.settle();
    EXPECT_EQ(bench.messages(), QStringList{"MulWrite Complete!"});
    EXPECT_EQ(bench.sim.storedWrites(1), 7);
}

} // namespace
} // namespace tavrik::test
