// The step tables of Read, Write and multi-write, row by row: the link state and what
// the shell knows in, the next request (in bytes, as the radio sees it) or ending out.

#include "link/Steps.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <vector>

namespace tavrik::steps {
namespace {

// The request as the radio sees its first bytes; an ending by its name.
QByteArray seen(const Action& a) {
    switch (a.kind) {
    case Action::Kind::Send:
    case Action::Kind::WaitForNextRadio: {
        const QByteArray head = QByteArray(1, char(a.request.address >> 8)) +
                                char(a.request.address & 0xFF) + char(0x10);
        if (a.request.kind == Request::Kind::Handshake) {
            return QByteArray::fromHex("50524F4752414D") +
                   (a.kind == Action::Kind::WaitForNextRadio ? " (still the radio written)" : "");
        }
        return QByteArray(1, a.request.kind == Request::Kind::Read ? 'R' : 'W') + head;
    }
    case Action::Kind::CommunicationError:
        return "CommunicationError";
    default:
        break;
    }
    return "another action";
}

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

TEST(Steps, EachRowOfTheTablesSendsItsRequestAndSetsItsStep) {
    struct Case {
        OpKind kind;
        Step step;       // the step whose answer came
        int cursor;      // BlockAddr
        bool model;      // the model word is right
        int radio;       // MulWriteNo
        int waits;       // WaitNextCount
        bool sameRadio;  // the blocks read are those just written
        QByteArray next; // the request or ending
        Step after;      // the step now awaited
    };
    const std::vector<Case> cases = {
        // The first radio, the radio just written answering the poll, a radio after two
        // silent time-outs, and by its serial number a new radio or the one just written
        // (the rest of each table shows in the whole runs of the sequence, machine and
        // sweep tests).
        {OpKind::MulWrite, Step::Handshake, 0x3AF0, true, 1, 0, false, hex("523B0010"), Step(4)},
        {OpKind::MulWrite, Step::Handshake, 0x3AF0, true, 2, 1, false, hex("50524F4752414D"),
         Step(1)},
        {OpKind::MulWrite, Step::Handshake, 0x3AF0, true, 2, 2, false, hex("523B0010"), Step(4)},
        {OpKind::MulWrite, Step(44), 0x3AF0, true, 2, 0, false, hex("523B1010"), Step(43)},
        {OpKind::MulWrite, Step(44), 0x3AF0, true, 2, 0, true,
         hex("50524F4752414D") + " (still the radio written)", Step(1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << int(c.kind) << ", step " << int(c.step) << ", at " << std::hex << c.cursor);
        LinkState s;
        s.opKind = c.kind;
        (c.kind == OpKind::Read ? s.ReadStep : s.WriteStep) = c.step;
        s.BlockAddr = static_cast<qint16>(c.cursor);
        s.MulWriteNo = c.radio;
        s.WaitNextCount = c.waits;
        const Action a = Next(s, {c.model, c.sameRadio});
        EXPECT_EQ(seen(a), c.next);
        EXPECT_EQ(c.kind == OpKind::Read ? s.ReadStep : s.WriteStep, c.after);
        EXPECT_EQ(s.LastGoodStep, c.step);
        EXPECT_EQ(a.takeFields, c.next.startsWith(hex("573B00")));
        EXPECT_EQ(a.newRadio, c.kind == OpKind::MulWrite && c.step == Step::Handshake &&
                                  c.radio == 2 && c.waits == 2);
    }
}

// A missing answer ends the operation, except while a multi-write waits for its next
// radio, which polls on for 28800 time-outs.
TEST(Steps, RejectionsAndTimeOuts) {
    LinkState waiting;
    waiting.opKind = OpKind::MulWrite;
    waiting.WriteStep = Step::Handshake;
    waiting.MulWriteNo = 2;
    waiting.WaitNextCount = 28799;
    EXPECT_EQ(seen(TimedOut(waiting)), hex("50524F4752414D"));
    EXPECT_EQ(waiting.WaitNextCount, 28800);
    EXPECT_EQ(seen(TimedOut(waiting)), "CommunicationError");

    LinkState first = waiting; // the first radio does not wait
    first.MulWriteNo = 1;
    first.WaitNextCount = 0;
    EXPECT_EQ(seen(TimedOut(first)), "CommunicationError");
}

} // namespace
} // namespace tavrik::steps
