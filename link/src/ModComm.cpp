#include "link/ModComm.h"

#include "Texts.h"
#include "link/Diagnosis.h"
#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "platform/SerialPort.h"
#include "platform/Timer.h"
#include "settings/ImageLayout.h"
#include "settings/ModData.h"

#include <utility>

namespace tavrik {

namespace {

using Kind = LinkCommand::Kind;
using texts::pick;

QString statusText(MulWriteStatus status, Language language) {
    switch (status) {
    case MulWriteStatus::Writing:
        return pick(language, "Writting Data...", "正在写设置数据...");
    case MulWriteStatus::WaitingNext:
        return pick(language, "Waitting next...", "请换下一台机器...");
    case MulWriteStatus::SameRadio:
        return pick(language, "Same radio again. Waitting next...",
                    "此台已写过，请换下一台机器...");
    case MulWriteStatus::Empty:
        break;
    }
    return {};
}

// Marks a step (or an ending) as running for as long as it lives.
class StepGuard {
public:
    explicit StepGuard(bool& flag) : m_flag(flag), m_previous(flag) { m_flag = true; }
    ~StepGuard() { m_flag = m_previous; }
    StepGuard(const StepGuard&) = delete;
    StepGuard& operator=(const StepGuard&) = delete;

private:
    bool& m_flag;
    bool m_previous;
};

} // namespace

ModComm::ModComm(platform::SerialPort& port, platform::Timer& waitTimer, platform::Timer& wakeTimer,
                 platform::MessageBoxes& messages, const platform::Clock& clock, ModData& data,
                 LinkWindow& window, std::function<qint16()> comPort)
    : m_port(port), m_waitTimer(waitTimer), m_wakeTimer(wakeTimer), m_messages(messages),
      m_clock(clock), m_data(data), m_window(window), m_comPort(std::move(comPort)) {
    m_port.setReceiveHandler([this] { MSComm1_OnComm(); });
    m_port.setLostHandler([this] { PortLost(); });
    m_waitTimer.setHandler([this] { WaitTimer_Timer(); });
    m_wakeTimer.setHandler([this] { WakeTimer_Timer(); });
}

ModComm::~ModComm() {
    m_port.setReceiveHandler({});
    m_port.setLostHandler({});
    m_waitTimer.setHandler({});
    m_wakeTimer.setHandler({});
    m_waitTimer.setEnabled(false);
    m_wakeTimer.setEnabled(false);
}

// ---- Handlers ----

// Every entry from outside (a start command, a receive event, a tick, the port's loss)
// runs as one handler: no second one runs inside it, and a port lost or a request
// refused while it ran is told to the machine once it is done.
template <typename Body> void ModComm::runHandler(Body body) {
    {
        StepGuard guard(m_stepRunning);
        body();
    }
    if (m_lineLost) {
        m_lineLost = false;
        StepGuard guard(m_stepRunning);
        carryOut(m_machine.portLost(std::exchange(m_refused, false)));
    }
}

void ModComm::PortLost() {
    m_lineLost = true;
    if (!m_stepRunning) { // else the handler in hand tells the machine when it is done
        runHandler([] {});
    }
}

void ModComm::MSComm1_OnComm() {
    // Inside a step's message box the bytes stay in the port: the next handler gives
    // them to the machine first.
    if (m_stepRunning || !m_port.isOpen()) {
        return;
    }
    runHandler([this] { giveWaiting(false); });
}

void ModComm::WaitTimer_Timer() {
    if (m_stepRunning) {
        return; // a stale tick inside a step: the machine restarts the time-out itself
    }
    runHandler([this] {
        m_waitTimer.setEnabled(false);
        // What came back below the receive threshold raised no receive event: it is
        // judged first, so a whole answer that was only waiting for its notification
        // counts.
        giveWaiting(true);
        carryOut(m_machine.timedOut(now()));
    });
}

void ModComm::WakeTimer_Timer() {
    if (m_stepRunning) {
        return;
    }
    runHandler([this] {
        m_wakeTimer.setEnabled(false);
        giveWaiting(false);
        carryOut(m_machine.woke(now()));
    });
}

void ModComm::giveWaiting(bool atTimeOut) {
    if (!m_port.isOpen()) {
        return;
    }
    const QByteArray waiting = m_port.takeInput();
    if (!waiting.isEmpty()) {
        carryOut(m_machine.received(waiting, now(), atTimeOut));
    }
}

LinkMachine::Time ModComm::now() const {
    return m_clock.steady();
}

// ---- Starting and stopping ----

void ModComm::StartRead() {
    startOperation(OpKind::Read, 0);
}

void ModComm::StartWrite() {
    startOperation(OpKind::Write, 0);
}

// A fresh start whatever runs, since opening the port closes it first. The time-outs of
// an abandoned operation stop before anything else, so that none ticks inside the
// start's own message box.
void ModComm::startOperation(OpKind kind, qint32 total) {
    if (m_stepRunning) {
        return;
    }
    runHandler([&] {
        carryOut(m_machine.stop());
        if (!OpenCommPort()) {
            if (kind == OpKind::MulWrite) {
                m_window.ShowStartMulWrite(false);
            }
            return;
        }
        LinkMachine::Begin begin;
        begin.kind = kind;
        begin.total = total;
        begin.portNumber = m_portNumber;
        begin.device = m_port.device();
        begin.startedAt = m_clock.now();
        carryOut(m_machine.start(begin, now()));
    });
}

bool ModComm::MulWriteButton(qint32 total) {
    if (m_stepRunning) {
        return false;
    }
    if (state().opKind == OpKind::MulWrite) {
        // The request still outstanding leads nowhere: the port is freed now.
        carryOut(m_machine.stop());
        m_window.ShowStartMulWrite(false);
        return false;
    }
    m_window.ShowStartMulWrite(true);
    startOperation(OpKind::MulWrite, total);
    return state().opKind == OpKind::MulWrite;
}

void ModComm::Abandon() {
    carryOut(m_machine.stop());
}

// ---- The port ----

bool ModComm::OpenCommPort() {
    if (m_port.isOpen()) {
        m_port.close();
    }
    const int number = m_comPort ? m_comPort() : 0;
    m_portNumber = number;
    if (!m_port.open(number)) {
        m_messages.inform(QStringLiteral("Cannot Open Communication Port."),
                          platform::MessageIcon::Critical,
                          ExplainOpenFailure(m_port.lastOpenFailure(), number, m_clock.now(),
                                             m_window.language()));
        return false;
    }
    m_lineLost = false;
    m_port.setReceiveThreshold(1);
    return true;
}

void ModComm::CloseCommPort() {
    if (m_port.isOpen()) {
        m_port.close();
    }
}

// ---- Carrying out the machine's commands ----

void ModComm::carryOut(const LinkMachine::Commands& commands) {
    for (const LinkCommand& c : commands) {
        carryOut(c);
    }
}

void ModComm::carryOut(const LinkCommand& c) {
    switch (c.kind) {
    case Kind::Send:
        // What waited in the port went to the machine when this handler began (and after
        // the band question): nothing is thrown away unseen.
        m_port.clearBuffers();
        m_port.setReceiveThreshold(c.count);
        if (!m_port.send(c.bytes)) { // not sent is not sent: the handler ends the operation
            m_lineLost = true;
            m_refused = true;
        }
        m_waitTimer.setEnabled(true);
        break;
    case Kind::Threshold:
        m_port.setReceiveThreshold(c.count);
        break;
    case Kind::StartTimeOut:
        m_waitTimer.setEnabled(true);
        break;
    case Kind::StopTimeOut:
        m_waitTimer.setEnabled(false);
        break;
    case Kind::Wake:
        m_wakeTimer.setInterval(std::chrono::ceil<std::chrono::milliseconds>(c.wait));
        m_wakeTimer.setEnabled(true);
        break;
    case Kind::StopWake:
        m_wakeTimer.setEnabled(false);
        break;
    case Kind::TakeFields: {
        for (const int block : c.blocks) {
            m_data.image().setBytes(block,
                                    c.bytes.mid(layout::offsetOf(block), layout::kBlockSize));
        }
        if (c.on) {
            m_data.settings().BandIndex = m_data.image().at(layout::kBand.address);
        }
        m_window.GetDataByShow();
        m_data.BuildWriteImage();
        // Bytes that came while the band question was open are the machine's first.
        giveWaiting(false);
        carryOut(m_machine.fieldsTaken(
            m_data.image().bytes(layout::kFirstBlock, layout::kImageSize), now()));
        break;
    }
    case Kind::ShowImage:
        m_data.image().setBytes(layout::kFirstBlock, c.bytes);
        m_data.ParseImage();
        m_window.ShowByData();
        break;
    case Kind::RadioWritten:
        m_data.NextSerialNumber();
        m_window.ShowByData();
        break;
    case Kind::ShowNumber:
        m_window.setMulWriteNumber(QString::number(c.count));
        break;
    case Kind::ShowStatus:
        m_window.setMulWriteStatus(statusText(c.status, m_window.language()));
        break;
    case Kind::WindowMode:
        m_window.ShowStartMulWrite(c.on);
        break;
    case Kind::ClosePort:
        CloseCommPort();
        break;
    case Kind::Inform:
        inform(c);
        break;
    }
}

void ModComm::inform(const LinkCommand& c) {
    const Language language = m_window.language();
    switch (c.ending) {
    case Ending::ReadComplete:
        m_messages.inform(QStringLiteral("Read Complete!"), platform::MessageIcon::None);
        break;
    case Ending::WriteComplete:
        m_messages.inform(QStringLiteral("Write Complete!"), platform::MessageIcon::None);
        break;
    case Ending::MulWriteComplete:
        m_messages.inform(QStringLiteral("MulWrite Complete!"), platform::MessageIcon::None);
        break;
    case Ending::ModelError:
        m_messages.inform(pick(language, "Model Type Error!", "机型错误!"),
                          platform::MessageIcon::None,
                          ExplainModelError(record(), c.bytes, language));
        break;
    case Ending::CommunicationError:
        m_messages.inform(QStringLiteral("Communication Error!"), platform::MessageIcon::None,
                          ExplainLineFailure(record(), language));
        break;
    }
}

} // namespace tavrik
