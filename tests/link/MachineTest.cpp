// The link's machine alone, one row per rule: events with their times in (bytes that
// come back, the wake, the time-out), commands out. A row scripts what the line brings
// for one request of an operation; every other request's echo and answer come as a
// radio with the row's delay gives them.

#include "link/LinkMachine.h"

#include "radiosim/Memory.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <algorithm>
#include <optional>

namespace tavrik {
namespace {

using Time = LinkMachine::Time;
using namespace std::chrono_literals;

constexpr Time kChar{1042};

QByteArray hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// A request by what the radio sees: "PROGRAM", "R3B00", "W3B60", "END".
QString named(const QByteArray& request) {
    if (request == "PROGRAM" || request == "END") {
        return QString::fromLatin1(request);
    }
    return QString::fromLatin1(request.left(1) + request.mid(1, 2).toHex().toUpper());
}

// The default radio's clean answer to `request`.
QByteArray answerTo(const QByteArray& request) {
    if (request == "PROGRAM") {
        return hex("51 58 06");
    }
    if (request.size() != 4) {
        return hex("06");
    }
    const radiosim::Memory memory = radiosim::DefaultMemory();
    const int offset = (std::uint8_t(request[1]) << 8 | std::uint8_t(request[2])) - 0x3B00;
    QByteArray frame = request.left(4);
    frame[0] = 'W';
    frame += QByteArray(reinterpret_cast<const char*>(memory.data()) + offset, 16);
    int sum = 0;
    for (int i = 1; i < 20; ++i) {
        sum += std::uint8_t(frame[i]);
    }
    return frame + char(sum) + '\x06';
}

// The machine with the line of one row: `script` is what comes back from the moment the
// request named `scripted` is sent (a word of the script: "echo" its echo, hex a byte;
// "+T" what follows arrives T ms after that request was sent), besides the echo and the
// answer of every other request.
class Drive {
public:
    Drive(Time delay, QString scripted, QString script)
        : m_delay(delay), m_scripted(std::move(scripted)), m_script(std::move(script)) {}

    // Runs `kind` to its ending; returns the commands, one a line.
    QStringList run(OpKind kind) {
        LinkMachine::Begin begin;
        begin.kind = kind;
        begin.total = 1;
        carry(m_machine.start(begin, m_now));
        for (int guard = 0; guard < 200 && !m_ended; ++guard) {
            step();
        }
        return m_log;
    }

private:
    void carry(const LinkMachine::Commands& commands) {
        for (const LinkCommand& c : commands) {
            switch (c.kind) {
            case LinkCommand::Kind::Send:
                m_log << QStringLiteral("send ") + named(c.bytes);
                m_sent = c.bytes;
                m_timeOut = m_now + kAnswerTimeout;
                plan();
                break;
            case LinkCommand::Kind::Wake:
                m_log << QStringLiteral("wake %1").arg(c.wait.count() / 1000.0);
                m_wake = m_now + c.wait;
                break;
            case LinkCommand::Kind::StopWake:
                m_wake.reset();
                break;
            case LinkCommand::Kind::StartTimeOut:
                m_timeOut = m_now + kAnswerTimeout;
                break;
            case LinkCommand::Kind::StopTimeOut:
                m_timeOut.reset();
                break;
            case LinkCommand::Kind::TakeFields:
                m_log << QStringLiteral("take fields");
                carry(m_machine.fieldsTaken(c.bytes, m_now));
                break;
            case LinkCommand::Kind::Inform: {
                const char* const endings[] = {"Read Complete!", "Write Complete!",
                                               "MulWrite Complete!", "Model Type Error!",
                                               "Communication Error!"};
                m_log << QString::fromLatin1(endings[int(c.ending)]);
                m_ended = true;
                break;
            }
            default:
                break;
            }
        }
    }
    // What comes back for the request just sent, and when: its echo, then its answer; or
    // the script. The rest of a script still comes.
    void plan() {
        m_arrivals.erase(std::remove_if(m_arrivals.begin(), m_arrivals.end(),
                                        [](const Arrival& a) { return !a.scripted; }),
                         m_arrivals.end());
        if (named(m_sent) != m_scripted || m_scriptUsed) {
            const Time echoed = m_now + kChar * int(m_sent.size());
            const QByteArray answer = answerTo(m_sent);
            m_arrivals.push_back({echoed, m_sent, false});
            m_arrivals.push_back({echoed + kChar * int(answer.size()) + m_delay, answer, false});
        } else {
            m_scriptUsed = true;
            Time at = m_now;
            QByteArray bytes;
            for (const QString& w : m_script.split(u' ', Qt::SkipEmptyParts)) {
                if (w.startsWith(u'+')) {
                    if (!bytes.isEmpty()) {
                        m_arrivals.push_back({at, bytes, true});
                    }
                    bytes.clear();
                    at = m_now + Time(static_cast<long>(w.mid(1).toDouble() * 1000));
                } else {
                    bytes +=
                        w == QLatin1String("echo") ? m_sent : QByteArray::fromHex(w.toLatin1());
                }
            }
            m_arrivals.push_back({at, bytes, true});
        }
        std::stable_sort(m_arrivals.begin(), m_arrivals.end(),
                         [](const Arrival& x, const Arrival& y) { return x.at < y.at; });
    }
    void step() {
        std::optional<Time> next;
        for (const std::optional<Time>& t : {m_wake, m_timeOut}) {
            if (t && (!next || *t < *next)) {
                next = t;
            }
        }
        const bool arrival = !m_arrivals.empty() && (!next || m_arrivals.front().at <= *next);
        if (arrival) {
            const Arrival a = m_arrivals.front();
            m_arrivals.erase(m_arrivals.begin());
            m_now = std::max(m_now, a.at);
            carry(m_machine.received(a.bytes, m_now));
        } else if (next && next == m_wake) {
            m_now = *m_wake;
            m_wake.reset();
            carry(m_machine.woke(m_now));
        } else if (next) {
            m_now = *m_timeOut;
            m_timeOut.reset();
            carry(m_machine.timedOut(m_now));
        } else {
            m_ended = true;
        }
    }

    struct Arrival {
        Time at;
        QByteArray bytes;
        bool scripted;
    };
    LinkMachine m_machine;
    Time m_delay;
    QString m_scripted;
    QString m_script;
    bool m_scriptUsed = false;
    Time m_now{0};
    QByteArray m_sent;
    std::vector<Arrival> m_arrivals;
    std::optional<Time> m_wake;
    std::optional<Time> m_timeOut;
    QStringList m_log;
    bool m_ended = false;
};

// The commands of a run without the wakes and the fields, as one line.
QString path(const QStringList& log) {
    QStringList out;
    for (const QString& line : log) {
        if (!line.startsWith(QLatin1String("wake")) && line != QLatin1String("take fields")) {
            out << line.mid(line.startsWith(QLatin1String("send ")) ? 5 : 0);
        }
    }
    return out.join(u' ');
}

const char* const kWrite =
    "PROGRAM R3B00 R3B10 R3BF0 W3B00 W3B10 W3B60 W3B70 W3B80 W3B90 W3BF0 END";

TEST(Machine, EachRuleOfTrust) {
    struct Row {
        const char* rule;
        OpKind kind;
        int delayMs;          // the radio's answer delay behind the echo
        const char* scripted; // the request whose answer the row scripts
        const char* script;
        QString path;               // the requests and the ending
        const char* wake = nullptr; // a wake the path must ask for
    };
    const QString write = QString::fromLatin1(kWrite);
    const std::vector<Row> rows = {
        {"the handshake answer stands whatever follows it in the same burst", OpKind::Write, 2,
         "PROGRAM", "+12 echo 51 58 06 55 0A", write + " Write Complete!"},
        {"a clean rejection: the same request again after 50 ms of quiet", OpKind::Write, 2,
         "W3B60", "+26 echo 0A",
         write.left(write.indexOf("W3B70")) + "W3B60 " + write.mid(write.indexOf("W3B70")) +
             " Write Complete!",
         "wake 50"},
        {"a slow radio's rejection where the next answer belongs takes back the stray 06 "
         "and sends the rejected block again",
         OpKind::Write, 80, "W3B60", "+23 echo 06 +104 0A",
         write.left(write.indexOf("W3B70")) + "W3B70 W3B60 " + write.mid(write.indexOf("W3B70")) +
             " Write Complete!"},
        {"a rejection after the acknowledge before has become final is the next block's own",
         OpKind::Write, 2, "W3B70", "+28 echo 0A",
         write.left(write.indexOf("W3B80")) + "W3B70 " + write.mid(write.indexOf("W3B80")) +
             " Write Complete!"},
        {"a stray 06 ahead of the radio's rejection of END: no success, END not sent again",
         OpKind::Write, 8, "END", "+4 echo 06 +13 0A", write + " Communication Error!"},
        {"a byte behind the acknowledge of END: END not sent again", OpKind::Write, 2, "END",
         "+6 echo 06 +9 55", write + " Communication Error!"},
        {"a radio 400 ms slow: the wait behind the acknowledge of END ends with its time-out",
         OpKind::Read, 400, "", "", nullptr, "wake 95.832"},
        {"the acknowledge of END is final once the radio's own answer could no longer come",
         OpKind::Write, 2, "END", "+6 echo 06", write + " Write Complete!", "wake 4"},
        {"a rejected END is sent again once the rejection is sure", OpKind::Read, 2, "END",
         "+6 echo 0A", nullptr, "wake 4"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.rule);
        Drive drive(std::chrono::milliseconds(row.delayMs), QString::fromLatin1(row.scripted),
                    QString::fromLatin1(row.script));
        const QStringList log = drive.run(row.kind);
        if (getenv("DBG"))
            printf("%s\n  %s\n", row.rule, qPrintable(log.join(", ")));
        if (!row.path.isEmpty()) {
            EXPECT_EQ(path(log), row.path);
        }
        if (row.wake != nullptr) {
            EXPECT_TRUE(log.contains(QString::fromLatin1(row.wake)))
                << log.join(", ").toStdString();
        }
    }
}

} // namespace
} // namespace tavrik
