// The receive path: the input plays the line behind the programming cable. It picks
// the operation, and after each request the link sends it says what comes back: the
// simulated radio's answer whole, garbled, cut or padded with stray bytes, bytes of
// its own, or nothing; in chunks of any size, early or late (past the time-out).
//
// Input, read from the front (a spent input reads as zeros, that is, silence):
//   byte 0    the operation: 0 Read, 1 Write, 2 multi-write of one radio, 3 of two
//   byte 1    n (0..7), then n pairs (offset, value) changed in the radio's memory
//   then, for each request sent, one byte that chooses (modulo 9) what comes back:
//     0 nothing                        5 the radio's answer, then n (0..7) stray bytes
//     1 the radio's answer             6 n (0..255) bytes of the input only
//     2 that, byte p set to v (p, v)   7 the echo of the request, then n (0..31) bytes
//     3 that, byte p dropped (p)       8 the echo, then the radio's answer to a read of
//     4 n (0..7) stray bytes, then       block b (0..15), as a late answer would be
//       the radio's answer
//   then one byte per chunk of that: size 1 + low 5 bits, delay before it by the top 3.
//
// Properties, any violation aborts:
// - the operation ends within two hours of virtual time: port closed, no time-out
//   pending, the link idle (or left as it was after a wrong model, as designed);
// - a write, and each radio of a multi-write, is reported complete only if after each
//   of its seven block writes and its end request the line carried that request's
//   complete echo followed by 06;
// - a Read reported complete holds in each block 16 bytes that the line carried after
//   that block's read request, right behind its echo and the frame head 57 hi lo 10.
#include "LinkBench.h"
#include "Require.h"

#include <algorithm>
#include <array>
#include <set>

namespace {

using namespace tavrik;
using namespace tavrik::test;
using namespace std::chrono_literals;

// The fuzz input, read from the front; a spent input reads as zeros.
class Script {
public:
    Script(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::uint8_t next() { return m_at < m_size ? m_data[m_at++] : 0; }
    QByteArray take(int n) {
        QByteArray out;
        for (int i = 0; i < n && !spent(); ++i) {
            out.append(static_cast<char>(next()));
        }
        return out;
    }
    [[nodiscard]] bool spent() const { return m_at >= m_size; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

constexpr std::array<std::chrono::milliseconds, 8> kChunkDelays{0ms,  0ms,   1ms,   10ms,
                                                                50ms, 200ms, 450ms, 600ms};
constexpr std::array<int, 7> kWriteBlocks{0x3B00, 0x3B10, 0x3B60, 0x3B70, 0x3B80, 0x3B90, 0x3BF0};

bool isBlockWrite(const QByteArray& request) {
    return request.size() == 22 && request.at(0) == 'W';
}

QByteArray readRequest(int block) {
    return QByteArray("R") + char(block >> 8) + char(block & 0xFF) + '\x10';
}

int addressOf(const QByteArray& request) {
    return static_cast<std::uint8_t>(request.at(1)) * 256 +
           static_cast<std::uint8_t>(request.at(2));
}

class Line {
public:
    Line(const std::uint8_t* data, std::size_t size) : m_script(data, size) {
        m_bench.port.setPeer([this](const QByteArray& sent, VirtualClock::Micros now) {
            answer(sent, now);
            return std::vector<Arrival>{};
        });
        m_bench.boxes.setWhileOpen([this](const FakeMessageBoxes::Shown& box) {
            if (box.text == QLatin1String("Write Complete!") ||
                box.text == QLatin1String("MulWrite Complete!")) {
                require(radioAcknowledged(m_radioStart, m_fed.size()),
                        "a write reported complete had every block and END acknowledged");
            } else if (box.text == QLatin1String("Read Complete!")) {
                require(imageAsCarried(), "a Read reported complete holds the blocks carried");
            } else if (box.text == QLatin1String("Model Type Error!")) {
                m_wrongModel = true;
            }
        });
    }

    void run() {
        const std::uint8_t operation = m_script.next() % 4;
        for (int n = m_script.next() % 8; n > 0; --n) {
            const std::uint8_t offset = m_script.next();
            m_bench.sim.memory(0).at(offset) = m_script.next();
        }
        m_bench.start(operation == 0   ? OpKind::Read
                      : operation == 1 ? OpKind::Write
                                       : OpKind::MulWrite,
                      operation - 1);
        const bool ended = m_bench.runUntil(
            [this] { return over() || (m_script.spent() && waitingForNextRadio()); }, 2h);
        if (!over() && m_script.spent() && waitingForNextRadio()) {
            // The line is quiet for good: the operator stops the run.
            (void)m_bench.startMulWrite(0);
        }
        require(ended && over(), "the operation ends");
    }

private:
    // After each request: what the line carries back, in chunks on the virtual clock.
    void answer(const QByteArray& sent, VirtualClock::Micros now) {
        m_fed.resize(m_bench.port.sent().size());
        if (sent == "PROGRAM") {
            // The handshake after a radio's blocks: a multi-write polls for the next radio.
            const std::size_t handshake = m_fed.size() - 1;
            const qint32 written = m_bench.window.number.toInt() - 1;
            if (written > m_radiosWritten) {
                require(radioAcknowledged(m_radioStart, handshake),
                        "a radio of a multi-write counted had every block and END acknowledged");
                m_radiosWritten = written;
            } else {
                const std::vector<QByteArray>& requests = m_bench.port.sent();
                require(std::none_of(requests.begin() + static_cast<qsizetype>(m_radioStart),
                                     requests.end() - 1, isBlockWrite),
                        "a multi-write leaves a radio it began to write only by an ending");
            }
            m_radioStart = handshake;
        }
        const QByteArray radio = radioAnswer(sent, now);
        QByteArray bytes;
        switch (m_script.next() % 9) {
        case 0:
            break;
        case 1:
            bytes = radio;
            break;
        case 2:
            bytes = radio;
            if (!bytes.isEmpty()) {
                const qsizetype at = m_script.next() % bytes.size();
                bytes[at] = static_cast<char>(m_script.next());
            }
            break;
        case 3:
            bytes = radio;
            if (!bytes.isEmpty()) {
                bytes.remove(m_script.next() % bytes.size(), 1);
            }
            break;
        case 4:
            bytes = m_script.take(m_script.next() % 8) + radio;
            break;
        case 5:
            bytes = radio + m_script.take(m_script.next() % 8);
            break;
        case 6:
            bytes = m_script.take(m_script.next());
            break;
        case 7:
            bytes = sent + m_script.take(m_script.next() % 32);
            break;
        default: {
            const int block = 0x3B00 + 16 * (m_script.next() % 16);
            bytes = sent + radioAnswer(readRequest(block), now).mid(4);
            break;
        }
        }
        VirtualClock::Micros at = now;
        for (qsizetype from = 0; from < bytes.size();) {
            const std::uint8_t chunk = m_script.next();
            const qsizetype size = 1 + (chunk & 0x1F);
            at += kChunkDelays.at(chunk >> 5);
            m_bench.clock.schedule(at, [this, part = bytes.mid(from, size)] { arrive(part); });
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

    void arrive(const QByteArray& part) {
        if (!m_bench.port.isOpen()) {
            return; // nobody listens: the bytes are lost
        }
        m_fed.at(m_bench.port.sent().size() - 1) += part;
        m_bench.port.deliver(part);
    }

    // Requests [from, to) held a block write of each of the seven blocks and an end
    // request that each came back as their complete echo followed by 06.
    [[nodiscard]] bool radioAcknowledged(std::size_t from, std::size_t to) const {
        const std::vector<QByteArray>& sent = m_bench.port.sent();
        std::set<int> blocks;
        bool end = false;
        for (std::size_t i = from; i < to; ++i) {
            if (!m_fed.at(i).contains(sent.at(i) + '\x06')) {
                continue;
            }
            if (isBlockWrite(sent.at(i))) {
                blocks.insert(addressOf(sent.at(i)));
            } else if (sent.at(i) == "END") {
                end = true;
            }
        }
        return end && std::all_of(kWriteBlocks.begin(), kWriteBlocks.end(),
                                  [&](int block) { return blocks.count(block) != 0; });
    }

    // Each block of the image came right behind the echo of its read request.
    [[nodiscard]] bool imageAsCarried() const {
        const std::vector<QByteArray>& sent = m_bench.port.sent();
        for (int block = 0x3B00; block <= 0x3BF0; block += 16) {
            const QByteArray request = readRequest(block);
            const QByteArray carried =
                request + 'W' + request.mid(1) + m_bench.data.image().bytes(block, 16);
            bool found = false;
            for (std::size_t i = 0; i < sent.size() && !found; ++i) {
                found = sent.at(i) == request && m_fed.at(i).contains(carried);
            }
            if (!found) {
                return false;
            }
        }
        return true;
    }

    [[nodiscard]] bool waitingForNextRadio() const {
        const LinkState& s = m_bench.comm.state();
        return s.opKind == OpKind::MulWrite && s.MulWriteNo > 1 && s.WriteStep == 1;
    }

    // Nothing more can happen: the port closed and no time-out running. The link is
    // idle, except that a wrong model leaves the operation's kind as it was.
    [[nodiscard]] bool over() const {
        return !m_bench.port.isOpen() && !m_bench.timer.isEnabled() &&
               (m_bench.comm.state().opKind == OpKind::Idle || m_wrongModel);
    }

    LinkBench m_bench;
    Script m_script;
    // The bytes that arrived while each request sent was the last one.
    std::vector<QByteArray> m_fed;
    // The first request (the handshake) of the radio in hand.
    std::size_t m_radioStart = 0;
    qint32 m_radiosWritten = 0;
    bool m_wrongModel = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Line(data, size).run();
    return 0;
}
