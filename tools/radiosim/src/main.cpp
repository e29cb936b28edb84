// tavrik-radio-sim: serves the simulated radio on a pseudo-terminal.

#include "radiosim/RadioSim.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStringList>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <optional>
#include <termios.h>
#include <unistd.h>

namespace {

using tavrik::radiosim::Memory;
using tavrik::radiosim::Micros;
using tavrik::radiosim::Output;
using tavrik::radiosim::RadioSim;
using tavrik::radiosim::SimOptions;

const char kHelp[] = R"(Serves a simulated TAVRIK radio, behind a programming cable that echoes
every request byte, on a pseudo-terminal. The first line on standard output is the
device path to open. Runs until SIGINT or SIGTERM.

Line settings: the radio answers only while the program on the other side has set
9600 baud, 8 data bits, no parity, 1 stop bit and no flow control; otherwise the
cable still echoes, the radio stays silent and the log says what is wrong. The
pseudo-terminal starts at other settings, so a program must set them itself.

Memory: each radio's 256 bytes (address 0x3B00 first) are loaded from the memory
file, which is created with a default image when it does not exist, and written back
each time the radio acknowledges "END". The default image's dealer text is plain
ASCII; --chinese-sample gives it a seller in Chinese (GBK, code page 936) instead.
With --series N (N > 1) radio k uses the file FILE.k (FILE.1 ... FILE.N). Without
--memory the memory lives only in the process. The default images of a series differ
only in their serial numbers (2025110300000042, ...043 and so on), as a batch does.

Series: the radio just written stays on the line for --unplug-after ms after its
"END", then the line is silent (echo only) for --gap ms, then the next radio answers.
A program waiting for the next radio takes an answer as a new radio only after two
silent 500 ms time-outs, so --gap should be well above 1000 ms. The last radio stays.
--stay-after-write S keeps the radio just written on the line for S seconds instead,
answering the program's poll for the next radio as itself.

Faults (counts start at 1 and are per radio):
  --wrong-model            block 0x3B00 is answered with the model word TAVRIX
  --reject-write N         the Nth block write received is answered 0A ...
  --reject-write-times K   ... and the K-1 after it as well (default 1)
  --reject-end K           the first K end requests are answered 0A
  --silent-after N         the radio stops answering after N answers
  --bad-checksum-read N    the Nth read answer carries a wrong checksum
  --short-read N           the Nth read answer lacks its last byte
  --other-block-read N     the Nth read request is answered with another block ...
  --other-block ADDR       ... this one (hexadecimal, default 3B00)
  --stray-before-echo N    a stray 06 on the line just before the echo of the Nth
                           request (every request on the line counted)
  --noise N:P[:HEX]        a noise byte (hexadecimal, default 06) on the line at
                           position P (from 0) of what comes back for the Nth
                           request, its echo and its answer together (requests
                           counted as for --stray-before-echo); the bytes behind it
                           come a character later
  --hold-answer N          the answer to the Nth request (counted as above) is held
                           up on the line and arrives only right behind the echo of
                           the next request of its kind (for a block, of its address)
  --frame-behind-read N[:BLOCK]
                           right behind the echo of the Nth read request, ahead of
                           its answer, a whole good frame of block BLOCK of the same
                           radio (hexadecimal), or without BLOCK of the block asked
                           for but of another radio (the one before in the series,
                           or this radio's bytes inverted when there is none)
  --lose-poll-answers K    after it acknowledged an end request, the radio's next K
                           answers to the handshake (the poll for the next radio) are
                           lost on the line
  --handshake-trail HEX[:MS]
                           the radio sends the bytes HEX behind every handshake
                           answer, MS after it (default 0)
  --only-radio K           the faults touch only radio K of a series (from 1)
  --delay MS               every answer comes MS later
  --vanish-after N         the device disappears (the program exits, the pseudo-
                           terminal goes) when request N + 1 arrives, as an adapter
                           pulled out after N requests

Example:
  tavrik-radio-sim --memory /tmp/radio.bin --link /tmp/ttyTAVRIK --log /tmp/radio.log
)";

int g_signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    // Only async-signal-safe work here: wake the event loop.
    (void)!::write(g_signalPipe[1], &byte, 1);
}

QString memoryPath(const QString& base, int radio, int count) {
    return count > 1 ? QStringLiteral("%1.%2").arg(base).arg(radio + 1) : base;
}

class PtyServer {
public:
    PtyServer(RadioSim& sim, QTextStream& log, bool echo) : m_sim(sim), m_log(log), m_echo(echo) {}
    ~PtyServer() {
        if (m_slave >= 0) {
            ::close(m_slave);
        }
        if (m_master >= 0) {
            ::close(m_master);
        }
    }
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    bool open(QString* error) {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
            *error = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        const char* name = ::ptsname(m_master);
        if (name == nullptr) {
            *error = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        m_device = QString::fromLocal8Bit(name);
        // Holding the slave open ourselves keeps the master usable while clients come
        // and go (with no opener it would report EIO / hang-up).
        m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_slave < 0) {
            *error = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        // Start from line settings the radio does not speak (1200 baud, 7 data bits,
        // even parity, 2 stop bits, hardware flow control): only a program that sets
        // 9600 8N1 without flow control itself is answered.
        termios tio{};
        if (::tcgetattr(m_slave, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::cfsetispeed(&tio, B1200);
            ::cfsetospeed(&tio, B1200);
            tio.c_cflag = (tio.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB | CRTSCTS;
            tio.c_iflag |= IXON | IXOFF;
            ::tcsetattr(m_slave, TCSANOW, &tio);
        }
        m_clock.start();
        m_reader = new QSocketNotifier(m_master, QSocketNotifier::Read, &m_context);
        QObject::connect(m_reader, &QSocketNotifier::activated, &m_context, [this] { readAll(); });
        m_sender.setSingleShot(true);
        m_sender.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_sender, &QTimer::timeout, &m_context, [this] { sendDue(); });
        return true;
    }

    [[nodiscard]] QString device() const { return m_device; }

private:
    Micros now() const { return Micros(m_clock.nsecsElapsed() / 1000); }

    // What is wrong with the line settings the program set on its side of the
    // pseudo-terminal, as the radio would hear it; empty when they are 9600 baud, 8 data
    // bits, no parity, 1 stop bit and no flow control.
    QString lineFault() const {
        termios tio{};
        if (::tcgetattr(m_slave, &tio) != 0) {
            return QStringLiteral("line settings unreadable");
        }
        QStringList wrong;
        if (::cfgetispeed(&tio) != B9600 || ::cfgetospeed(&tio) != B9600) {
            wrong << QStringLiteral("not 9600 baud");
        }
        if ((tio.c_cflag & CSIZE) != CS8) {
            wrong << QStringLiteral("not 8 data bits");
        }
        if ((tio.c_cflag & PARENB) != 0) {
            wrong << QStringLiteral("parity on");
        }
        if ((tio.c_cflag & CSTOPB) != 0) {
            wrong << QStringLiteral("2 stop bits");
        }
        if ((tio.c_cflag & CRTSCTS) != 0 || (tio.c_iflag & (IXON | IXOFF)) != 0) {
            wrong << QStringLiteral("flow control on");
        }
        return wrong.join(QStringLiteral(", "));
    }

    void readAll() {
        char buffer[512];
        for (;;) {
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n > 0) {
                const QByteArray bytes(buffer, static_cast<int>(n));
                const QString fault = lineFault();
                if (!fault.isEmpty()) {
                    // The cable still echoes; the radio hears noise and says nothing.
                    m_log << QStringLiteral("(not answered: %1)").arg(fault) << Qt::endl;
                    if (m_echo) {
                        m_queue.push_back({now(), bytes});
                    }
                    continue;
                }
                for (Output& o : m_sim.receive(bytes, now())) {
                    m_queue.push_back(std::move(o));
                }
                continue;
            }
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0 && errno == EIO) {
                // No opener on the slave side for a moment; look again shortly
                // instead of spinning on a notifier that stays readable.
                m_reader->setEnabled(false);
                QTimer::singleShot(50, &m_context, [this] { m_reader->setEnabled(true); });
            }
            break;
        }
        schedule();
    }

    void schedule() {
        if (m_queue.empty()) {
            return;
        }
        const Micros wait = std::max(Micros(0), m_queue.front().at - now());
        m_sender.start(static_cast<int>((wait.count() + 999) / 1000));
    }

    void sendDue() {
        const Micros t = now();
        QByteArray due;
        while (!m_queue.empty() && m_queue.front().at <= t) {
            due.append(m_queue.front().bytes);
            m_queue.pop_front();
        }
        if (!due.isEmpty()) {
            // Nobody reading and the buffer full: the bytes are lost, as on a cable.
            (void)!::write(m_master, due.constData(), static_cast<size_t>(due.size()));
        }
        schedule();
    }

    RadioSim& m_sim;
    QTextStream& m_log;
    bool m_echo = true;
    QObject m_context;
    QSocketNotifier* m_reader = nullptr;
    QTimer m_sender;
    QElapsedTimer m_clock;
    std::deque<Output> m_queue;
    int m_master = -1;
    int m_slave = -1;
    QString m_device;
};

int intOption(const QCommandLineParser& parser, const QString& name, int fallback, bool& ok) {
    if (!parser.isSet(name)) {
        return fallback;
    }
    bool good = false;
    const int value = parser.value(name).toInt(&good);
    if (!good || value < 0) {
        std::fprintf(stderr, "--%s needs a whole number of 0 or more\n", qPrintable(name));
        ok = false;
    }
    return value;
}

// The whole number `text` if it is `least` or more.
std::optional<int> wholeNumber(const QString& text, int least) {
    bool good = false;
    const int value = text.toInt(&good);
    return good && value >= least ? std::optional<int>(value) : std::nullopt;
}

// The block address `text` (hexadecimal) if it lies in the radio's memory.
std::optional<int> blockAddress(const QString& text) {
    bool good = false;
    const int value = text.toInt(&good, 16);
    return good && value >= 0x3B00 && value <= 0x3BF0 ? std::optional<int>(value) : std::nullopt;
}

// --noise N:P[:HEX]
bool noiseOption(const QString& value, tavrik::radiosim::Faults& faults) {
    const QStringList parts = value.split(QLatin1Char(':'));
    if (parts.size() < 2 || parts.size() > 3) {
        return false;
    }
    const std::optional<int> exchange = wholeNumber(parts.at(0), 1);
    const std::optional<int> position = wholeNumber(parts.at(1), 0);
    bool good = true;
    const int byte = parts.size() == 3 ? parts.at(2).toInt(&good, 16) : 0x06;
    if (!exchange || !position || !good || byte < 0 || byte > 0xFF) {
        return false;
    }
    faults.noiseExchange = *exchange;
    faults.noisePosition = *position;
    faults.noiseByte = static_cast<char>(byte);
    return true;
}

// --frame-behind-read N[:BLOCK]
bool frameBehindReadOption(const QString& value, tavrik::radiosim::Faults& faults) {
    const QStringList parts = value.split(QLatin1Char(':'));
    if (parts.size() > 2) {
        return false;
    }
    const std::optional<int> read = wholeNumber(parts.at(0), 1);
    const std::optional<int> block =
        parts.size() == 2 ? blockAddress(parts.at(1)) : std::optional<int>(-1);
    if (!read || !block) {
        return false;
    }
    faults.frameBehindRead = *read;
    faults.frameBlock = *block;
    return true;
}

// --handshake-trail HEX[:MS]
bool handshakeTrailOption(const QString& value, tavrik::radiosim::Faults& faults) {
    const QStringList parts = value.split(QLatin1Char(':'));
    const QByteArray bytes = QByteArray::fromHex(parts.at(0).toLatin1());
    const std::optional<int> ms =
        parts.size() == 2 ? wholeNumber(parts.at(1), 0) : std::optional<int>(0);
    if (parts.size() > 2 || bytes.isEmpty() || bytes.toHex() != parts.at(0).toLower().toLatin1() ||
        !ms) {
        return false;
    }
    faults.handshakeTrail = bytes;
    faults.handshakeTrailDelay = std::chrono::milliseconds(*ms);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavrik-radio-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(kHelp));
    parser.addHelpOption();
    const auto opt = [&parser](const char* name, const char* help, const char* value = nullptr) {
        if (value == nullptr) {
            parser.addOption(
                QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(help)));
        } else {
            parser.addOption(QCommandLineOption(
                QString::fromLatin1(name), QString::fromLatin1(help), QString::fromLatin1(value)));
        }
    };
    opt("memory", "Memory file (256 bytes); created with the default image if missing.", "FILE");
    opt("link", "Place a symbolic link to the device here (removed at exit).", "PATH");
    opt("log", "Log each request to this file instead of standard error.", "FILE");
    opt("no-pacing", "Send bytes at once instead of one per 1.04 ms (9600 baud).");
    opt("no-echo", "Leave out the cable's echo of each request.");
    opt("chinese-sample", "Give the default image a seller in Chinese (GBK) instead of ASCII.");
    opt("wrong-model", "Answer block 0x3B00 with the model word TAVRIX.");
    opt("reject-write", "Reject the Nth block write.", "N");
    opt("reject-write-times", "Reject that many block writes in a row (default 1).", "K");
    opt("reject-end", "Reject the first K end requests.", "K");
    opt("silent-after", "Stop answering after N answers.", "N");
    opt("bad-checksum-read", "Give the Nth read answer a wrong checksum.", "N");
    opt("short-read", "Cut the last byte off the Nth read answer.", "N");
    opt("other-block-read", "Answer the Nth read request with another block.", "N");
    opt("other-block", "The block that answers it (hexadecimal, default 3B00).", "ADDR");
    opt("stray-before-echo", "Put a stray 06 on the line before the Nth request's echo.", "N");
    opt("noise", "Put a noise byte (default 06) at position P of the Nth exchange.", "N:P[:HEX]");
    opt("hold-answer", "Hold up the Nth answer until the next request of its kind.", "N");
    opt("frame-behind-read", "Put a frame of another block or radio behind the Nth read echo.",
        "N[:BLOCK]");
    opt("lose-poll-answers", "Lose the next K handshake answers after an END.", "K");
    opt("handshake-trail", "Send bytes HEX behind every handshake answer, MS later.", "HEX[:MS]");
    opt("only-radio", "Let the faults touch only radio K of a series (from 1).", "K");
    opt("delay", "Delay every answer by MS milliseconds.", "MS");
    opt("vanish-after", "Disappear when request N + 1 arrives.", "N");
    opt("series", "Serve a series of N radios, one after another (default 1).", "N");
    opt("unplug-after", "A written radio leaves the line MS after its END (default 200).", "MS");
    opt("stay-after-write",
        "A written radio stays on the line S seconds after its END (for --unplug-after).", "S");
    opt("gap", "Silence between two radios of a series, in ms (default 1500).", "MS");
    parser.process(app);

    bool ok = true;
    SimOptions options;
    options.pacing = !parser.isSet(QStringLiteral("no-pacing"));
    options.echo = !parser.isSet(QStringLiteral("no-echo"));
    options.faults.wrongModel = parser.isSet(QStringLiteral("wrong-model"));
    options.faults.rejectWrite = intOption(parser, QStringLiteral("reject-write"), 0, ok);
    options.faults.rejectWriteTimes =
        intOption(parser, QStringLiteral("reject-write-times"), 1, ok);
    options.faults.rejectEnds = intOption(parser, QStringLiteral("reject-end"), 0, ok);
    options.faults.silentAfter = intOption(parser, QStringLiteral("silent-after"), -1, ok);
    options.faults.badChecksumRead = intOption(parser, QStringLiteral("bad-checksum-read"), 0, ok);
    options.faults.shortRead = intOption(parser, QStringLiteral("short-read"), 0, ok);
    options.faults.otherBlockRead = intOption(parser, QStringLiteral("other-block-read"), 0, ok);
    if (parser.isSet(QStringLiteral("other-block"))) {
        const std::optional<int> block = blockAddress(parser.value(QStringLiteral("other-block")));
        if (!block) {
            std::fprintf(stderr, "--other-block needs an address from 3B00 to 3BF0\n");
            ok = false;
        }
        options.faults.otherBlock = block.value_or(0x3B00);
    }
    options.faults.strayBeforeEcho = intOption(parser, QStringLiteral("stray-before-echo"), 0, ok);
    if (parser.isSet(QStringLiteral("noise")) &&
        !noiseOption(parser.value(QStringLiteral("noise")), options.faults)) {
        std::fprintf(stderr, "--noise needs N:P or N:P:HEX, such as 5:8 or 5:8:0A (the Nth "
                             "request from 1, the position from 0, a byte from 00 to FF)\n");
        ok = false;
    }
    options.faults.holdAnswer = intOption(parser, QStringLiteral("hold-answer"), 0, ok);
    if (parser.isSet(QStringLiteral("frame-behind-read")) &&
        !frameBehindReadOption(parser.value(QStringLiteral("frame-behind-read")), options.faults)) {
        std::fprintf(stderr, "--frame-behind-read needs N or N:BLOCK, such as 2 or 2:3B00 (the "
                             "Nth read from 1, a block from 3B00 to 3BF0)\n");
        ok = false;
    }
    options.faults.losePollAnswers = intOption(parser, QStringLiteral("lose-poll-answers"), 0, ok);
    if (parser.isSet(QStringLiteral("handshake-trail")) &&
        !handshakeTrailOption(parser.value(QStringLiteral("handshake-trail")), options.faults)) {
        std::fprintf(stderr, "--handshake-trail needs HEX or HEX:MS, such as 55 or 5500:2\n");
        ok = false;
    }
    options.faults.answerDelay =
        std::chrono::milliseconds(intOption(parser, QStringLiteral("delay"), 0, ok));
    const int vanishAfter = intOption(parser, QStringLiteral("vanish-after"), -1, ok);
    const int series = std::max(1, intOption(parser, QStringLiteral("series"), 1, ok));
    options.unplugAfter =
        std::chrono::milliseconds(intOption(parser, QStringLiteral("unplug-after"), 200, ok));
    if (parser.isSet(QStringLiteral("stay-after-write"))) {
        if (parser.isSet(QStringLiteral("unplug-after"))) {
            std::fprintf(stderr, "give --stay-after-write or --unplug-after, not both\n");
            ok = false;
        }
        options.unplugAfter =
            std::chrono::seconds(intOption(parser, QStringLiteral("stay-after-write"), 0, ok));
    }
    if (parser.isSet(QStringLiteral("only-radio"))) {
        const std::optional<int> radio = wholeNumber(parser.value(QStringLiteral("only-radio")), 1);
        if (!radio || *radio > series) {
            std::fprintf(stderr, "--only-radio needs a radio of the series, from 1 to %d\n",
                         series);
            ok = false;
        }
        options.faults.onlyRadio = radio.value_or(1) - 1;
    }
    options.gap = std::chrono::milliseconds(intOption(parser, QStringLiteral("gap"), 1500, ok));
    if (!ok) {
        return 2;
    }

    const QString memoryBase = parser.value(QStringLiteral("memory"));
    const auto dealerText = parser.isSet(QStringLiteral("chinese-sample"))
                                ? tavrik::radiosim::DealerText::Chinese
                                : tavrik::radiosim::DealerText::Ascii;
    std::vector<Memory> memories;
    for (int i = 0; i < series; ++i) {
        Memory m = tavrik::radiosim::DefaultMemory(dealerText);
        // Radios of one batch differ in their serial numbers: ...042, ...043 and so on.
        const QByteArray serial =
            QByteArray("20251103") + QByteArray::number(42 + i).rightJustified(8, '0');
        std::copy(serial.begin(), serial.end(), m.begin() + 0x20);
        if (!memoryBase.isEmpty()) {
            const QString path = memoryPath(memoryBase, i, series);
            QString error;
            if (QFileInfo::exists(path)) {
                if (!tavrik::radiosim::LoadMemory(path, m, &error)) {
                    std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(error));
                    return 1;
                }
            } else if (!tavrik::radiosim::SaveMemory(path, m)) {
                std::fprintf(stderr, "%s: cannot be written\n", qPrintable(path));
                return 1;
            }
        }
        memories.push_back(m);
    }

    QFile logFile;
    if (parser.isSet(QStringLiteral("log"))) {
        logFile.setFileName(parser.value(QStringLiteral("log")));
        if (!logFile.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(logFile.fileName()),
                         qPrintable(logFile.errorString()));
            return 1;
        }
    } else {
        (void)logFile.open(stderr, QIODevice::WriteOnly | QIODevice::Text);
    }
    QTextStream log(&logFile);

    RadioSim sim(std::move(memories), options);
    QElapsedTimer uptime;
    uptime.start();
    int requests = 0;
    sim.setRequestObserver([&](int radio, const QString& text) {
        log << QStringLiteral("%1 ms").arg(uptime.elapsed(), 8);
        if (series > 1) {
            log << " radio " << (radio + 1);
        }
        log << ": " << text << Qt::endl;
        if (!text.startsWith(QLatin1Char('(')) && vanishAfter >= 0 && ++requests > vanishAfter) {
            log << "(the device vanishes)" << Qt::endl;
            QCoreApplication::quit();
        }
    });
    sim.setEndObserver([&sim, &log, &memoryBase, series](int radio) {
        if (memoryBase.isEmpty()) {
            return;
        }
        const QString path = memoryPath(memoryBase, radio, series);
        if (!tavrik::radiosim::SaveMemory(path, sim.memory(radio))) {
            log << path << ": cannot be written" << Qt::endl;
        }
    });

    if (::pipe(g_signalPipe) != 0) {
        std::perror("pipe");
        return 1;
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app,
                     [] { QCoreApplication::quit(); });

    PtyServer server(sim, log, options.echo);
    QString error;
    if (!server.open(&error)) {
        std::fprintf(stderr, "pseudo-terminal: %s\n", qPrintable(error));
        return 1;
    }

    const QString linkPath = parser.value(QStringLiteral("link"));
    if (!linkPath.isEmpty()) {
        const QFileInfo existing(linkPath);
        if (existing.isSymLink()) {
            QFile::remove(linkPath);
        } else if (existing.exists()) {
            std::fprintf(stderr, "%s exists and is not a symbolic link\n", qPrintable(linkPath));
            return 1;
        }
        if (!QFile::link(server.device(), linkPath)) {
            std::fprintf(stderr, "%s: cannot place the link\n", qPrintable(linkPath));
            return 1;
        }
    }

    std::printf("%s\n", qPrintable(server.device()));
    std::fflush(stdout);

    const int result = QCoreApplication::exec();

    if (!linkPath.isEmpty() && QFileInfo(linkPath).symLinkTarget() == server.device()) {
        QFile::remove(linkPath);
    }
    return result;
}
