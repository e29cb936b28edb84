// The multi-write run: waiting for the next radio, its time-outs and its endings.

#include "LinkBench.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavrik::test {
namespace {

using namespace std::chrono_literals;
using radiosim::SimOptions;

SimOptions series(std::chrono::milliseconds unplugAfter, std::chrono::milliseconds gap) {
    SimOptions options = LinkBench::pacedOptions();
    options.unplugAfter = unplugAfter;
    options.gap = gap;
    return options;
}

// Requests sent after the first radio's END.
QStringList afterFirstEnd(const LinkBench& bench) {
    const QStringList all = bench.requests();
    const qsizetype end = all.indexOf(QStringLiteral("END"));
    return end < 0 ? QStringList{} : all.mid(end + 1);
}

bool onlyHandshakes(const QStringList& requests) {
    for (const QString& r : requests) {
        if (r != QLatin1String("PROGRAM")) {
            return false;
        }
    }
    return !requests.isEmpty();
}

TEST(MulWriteWait, RadioStillConnectedIsNeverWrittenTwice) {
    for (bool paced : {true, false}) {
        SCOPED_TRACE(paced ? "bytes paced at 9600 baud" : "bytes at once");
        SimOptions options = series(1h, 1h);
        options.pacing = paced;
        LinkBench bench({radiosim::DefaultMemory(), radiosim::DefaultMemory()}, options);
        ASSERT_TRUE(bench.startMulWrite(2));
        bench.clock.advanceBy(10s);
        EXPECT_EQ(bench.sim.storedWrites(0), 7);
        EXPECT_TRUE(onlyHandshakes(afterFirstEnd(bench)));
        EXPECT_GT(afterFirstEnd(bench).size(), 100); // answered at once, polled again at once
        EXPECT_EQ(bench.comm.state().WaitNextCount, 0);
        EXPECT_EQ(bench.comm.state().opKind, OpKind::MulWrite);
        EXPECT_EQ(bench.window.number, QStringLiteral("2"));
        EXPECT_TRUE(bench.messages().isEmpty());
    }
}

TEST(MulWriteWait, ARadioAnsweringAfterOneTimeOutIsThePreviousOne) {
    // Unplugged 200 ms after END; the next radio answers 400 ms later, so after the
    // first time-out only. It is taken for the radio just written, again and again.
    LinkBench bench({radiosim::DefaultMemory(), radiosim::DefaultMemory()}, series(200ms, 400ms));
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
    EXPECT_EQ(bench.comm.state().WriteStep, 1);
    EXPECT_TRUE(onlyHandshakes(afterFirstEnd(bench)));
    EXPECT_TRUE(bench.messages().isEmpty());
}

TEST(MulWriteWait, TwoTimeOutsThenANewRadioIsWritten) {
    LinkBench bench({radiosim::DefaultMemory(), radiosim::DefaultMemory()}, series(200ms, 1500ms));
    ASSERT_TRUE(bench.startMulWrite(2));
    qint32 countWhenAccepted = -1;
    ASSERT_TRUE(bench.runUntil(
        [&] {
            if (countWhenAccepted < 0 && bench.comm.state().WriteStep == 4 &&
                bench.comm.state().MulWriteNo == 2) {
                countWhenAccepted = bench.comm.state().WaitNextCount;
            }
            return bench.messages().size() == 1;
        },
        30s));
    EXPECT_GE(countWhenAccepted, 2);
    EXPECT_EQ(bench.messages(), QStringList{"MulWrite Complete!"});
    EXPECT_EQ(bench.sim.storedWrites(1), 7);
}

TEST(MulWriteWait, The28801stTimeOutEndsTheRun) {
    SimOptions options = series(0ms, 10h);
    options.pacing = false;
    LinkBench bench({radiosim::DefaultMemory(), radiosim::DefaultMemory()}, options);
    ASSERT_TRUE(bench.startMulWrite(2));
    ASSERT_TRUE(bench.runUntil([&] { return bench.comm.state().WaitNextCount == 28800; }, 5h));
    EXPECT_TRUE(bench.messages().isEmpty());
    EXPECT_EQ(bench.comm.state().opKind, OpKind::MulWrite);
    EXPECT_TRUE(bench.port.isOpen());

    bench.clock.advanceBy(600ms);
    EXPECT_EQ(bench.messages(), QStringList{"Communication Error!"});
    EXPECT_EQ(bench.comm.state().opKind, OpKind::Idle);
    EXPECT_FALSE(bench.window.mulWriteMode);
    EXPECT_FALSE(bench.port.isOpen());
    EXPECT_FALSE(bench.timer.isEnabled());
}

TEST(MulWriteEnd, TimeOutsBeforeTheLastRadioEndTheWholeRun) {
    struct Case {
        const char* name;
        int answers;
    };
    // Radio 1 answers: handshake, three reads, seven writes, END.
    const std::vector<Case> cases = {
        {"first handshake", 0},
        {"first read", 1},
        {"block write outstanding", 6},
        {"end outstanding", 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimOptions options = LinkBench::pacedOptions();
        options.faults.silentAfter = c.answers;
        LinkBench bench({radiosim::DefaultMemory(), radiosim::DefaultMemory()}, options);
        ASSERT_TRUE(bench.startMulWrite(2));
        bench.settle();
        EXPECT_EQ(bench.messages(), QStringList{"Communication Error!"});
        EXPECT_EQ(bench.comm.state().opKind, OpKind::Idle);
        EXPECT_FALSE(bench.window.mulWriteMode);
        EXPECT_EQ(bench.window.calls.count(QStringLiteral("ShowStartMulWrite")), 2);
        EXPECT_FALSE(bench.port.isOpen());
        EXPECT_EQ(bench.requests().size(), c.answers + 1);
    }
}

TEST(MulWriteEnd, RejectionsPastTheBoundEndTheRun) {
    SimOptions options = LinkBench::pacedOptions();
    options.faults.rejectWrite = 2;
    options.faults.rejectWriteTimes = 3;
    LinkBench bench({radiosim::DefaultMemory(), radiosim::DefaultMemory()}, options);
    ASSERT_TRUE(bench.startMulWrite(2));
    bench.settle();
    EXPECT_EQ(bench.requests().mid(4), (QStringList{"W3B00", "W3B10", "W3B10", "W3B10"}));
    EXPECT_EQ(bench.messages(), QStringList{"Communication Error!"});
    EXPECT_FALSE(bench.window.mulWriteMode);
    EXPECT_EQ(bench.comm.state().opKind, OpKind::Idle);
}

TEST(MulWriteEnd, WrongModelOnTheSecondRadioKeepsMultiWriteMode) {
    radiosim::Memory wrong = distinctMemory(2);
    wrong[0x05] = 'X'; // TAVRIX
    LinkBench bench({distinctMemory(1), wrong}, series(200ms, 1500ms));
    ASSERT_TRUE(bench.startMulWrite(3));
    bench.settle(60s);
    EXPECT_EQ(bench.messages(), QStringList{"Model Type Error!"});
    EXPECT_EQ(bench.sim.storedWrites(0), 7);
    EXPECT_EQ(bench.sim.storedWrites(1), 0);
    EXPECT_EQ(bench.comm.state().opKind, OpKind::MulWrite);
    EXPECT_TRUE(bench.window.mulWriteMode);
    EXPECT_FALSE(bench.port.isOpen());

    // The next press of the button is a stop.
    EXPECT_FALSE(bench.startMulWrite(3));
    EXPECT_FALSE(bench.window.mulWriteMode);
    EXPECT_EQ(bench.comm.state().opKind, OpKind::Idle);
}

TEST(MulWriteStop, WhileWaitingClosesThePortAndSendsNothingMore) {
    LinkBench bench({radiosim::DefaultMemory(), radiosim::DefaultMemory()}, series(200ms, 1500ms));
    ASSERT_TRUE(bench.startMulWrite(2));
    ASSERT_TRUE(bench.runUntil([&] { return bench.comm.state().WaitNextCount == 1; }));
    EXPECT_FALSE(bench.startMulWrite(2)); // the button's second press stops the run
    const size_t sent = bench.port.sent().size();
    bench.settle();
    EXPECT_EQ(bench.port.sent().size(), sent);
    EXPECT_FALSE(bench.port.isOpen());
    EXPECT_FALSE(bench.timer.isEnabled());
    EXPECT_TRUE(bench.messages().isEmpty());
    EXPECT_EQ(bench.comm.state().opKind, OpKind::Idle);
    EXPECT_EQ(bench.sim.storedWrites(1), 0);

    // The next press, once another radio is connected, starts a new run at radio 1.
    bench.clock.advanceBy(2s);
    ASSERT_TRUE(bench.startMulWrite(1));
    EXPECT_EQ(bench.window.number, QStringLiteral("1"));
    bench.settle();
    EXPECT_EQ(bench.messages(), QStringList{"MulWrite Complete!"});
    EXPECT_EQ(bench.sim.storedWrites(1), 7);
}

TEST(MulWriteStart, DuringAReadAbandonsTheRead) {
    LinkBench bench;
    bench.comm.StartRead();
    ASSERT_TRUE(bench.runUntil([&] { return bench.port.sent().size() == 4; }));
    ASSERT_TRUE(bench.startMulWrite(1));
    bench.settle();
    EXPECT_EQ(bench.messages(), QStringList{"MulWrite Complete!"});
    EXPECT_EQ(bench.sim.storedWrites(0), 7);
    EXPECT_EQ(bench.port.opened().size(), 2u);
}

} // namespace
} // namespace tavrik::test
