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
    if (m_pending.isEmpty() && QByteArray("PRWE").contains(bytes.at(0)) &&
        ++m_requestsOnLine == m_options.faults.strayBeforeEcho) {
        put(out, QByteArray(1, kAck), now);
    }
    if (m_options.echo) {
        put(out, bytes, now);
    }
    const std::optional<int> radio = connectedAt(now);
    if (!radio) {
        return out; // nobody on the line: the echo is all that comes back
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
        put(out, *reply,
            heard + std::max(m_options.turnaround, Micros(1)) +
                (faulty(r) ? m_options.faults.answerDelay : Micros(0)));
    }
    return out;
}

std::optional<QByteArray> RadioSim::answer(Radio& radio, const QByteArray& request) {
    const char first = request.at(0);
    if (first == 'P') {
        note(QStringLiteral("PROGRAM"));
        radio.programming = true;
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
                     .arg(m_options.faults.otherBlock, 4, 16, QLatin1Char('0'))
                     .toUpper());
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
    if (index + 1 < radioCount() && index == m_current) {
        m_unplugAt = m_now + m_options.unplugAfter;
    }
    if (m_endObserver) {
        m_endObserver(index);
    }
    return QByteArray(1, kAck);
}

} // namespace tavrik::radiosim
