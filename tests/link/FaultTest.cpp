// Read, write and multi-write against a radio that misbehaves: silence at each step, a
// wrong model, broken answers, rejections, a second start, and events inside a step.

#include "LinkBench.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavrik::test {
namespace {

using radiosim::Faults;
using radiosim::Memory;

radiosim::SimOptions withFaults(const std::function<void(Faults&)>& set) {
    radiosim::SimOptions options = pacedOptions();
    set(options.faults);
    return options;
}

const QStringList kReadRequests =
    words("PROGRAM R3B00 R3B10 R3B20 R3B30 R3B40 R3B50 R3B60 "
          "R3B70 R3B80 R3B90 R3BA0 R3BB0 R3BC0 R3BD0 R3BE0 R3BF0 END");
const QStringList kWriteRequests =
    words("PROGRAM R3B00 R3B10 R3BF0 W3B00 W3B10 W3B60 W3B70 W3B80 W3B90 W3BF0 END");

const char* name(OpKind kind) {
    return kind == OpKind::Read ? "read" : kind == OpKind::Write ? "write" : "multi-write";
}

TEST(TimeOut, AtEachStepEndsWithCommunicationError) {
    for (OpKind kind : {OpKind::Read, OpKind::Write, OpKind::MulWrite}) {
        const QStringList& all = kind == OpKind::Read ? kReadRequests : kWriteRequests;
        for (int answers = 0; answers < all.size(); ++answers) { // before the radio falls silent
            SCOPED_TRACE(std::string(name(kind)) + " after " + std::to_string(answers));
            LinkBench bench(withFaults([&](Faults& f) { f.silentAfter = answers; }));
            const Memory before = bench.sim.memory(0);
            bench.start(kind);
            bench.settle();
            EXPECT_EQ(bench.requests(), all.mid(0, answers + 1));
            EXPECT_EQ(bench.messages(), QStringList{"Communication Error!"});
            EXPECT_EQ(bench.boxes.shown().at(0).icon, platform::MessageIcon::None);
            EXPECT_TRUE(bench.ended());
            EXPECT_FALSE(bench.window.mulWriteMode);
            // Neither the record nor the serial number changes.
            EXPECT_FALSE(bench.window.calls.contains(QStringLiteral("ShowByData")));
            if (kind == OpKind::Read) {
                EXPECT_EQ(bench.sim.memory(0), before);
            } else {
                EXPECT_EQ(bench.sim.storedWrites(0), std::clamp(answers - 3, 0, 7));
            }
        }
    }
}

TEST(WrongModel, EndsTheExchangeWithoutWriting) {
    for (OpKind kind : {OpKind::Read, OpKind::Write, OpKind::MulWrite}) {
        for (qint16 language : {kLanguageEnglish, kLanguageChinese}) {
            SCOPED_TRACE(std::string(name(kind)) + " " + std::to_string(language));
            LinkBench bench(withFaults([](Faults& f) { f.wrongModel = true; }));
            bench.window.language = language;
            const Memory before = bench.sim.memory(0);
            bench.start(kind);
            bench.settle();
            EXPECT_EQ(bench.requests(), words(kind == OpKind::Write ? "PROGRAM R3B00 R3B10 END"
                                                                    : "PROGRAM R3B00 END"));
            EXPECT_EQ(bench.messages(),
                      QStringList{language == kLanguageEnglish ? QStringLiteral("Model Type Error!")
                                                               : QStringLiteral("机型错误!")});
            EXPECT_FALSE(bench.window.calls.contains(QStringLiteral("GetDataByShow")));
            EXPECT_FALSE(bench.window.calls.contains(QStringLiteral("ShowByData")));
            EXPECT_EQ(bench.sim.memory(0), before);
            EXPECT_FALSE(bench.port.isOpen());
            EXPECT_FALSE(bench.timer.isEnabled());
            // The kind is left as it was; a multi-write's window stays in its mode, and
            // the button's next press is a stop.
            EXPECT_EQ(bench.comm.state().opKind, kind);
            EXPECT_EQ(bench.window.mulWriteMode, kind == OpKind::MulWrite);
            if (kind == OpKind::MulWrite) {
                EXPECT_FALSE(bench.startMulWrite(2));
                EXPECT_TRUE(bench.ended());
            }
        }
    }
}

// Broken answers are not taken (the time-out ends the operation); rejected requests
// are sent again, up to three times in all.
TEST(RadioFault, EndsOrRepeatsAsTheAnswersDemand) {
    struct Case {
        const char* name;
        OpKind kind;
        std::function<void(Faults&)> fault;
        QStringList requests;
        QString message;
        int stored;
    };
    const auto rejectWrites = [](int nth, int times) {
        return [=](Faults& f) {
            f.rejectWrite = nth;
            f.rejectWriteTimes = times;
        };
    };
    const auto rejectEnds = [](int k) { return [=](Faults& f) { f.rejectEnds = k; }; };
    const auto delay = [](int ms) {
        return [=](Faults& f) { f.answerDelay = std::chrono::milliseconds(ms); };
    };
    const QString error = QStringLiteral("Communication Error!");
    const std::vector<Case> cases = {
        {"read answer with checksum plus one", OpKind::Read,
         [](Faults& f) { f.badChecksumRead = 1; }, words("PROGRAM R3B00"), error, 0},
        {"read answer one byte short", OpKind::Read, [](Faults& f) { f.shortRead = 2; },
         words("PROGRAM R3B00 R3B10"), error, 0},
        {"write's read of 0x3BF0 with a bad checksum", OpKind::Write,
         [](Faults& f) { f.badChecksumRead = 3; }, words("PROGRAM R3B00 R3B10 R3BF0"), error, 0},
        {"answers later than the time-out", OpKind::Read, delay(600), words("PROGRAM"), error, 0},
        {"answers just inside the time-out", OpKind::Read, delay(400), kReadRequests,
         "Read Complete!", 0},
        {"block rejected once", OpKind::Write, rejectWrites(3, 1),
         words("PROGRAM R3B00 R3B10 R3BF0 W3B00 W3B10 W3B60 W3B60 W3B70 W3B80 W3B90 W3BF0 END"),
         "Write Complete!", 7},
        {"first block rejected twice", OpKind::Write, rejectWrites(1, 2),
         words("PROGRAM R3B00 R3B10 R3BF0 W3B00 W3B00 W3B00 W3B10 W3B60 W3B70 W3B80 W3B90 "
               "W3BF0 END"),
         "Write Complete!", 7},
        {"block rejected three times", OpKind::Write, rejectWrites(3, 3),
         words("PROGRAM R3B00 R3B10 R3BF0 W3B00 W3B10 W3B60 W3B60 W3B60"), error, 2},
        {"multi-write's block rejected three times", OpKind::MulWrite, rejectWrites(2, 3),
         words("PROGRAM R3B00 R3B10 R3BF0 W3B00 W3B10 W3B10 W3B10"), error, 1},
        {"end rejected once", OpKind::Write, rejectEnds(1), kWriteRequests + words("END"),
         "Write Complete!", 7},
        {"end rejected three times", OpKind::Write, rejectEnds(3),
         kWriteRequests + words("END END"), error, 7},
        {"read's end rejected twice", OpKind::Read, rejectEnds(2), kReadRequests + words("END END"),
         "Read Complete!", 0},
        // A stray 06 ahead of an echo that itself ends in 06, and the radio's own
        // answer 20 ms behind it: the answer is what follows the echo.
        {"stray byte before a rejected block's echo", OpKind::Write,
         [](Faults& f) {
             f.rejectWrite = 2;
             f.strayBeforeEcho = 6; // the echo of W3B10
             f.answerDelay = std::chrono::milliseconds(20);
         },
         words("PROGRAM R3B00 R3B10 R3BF0 W3B00 W3B10 W3B10 W3B60 W3B70 W3B80 W3B90 W3BF0 END"),
         "Write Complete!", 7},
        {"stray byte before a rejected END's echo", OpKind::Write,
         [](Faults& f) {
             f.rejectEnds = 1;
             f.strayBeforeEcho = 12;
             f.answerDelay = std::chrono::milliseconds(20);
         },
         kWriteRequests + words("END"), "Write Complete!", 7},
        // An answer naming another block is no answer to the request.
        {"write's read of 0x3B10 answered with block 0x3B00", OpKind::Write,
         [](Faults& f) { f.otherBlockRead = 2; }, words("PROGRAM R3B00 R3B10"), error, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkBench bench(withFaults(c.fault));
        bench.start(c.kind);
        bench.settle();
        EXPECT_EQ(bench.requests(), c.requests);
        EXPECT_EQ(bench.messages(), QStringList{c.message});
        EXPECT_EQ(bench.sim.storedWrites(0), c.stored);
        EXPECT_TRUE(bench.ended());
        EXPECT_FALSE(bench.window.mulWriteMode);
        // The serial number advances only when the operation completed.
        EXPECT_EQ(bench.window.calls.contains(QStringLiteral("ShowByData")), c.message != error);
    }
}

TEST(StartAgain, AbandonsTheRunningOperation) {
    struct Case {
        OpKind first;
        size_t after; // requests of the first operation before the second start
        OpKind second;
        QString message;
    };
    const std::vector<Case> cases = {
        {OpKind::Read, 6, OpKind::Read, "Read Complete!"},
        {OpKind::Read, 3, OpKind::Write, "Write Complete!"},
        {OpKind::Write, 7, OpKind::Read, "Read Complete!"},
        {OpKind::Write, 8, OpKind::Write, "Write Complete!"},
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
                  c.second == OpKind::Read ? kReadRequests : kWriteRequests);
        EXPECT_EQ(bench.messages(), QStringList{c.message});
        EXPECT_TRUE(bench.ended());
    }
}

// A radio of another model that answers the model read of a multi-write with another
// block: the check runs on what this radio sent, never on the previous radio's bytes.
TEST(WrongModel, IsFoundOnTheNextRadioOfAMultiWriteWhateverBlockItSends) {
    Memory other = radiosim::DefaultMemory();
    other[0x05] = 'X';
    radiosim::SimOptions options = pacedOptions();
    options.faults.onlyRadio = 1;
    options.faults.otherBlockRead = 1;
    options.faults.otherBlock = 0x3B10;
    LinkBench bench({radiosim::DefaultMemory(), other}, options);
    ASSERT_TRUE(bench.startMulWrite(2));
    bench.settle();
    EXPECT_EQ(bench.messages(), QStringList{"Communication Error!"});
    EXPECT_EQ(bench.sim.storedWrites(0), 7);
    EXPECT_EQ(bench.sim.storedWrites(1), 0);
    EXPECT_EQ(bench.sim.memory(1), other);
    EXPECT_TRUE(bench.ended());
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
        {"read, reading blocks", OpKind::Read, 5, false},
        {"write, writing blocks", OpKind::Write, 7, false},
        {"multi-write, waiting for the next radio", OpKind::MulWrite, 20, false},
        {"read, a request refused", OpKind::Read, 5, true},
        {"multi-write, the next radio's handshake refused", OpKind::MulWrite, 13, true},
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

// A start stops the abandoned operation's time-out before it opens the port, so no
// tick of it runs inside "Cannot Open Communication Port.".
TEST(StartAgain, AnOpenFailureShowsItsMessageAlone) {
    for (OpKind second : {OpKind::Write, OpKind::MulWrite}) {
        SCOPED_TRACE(name(second));
        LinkBench bench;
        bench.start(OpKind::Read);
        ASSERT_TRUE(bench.runUntil([&] { return bench.port.sent().size() == 3; }));
        bench.port.setAvailablePorts({7}); // the chosen port, 3, has gone
        bench.boxes.setWhileOpen([&](const FakeMessageBoxes::Shown&) {
            bench.clock.advanceBy(std::chrono::seconds(1)); // the box stays up a while
        });
        bench.start(second);
        EXPECT_EQ(bench.messages(), QStringList{"Cannot Open Communication Port."});
        EXPECT_TRUE(bench.ended());
        EXPECT_FALSE(bench.window.mulWriteMode);
    }
}

TEST(Idle, AnAnswerOnlySwitchesTheTimeOutOff) {
    LinkBench bench;
    bench.comm.StartRead();
    ASSERT_TRUE(bench.runUntil([&] { return bench.port.sent().size() == 2; }));
    bench.comm.state().opKind = OpKind::Idle; // as a stopped run leaves it
    ASSERT_TRUE(bench.timer.isEnabled());
    bench.settle();
    EXPECT_EQ(bench.requests(), words("PROGRAM R3B00"));
    EXPECT_FALSE(bench.timer.isEnabled());
    EXPECT_TRUE(bench.messages().isEmpty());
}

TEST(OpenFailure, ShowsTheCriticalMessageAndSendsNothing) {
    for (OpKind kind : {OpKind::Read, OpKind::Write, OpKind::MulWrite}) {
        SCOPED_TRACE(static_cast<int>(kind));
        LinkBench bench;
        bench.port.setAvailablePorts({7}); // the chosen port is 3
        bench.start(kind);
        bench.settle();
        ASSERT_EQ(bench.boxes.shown().size(), 1u);
        EXPECT_EQ(bench.boxes.shown()[0].text, QStringLiteral("Cannot Open Communication Port."));
        EXPECT_EQ(bench.boxes.shown()[0].icon, platform::MessageIcon::Critical);
        EXPECT_TRUE(bench.port.sent().empty());
        EXPECT_TRUE(bench.ended());
        EXPECT_FALSE(bench.window.mulWriteMode);
    }
}

// The band question is a modal box: its nested event loop may deliver the port's
// receive event and the time-out's tick while the step that asked is still running.
TEST(Reentrancy, EventsInsideTheBandQuestionRunNoSecondStep) {
    LinkBench bench;
    const Memory before = bench.sim.memory(0);
    bench.window.duringGetData = [&] {
        (void)bench.boxes.askOkCancel(QStringLiteral("band?"), platform::MessageIcon::None);
    };
    bench.boxes.setWhileOpen([&](const FakeMessageBoxes::Shown&) {
        // Echo of the last read, then a good answer naming 0x3B00; then the tick, and
        // a start command.
        bench.port.deliver(QByteArray::fromHex("523BF010573B0010") + QByteArray(16, '\xEE') +
                           QByteArray::fromHex("2B06"));
        bench.timer.fire();
        bench.comm.StartRead();
    });
    bench.comm.StartWrite();
    bench.settle();

    EXPECT_EQ(bench.requests(), kWriteRequests);
    EXPECT_EQ(bench.messages(), (QStringList{"band?", "Write Complete!"}));
    EXPECT_EQ(bench.sim.storedWrites(0), 7);
    // The stray block neither reached the image nor the radio.
    EXPECT_EQ(bench.sim.memory(0)[0x01], before[0x01]);
    EXPECT_EQ(bench.data.image().at(0x3B01), before[0x01]);
    EXPECT_TRUE(bench.ended());
}

} // namespace
} // namespace tavrik::test
