// The property the whole link must hold: the line fails once, in turn, at every byte
// position of every exchange of a Read, a Write and one radio of a multi-write, in
// each direction (a byte dropped, a byte added, a byte changed); the radio is slow, or
// sends bytes behind its handshake answer, or is of another model; a batch of radios
// differs only in serial numbers. Whatever happens, nothing hangs, every operation
// ends, a success is reported only when the radio's memory (and, for a Read, the image
// the record is shown from) is exactly right and it acknowledged the end request, and
// the path is judged too: no request reaches a radio after it acknowledged the end
// request but its next handshake, each radio is written once, and a fault recovered
// costs only the requests it sends again and their waits, never a time-out.
//
// Towards the radio a byte can go wrong on the wire the echo comes from (the echo
// shows the damage) or beyond it, at the radio's end (the echo is faithful, the radio
// hears something else). The radio answers 20 ms after the echo and never refuses a
// good request: with a radio that refuses one, a line that turns its 0A into 06 gives
// a success no program could tell from a real one.

#include "LinkBench.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

namespace tavrik::test {
namespace {

using namespace std::chrono_literals;

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

// `bytes` put into what came back at `position`, one character after another; what
// came behind that position arrives that much later.
std::vector<Arrival> inserted(std::vector<Arrival> back, int position, const QByteArray& bytes) {
    const auto at = back.begin() + position;
    const VirtualClock::Micros t = at != back.end() ? at->at : back.back().at;
    const auto shift = radiosim::kByteTime * static_cast<int>(bytes.size());
    for (auto later = at; later != back.end(); ++later) {
        later->at += shift;
    }
    std::vector<Arrival> added;
    for (int i = 0; i < bytes.size(); ++i) {
        added.push_back({t + radiosim::kByteTime * i, bytes.mid(i, 1)});
    }
    back.insert(back.begin() + position, added.begin(), added.end());
    return back;
}

// What the radios heard after they acknowledged an end request: only a handshake may
// follow (the poll for the next radio), and each radio takes one end request.
struct PathWatch {
    explicit PathWatch(radiosim::RadioSim& sim) {
        sim.setEndObserver([this](int radio) {
            ++endAcks[radio];
            ended[radio] = true;
        });
        sim.setRequestObserver([this](int radio, const QString& text) {
            if (text == QLatin1String("PROGRAM")) {
                ended[radio] = false;
            } else if (ended[radio] && !text.startsWith(u'(')) {
                violations << QStringLiteral("radio %1 after its end: %2").arg(radio).arg(text);
            }
        });
    }
    std::map<int, int> endAcks;
    std::map<int, bool> ended;
    QStringList violations;
};

// A bench whose line carries every byte faithfully, except where it is told otherwise:
// at most one fault, or what `onBack` makes of what comes back for each request.
struct FaultyLine : LinkBench {
    using OnBack = std::function<std::vector<Arrival>(int exchange, const QByteArray& sent,
                                                      std::vector<Arrival>)>;

    explicit FaultyLine(std::optional<LineFault> fault = {}, OnBack onBack = {},
                        const radiosim::SimOptions& options = sweptRadio())
        : LinkBench({radiosim::DefaultMemory()}, options), m_fault(fault),
          m_onBack(std::move(onBack)) {
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
            if (m_onBack) {
                back = m_onBack(index, sent, std::move(back));
            }
            return here && m_fault->direction == Direction::FromRadio ? damaged(back, *m_fault)
                                                                      : back;
        });
    }
    std::vector<Exchange> exchanges;
    PathWatch watch{sim};

private:
    std::optional<LineFault> m_fault;
    OnBack m_onBack;
};

const char* const kKinds[] = {"", "Read", "Write", "MulWrite"};
const char* const kDirections[] = {"to the radio", "to the radio beyond the echo",
                                   "from the radio"};
const char* const kDamages[] = {"dropped", "added", "changed"};

const std::map<OpKind, QString> kSuccess = {{OpKind::Read, "Read Complete!"},
                                            {OpKind::Write, "Write Complete!"},
                                            {OpKind::MulWrite, "MulWrite Complete!"}};

// The property every case must hold, and the figures of how the cases ended.
// Where an operation starts on a bench: the requests already sent, the time-outs
// already counted, the time.
struct Mark {
    Mark() = default;
    explicit Mark(const LinkBench& bench)
        : sent(bench.port.sent().size()), ticks(bench.timer.ticks()), at(bench.clock.now()) {}
    std::size_t sent = 0;
    int ticks = 0;
    VirtualClock::Micros at{0};
};

class Outcomes {
public:
    Outcomes(const char* family, OpKind kind, const radiosim::SimOptions& options = sweptRadio())
        : m_family(family), m_kind(kind), m_clean({}, {}, options),
          m_delay(options.faults.answerDelay) {
        // The same operation on a faithful line: the exchanges to sweep, the requests
        // they carry, the time they take, and the radio's memory a success must leave.
        m_clean.start(kind, 1);
        m_clean.settle();
        EXPECT_EQ(m_clean.messages(), QStringList{kSuccess.at(kind)});
        m_cleanTime = m_clean.clock.now();
    }
    ~Outcomes() {
        // The figures for the record: how many cases, and how they ended.
        std::printf("%s, %s: %d cases", m_family, kKinds[int(m_kind)], m_cases);
        for (const auto& [message, count] : m_outcomes) {
            std::printf(", %d \"%s\"", count, qPrintable(message));
        }
        std::printf("\n");
    }
    Outcomes(const Outcomes&) = delete;
    Outcomes& operator=(const Outcomes&) = delete;

    [[nodiscard]] const FaultyLine& clean() const { return m_clean; }

    // The last operation on `bench`, begun at `from`, has ended: nothing hangs, only an
    // exactly right radio (and, for a Read, image) with the end request acknowledged is
    // reported a success, and the path holds. Only a fault that may leave what comes back
    // short of the receive threshold (`seenAtTimeOut`) may cost a time-out; only a line
    // that turns the radio's acknowledge of the end request into a rejection
    // (`endAnswerTurned`, which nothing can tell from a real one) gets it sent again.
    void judge(FaultyLine& bench, std::optional<Mark> from = {}, bool seenAtTimeOut = false,
               bool endAnswerTurned = false) {
        const Mark start = from.value_or(Mark());
        ++m_cases;
        ASSERT_FALSE(bench.clock.hasPending()); // it ended, nothing still ticks
        ASSERT_TRUE(bench.ended());
        EXPECT_FALSE(bench.window.mulWriteMode);
        ASSERT_FALSE(bench.messages().isEmpty());
        EXPECT_EQ(bench.watch.violations.isEmpty(), !endAnswerTurned)
            << bench.watch.violations.join(QLatin1Char('\n')).toStdString();
        const QString message = bench.messages().back();
        ++m_outcomes[message];
        const radiosim::Memory& expected = m_clean.sim.memory(0);
        if (message == kSuccess.at(m_kind)) {
            ASSERT_EQ(bench.sim.memory(0), expected);
            ASSERT_TRUE(m_kind != OpKind::Read ||
                        bench.data.image().bytes(0x3B00, 256) ==
                            QByteArray(reinterpret_cast<const char*>(expected.data()), 256));
            // One end request taken (an earlier run's may have been taken too).
            EXPECT_TRUE(from ? bench.watch.endAcks[0] >= 1 : bench.watch.endAcks[0] == 1);
            // A fault recovered costs the requests sent again (each one the clean run
            // sends too) and their waits: the quiet, the radio's pace, the exchange; and
            // the bytes it put on the line (at most a frame's worth here).
            const int timeOuts = bench.timer.ticks() - start.ticks;
            EXPECT_TRUE(timeOuts == 0 || (seenAtTimeOut && timeOuts == 1)) << timeOuts;
            const auto sent = bench.requests().mid(static_cast<qsizetype>(start.sent));
            const auto again = sent.size() - m_clean.requests().size();
            for (const QString& r : sent) {
                EXPECT_TRUE(m_clean.requests().contains(r)) << r.toStdString();
            }
            EXPECT_LE(bench.clock.now() - start.at,
                      m_cleanTime + again * (std::chrono::milliseconds(85) + 3 * m_delay) +
                          timeOuts * kAnswerTimeout + std::chrono::milliseconds(30));
        } else {
            // The window and the serial number are left as they were.
            EXPECT_EQ(message, QStringLiteral("Communication Error!"));
            EXPECT_FALSE(bench.window.calls.contains(QStringLiteral("ShowByData")));
        }
    }

private:
    const char* m_family;
    OpKind m_kind;
    FaultyLine m_clean;
    VirtualClock::Micros m_delay;
    VirtualClock::Micros m_cleanTime{0};
    std::map<QString, int> m_outcomes;
    int m_cases = 0;
};

TEST(LineSweep, NoSuccessIsReportedUnlessTheRadioIsExactlyRight) {
    for (OpKind kind : {OpKind::Read, OpKind::Write, OpKind::MulWrite}) {
        Outcomes outcomes("one byte dropped, added or changed", kind);
        const std::vector<Exchange>& exchanges = outcomes.clean().exchanges;
        for (int e = 0; e < static_cast<int>(exchanges.size()); ++e) {
            for (Direction direction :
                 {Direction::ToRadioInEcho, Direction::ToRadioBeyondEcho, Direction::FromRadio}) {
                const int length =
                    direction == Direction::FromRadio ? exchanges[e].returned : exchanges[e].sent;
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
                        ASSERT_EQ(bench.messages().size(), 1);
                        // A byte lost, or a request the radio did not hear as sent, may
                        // leave what comes back short of the receive threshold.
                        const bool lastByte = e + 1 == static_cast<int>(exchanges.size()) &&
                                              p + 1 == exchanges[e].returned;
                        outcomes.judge(bench, {},
                                       damage == Damage::Drop || direction != Direction::FromRadio,
                                       direction == Direction::FromRadio &&
                                           damage == Damage::Change && lastByte);
                    }
                }
            }
        }
    }
}

// The indexes of the block writes among the exchanges of a clean run.
std::vector<int> blockWrites(const FaultyLine& clean) {
    std::vector<int> out;
    for (int e = 0; e < static_cast<int>(clean.port.sent().size()); ++e) {
        if (clean.port.sent()[e].size() == 22) {
            out.push_back(e);
        }
    }
    return out;
}

// The radio rejects each block once in turn, and a noise byte lands at every position
// of what comes back for that block: ahead of the echo, inside it, between it and the
// rejection, behind it.
TEST(LineSweep, ANoiseByteAroundARejectionNeverPassesForAnAcknowledge) {
    for (OpKind kind : {OpKind::Write, OpKind::MulWrite}) {
        Outcomes outcomes("a block rejected, a noise byte around it", kind);
        const std::vector<int> writes = blockWrites(outcomes.clean());
        for (int k = 0; k < static_cast<int>(writes.size()); ++k) {
            for (char noise : {'\x06', '\x0A', '\x55'}) {
                for (int p = 0; p <= 23; ++p) {
                    SCOPED_TRACE(::testing::Message() << kKinds[int(kind)] << ", block " << k
                                                      << ", noise " << int(noise) << " at " << p);
                    radiosim::SimOptions options = sweptRadio();
                    options.faults.rejectWrite = k + 1;
                    FaultyLine bench(
                        {},
                        [&, e = writes[k]](int exchange, const QByteArray&,
                                           std::vector<Arrival> back) {
                            return exchange == e
                                       ? inserted(std::move(back), p, QByteArray(1, noise))
                                       : back;
                        },
                        options);
                    bench.start(kind, 1);
                    bench.settle();
                    ASSERT_EQ(bench.messages().size(), 1);
                    outcomes.judge(bench);
                }
            }
        }
    }
}

// An operation times out because the answer to one request is held up on the line;
// the operator starts it again, and the held-up answer lands at every position of what
// comes back for the same request, which the radio now rejects if it is a block write.
TEST(LineSweep, StaleBytesOfAnEarlierOperationAreNoAnswer) {
    for (OpKind kind : {OpKind::Read, OpKind::Write, OpKind::MulWrite}) {
        Outcomes outcomes("an earlier answer held up and released", kind);
        const FaultyLine& clean = outcomes.clean();
        const int count = static_cast<int>(clean.exchanges.size());
        const std::vector<int> writes = blockWrites(clean);
        for (int e = 0; e < count; ++e) {
            const auto write = std::find(writes.begin(), writes.end(), e);
            for (int p = 0; p <= clean.exchanges[e].sent + 1; ++p) {
                SCOPED_TRACE(::testing::Message()
                             << kKinds[int(kind)] << ", exchange " << e << ", released at " << p);
                radiosim::SimOptions options = sweptRadio();
                if (write != writes.end()) {
                    // The k-th block: the radio's k-th write in the first run, 2k-th in the second.
                    options.faults.rejectWrite = 2 * static_cast<int>(write - writes.begin() + 1);
                }
                std::vector<Arrival> held;
                int second = count * 2; // the first request of the second run, once known
                FaultyLine bench(
                    {},
                    [&](int exchange, const QByteArray& sent, std::vector<Arrival> back) {
                        if (exchange == e) { // the first run: the answer stays on the line
                            held.assign(back.begin() + sent.size(), back.end());
                            back.resize(static_cast<std::size_t>(sent.size()));
                        } else if (exchange == second + e) {
                            QByteArray bytes;
                            for (const Arrival& a : held) {
                                bytes += a.bytes;
                            }
                            back = inserted(std::move(back),
                                            std::min(p, static_cast<int>(back.size())), bytes);
                        }
                        return back;
                    },
                    options);
                bench.start(kind, 1);
                bench.settle();
                ASSERT_EQ(bench.messages(), QStringList{"Communication Error!"});
                second = static_cast<int>(bench.exchanges.size());
                const Mark again(bench);
                bench.start(kind, 1);
                bench.settle();
                ASSERT_EQ(bench.messages().size(), 2);
                outcomes.judge(bench, again);
            }
        }
    }
}

// A slow radio (its answers 0 to 400 ms behind the echo) rejects one block, or the end
// request, once; a stray byte lands right behind that request's echo, ahead of the
// rejection. A stray 06 must not pass for the radio's acknowledge, however late the
// radio's own answer comes.
TEST(LineSweep, AStrayByteAheadOfASlowRadiosRejectionIsNoAcknowledge) {
    for (OpKind kind : {OpKind::Write, OpKind::MulWrite}) {
        for (int ms : {0, 5, 10, 80, 200, 400}) {
            radiosim::SimOptions options = sweptRadio();
            options.faults.answerDelay = std::chrono::milliseconds(ms);
            const QByteArray family = "a stray byte ahead of the rejection of a radio " +
                                      QByteArray::number(ms) + " ms slow";
            Outcomes outcomes(family.constData(), kind, options);
            const FaultyLine& clean = outcomes.clean();
            std::vector<int> rejected = blockWrites(clean);
            rejected.push_back(static_cast<int>(clean.port.sent().size()) - 1); // END
            for (std::size_t k = 0; k < rejected.size(); ++k) {
                for (char stray : {'\x06', '\x0A', '\x55'}) {
                    SCOPED_TRACE(::testing::Message()
                                 << kKinds[int(kind)] << ", delay " << ms << " ms, exchange "
                                 << rejected[k] << ", stray " << int(stray));
                    radiosim::SimOptions faulty = options;
                    (k + 1 < rejected.size() ? faulty.faults.rejectWrite
                                             : faulty.faults.rejectEnds) =
                        k + 1 < rejected.size() ? static_cast<int>(k) + 1 : 1;
                    const int e = rejected[k];
                    FaultyLine bench(
                        {},
                        [&](int exchange, const QByteArray& sent, std::vector<Arrival> back) {
                            if (exchange == e) { // a character behind the echo
                                const auto echo = back.begin() + sent.size();
                                back.insert(echo, {(echo - 1)->at + radiosim::kByteTime,
                                                   QByteArray(1, stray)});
                            }
                            return back;
                        },
                        faulty);
                    bench.start(kind, 1);
                    bench.settle();
                    ASSERT_EQ(bench.messages().size(), 1);
                    outcomes.judge(bench);
                }
            }
        }
    }
}

// On a clean line every operation succeeds with the requests of the ideal run, whatever
// the radio's pace and however a USB adapter's 16 ms latency timer bunches the bytes.
TEST(LineSweep, ACleanLineSucceedsAtAnyPaceAndInBursts) {
    for (OpKind kind : {OpKind::Read, OpKind::Write, OpKind::MulWrite}) {
        LinkBench ideal;
        ideal.start(kind, 1);
        ideal.settle();
        for (int ms : {0, 5, 80, 400}) {
            for (const VirtualClock::Micros latency : {VirtualClock::Micros(0), 16000us}) {
                SCOPED_TRACE(::testing::Message() << kKinds[int(kind)] << ", " << ms << " ms, "
                                                  << latency.count() << " us bursts");
                radiosim::SimOptions options = pacedOptions();
                options.faults.answerDelay = std::chrono::milliseconds(ms);
                LinkBench bench({radiosim::DefaultMemory()}, options);
                bench.port.setPeer([&](const QByteArray& sent, VirtualClock::Micros now) {
                    std::vector<Arrival> back = bench.sim.receive(sent, now);
                    for (Arrival& b : back) { // handed over at the adapter's next tick
                        b.at = latency.count() == 0 ? b.at : (b.at / latency + 1) * latency;
                    }
                    return back;
                });
                bench.start(kind, 1);
                bench.settle();
                EXPECT_EQ(bench.messages(), ideal.messages());
                EXPECT_EQ(bench.requests(), ideal.requests());
                EXPECT_EQ(bench.sim.memory(0), ideal.sim.memory(0));
            }
        }
    }
}

// Bytes the radio sends behind its handshake answer, at once or later, are no reason to
// doubt it: every operation goes as on a clean line. (The machine's rows take them in
// the adapter's burst with the answer.)
TEST(LineSweep, BytesBehindTheHandshakeAnswerChangeNothing) {
    for (OpKind kind : {OpKind::Read, OpKind::Write, OpKind::MulWrite}) {
        LinkBench clean;
        clean.start(kind, 1);
        clean.settle();
        for (const char* trail : {"55", "06 0A", "51 58 06"}) {
            for (int ms : {0, 2, 20}) {
                SCOPED_TRACE(::testing::Message()
                             << kKinds[int(kind)] << ", " << trail << " " << ms << " ms later");
                radiosim::SimOptions options = pacedOptions();
                options.faults.handshakeTrail = QByteArray::fromHex(trail);
                options.faults.handshakeTrailDelay = std::chrono::milliseconds(ms);
                LinkBench bench({radiosim::DefaultMemory()}, options);
                const PathWatch watch(bench.sim);
                bench.start(kind, 1);
                bench.settle();
                EXPECT_EQ(bench.messages(), clean.messages());
                EXPECT_EQ(bench.requests(), clean.requests());
                EXPECT_EQ(bench.sim.memory(0), clean.sim.memory(0));
                EXPECT_EQ(watch.violations, QStringList());
            }
        }
    }
}

// A batch of radios that differ only in their serial numbers, and already hold the
// settings the window writes, is written whole, each radio once, whether the radio just written
// leaves at once or lingers and loses some of its answers to the poll for the next.
TEST(LineSweep, ABatchOfRadiosIsWrittenWholeEachRadioOnce) {
    for (int lostPollAnswers : {0, 2}) {
        SCOPED_TRACE(lostPollAnswers);
        // Radios that already hold what the window writes (the dealer's routine).
        LinkBench once;
        once.start(OpKind::Write);
        once.settle();
        std::vector<radiosim::Memory> radios(3, once.sim.memory(0));
        for (int r = 0; r < 3; ++r) {
            Put(radios[r], 0x20, QByteArray("BATCH-0000000") + QByteArray::number(100 + r));
        }
        radiosim::SimOptions options = pacedOptions();
        options.faults.losePollAnswers = lostPollAnswers;
        options.unplugAfter = std::chrono::milliseconds(lostPollAnswers > 0 ? 3000 : 200);
        LinkBench bench(radios, options);
        const PathWatch watch(bench.sim);
        ASSERT_TRUE(bench.startMulWrite(3));
        bench.settle(std::chrono::minutes(2));
        EXPECT_EQ(bench.messages(), QStringList{"MulWrite Complete!"});
        EXPECT_EQ(watch.violations, QStringList());
        // The radio just written, passed for a new one, is told apart on the status line.
        const QStringList shown = bench.window.calls.filter(QStringLiteral("status:"));
        EXPECT_EQ(shown.mid(0, 2),
                  (QStringList{"status:Writting Data...", "status:Waitting next..."}));
        EXPECT_EQ(shown.contains(QStringLiteral("status:Same radio again. Waitting next...")),
                  lostPollAnswers > 0);
        for (int r = 0; r < 3; ++r) {
            EXPECT_EQ(bench.sim.storedWrites(r), 7) << r;
            EXPECT_EQ(watch.endAcks.at(r), 1) << r;
        }
    }
}

// A radio of another model, with a noise byte at every position of what comes back for
// its end request, or a character behind its answer: the box still says what it is, in
// the window's language; nothing was written or taken from the window, and a
// multi-write's window stays in its mode, the button's next press a stop.
TEST(LineSweep, ARadioOfAnotherModelIsToldWhateverItsEndBrings) {
    const std::map<OpKind, const char*> requests = {{OpKind::Read, "PROGRAM R3B00 END"},
                                                    {OpKind::Write, "PROGRAM R3B00 R3B10 END"},
                                                    {OpKind::MulWrite, "PROGRAM R3B00 END"}};
    for (const auto& [kind, path] : requests) {
        for (char noise : {'\x06', '\x0A', '\x55'}) {
            for (int p = 0; p <= 5; ++p) { // 0..2 in the echo, 3 ahead of the answer, 4..5 behind
                SCOPED_TRACE(::testing::Message()
                             << kKinds[int(kind)] << ", noise " << int(noise) << " at " << p);
                radiosim::SimOptions options = sweptRadio();
                options.faults.wrongModel = true;
                FaultyLine bench(
                    {},
                    [&](int, const QByteArray& sent, std::vector<Arrival> back) {
                        if (sent != "END") {
                            return back;
                        }
                        if (p == 5) { // a character after the answer
                            back.push_back({back.back().at + radiosim::kByteTime, {1, noise}});
                            return back;
                        }
                        return inserted(std::move(back), p, QByteArray(1, noise));
                    },
                    options);
                bench.window.windowLanguage = p % 2 ? Language::Chinese : Language::English;
                const radiosim::Memory before = bench.sim.memory(0);
                bench.start(kind, 1);
                bench.settle();
                const QString message =
                    QString::fromUtf8(p % 2 ? "机型错误!" : "Model Type Error!");
                EXPECT_EQ(bench.messages(), QStringList{message});
                EXPECT_EQ(bench.requests(), words(path));
                EXPECT_EQ(bench.sim.memory(0), before);
                EXPECT_EQ(
                    bench.window.calls.filter(QRegularExpression("^(ShowByData|GetDataByShow)$")),
                    QStringList());
                EXPECT_EQ(bench.comm.state().opKind, kind);
                EXPECT_EQ(bench.window.mulWriteMode, kind == OpKind::MulWrite);
                EXPECT_FALSE(bench.startMulWrite(1) && kind == OpKind::MulWrite);
            }
        }
    }
}

} // namespace
} // namespace tavrik::test
