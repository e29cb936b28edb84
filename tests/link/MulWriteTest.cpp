// The multi-write run: waiting for the next radio, its time-outs and its stop.

#include "LinkBench.h"

#include <gtest/gtest.h>

namespace tavrik::test {
namespace {

using namespace std::chrono_literals;
using radiosim::SimOptions;

SimOptions series(std::chrono::milliseconds unplugAfter, std::chrono::milliseconds gap,
                  bool paced = true) {
    SimOptions options;
    options.pacing = paced;
    options.unplugAfter = unplugAfter;
    options.gap = gap;
    return options;
}

// True when everything sent after the first radio's END is a handshake.
bool onlyHandshakesAfterFirstEnd(const LinkBench& bench) {
    const QStringList all = bench.requests();
    const QStringList after = all.mid(all.indexOf(QStringLiteral("END")) + 1);
    return all.contains(QStringLiteral("END")) && !after.isEmpty() &&
           after.count(QStringLiteral("PROGRAM")) == after.size();
}

TEST(MulWriteWait, RadioStillConnectedIsNeverWrittenTwice) {
    LinkBench bench(series(1h, 1h, false)); // bytes at once; paced in the three-radio run
    ASSERT_TRUE(bench.startMulWrite(2));
    bench.clock.advanceBy(10s);
    EXPECT_EQ(bench.sim.storedWrites(0), 7);
    EXPECT_TRUE(onlyHandshakesAfterFirstEnd(bench));
    EXPECT_GT(bench.port.sent().size(), 100u); // answered at once, polled again at once
    EXPECT_EQ(bench.comm.state().WaitNextCount, 0);
    EXPECT_EQ(bench.window.number, QStringLiteral("2"));
    EXPECT_TRUE(bench.messages().isEmpty());
}

TEST(MulWriteWait, ARadioAnsweringAfterOneTimeOutIsThePreviousOne) {
    // Unplugged 200 ms after END; the next radio answers 400 ms later, so after the
    // first time-out only. It is taken for the radio just written, again and again.
    LinkBench bench(series(200ms, 400ms));
    ASSERT_TRUE(bench.startMulWrite(2));
    bool sawOneTimeOut = false;
    ASSERT_FALSE(bench.runUntil(
        [&] {
            sawOneTimeOut = sawOneTimeOut || bench.comm.state().WaitNextCount == 1;
            return bench.sim.storedWrites(1) > 0;
        },
        20s));
    EXPECT_TRUE(sawOneTimeOut);
    EXPECT_EQ(bench.comm.state().WaitNextCount, 0);
    EXPECT_TRUE(onlyHandshakesAfterFirstEnd(bench));
    EXPECT_TRUE(bench.messages().isEmpty());
}

TEST(MulWriteWait, TwoTimeOutsThenANewRadioIsWritten) {
    LinkBench bench(series(200ms, 1500ms));
    ASSERT_TRUE(bench.startMulWrite(2));
    qint32 countWhenAccepted = -1;
    ASSERT_TRUE(bench.runUntil([&] {
        const LinkState& s = bench.comm.state();
        if (countWhenAccepted < 0 && s.WriteStep == 4 && s.MulWriteNo == 2) {
            countWhenAccepted = s.WaitNextCount;
        }
        return !bench.messages().isEmpty();
    }));
    EXPECT_GE(countWhenAccepted, 2);
    EXPECT_EQ(bench.messages(), QStringList{"MulWrite Complete!"});
    EXPECT_EQ(bench.sim.storedWrites(1), 7);
}

TEST(MulWriteWait, The28801stTimeOutEndsTheRun) {
    LinkBench bench(series(0ms, 10h, false));
    ASSERT_TRUE(bench.startMulWrite(2));
    ASSERT_TRUE(bench.runUntil([&] { return bench.comm.state().WaitNextCount == 28800; }, 5h));
    EXPECT_TRUE(bench.messages().isEmpty());
    EXPECT_EQ(bench.comm.state().opKind, OpKind::MulWrite);
    EXPECT_TRUE(bench.port.isOpen());

    bench.clock.advanceBy(600ms);
    EXPECT_EQ(bench.messages(), QStringList{"Communication Error!"});
    EXPECT_FALSE(bench.window.mulWriteMode);
    EXPECT_TRUE(bench.ended());
}

TEST(MulWriteStop, WhileWaitingClosesThePortAndSendsNothingMore) {
    LinkBench bench(series(200ms, 1500ms));
    ASSERT_TRUE(bench.startMulWrite(2));
    ASSERT_TRUE(bench.runUntil([&] { return bench.comm.state().WaitNextCount == 1; }));
    EXPECT_FALSE(bench.startMulWrite(2)); // the button's second press stops the run
    EXPECT_TRUE(bench.ended());
    const size_t sent = bench.port.sent().size();
    bench.settle();
    EXPECT_EQ(bench.port.sent().size(), sent);
    EXPECT_TRUE(bench.messages().isEmpty());
    EXPECT_EQ(bench.sim.storedWrites(1), 0);

    // The next press, once another radio is connected, starts a new run at radio 1.
    bench.clock.advanceBy(2s);
    ASSERT_TRUE(bench.startMulWrite(1));
    EXPECT_EQ(bench.window.number, QStringLiteral("1"));
    bench.settle();
    EXPECT_EQ(bench.messages(), QStringList{"MulWrite Complete!"});
    EXPECT_EQ(bench.sim.storedWrites(1), 7);
}

} // namespace
} // namespace tavrik::test
