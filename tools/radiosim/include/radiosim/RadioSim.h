#pragma once

#include "radiosim/Memory.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

namespace tavrik::radiosim {

using Micros = std::chrono::microseconds;

/// One character at 9600 baud, 8N1: ten bits.
inline constexpr Micros kByteTime{1042};

/// Bytes the line carries back to the computer, and when they arrive there.
struct Output {
    Micros at;
    QByteArray bytes;
};

/// Faults the radio can be told to show. Counts are per radio and start at 1.
struct Faults {
    bool wrongModel = false;  ///< block 0x3B00 is answered with the model word "TAVRIX"
    int rejectWrite = 0;      ///< the Nth block write received is rejected (0A) ...
    int rejectWriteTimes = 1; ///< ... and so are this many in a row from it
    int rejectEnds = 0;       ///< the first K end requests are rejected
    int silentAfter = -1;     ///< answers given before the radio falls silent; -1 never
    int badChecksumRead = 0;  ///< the Nth read answer carries its checksum plus one
    int shortRead = 0;        ///< the Nth read answer loses its last byte
    int otherBlockRead = 0;   ///< the Nth read request is answered with block otherBlock
    int otherBlock = 0x3B00;  ///< (a whole, good frame of that block)
    Micros answerDelay{0};    ///< added before every answer
    /// A stray 06 on the line just before the echo of the Nth request (every request
    /// on the line counted, whichever radio is connected).
    int strayBeforeEcho = 0;
    /// A noise byte on the line at position noisePosition (from 0) of what comes back
    /// for the Nth request (its echo and its answer together; requests counted as for
    /// strayBeforeEcho); the bytes behind it arrive a character later.
    int noiseExchange = 0;
    int noisePosition = 0;
    char noiseByte = 0x06;
    /// The answer to the Nth request is held up on the line and arrives only right
    /// behind the echo of the next request of its kind (for a block, of its address;
    /// requests counted as for strayBeforeEcho).
    int holdAnswer = 0;
    /// Right behind the echo of the radio's Nth read request, a whole good frame arrives
    /// ahead of its own answer: of block frameBlock of the same radio, or, for
    /// frameBlock -1, of the block asked for but from another radio (the one before in
    /// the series, or this radio's bytes inverted when there is none).
    int frameBehindRead = 0;
    int frameBlock = -1;
    /// After it acknowledged an end request, the radio's next K answers to the
    /// handshake are lost on the line.
    int losePollAnswers = 0;
    /// Bytes the radio sends behind every handshake answer, this long after it.
    QByteArray handshakeTrail;
    Micros handshakeTrailDelay{0};
    int onlyRadio = -1; ///< the faults above touch only this radio of a series (0 first)
};

/// A series of radios on one programming cable: only the first is connected at the
/// start. After a radio acknowledges an end request it stays connected for
/// `unplugAfter`, then the line is silent (echo only) for `gap`, then the next radio
/// of the series answers. The last radio stays connected.
struct SimOptions {
    bool pacing = false; ///< every byte takes kByteTime on the line
    bool echo = true;    ///< the cable echoes every request byte ahead of the answer
    /// The radio's own time between hearing a request and answering it. Never zero, so
    /// that an exchange repeated at once (polling for the next radio) moves time on.
    Micros turnaround{std::chrono::milliseconds(2)};
    Micros unplugAfter{std::chrono::milliseconds(200)}; ///< a large value: it stays
    Micros gap{std::chrono::milliseconds(1500)};
    Faults faults;
};

/// The radio's side of the programming protocol. It keeps no clock of its own: each
/// call is told the time, and returns what the line carries back and when.
class RadioSim {
public:
    RadioSim(std::vector<Memory> radios, SimOptions options);

    /// Bytes the computer sent, received at `now`; returns the echo and any answer.
    [[nodiscard]] std::vector<Output> receive(const QByteArray& bytes, Micros now);

    [[nodiscard]] int radioCount() const { return static_cast<int>(m_radios.size()); }
    /// The radio on the line at `now`, or none during a gap or after the last one left.
    [[nodiscard]] std::optional<int> connectedAt(Micros now);
    [[nodiscard]] const Memory& memory(int radio) const { return m_radios.at(radio).memory; }
    [[nodiscard]] Memory& memory(int radio) { return m_radios.at(radio).memory; }
    /// Block writes the radio stored.
    [[nodiscard]] int storedWrites(int radio) const { return m_radios.at(radio).stored; }

    /// Called with the radio's number and a readable form of each request it hears.
    void setRequestObserver(std::function<void(int, const QString&)> observer);
    /// Called each time a radio acknowledges an end request (its session is over).
    void setEndObserver(std::function<void(int)> observer);

private:
    struct Radio {
        Memory memory{};
        bool programming = false;
        int writes = 0;
        int stored = 0;
        int reads = 0;
        int ends = 0;
        int answers = 0;
        int pollsToLose = 0;
    };

    void put(std::vector<Output>& out, const QByteArray& bytes, Micros from);
    /// Inserts `byte` at `position` of what `out` carries (from `first` on), the bytes
    /// behind it a character later.
    void insertNoise(std::vector<Output>& out, std::size_t first, int position, char byte);
    [[nodiscard]] QByteArray otherFrame(int radio, int address);
    [[nodiscard]] bool faulty(const Radio& radio) const;
    [[nodiscard]] std::optional<QByteArray> answer(Radio& radio, const QByteArray& request);
    [[nodiscard]] QByteArray readAnswer(Radio& radio, int address);
    [[nodiscard]] QByteArray writeAnswer(Radio& radio, const QByteArray& frame);
    [[nodiscard]] QByteArray endAnswer(Radio& radio, int index);
    void note(const QString& text);

    std::vector<Radio> m_radios;
    SimOptions m_options;
    int m_current = 0;
    std::optional<Micros> m_unplugAt;
    QByteArray m_pending;
    int m_requestsOnLine = 0;
    QByteArray m_heldRequest; ///< the request whose answer is held up
    QByteArray m_held;        ///< that answer
    Micros m_lineFree{0};
    Micros m_now{0};
    std::function<void(int, const QString&)> m_requestObserver;
    std::function<void(int)> m_endObserver;
};

} // namespace tavrik::radiosim
