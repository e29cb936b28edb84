// Read and write against a radio that misbehaves: silence at each step, a wrong
// model, broken answers, rejections, a second start, and events inside a step.

#include "LinkBench.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavrik::test {
namespace {

using radiosim::Memory;
using radiosim::SimOptions;

SimOptions withFaults(const std::function<void(radiosim::Faults&)>& set) {
    SimOptions options = LinkBench::pacedOptions();
    set(options.faults);
    return options;
}

const QStringList kReadRequests = {"PROGRAM", "R3B00", "R3B10", "R3B20", "R3B30", "R3B40",
                                   "R3B50",   "R3B60", "R3B70", "R3B80", "R3B90", "R3BA0",
                                   "R3BB0",   "R3BC0", "R3BD0", "R3BE0", "R3BF0", "END"};
const QStringList kWriteRequests = {"PROGRAM", "R3B00", "R3B10", "R3BF0", "W3B00", "W3B10",
                                    "W3B60",   "W3B70", "W3B80", "W3B90", "W3BF0", "END"};

void start(LinkBench& bench, OpKind kind) {
    if (kind == OpKind::Read) {
        bench.comm.StartRead();
    } else {
        bench.comm.StartWrite();
    }
}

struct TimeoutCase {
    OpKind kind;
    int answers; // answers the radio gives before it falls silent
};

class TimeoutTest : public ::testing::TestWithParam<TimeoutCase> {};

TEST_P(TimeoutTest, EndsWithCommunicationError) {
    const TimeoutCase c = GetParam();
    LinkBench bench({radiosim::DefaultMemory()},
                    withFaults([&](radiosim::Faults& f) { f.silentAfter = c.answers; }));
    const Memory before = bench.sim.memory(0);
    start(bench, c.kind);
    bench.settle();

    const QStringList& all = c.kind == OpKind::Read ? kReadRequests : kWriteRequests;
    EXPECT_EQ(bench.requests(), all.mid(0, c.answers + 1));
    EXPECT_EQ(bench.messages(), QStringList{"Communication Error!"});
    EXPECT_EQ(bench.boxes.shown().at(0).icon, platform::MessageIcon::None);
    EXPECT_EQ(bench.comm.state().opKind, OpKind::Idle);
    EXPECT_FALSE(bench.port.isOpen());
    EXPECT_FALSE(bench.timer.isEnabled());
    // Neither the record nor the serial number changes.
    EXPECT_FALSE(bench.window.calls.contains(QStringLiteral("ShowByData")));
    if (c.kind == OpKind::Write) {
        EXPECT_EQ(bench.sim.storedWrites(0), std::clamp(c.answers - 3, 0, 7));
        EXPECT_EQ(bench.window.calls.contains(QStringLiteral("GetDataByShow")), c.answers >= 4);
    } else {
        EXPECT_EQ(bench.sim.memory(0), before);
    }
}

std::vector<TimeoutCase> timeoutCases() {
    std::vector<TimeoutCase> cases;
    for (int n = 0; n < 18; ++n) {
        cases.push_back({OpKind::Read, n});
    }
    for (int n = 0; n < 12; ++n) {
        cases.push_back({OpKind::Write, n});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EachStep, TimeoutTest, ::testing::ValuesIn(timeoutCases()),
                         [](const ::testing::TestParamInfo<TimeoutCase>& p) {
                             return std::string(p.param.kind == OpKind::Read ? "Read" : "Write") +
                                    "_after_" + std::to_string(p.param.answers);
                         });

TEST(WrongModel, EndsTheExchangeWithoutWriting) {
    struct Case {
        const char* name;
        OpKind kind;
        qint16 language;
        QStringList requests;
        QString message;
    };
    const std::vector<Case> cases = {
        {"read", OpKind::Read, kLanguageEnglish, {"PROGRAM", "R3B00", "END"}, "Model Type Error!"},
        {"read, Chinese", OpKind::Read, kLanguageChinese, {"PROGRAM", "R3B00", "END"}, "机型错误!"},
        {"write",
         OpKind::Write,
         kLanguageEnglish,
         {"PROGRAM", "R3B00", "R3B10", "END"},
         "Model Type Error!"},
        {"multi-write",
         OpKind::MulWrite,
         kLanguageEnglish,
         {"PROGRAM", "R3B00", "END"},
         "Model Type Error!"},
        {"multi-write, Chinese",
         OpKind::MulWrite,
         kLanguageChinese,
         {"PROGRAM", "R3B00", "END"},
         "机型错误!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkBench bench({radiosim::DefaultMemory(), radiosim::DefaultMemory()},
                        withFaults([](radiosim::Faults& f) { f.wrongModel = true; }));
        bench.window.language = c.language;
        const Memory before = bench.sim.memory(0);
        if (c.kind == OpKind::MulWrite) {
            ASSERT_TRUE(bench.startMulWrite(2));
        } else {
            start(bench, c.kind);
        }
        bench.settle();
        EXPECT_EQ(bench.requests(), c.requests);
        EXPECT_EQ(bench.messages(), QStringList{c.message});
        EXPECT_FALSE(bench.window.calls.contains(QStringLiteral("GetDataByShow")));
        EXPECT_FALSE(bench.window.calls.contains(QStringLiteral("ShowByData")));
        EXPECT_EQ(bench.sim.memory(0), before);
        EXPECT_FALSE(bench.port.isOpen());
        EXPECT_FALSE(bench.timer.isEnabled());
        // The kind is left as it was; a multi-write's window stays in its mode.
        EXPECT_EQ(bench.comm.state().opKind, c.kind);
        EXPECT_EQ(bench.window.mulWriteMode, c.kind == OpKind::MulWrite);
    }
}

TEST(BrokenAnswer, IsNotTakenAndTheTimeOutEndsTheOperation) {
    struct Case {
        const char* name;
        OpKind kind;
        std::function<void(radiosim::Faults&)> fault;
        QStringList requests;
    };
    const std::vector<Case> cases = {
        {"read answer with checksum plus one",
         OpKind::Read,
         [](radiosim::Faults& f) { f.badChecksumRead = 1; },
         {"PROGRAM", "R3B00"}},
        {"read answer one byte short",
         OpKind::Read,
         [](radiosim::Faults& f) { f.shortRead = 2; },
         {"PROGRAM", "R3B00", "R3B10"}},
        {"write's read of 0x3BF0 with a bad checksum",
         OpKind::Write,
         [](radiosim::Faults& f) { f.badChecksumRead = 3; },
         {"PROGRAM", "R3B00", "R3B10", "R3BF0"}},
        {"answers later than the time-out",
         OpKind::Read,
         [](radiosim::Faults& f) { f.answerDelay = std::chrono::milliseconds(600); },
         {"PROGRAM"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkBench bench({radiosim::DefaultMemory()}, withFaults(c.fault));
        start(bench, c.kind);
        bench.settle();
        EXPECT_EQ(bench.requests(), c.requests);
        EXPECT_EQ(bench.messages(), QStringList{"Communication Error!"});
        EXPECT_EQ(bench.sim.storedWrites(0), 0);
        EXPECT_EQ(bench.comm.state().opKind, OpKind::Idle);
    }
}

TEST(BrokenAnswer, AnswersJustInsideTheTimeOutAreTaken) {
    LinkBench bench({radiosim::DefaultMemory()}, withFaults([](radiosim::Faults& f) {
                        f.answerDelay = std::chrono::milliseconds(400);
                    }));
    bench.comm.StartRead();
    bench.settle();
    EXPECT_EQ(bench.requests(), kReadRequests);
    EXPECT_EQ(bench.messages(), QStringList{"Read Complete!"});
}

TEST(Rejection, IsAnsweredBySendingTheSameRequestAgain) {
    struct Case {
        const char* name;
        OpKind kind;
        std::function<void(radiosim::Faults&)> fault;
        QStringList requests;
        QString message;
        int stored;
    };
    const QStringList readBlocks = kReadRequests.mid(0, 17);
    const std::vector<Case> cases = {
        {"block rejected once",
         OpKind::Write,
         [](radiosim::Faults& f) { f.rejectWrite = 3; },
         {"PROGRAM", "R3B00", "R3B10", "R3BF0", "W3B00", "W3B10", "W3B60", "W3B60", "W3B70",
          "W3B80", "W3B90", "W3BF0", "END"},
         "Write Complete!",
         7},
        {"first block rejected twice",
         OpKind::Write,
         [](radiosim::Faults& f) {
             f.rejectWrite = 1;
             f.rejectWriteTimes = 2;
         },
         {"PROGRAM", "R3B00", "R3B10", "R3BF0", "W3B00", "W3B00", "W3B00", "W3B10", "W3B60",
          "W3B70", "W3B80", "W3B90", "W3BF0", "END"},
         "Write Complete!",
         7},
        {"block rejected three times",
         OpKind::Write,
         [](radiosim::Faults& f) {
             f.rejectWrite = 3;
             f.rejectWriteTimes = 3;
         },
         {"PROGRAM", "R3B00", "R3B10", "R3BF0", "W3B00", "W3B10", "W3B60", "W3B60", "W3B60"},
         "Communication Error!",
         2},
        {"end rejected once", OpKind::Write, [](radiosim::Faults& f) { f.rejectEnds = 1; },
         kWriteRequests + QStringList{"END"}, "Write Complete!", 7},
        {"end rejected three times", OpKind::Write, [](radiosim::Faults& f) { f.rejectEnds = 3; },
         kWriteRequests + QStringList{"END", "END"}, "Communication Error!", 7},
        {"read's end rejected twice", OpKind::Read, [](radiosim::Faults& f) { f.rejectEnds = 2; },
         readBlocks + QStringList{"END", "END", "END"}, "Read Complete!", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkBench bench({radiosim::DefaultMemory()}, withFaults(c.fault));
        start(bench, c.kind);
        bench.settle();
        EXPECT_EQ(bench.requests(), c.requests);
        EXPECT_EQ(bench.messages(), QStringList{c.message});
        EXPECT_EQ(bench.sim.storedWrites(0), c.stored);
        EXPECT_EQ(bench.comm.state().opKind, OpKind::Idle);
        EXPECT_FALSE(bench.port.isOpen());
        EXPECT_EQ(bench.window.calls.count(QStringLiteral("GetDataByShow")),
                  c.kind == OpKind::Write ? 1 : 0);
        // The serial number advances only when the write completed.
        EXPECT_EQ(bench.window.calls.contains(QStringLiteral("ShowByData")),
                  c.message != QLatin1String("Communication Error!"));
    }
}

TEST(StartAgain, AbandonsTheRunningOperation) {
    struct Case {
        const char* name;
        OpKind first;
        int after; // requests of the first operation before the second start
        OpKind second;
    };
    const std::vector<Case> cases = {
        {"read, then read", OpKind::Read, 6, OpKind::Read},
        {"read, then write", OpKind::Read, 3, OpKind::Write},
        {"write during its block writes, then read", OpKind::Write, 7, OpKind::Read},
        {"write during its block writes, then write", OpKind::Write, 8, OpKind::Write},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkBench bench;
        start(bench, c.first);
        ASSERT_TRUE(bench.runUntil([&] { return bench.port.sent().size() >= size_t(c.after); }));
        start(bench, c.second);
        bench.settle();

        EXPECT_EQ(bench.port.opened().size(), 2u);
        const QStringList all = bench.requests();
        const QStringList second = all.mid(c.after);
        EXPECT_EQ(second, c.second == OpKind::Read ? kReadRequests : kWriteRequests);
        EXPECT_EQ(bench.messages(),
                  QStringList{c.second == OpKind::Read ? QStringLiteral("Read Complete!")
                                                       : QStringLiteral("Write Complete!")});
        EXPECT_EQ(bench.comm.state().opKind, OpKind::Idle);
    }
}

TEST(Idle, AnAnswerOnlySwitchesTheTimeOutOff) {
    LinkBench bench;
    bench.comm.StartRead();
    ASSERT_TRUE(bench.runUntil([&] { return bench.port.sent().size() == 2; }));
    bench.comm.state().opKind = OpKind::Idle; // as a stopped run leaves it
    ASSERT_TRUE(bench.timer.isEnabled());
    bench.settle();
    EXPECT_EQ(bench.requests(), (QStringList{"PROGRAM", "R3B00"}));
    EXPECT_FALSE(bench.timer.isEnabled());
    EXPECT_TRUE(bench.messages().isEmpty());
}

TEST(OpenFailure, ShowsTheCriticalMessageAndSendsNothing) {
    for (OpKind kind : {OpKind::Read, OpKind::Write, OpKind::MulWrite}) {
        SCOPED_TRACE(static_cast<int>(kind));
        LinkBench bench;
        bench.port.setAvailablePorts({7}); // the chosen port is 3
        if (kind == OpKind::MulWrite) {
            EXPECT_FALSE(bench.startMulWrite(3));
            EXPECT_FALSE(bench.window.mulWriteMode);
        } else {
            start(bench, kind);
        }
        bench.settle();
        ASSERT_EQ(bench.boxes.shown().size(), 1u);
        EXPECT_EQ(bench.boxes.shown()[0].text, QStringLiteral("Cannot Open Communication Port."));
        EXPECT_EQ(bench.boxes.shown()[0].icon, platform::MessageIcon::Critical);
        EXPECT_TRUE(bench.port.sent().empty());
        EXPECT_EQ(bench.comm.state().opKind, OpKind::Idle);
        EXPECT_FALSE(bench.timer.isEnabled());
    }
}

TEST(DeviceGone, MidReadEndsWithCommunicationError) {
    LinkBench bench;
    bench.comm.StartRead();
    ASSERT_TRUE(bench.runUntil([&] { return bench.port.sent().size() == 5; }));
    bench.port.unplug();
    bench.settle();
    EXPECT_EQ(bench.messages(), QStringList{"Communication Error!"});
    EXPECT_EQ(bench.comm.state().opKind, OpKind::Idle);
    EXPECT_FALSE(bench.window.calls.contains(QStringLiteral("ShowByData")));
}

// The band question is a modal box: its nested event loop may deliver the port's
// receive event and the time-out's tick while the step that asked is still running.
TEST(Reentrancy, EventsInsideTheBandQuestionRunNoSecondStep) {
    struct Case {
        const char* name;
        bool deliverChunk;
        bool fireTimer;
    };
    const std::vector<Case> cases = {
        {"a read answer arrives", true, false},
        {"the time-out ticks", false, true},
        {"both", true, true},
    };
    const QStringList expected = kWriteRequests;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkBench bench;
        const Memory before = bench.sim.memory(0);
        bench.window.duringGetData = [&] {
            (void)bench.boxes.askOkCancel(QStringLiteral("band?"), platform::MessageIcon::None);
        };
        bench.boxes.setWhileOpen([&](const FakeMessageBoxes::Shown&) {
            if (c.deliverChunk) {
                // Echo of the last read request and a well-formed answer naming 0x3B00.
                QByteArray chunk = QByteArray::fromHex("523BF010573B0010");
                chunk += QByteArray(16, '\xEE');
                chunk += QByteArray::fromHex("2B06");
                ASSERT_EQ(chunk.size(), 26);
                bench.port.deliver(chunk);
            }
            if (c.fireTimer) {
                bench.timer.fire();
            }
        });
        bench.comm.StartWrite();
        bench.settle();

        EXPECT_EQ(bench.requests(), expected);
        EXPECT_EQ(bench.messages(), (QStringList{"band?", "Write Complete!"}));
        EXPECT_EQ(bench.sim.storedWrites(0), 7);
        // The stray block neither reached the image nor the radio.
        EXPECT_EQ(bench.sim.memory(0)[0x01], before[0x01]);
        EXPECT_EQ(bench.data.image().at(0x3B01), before[0x01]);
        EXPECT_EQ(bench.comm.state().opKind, OpKind::Idle);
    }
}

} // namespace
} // namespace tavrik::test
