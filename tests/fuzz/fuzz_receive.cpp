// The receive path: the input plays the line behind the programming cable, and the
// radio behind it. It picks the operation and how the radio misbehaves, and after each
// request the link sends it says what comes back: the simulated radio's answer whole,
// garbled, cut or padded with stray bytes, noise between the echo and the answer, a
// frame of another block or radio, the answer held up and landing in a later exchange,
// or nothing; in chunks of any size, early or late (past the time-out).
//
// The line never makes up an answer the radio did not give: it does not turn the
// radio's rejection into an acknowledge, nor make up a rejection of the end request, nor
// lose the radio's answer where it put a noise byte, nor bring the serial number of
// another radio (no program could tell those from a real answer).
//
// Input, read from the front (a spent input reads as zeros, that is, silence):
//   byte 0    the operation: 0 Read, 1 Write, 2 multi-write of one radio, 3 of two
//   byte 1    the radio: rejects its write number (low 3 bits; 0 none) for 1 + (bits
//             3..4) writes in a row, and its first (bits 5..6) end requests
//   byte 2    n (0..7), then n pairs (offset, value) changed in the radio's memory
//   then, for each request sent, one byte that chooses (modulo 10) what comes back:
//     0 nothing                          5 the radio's answer, then n (0..7) stray bytes
//     1 the radio's answer               6 the echo only: the answer is held up and lands
//     2 that, byte p set to v, behind      at position p of what comes back next (p)
//       n (0..3) stray bytes (p, v, n)   7 the echo, n (0..7) bytes of noise, the answer
//     3 that, byte p dropped (p)         8 the echo, then a read answer of block b
//     4 n (0..7) stray bytes, then         (0..15), as a late answer would be
//       the radio's answer               9 the echo, the same block from another radio,
//                                          then the radio's answer
//   then one byte per chunk of that: size 1 + low 5 bits, delay before it by the top 3.
//
// Properties, any violation aborts:
// - the operation ends within two hours of virtual time: port closed, no time-out
//   pending, the link idle (or left as it was after a wrong model, as designed);
// - a write, and each radio of a multi-write, is reported complete only if the radio
//   stored each of the seven blocks as the image the link built and acknowledged an
//   end request after them;
// - a Read reported complete holds in each block 16 bytes that the line carried after
//   that block's read request, right behind its echo and the frame head 57 hi lo 10;
// - no request follows an end request the radio acknowledged but a handshake (the poll
//   for the next radio);
// - a multi-write writes each radio once: the one radio on the line is never counted
//   written twice.
#include "LinkBench.h"
#include "Require.h"

#include <algorithm>
#include <array>

namespace {

using namespace tavrik;
using namespace tavrik::test;
using namespace std::chrono_literals;

// The fuzz input, read from the front; a spent input reads as zeros.
struct Script {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;

    std::uint8_t next() { return at < size ? data[at++] : 0; }
    QByteArray take(int n) {
        const auto length = std::min<std::size_t>(static_cast<std::size_t>(n), size - at);
        at += length;
        return {reinterpret_cast<const char*>(data + at - length), static_cast<qsizetype>(length)};
    }
    [[nodiscard]] bool spent() const { return at >= size; }
};

constexpr std::array<std::chrono::milliseconds, 8> kChunkDelays{0ms,  0ms,   1ms,   10ms,
                                                                50ms, 200ms, 450ms, 600ms};
constexpr std::array<int, 7> kWriteBlocks{0x3B00, 0x3B10, 0x3B60, 0x3B70, 0x3B80, 0x3B90, 0x3BF0};

bool isBlockWrite(const QByteArray& request) {
    return request.size() == 22 && request.at(0) == 'W';
}

// A request's head: the letter and, for a block, its address.
QByteArray head(char letter, int block) {
    return QByteArray(1, letter) + char(block >> 8) + char(block & 0xFF);
}

// The radio's faults, from the second byte of the input.
radiosim::SimOptions radioFrom(Script& script) {
    radiosim::SimOptions options = pacedOptions();
    const std::uint8_t b = script.next();
    options.faults.rejectWrite = b & 0x07;
    options.faults.rejectWriteTimes = 1 + ((b >> 3) & 0x03);
    options.faults.rejectEnds = (b >> 5) & 0x03;
    return options;
}

class Line {
public:
    Line(const std::uint8_t* data, std::size_t size, std::uint8_t operation)
        : m_script{data, size, 1}, m_bench({radiosim::DefaultMemory()}, radioFrom(m_script)),
          m_operation(operation) {
        m_bench.sim.setEndObserver([this](int) {
            m_endsAcknowledged.push_back(m_line.size());
            m_afterEnd = true;
        });
        m_bench.port.setPeer([this](const QByteArray& sent, VirtualClock::Micros now) {
            answer(sent, now);
            return std::vector<Arrival>{};
        });
        m_bench.boxes.setWhileOpen([this](const FakeMessageBoxes::Shown& box) {
            if (box.text == QLatin1String("Write Complete!") ||
                box.text == QLatin1String("MulWrite Complete!")) {
                require(radioStored(m_radioStart),
                        "a write reported complete: the radio stored every block and its END");
            } else if (box.text == QLatin1String("Read Complete!")) {
                require(imageAsCarried(), "a Read reported complete holds the blocks carried");
            } else if (box.text == QLatin1String("Model Type Error!")) {
                m_wrongModel = true;
            }
        });
    }

    void run() {
        const std::uint8_t operation = m_operation % 4;
        for (int n = m_script.next() % 8; n > 0; --n) {
            const std::uint8_t offset = m_script.next();
            m_bench.sim.memory(0).at(offset) = m_script.next();
        }
        const std::array kinds{OpKind::Read, OpKind::Write, OpKind::MulWrite, OpKind::MulWrite};
        m_bench.start(kinds.at(operation), operation - 1);
        // Quiet for good while a multi-write waits for the next radio: the operator stops.
        const auto quiet = [this] { return m_script.spent() && waitingForNextRadio(); };
        const bool ended = m_bench.runUntil([&] { return over() || quiet(); }, 2h);
        if (!over() && quiet()) {
            (void)m_bench.startMulWrite(0);
        }
        require(ended && over(), "the operation ends");
    }

private:
    // After each request: what the line carries back, in chunks on the virtual clock.
    void answer(const QByteArray& sent, VirtualClock::Micros now) {
        m_line.push_back({sent, {}});
        require(!m_afterEnd || sent == "PROGRAM",
                "no request follows an acknowledged END but the next radio's handshake");
        if (sent == "PROGRAM") {
            m_afterEnd = false;
            // The handshake after a radio's blocks: a multi-write polls for the next radio.
            const std::size_t handshake = m_line.size() - 1;
            const qint32 written = m_bench.window.number.toInt() - 1;
            if (written > m_radiosWritten) {
                require(radioStored(m_radioStart),
                        "a radio of a multi-write counted stored every block and its END");
                require(written == 1, "a multi-write writes the one radio on the line once");
                m_radiosWritten = written;
            } else {
                require(std::none_of(m_line.begin() + static_cast<qsizetype>(m_radioStart),
                                     m_line.end() - 1,
                                     [](const Exchange& e) { return isBlockWrite(e.request); }),
                        "a multi-write leaves a radio it began to write only by an ending");
            }
            m_radioStart = handshake;
        }
        QByteArray bytes = radioAnswer(sent, now); // never empty: the cable echoes
        const QByteArray answer = bytes.mid(sent.size());
        const int choice = m_script.next() % 10;
        if (choice == 0) {
            bytes.clear();
        } else if (choice == 2) {
            const qsizetype at = m_script.next() % bytes.size();
            char value = static_cast<char>(m_script.next());
            if (bytes.at(at) == '\x0A' && value == '\x06' && at >= sent.size()) {
                value = '\x07'; // the line makes no acknowledge of the radio's rejection
            }
            bytes[at] = value;
            // Noise before a rejection: what made an echo pass for an acknowledge.
            bytes.prepend(m_script.take(m_script.next() % 4));
        } else if (choice == 3) {
            bytes.remove(m_script.next() % bytes.size(), 1);
        } else if (choice == 4) {
            bytes.prepend(m_script.take(m_script.next() % 8));
        } else if (choice == 5) {
            bytes += m_script.take(m_script.next() % 8);
        } else if (choice == 6) {
            m_held += answer;
            m_heldAt = m_script.next();
            bytes = sent;
        } else if (choice == 7) {
            bytes = sent + m_script.take(m_script.next() % 8) + answer;
        } else if (choice == 8) { // the answer to a read of another block, without its own
            const QByteArray read = head('R', 0x3B00 + 16 * (m_script.next() % 16)) + '\x10';
            bytes = sent + radioAnswer(read, now).mid(4);
        } else if (choice == 9 && sent.size() == 4 && sent.at(0) == 'R' &&
                   sent != head('R', 0x3B20) + '\x10') {
            radiosim::Memory other = m_bench.sim.memory(0);
            for (std::uint8_t& b : other) {
                b = static_cast<std::uint8_t>(~b);
            }
            radiosim::RadioSim elsewhere({other}, {});
            QByteArray frame;
            (void)elsewhere.receive("PROGRAM", now);
            for (radiosim::Output& o : elsewhere.receive(sent, now)) {
                frame += o.bytes;
            }
            bytes = sent + frame.mid(sent.size()) + answer;
        }
        if (!m_held.isEmpty() && choice != 6) { // an earlier answer lands now
            bytes.insert(std::min<qsizetype>(m_heldAt, bytes.size()), m_held);
            m_held.clear();
        }
        if (sent == "END" && !answer.startsWith('\x0A')) {
            for (qsizetype i = sent.size(); i < bytes.size(); ++i) {
                bytes[i] = bytes.at(i) == '\x0A' ? '\x0B' : bytes.at(i); // no rejection made up
            }
        }
        VirtualClock::Micros at = now;
        for (qsizetype from = 0; from < bytes.size();) {
            const std::uint8_t chunk = m_script.next();
            const qsizetype size = 1 + (chunk & 0x1F);
            at += kChunkDelays.at(chunk >> 5);
            m_bench.clock.schedule(at, [this, part = bytes.mid(from, size)] {
                if (m_bench.port.isOpen()) { // else nobody listens: the bytes are lost
                    m_line.back().fed += part;
                    m_bench.port.deliver(part);
                }
            });
            from += size;
        }
    }

    // What the line carries back from the simulated radio: the echo, then its answer.
    QByteArray radioAnswer(const QByteArray& request, VirtualClock::Micros now) {
        QByteArray bytes;
        for (radiosim::Output& o : m_bench.sim.receive(request, now)) {
            bytes += o.bytes;
        }
        return bytes;
    }

    // Since request `from`, the radio stored each of the seven blocks as the link's image
    // holds them, and acknowledged an end request after its last block write.
    [[nodiscard]] bool radioStored(std::size_t from) const {
        const radiosim::Memory& memory = m_bench.sim.memory(0);
        for (int block : kWriteBlocks) {
            const QByteArray stored(reinterpret_cast<const char*>(memory.data()) + block - 0x3B00,
                                    16);
            if (stored != m_bench.data.image().bytes(block, 16)) {
                return false;
            }
        }
        std::size_t lastWrite = from;
        for (std::size_t i = from; i < m_line.size(); ++i) {
            if (isBlockWrite(m_line.at(i).request)) {
                lastWrite = i + 1;
            }
        }
        return std::any_of(m_endsAcknowledged.begin(), m_endsAcknowledged.end(),
                           [&](std::size_t at) { return at > lastWrite; });
    }

    // Each block of the image came right behind the echo of its read request.
    [[nodiscard]] bool imageAsCarried() const {
        for (int block = 0x3B00; block <= 0x3BF0; block += 16) {
            const QByteArray request = head('R', block) + '\x10';
            const QByteArray carried =
                request + 'W' + request.mid(1) + m_bench.data.image().bytes(block, 16);
            if (std::none_of(m_line.begin(), m_line.end(), [&](const Exchange& e) {
                    return e.request == request && e.fed.contains(carried);
                })) {
                return false;
            }
        }
        return true;
    }

    [[nodiscard]] bool waitingForNextRadio() const {
        const LinkState& s = m_bench.comm.state();
        return s.opKind == OpKind::MulWrite && s.MulWriteNo > 1 && s.WriteStep == Step::Handshake;
    }

    // Nothing more can happen: the port closed and no time-out running. The link is
    // idle, except that a wrong model leaves the operation's kind as it was.
    [[nodiscard]] bool over() const {
        return !m_bench.port.isOpen() && !m_bench.timer.isEnabled() &&
               (m_bench.comm.state().opKind == OpKind::Idle || m_wrongModel);
    }

    Script m_script;
    LinkBench m_bench;
    std::uint8_t m_operation;
    // The exchange count at each end request the radio acknowledged.
    std::vector<std::size_t> m_endsAcknowledged;
    bool m_afterEnd = false; ///< the radio acknowledged an end request, no handshake since
    // An answer held up on the line, and where it lands in what comes back next.
    QByteArray m_held;
    int m_heldAt = 0;
    // Each request sent, and the bytes that arrived while it was the last one.
    struct Exchange {
        QByteArray request, fed;
    };
    std::vector<Exchange> m_line;
    // The first request (the handshake) of the radio in hand.
    std::size_t m_radioStart = 0;
    qint32 m_radiosWritten = 0;
    bool m_wrongModel = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Line(data, size, size > 0 ? data[0] : 0).run();
    return 0;
}
