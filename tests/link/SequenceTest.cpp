// Fault-free read, write and multi-write against the simulated radio: the exact
// requests on the line, what reaches the radio, and how each operation ends.

#include "LinkBench.h"
#include "WrittenMemory.h"

#include <gtest/gtest.h>

namespace tavrik::test {
namespace {

using radiosim::Memory;

TEST(Read, SendsEveryRequestInOrderAndFillsTheRecord) {
    LinkBench bench;
    bench.comm.StartRead();
    bench.settle();

    EXPECT_EQ(
        bench.requests(false),
        (QStringList{"50 52 4F 47 52 41 4D", "52 3B 00 10", "52 3B 10 10", "52 3B 20 10",
                     "52 3B 30 10", "52 3B 40 10", "52 3B 50 10", "52 3B 60 10", "52 3B 70 10",
                     "52 3B 80 10", "52 3B 90 10", "52 3B A0 10", "52 3B B0 10", "52 3B C0 10",
                     "52 3B D0 10", "52 3B E0 10", "52 3B F0 10", "45 4E 44"}));
    EXPECT_EQ(bench.messages(), QStringList{"Read Complete!"});
    EXPECT_EQ(bench.boxes.shown().at(0).icon, platform::MessageIcon::None);
    EXPECT_EQ(bench.window.calls, QStringList{"ShowByData"});
    EXPECT_TRUE(bench.ended());
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(bench.data.image().at(0x3B00 + i), bench.sim.memory(0)[size_t(i)]) << i;
    }
    EXPECT_EQ(bench.data.settings().UserCode.text(), QStringLiteral("WOLP"));
    EXPECT_EQ(bench.data.settings().BandIndex, 1);
    EXPECT_EQ(bench.sim.storedWrites(0), 0);
}

// Every byte the write does not own is what the radio held before; the owned bytes
// (band, flag bits 1..3, password, dealer fields) hold the window's fields.
void expectWrittenOver(const Memory& before, const Memory& after) {
    const Memory expected =
        afterWrite(before, {0x02, 0x0C, "AB", "SHOP-7", "2026-03-01", "2026-03-05", "Li Lei"});
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(after[size_t(i)], expected[size_t(i)]) << "offset 0x" << std::hex << i;
    }
}

TEST(Write, BeforeAnyReadSendsTheRadiosOwnBytesBack) {
    LinkBench bench;
    const Memory before = bench.sim.memory(0);
    bench.data.settings().BandIndex = 0;
    qint16 bandSeen = -1; // the band question sees the radio's byte at 0x3B0F
    bench.window.duringGetData = [&] { bandSeen = bench.data.settings().BandIndex; };
    bench.comm.StartWrite();
    bench.settle();

    EXPECT_EQ(bench.requests(false),
              (QStringList{"50 52 4F 47 52 41 4D", "52 3B 00 10", "52 3B 10 10", "52 3B F0 10",
                           "57 3B 00 10 54 41 56 52 49 4B 00 5A 01 20 07 01 05 01 02 02 A9 06",
                           "57 3B 10 10 3D A5 5A 11 57 4F 4C 50 41 42 00 00 30 35 37 31 3A 06",
                           "57 3B 60 10 53 48 4F 50 2D 37 00 00 00 00 00 00 00 00 00 00 49 06",
                           "57 3B 70 10 32 30 32 36 2D 30 33 2D 30 31 00 00 00 00 00 00 A3 06",
                           "57 3B 80 10 32 30 32 36 2D 30 33 2D 30 35 00 00 00 00 00 00 B7 06",
                           "57 3B 90 10 4C 69 20 4C 65 69 00 00 00 00 00 00 00 00 00 00 CA 06",
                           "57 3B F0 10 C3 3C 00 FF 12 34 56 78 9A BC DE F0 0F 1E 2D 3C 07 06",
                           "45 4E 44"}));
    EXPECT_EQ(bandSeen, 1);
    EXPECT_EQ(bench.messages(), QStringList{"Write Complete!"});
    EXPECT_EQ(bench.window.calls, (QStringList{"GetDataByShow", "ShowByData"}));
    // The serial number advances in the window only.
    EXPECT_EQ(bench.window.shownSerials, QStringList{"2026030500000002"});
    EXPECT_TRUE(bench.ended());
    EXPECT_EQ(bench.sim.storedWrites(0), 7);
    expectWrittenOver(before, bench.sim.memory(0));
}

TEST(MulWrite, WritesThreeRadiosEachWithItsOwnBytes) {
    std::vector<Memory> radios = {distinctMemory(1), distinctMemory(2), distinctMemory(3)};
    LinkBench bench(radios);
    ASSERT_TRUE(bench.startMulWrite(3));
    EXPECT_EQ(bench.window.status, QStringLiteral("Writting Data..."));
    bench.settle(std::chrono::seconds(120));

    EXPECT_EQ(bench.messages(), QStringList{"MulWrite Complete!"});
    EXPECT_TRUE(bench.ended());
    EXPECT_FALSE(bench.window.mulWriteMode);
    for (int r = 0; r < 3; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(bench.sim.storedWrites(r), 7);
        expectWrittenOver(radios[size_t(r)], bench.sim.memory(r));
    }
    // Between radios the handshake is repeated (polled while the written radio is still
    // connected); runs of it are counted once here.
    QStringList collapsed;
    for (const QString& r : bench.requests()) {
        if (r != QLatin1String("PROGRAM") || collapsed.isEmpty() || collapsed.last() != r) {
            collapsed << r;
        }
    }
    const QStringList perRadio =
        words("PROGRAM R3B00 R3B10 R3BF0 W3B00 W3B10 W3B60 W3B70 W3B80 W3B90 W3BF0 END");
    EXPECT_EQ(collapsed, perRadio + perRadio + perRadio);
    EXPECT_GT(bench.requests().count(QStringLiteral("PROGRAM")), 3);

    QStringList shown = bench.window.calls;
    shown.removeAll(QStringLiteral("ShowByData"));
    shown.removeAll(QStringLiteral("GetDataByShow"));
    EXPECT_EQ(shown,
              (QStringList{"ShowStartMulWrite", "number:1", "status:Writting Data...", "number:2",
                           "status:Waitting next...", "number:3", "status:Waitting next...",
                           "number:4", "status:", "ShowStartMulWrite"}));
    EXPECT_EQ(bench.window.shownSerials,
              (QStringList{"2026030500000002", "2026030500000003", "2026030500000004"}));
}

TEST(MulWrite, TotalOfZeroOrOneWritesOneRadio) {
    for (qint32 total : {0, 1, -5}) {
        SCOPED_TRACE(total);
        LinkBench bench({distinctMemory(1), distinctMemory(2)});
        ASSERT_TRUE(bench.startMulWrite(total));
        bench.settle();
        EXPECT_EQ(bench.messages(), QStringList{"MulWrite Complete!"});
        EXPECT_EQ(bench.sim.storedWrites(0), 7);
        EXPECT_EQ(bench.sim.storedWrites(1), 0);
    }
}

TEST(MulWrite, ChineseTextsOnTheStatusLine) {
    LinkBench bench({distinctMemory(1), distinctMemory(2)});
    bench.window.language = kLanguageChinese;
    ASSERT_TRUE(bench.startMulWrite(2));
    EXPECT_EQ(bench.window.status, QStringLiteral("正在写设置数据..."));
    ASSERT_TRUE(bench.runUntil([&] { return bench.window.number == QLatin1String("2"); }));
    EXPECT_EQ(bench.window.status, QStringLiteral("请换下一台机器..."));
}

} // namespace
} // namespace tavrik::test
