#include "radiosim/RadioSim.h"

#include <algorithm>
#include <utility>

namespace tavrik::radiosim {

namespace {

constexpr char kHandshake[] = "PROGRAM";
constexpr char kEnd[] = "END";
constexpr int kFrameLength = 22;
constexpr int kBlock = 16;
constexpr char kAck = 0x06;
constexpr char kReject = 0x0A;

std::uint8_t at(const QByteArray& bytes, int i) {
    return static_cast<std::uint8_t>(bytes.at(i));
}

// Sum of bytes 1..19 of a data frame, modulo 256.
std::uint8_t frameSum(const QByteArray& frame) {
    unsigned sum = 0;
    for (int i = 1; i <= 19; ++i) {
        sum += at(frame, i);
    }
    return static_cast<std::uint8_t>(sum & 0xFFu);
}

QString hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

} // namespace

RadioSim::RadioSim(std::vector<Memory> radios, SimOptions options) : m_options(options) {
    if (radios.empty()) {
        radios.push_back(DefaultMemory());
    }
    for (const Memory& m : radios) {
        Radio r;
        r.memory = m;
        m_radios.push_back(r);
    }
}

void RadioSim::setRequestObserver(std::function<void(int, const QString&)> observer) {
    m_requestObserver = std::move(observer);
}

void RadioSim::setEndObserver(std::function<void(int)> observer) {
    m_endObserver = std::move(observer);
}

std::optional<int> RadioSim::connectedAt(Micros now) {
    if (m_unplugAt && now >= *m_unplugAt) {
        if (now < *m_unplugAt + m_options.gap) {
            return std::nullopt;
        }
        // The next radio of the series is plugged in, fresh.
        m_unplugAt.reset();
        ++m_current;
        m_radios.at(static_cast<size_t>(m_current)).programming = false;
        m_pending.clear();
    }
    return m_current;
}

void RadioSim::note(const QString& text) {
    if (m_requestObserver) {
        m_requestObserver(m_current, text);
    }
}

void RadioSim::put(std::vector<Output>& out, const QByteArray& bytes, Micros from) {
    Micros t = std::max(from, m_lineFree);
    if (!m_options.pacing) {
        out.push_back({t, bytes});
        m_lineFree = t;
        return;
    }
    for (char b : bytes) {
        t += kByteTime;
        out.push_back({t, QByteArray(1, b)});
    }
    m_lineFree = t;
}

bool RadioSim::faulty(const Radio& radio) const {
    return m_options.faults.onlyRadio < 0 || &radio - m_radios.data() == m_options.faults.onlyRadio;
}

std::vector<Output> RadioSim::receive(const QByteArray& bytes, Micros now) {
    std::vector<Output> out;
    m_now = now;
    if (bytes.isEmpty()) {
        return out;
    }
    const Faults& f = m_options.faults;
    const int number =
        m_pending.isEmpty() && QByteArray("PRWE").contains(bytes.at(0)) ? ++m_requestsOnLine : 0;
    if (number > 0 && number == f.strayBeforeEcho) {
        put(out, QByteArray(1, kAck), now);
    }
    const std::size_t exchangeStart = out.size();
    if (m_options.echo) {
        put(out, bytes, now);
    }
    // What was held up on the line arrives behind the echo of the same request again
    // (the same kind, and for a block the same address).
    if (!m_held.isEmpty() && bytes.left(3) == m_heldRequest.left(3)) {
        put(out, m_held, now);
        m_held.clear();
        m_heldRequest.clear();
    }
    const std::optional<int> radio = connectedAt(now);
    if (!radio) {
        return out; // nobody on the line: the echo is all that comes back
    }
    Radio& heard0 = m_radios.at(static_cast<size_t>(*radio));
    if (bytes.size() == 4 && bytes.at(0) == 'R' && heard0.programming && faulty(heard0) &&
        heard0.reads + 1 == f.frameBehindRead) {
        const int address = at(bytes, 1) * 256 + at(bytes, 2);
        Radio copy = heard0; // the frame is no read of this radio's
        put(out, f.frameBlock < 0 ? otherFrame(*radio, address) : readAnswer(copy, f.frameBlock),
            now);
        note(QStringLiteral("(another frame behind the echo)"));
    }

    m_pending.append(bytes);
    // The radio has the whole request once its last byte has crossed the line.
    const Micros heard = m_options.pacing ? now + kByteTime * static_cast<int>(bytes.size()) : now;

    while (!m_pending.isEmpty()) {
        const char first = m_pending.at(0);
        int length = 0;
        if (first == 'P') {
            length = 7;
        } else if (first == 'R') {
            length = 4;
        } else if (first == 'W') {
            length = kFrameLength;
        } else if (first == 'E') {
            length = 3;
        } else {
            m_pending.remove(0, 1); // line noise
            continue;
        }
        if (first == 'P' || first == 'E') {
            const QByteArray word = first == 'P' ? QByteArray(kHandshake) : QByteArray(kEnd);
            const qsizetype n = std::min<qsizetype>(m_pending.size(), word.size());
            if (m_pending.left(n) != word.left(n)) {
                m_pending.remove(0, 1);
                continue;
            }
        }
        if (m_pending.size() < length) {
            break; // the rest of the request is still on its way
        }
        const QByteArray request = m_pending.left(length);
        m_pending.remove(0, length);
        Radio& r = m_radios.at(static_cast<size_t>(*radio));
        const std::optional<QByteArray> reply = answer(r, request);
        if (!reply) {
            continue;
        }
        if (faulty(r) && m_options.faults.silentAfter >= 0 &&
            r.answers >= m_options.faults.silentAfter) {
            note(QStringLiteral("(silent)"));
            continue;
        }
        ++r.answers;
        if (number > 0 && number == f.holdAnswer) {
            note(QStringLiteral("(answer held up on the line)"));
            m_heldRequest = request;
            m_held = *reply;
            continue;
        }
        put(out, *reply,
            heard + std::max(m_options.turnaround, Micros(1)) +
                (faulty(r) ? m_options.faults.answerDelay : Micros(0)));
        if (first == 'P' && faulty(r) && !f.handshakeTrail.isEmpty()) {
            put(out, f.handshakeTrail, m_lineFree + f.handshakeTrailDelay);
        }
    }
    if (number > 0 && number == f.noiseExchange) {
        insertNoise(out, exchangeStart, f.noisePosition, f.noiseByte);
    }
    return out;
}

void RadioSim::insertNoise(std::vector<Output>& out, std::size_t first, int position, char byte) {
    // One output a byte, so that a position is a byte.
    std::vector<Output> bytes(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(first));
    for (auto o = out.begin() + static_cast<std::ptrdiff_t>(first); o != out.end(); ++o) {
        for (char b : o->bytes) {
            bytes.push_back({o->at, QByteArray(1, b)});
        }
    }
    const std::size_t at = first + static_cast<std::size_t>(std::max(position, 0));
    if (at > bytes.size()) {
        out = std::move(bytes);
        return;
    }
    const Micros when = at < bytes.size() ? bytes[at].at : (at > 0 ? bytes[at - 1].at : m_now);
    for (std::size_t i = at; i < bytes.size(); ++i) {
        bytes[i].at += kByteTime;
    }
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                 Output{when, QByteArray(1, byte)});
    m_lineFree = std::max(m_lineFree, bytes.back().at);
    note(QStringLiteral("(noise %1 on the line)").arg(hex(QByteArray(1, byte))));
    out = std::move(bytes);
}

QByteArray RadioSim::otherFrame(int radio, int address) {
    Radio other = m_radios.at(static_cast<size_t>(radio > 0 ? radio - 1 : radio));
    if (radio == 0) {
        for (std::uint8_t& b : other.memory) {
            b = static_cast<std::uint8_t>(~b);
        }
    }
    return readAnswer(other, address);
}

std::optional<QByteArray> RadioSim::answer(Radio& radio, const QByteArray& request) {
    const char first = request.at(0);
    if (first == 'P') {
        note(QStringLiteral("PROGRAM"));
        radio.programming = true;
        if (radio.pollsToLose > 0) {
            --radio.pollsToLose;
            note(QStringLiteral("(answer lost on the line)"));
            return std::nullopt;
        }
        return QByteArray("QX\x06", 3);
    }
    if (!radio.programming) {
        note(QStringLiteral("ignored before the handshake: %1").arg(hex(request)));
        return std::nullopt;
    }
    if (first == 'R') {
        const int address = at(request, 1) * 256 + at(request, 2);
        note(QStringLiteral("R %1 %2")
                 .arg(address, 4, 16, QLatin1Char('0'))
                 .arg(at(request, 3), 2, 16, QLatin1Char('0'))
                 .toUpper());
        if (at(request, 3) != kBlock || address < kMemoryBase || address > kMemoryBase + 0xF0) {
            return std::nullopt;
        }
        if (faulty(radio) && radio.reads + 1 == m_options.faults.otherBlockRead) {
            note(QStringLiteral("(answered with block %1)")
                     .arg(QString::number(m_options.faults.otherBlock, 16).toUpper()));
            return readAnswer(radio, m_options.faults.otherBlock);
        }
        return readAnswer(radio, address);
    }
    if (first == 'W') {
        return writeAnswer(radio, request);
    }
    return endAnswer(radio, static_cast<int>(&radio - m_radios.data()));
}

QByteArray RadioSim::readAnswer(Radio& radio, int address) {
    ++radio.reads;
    const int offset = address - kMemoryBase;
    QByteArray frame;
    frame.append('W');
    frame.append(static_cast<char>(address >> 8));
    frame.append(static_cast<char>(address & 0xFF));
    frame.append(static_cast<char>(kBlock));
    for (int i = 0; i < kBlock; ++i) {
        const int o = offset + i;
        frame.append(o < static_cast<int>(radio.memory.size())
                         ? static_cast<char>(radio.memory.at(static_cast<size_t>(o)))
                         : '\0');
    }
    const Faults& f = m_options.faults;
    if (faulty(radio) && f.wrongModel && offset == 0) {
        frame.replace(4, 7, QByteArray("TAVRIX\0", 7));
    }
    std::uint8_t sum = frameSum(frame);
    if (faulty(radio) && radio.reads == f.badChecksumRead) {
        ++sum;
    }
    frame.append(static_cast<char>(sum));
    frame.append(kAck);
    if (faulty(radio) && radio.reads == f.shortRead) {
        frame.chop(1);
    }
    return frame;
}

QByteArray RadioSim::writeAnswer(Radio& radio, const QByteArray& frame) {
    ++radio.writes;
    const int address = at(frame, 1) * 256 + at(frame, 2);
    note(QStringLiteral("W %1 %2")
             .arg(address, 4, 16, QLatin1Char('0'))
             .toUpper()
             .arg(hex(frame.mid(4, kBlock))));
    const Faults& f = m_options.faults;
    if (faulty(radio) && f.rejectWrite > 0 && radio.writes >= f.rejectWrite &&
        radio.writes < f.rejectWrite + f.rejectWriteTimes) {
        note(QStringLiteral("(rejected)"));
        return QByteArray(1, kReject);
    }
    const bool good = at(frame, 3) == kBlock && at(frame, 20) == frameSum(frame) &&
                      at(frame, 21) == 0x06 && address >= kMemoryBase &&
                      address <= kMemoryBase + 0xF0;
    if (!good) {
        note(QStringLiteral("(bad frame, rejected)"));
        return QByteArray(1, kReject);
    }
    for (int i = 0; i < kBlock; ++i) {
        radio.memory.at(static_cast<size_t>(address - kMemoryBase + i)) = at(frame, 4 + i);
    }
    ++radio.stored;
    return QByteArray(1, kAck);
}

QByteArray RadioSim::endAnswer(Radio& radio, int index) {
    ++radio.ends;
    note(QStringLiteral("END"));
    if (faulty(radio) && radio.ends <= m_options.faults.rejectEnds) {
        note(QStringLiteral("(rejected)"));
        return QByteArray(1, kReject);
    }
    radio.programming = false;
    if (faulty(radio)) {
        radio.pollsToLose = m_options.faults.losePollAnswers;
    }
    if (index + 1 < radioCount() && index == m_current) {
        m_unplugAt = m_now + m_options.unplugAfter;
    }
    if (m_endObserver) {
        m_endObserver(index);
    }
    return QByteArray(1, kAck);
}

} // namespace tavrik::radiosim
