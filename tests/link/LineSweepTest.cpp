// The property the whole link must hold: the line fails once, in turn, at every byte
// position of every exchange of a Read, a Write and one radio of a multi-write, in
// each direction (a byte dropped, a byte added, a byte changed). Whatever happens,
// nothing hangs, every operation ends, and a success is reported only when the radio's
// memory (and, for a Read, the image the record is shown from) is exactly right.
//
// Towards the radio a byte can go wrong on the wire the echo comes from (the echo
// shows the damage) or beyond it, at the radio's end (the echo is faithful, the radio
// hears something else). The radio answers 20 ms after the echo and never refuses a
// good request: with a radio that refuses one, a line that turns its 0A into 06 gives
// a success no program could tell from a real one.

#include "LinkBench.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

namespace tavrik::test {
namespace {

enum class Direction { ToRadioInEcho, ToRadioBeyondEcho, FromRadio };
enum class Damage { Drop, Add, Change };

struct LineFault {
    Direction direction;
    Damage damage;
    int exchange; // the request's number in the operation, from 0
    int position; // byte position within the request, or within what came back for it
};

// The added byte is the acknowledge, the most harmful stray byte; a change turns 06
// into 0A and back (an acknowledge into a rejection), and any other byte into another.
constexpr char kAdded = 0x06;
constexpr char kChangeMask = 0x0C;

QByteArray damaged(QByteArray bytes, const LineFault& f) {
    switch (f.damage) {
    case Damage::Drop:
        bytes.remove(f.position, 1);
        break;
    case Damage::Add:
        bytes.insert(f.position, kAdded);
        break;
    case Damage::Change:
        bytes[f.position] = static_cast<char>(bytes.at(f.position) ^ kChangeMask);
        break;
    }
    return bytes;
}

// What came back for one request, byte by byte with its arrival time.
std::vector<Arrival> damaged(std::vector<Arrival> back, const LineFault& f) {
    const auto at = back.begin() + f.position;
    switch (f.damage) {
    case Damage::Drop:
        back.erase(at);
        break;
    case Damage::Add: {
        const VirtualClock::Micros t = at != back.end() ? at->at : back.back().at;
        back.insert(at, Arrival{t, QByteArray(1, kAdded)});
        break;
    }
    case Damage::Change:
        at->bytes[0] = static_cast<char>(at->bytes.at(0) ^ kChangeMask);
        break;
    }
    return back;
}

struct Exchange {
    int sent = 0;     // bytes of the request
    int returned = 0; // bytes that came back for it
};

radiosim::SimOptions sweptRadio() {
    radiosim::SimOptions options;
    options.pacing = true;
    options.echo = false; // the line below makes the echo
    options.faults.answerDelay = std::chrono::milliseconds(20);
    return options;
}

// A bench whose line carries every byte faithfully, except for at most one fault.
struct FaultyLine : LinkBench {
    explicit FaultyLine(std::optional<LineFault> fault = {})
        : LinkBench({radiosim::DefaultMemory()}, sweptRadio()), m_fault(fault) {
        port.setPeer([this](const QByteArray& sent, VirtualClock::Micros now) {
            const int index = static_cast<int>(exchanges.size());
            const bool here = m_fault && m_fault->exchange == index;
            const bool toRadio = here && m_fault->direction != Direction::FromRadio;
            const QByteArray heard = toRadio ? damaged(sent, *m_fault) : sent;
            const QByteArray echo =
                toRadio && m_fault->direction == Direction::ToRadioInEcho ? heard : sent;
            std::vector<Arrival> back;
            for (int i = 0; i < echo.size(); ++i) {
                back.push_back({now + radiosim::kByteTime * (i + 1), echo.mid(i, 1)});
            }
            for (radiosim::Output& o : sim.receive(heard, now)) {
                back.push_back({o.at, std::move(o.bytes)});
            }
            std::stable_sort(back.begin(), back.end(),
                             [](const Arrival& a, const Arrival& b) { return a.at < b.at; });
            exchanges.push_back({static_cast<int>(sent.size()), static_cast<int>(back.size())});
            return here && m_fault->direction == Direction::FromRadio ? damaged(back, *m_fault)
                                                                      : back;
        });
    }
    std::vector<Exchange> exchanges;

private:
    std::optional<LineFault> m_fault;
};

const char* const kKinds[] = {"", "Read", "Write", "MulWrite"};
const char* const kDirections[] = {"to the radio", "to the radio beyond the echo",
                                   "from the radio"};
const char* const kDamages[] = {"dropped", "added", "changed"};

TEST(LineSweep, NoSuccessIsReportedUnlessTheRadioIsExactlyRight) {
    const std::map<OpKind, QString> success = {{OpKind::Read, "Read Complete!"},
                                               {OpKind::Write, "Write Complete!"},
                                               {OpKind::MulWrite, "MulWrite Complete!"}};
    for (OpKind kind : {OpKind::Read, OpKind::Write, OpKind::MulWrite}) {
        // The same operation on a faithful line: the exchanges to sweep, and the
        // radio's memory a success must leave.
        FaultyLine clean;
        clean.start(kind, 1);
        clean.settle();
        ASSERT_EQ(clean.messages(), QStringList{success.at(kind)});
        const radiosim::Memory expected = clean.sim.memory(0);

        std::map<QString, int> outcomes;
        int cases = 0;
        for (int e = 0; e < static_cast<int>(clean.exchanges.size()); ++e) {
            for (Direction direction :
                 {Direction::ToRadioInEcho, Direction::ToRadioBeyondEcho, Direction::FromRadio}) {
                const int length = direction == Direction::FromRadio ? clean.exchanges[e].returned
                                                                     : clean.exchanges[e].sent;
                for (Damage damage : {Damage::Drop, Damage::Add, Damage::Change}) {
                    const int positions = damage == Damage::Add ? length + 1 : length;
                    for (int p = 0; p < positions; ++p) {
                        const LineFault fault{direction, damage, e, p};
                        SCOPED_TRACE(::testing::Message()
                                     << kKinds[int(kind)] << ", exchange " << e << ", "
                                     << kDirections[int(direction)] << ", byte " << p << " "
                                     << kDamages[int(damage)]);
                        FaultyLine bench(fault);
                        bench.start(kind, 1);
                        bench.settle();
                        ++cases;
                        ASSERT_FALSE(bench.clock.hasPending()); // it ended, nothing still ticks
                        ASSERT_TRUE(bench.ended());
                        EXPECT_FALSE(bench.window.mulWriteMode);
                        ASSERT_EQ(bench.messages().size(), 1);
                        const QString message = bench.messages().front();
                        ++outcomes[message];
                        if (message == success.at(kind)) {
                            ASSERT_EQ(bench.sim.memory(0), expected);
                            ASSERT_TRUE(
                                kind != OpKind::Read ||
                                bench.data.image().bytes(0x3B00, 256) ==
                                    QByteArray(reinterpret_cast<const char*>(expected.data()),
                                               256));
                        } else {
                            // The window and the serial number are left as they were.
                            EXPECT_EQ(message, QStringLiteral("Communication Error!"));
                            EXPECT_FALSE(bench.window.calls.contains(QStringLiteral("ShowByData")));
                        }
                    }
                }
            }
        }
        // The figures for the record: how many cases, and how they ended.
        std::printf("%s: %d cases", kKinds[int(kind)], cases);
        for (const auto& [message, count] : outcomes) {
            std::printf(", %d \"%s\"", count, qPrintable(message));
        }
        std::printf("\n");
    }
}

} // namespace
} // namespace tavrik::test
