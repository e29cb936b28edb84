// Read, write and multi-write against a radio that misbehaves (a wrong model, late
// answers, rejections, stray bytes, another block) and against the operator and the
// port (a second start, the port lost, events inside a step).

#include "LinkBench.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavrik::test {
namespace {

using namespace std::chrono_literals;

using radiosim::Memory;

const QStringList kReadRequests =
    words("PROGRAM R3B00 R3B10 R3B20 R3B30 R3B40 R3B50 R3B60 "
          "R3B70 R3B80 R3B90 R3BA0 R3BB0 R3BC0 R3BD0 R3BE0 R3BF0 END");
const QStringList kWriteRequests =
    words("PROGRAM R3B00 R3B10 R3BF0 W3B00 W3B10 W3B60 W3B70 W3B80 W3B90 W3BF0 END");
const QStringList kMulWriteRequests =
    words("PROGRAM R3B00 R3B20 R3B10 R3BF0 W3B00 W3B10 W3B60 W3B70 W3B80 W3B90 W3BF0 END");

// A radio of another model that answers the model read of a multi-write with another
// block: that answer is sent for again, and the check runs on what this radio sent,
// never on the previous radio's bytes.
TEST(WrongModel, IsFoundOnTheNextRadioOfAMultiWriteWhateverBlockItSends) {
    Memory other = radiosim::DefaultMemory();
    Put(other, 0x05, "X");
    radiosim::SimOptions options = pacedOptions();
    options.faults.onlyRadio = 1;
    options.faults.otherBlockRead = 1;
    options.faults.otherBlock = 0x3B10;
    LinkBench bench({radiosim::DefaultMemory(), other}, options);
    ASSERT_TRUE(bench.startMulWrite(2));
    bench.settle();
    EXPECT_EQ(bench.messages(), QStringList{"Model Type Error!"});
    EXPECT_EQ(bench.sim.storedWrites(0), 7);
    EXPECT_EQ(bench.sim.memory(1), other);
}

// A whole answer that came back while its receive notification was still queued behind
// the time-out's tick is taken at the time-out, not thrown away.
TEST(TimeOut, TakesAWholeAnswerStillAwaitingItsNotification) {
    LinkBench bench;
    bench.port.setPeer([&](const QByteArray& sent, VirtualClock::Micros now) {
        std::vector<Arrival> back = bench.sim.receive(sent, now);
        if (sent == QByteArray::fromHex("523B1010")) {
            QByteArray bytes;
            for (const Arrival& a : back) {
                bytes += a.bytes;
            }
            bench.clock.schedule(back.back().at, [&bench, bytes] { bench.port.park(bytes); });
            back.clear();
        }
        return back;
    });
    bench.start(OpKind::Read);
    bench.settle();
    EXPECT_EQ(bench.messages(), QStringList{"Read Complete!"});
    EXPECT_EQ(bench.requests(), kReadRequests);
}

// Read, Write or MulWrite pressed again mid-operation starts afresh; the time-out of the
// abandoned operation is stopped first, so none of its ticks runs inside the new start's
// "Cannot Open Communication Port.".
TEST(StartAgain, AbandonsTheRunningOperation) {
    struct Case {
        OpKind first;
        size_t after; // requests of the first operation before the second start
        OpKind second;
        QString message;
    };
    const std::vector<Case> cases = {
        {OpKind::Read, 6, OpKind::Read, "Read Complete!"},
        {OpKind::Write, 7, OpKind::Read, "Read Complete!"},
        {OpKind::Read, 4, OpKind::MulWrite, "MulWrite Complete!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.toStdString() + " after " + std::to_string(c.after));
        LinkBench bench;
        bench.start(c.first);
        ASSERT_TRUE(bench.runUntil([&] { return bench.port.sent().size() >= c.after; }));
        bench.start(c.second, 1);
        bench.settle();
        EXPECT_EQ(bench.port.opened().size(), 2u);
        EXPECT_EQ(bench.requests().mid(qsizetype(c.after)),
                  c.second == OpKind::Read ? kReadRequests : kMulWriteRequests);
        EXPECT_EQ(bench.messages(), QStringList{c.message});
        EXPECT_TRUE(bench.ended());
    }
    for (OpKind second : {OpKind::Write, OpKind::MulWrite}) {
        LinkBench bench;
        bench.start(OpKind::Read);
        ASSERT_TRUE(bench.runUntil([&] { return bench.port.sent().size() == 3; }));
        bench.port.setAvailablePorts({7}); // the chosen port, 3, has gone
        bench.boxes.setWhileOpen([&](const FakeMessageBoxes::Shown&) {
            bench.clock.advanceBy(std::chrono::seconds(1)); // the box stays up a while
        });
        bench.start(second);
        EXPECT_EQ(bench.messages(), QStringList{"Cannot Open Communication Port."});
        EXPECT_EQ(bench.boxes.shown().front().icon, platform::MessageIcon::Critical);
        EXPECT_EQ(bench.port.sent().size(), 3u);
        EXPECT_TRUE(bench.ended());
        EXPECT_FALSE(bench.window.mulWriteMode);
    }
}

// The port lost (device removed, or a request it refused to send) ends the operation
// at once with the communication-error ending, wherever the operation stands.
TEST(PortLost, EndsTheOperationAtOnce) {
    struct Case {
        const char* name;
        OpKind kind;
        size_t sentBefore; // requests on the line when the port goes
        bool refusedSend;  // the next send is refused instead of the device vanishing
    };
    const std::vector<Case> cases = {
        {"write, writing blocks", OpKind::Write, 7, false},
        {"read, a request refused", OpKind::Read, 5, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkBench bench; // one radio: a multi-write waits for the next one for ever
        int ticks = 0;   // time-outs before the port went
        if (c.refusedSend) {
            bench.port.refuseSendsFrom(static_cast<int>(c.sentBefore) + 1);
            bench.start(c.kind);
            ASSERT_TRUE(bench.runUntil([&] { return !bench.messages().isEmpty(); }));
        } else {
            bench.start(c.kind);
            ASSERT_TRUE(bench.runUntil([&] { return bench.port.sent().size() == c.sentBefore; }));
            ticks = bench.timer.ticks();
            bench.port.unplug();
        }
        EXPECT_EQ(bench.messages(), QStringList{"Communication Error!"});
        EXPECT_EQ(bench.port.sent().size(), c.sentBefore);
        EXPECT_TRUE(bench.ended());
        EXPECT_FALSE(bench.window.mulWriteMode);
        bench.settle();
        EXPECT_EQ(bench.messages().size(), 1);
        EXPECT_EQ(bench.timer.ticks(), ticks); // no time-out was needed to end it
    }
}

// The band question is a modal box: its nested event loop may deliver the port's
// receive event, the time-out's tick and a start command while the step that asked is
// still running.
TEST(Reentrancy, EventsInsideTheBandQuestionRunNoSecondStep) {
    LinkBench clean; // the same write with nothing inside the question
    clean.comm.StartWrite();
    clean.settle();
    LinkBench bench;
    bench.window.duringGetData = [&] {
        (void)bench.boxes.askOkCancel(QStringLiteral("band?"), platform::MessageIcon::None);
    };
    bench.boxes.setWhileOpen([&](const FakeMessageBoxes::Shown&) {
        // Echo of the last read, then a good answer naming 0x3BF0; then the tick and Read.
        bench.port.deliver(QByteArray::fromHex("523BF010573BF010") + QByteArray(16, '\xEE') +
                           QByteArray::fromHex("1B06"));
        bench.timer.fire();
        bench.comm.StartRead();
    });
    bench.comm.StartWrite();
    bench.settle();

    EXPECT_EQ(bench.requests(), kWriteRequests);
    EXPECT_EQ(bench.messages(), (QStringList{"band?", "Write Complete!"}));
    EXPECT_EQ(bench.sim.memory(0), clean.sim.memory(0)); // the stray block reached nothing
    EXPECT_TRUE(bench.ended());
    // ... and it was taken into the record, not thrown away unseen.
    const auto& r3bf0 = bench.comm.record().exchanges.at(3);
    EXPECT_EQ(r3bf0.arrivals.back().bytes, QByteArray::fromHex("523BF010573BF010") +
                                               QByteArray(16, '\xEE') +
                                               QByteArray::fromHex("1B06"));
}

} // namespace
} // namespace tavrik::test
