#include "link/LinkMachine.h"

#include "link/Frames.h"
#include "settings/ImageLayout.h"
#include "settings/ModData.h"

#include <algorithm>
#include <utility>

namespace tavrik {

namespace {

using Kind = LinkCommand::Kind;
using steps::Action;
using Time = LinkMachine::Time;

LinkCommand command(Kind kind) {
    LinkCommand c;
    c.kind = kind;
    return c;
}

LinkCommand threshold(int bytes) {
    LinkCommand c = command(Kind::Threshold);
    c.count = bytes;
    return c;
}

LinkCommand wake(Time wait) {
    LinkCommand c = command(Kind::Wake);
    c.wait = std::max(wait, Time(0));
    return c;
}

LinkCommand status(MulWriteStatus s) {
    LinkCommand c = command(Kind::ShowStatus);
    c.status = s;
    return c;
}

LinkCommand inform(Ending ending, const QByteArray& bytes = {}) {
    LinkCommand c = command(Kind::Inform);
    c.ending = ending;
    c.bytes = bytes;
    return c;
}

int answerLength(const Request& request) {
    switch (request.kind) {
    case Request::Kind::Handshake:
        return frames::kHandshakeAnswerLength;
    case Request::Kind::Read:
        return frames::kFrameLength;
    case Request::Kind::BlockWrite:
    case Request::Kind::End:
        break;
    }
    return frames::kSingleAnswerLength;
}

// True when what `action` leads to can be taken back: a read or a block write, which the
// radio may be sent again without harm.
bool canBeTakenBack(const Action& action) {
    return action.kind == Action::Kind::Send && !action.takeFields &&
           (action.request.kind == Request::Kind::Read ||
            action.request.kind == Request::Kind::BlockWrite);
}

QByteArray block(const QByteArray& image, int address) {
    return image.mid(layout::offsetOf(address), layout::kBlockSize);
}

} // namespace

// ---- Events ----

LinkMachine::Commands LinkMachine::start(const Begin& begin, Time now) {
    Commands out;
    m_core = Core{};
    m_core.record.kind = begin.kind;
    m_core.record.portNumber = begin.portNumber;
    m_core.record.device = begin.device;
    m_core.record.startedAt = begin.startedAt;
    m_recordStart = now;
    m_maxDelay = Time(0);
    m_writeImage.clear();
    m_lastWrittenSerial.clear();
    m_phase = Awaiting{};
    if (begin.kind == OpKind::MulWrite) {
        m_core.state.MulWriteTotal = begin.total;
        m_core.state.MulWriteNo = 1;
        m_core.record.radioNumber = 1;
        LinkCommand number = command(Kind::ShowNumber);
        number.count = 1;
        out.push_back(number);
        out.push_back(status(MulWriteStatus::Writing));
    }
    carry(steps::Start(m_core.state, begin.kind), now, out);
    return out;
}

LinkMachine::Commands LinkMachine::received(const QByteArray& bytes, Time now, bool atTimeOut) {
    Commands out;
    if (bytes.isEmpty()) {
        return out;
    }
    if (auto* c = std::get_if<Confirming>(&m_phase); c != nullptr && now >= c->until) {
        // The wake is late: the answer was final before these bytes came.
        Confirming done = std::move(*c);
        m_phase = Awaiting{};
        out.push_back(command(Kind::StopWake));
        confirmed(std::move(done), now, out);
        if (!running()) {
            return out;
        }
    }
    Awaiting* awaiting = std::get_if<Awaiting>(&m_phase);
    if (awaiting != nullptr) {
        (void)m_matcher.add(bytes);
    }
    m_core.record.noteArrival(bytes, recordMs(now), atTimeOut,
                              awaiting != nullptr && m_matcher.echoAt() >= 0);
    if (awaiting != nullptr) {
        judge(*awaiting, now, out);
    } else if (auto* resending = std::get_if<Resending>(&m_phase)) {
        // Still arriving: the quiet starts again.
        resending->notBefore = std::max(resending->notBefore, now + kResendQuiet);
        out.push_back(wake(resending->notBefore - now));
    } else if (std::holds_alternative<Confirming>(m_phase)) {
        // A byte behind an answer before its deadline: it may have been noise ahead of
        // the radio's own answer.
        m_phase = Awaiting{};
        untrusted(now, out);
    }
    return out;
}

LinkMachine::Commands LinkMachine::timedOut(Time now) {
    Commands out;
    // A tick of a time-out started since (the bytes taken at the tick led to a request).
    if (now - m_timeOutFrom < std::chrono::duration_cast<Time>(kAnswerTimeout) * 9 / 10) {
        return out;
    }
    if (std::holds_alternative<Resending>(m_phase)) {
        // The line never went quiet enough to send again.
        m_core.record.answerNotUnderstood = true;
        communicationError(out);
    } else if (std::holds_alternative<Awaiting>(m_phase)) {
        m_core.record.answerNotUnderstood =
            m_core.record.answerNotUnderstood || m_matcher.garbled();
        m_phase = Awaiting{}; // the answer before stands: this request had none
        if (currentStep() == Step::EndAfterModelError) {
            modelError(out); // what the radio is was known before the end request
            return out;
        }
        carry(steps::TimedOut(m_core.state), now, out);
    }
    return out;
}

LinkMachine::Commands LinkMachine::woke(Time now) {
    Commands out;
    if (auto* c = std::get_if<Confirming>(&m_phase)) {
        if (now < c->until) {
            out.push_back(wake(c->until - now));
            return out;
        }
        Confirming done = std::move(*c);
        m_phase = Awaiting{};
        out.push_back(command(Kind::StopWake));
        confirmed(std::move(done), now, out);
    } else if (auto* r = std::get_if<Resending>(&m_phase)) {
        if (now < r->notBefore) {
            out.push_back(wake(r->notBefore - now));
            return out;
        }
        m_phase = Awaiting{};
        out.push_back(command(Kind::StopWake));
        send(m_core.outstanding.request, m_core.outstanding.tries + 1, now, out);
    }
    return out;
}

LinkMachine::Commands LinkMachine::fieldsTaken(const QByteArray& image, Time now) {
    Commands out;
    auto* taking = std::get_if<TakingFields>(&m_phase);
    if (taking == nullptr) {
        return out;
    }
    Action next = taking->next;
    next.takeFields = false;
    m_writeImage = image;
    m_phase = Awaiting{};
    carry(next, now, out);
    return out;
}

LinkMachine::Commands LinkMachine::portLost(bool refused) {
    Commands out;
    if (!running()) {
        return out;
    }
    if (refused && !m_core.record.exchanges.empty()) {
        LineRecord::Exchange& last = m_core.record.exchanges.back();
        last.sent = false;
        if (last.request.kind == Request::Kind::BlockWrite) {
            --m_core.record.blockWritesSent;
        }
    }
    m_core.record.portLost = true;
    communicationError(out);
    return out;
}

LinkMachine::Commands LinkMachine::stop() {
    m_phase = Idle{};
    m_core.state.opKind = OpKind::Idle;
    return {command(Kind::StopTimeOut), command(Kind::StopWake), command(Kind::ClosePort)};
}

// ---- Judging what came back ----

void LinkMachine::judge(Awaiting& awaiting, Time now, Commands& out) {
    const Reply reply = m_matcher.judge();
    // The answer before is in doubt until this request's own answer is taken: a byte
    // ahead of this request's echo came right after that answer, and so may, until the
    // radio's own answer could no longer come, a rejection or anything else where this
    // request's answer belongs (a radio slower to answer than the next echo is long puts
    // its late answer there).
    const bool inTime = awaiting.doubt && now < awaiting.doubt->until;
    if (awaiting.doubt && (m_matcher.strayBeforeEcho() ||
                           (inTime && (reply == Reply::Reject || reply == Reply::Untrusted ||
                                       m_matcher.garbled())))) {
        Doubt doubt = std::move(*awaiting.doubt);
        takeBack(std::move(doubt), now, out);
        return;
    }
    switch (reply) {
    case Reply::None:
        if (m_matcher.garbled()) {
            untrusted(now, out);
        } else {
            out.push_back(threshold(1)); // look again at every byte that follows
        }
        break;
    case Reply::Untrusted:
        untrusted(now, out);
        break;
    case Reply::Reject:
        rejected(now, out);
        break;
    case Reply::Handshake:
    case Reply::Ack:
    case Reply::Read:
        good(reply, now, out);
        break;
    }
}

void LinkMachine::good(Reply reply, Time now, Commands& out) {
    if (reply == Reply::Handshake || reply == Reply::Read) {
        learnPace(now);
    }
    Core taken = m_core;
    const Action next = take(taken, reply);
    const bool modelErrorEnd = currentStep() == Step::EndAfterModelError;
    if (reply == Reply::Handshake || modelErrorEnd) {
        // The handshake answer is unmistakable, and after a model mismatch the ending
        // is the same whatever the end request's answer was.
        adopt(std::move(taken));
        m_phase = Awaiting{};
        carry(next, now, out);
        return;
    }
    if (!canBeTakenBack(next)) {
        confirm(reply, std::move(taken), next, now, out);
        return;
    }
    Core before = m_core;
    before.record.exchanges.clear();
    const Time until = deadline(m_core.outstanding);
    adopt(std::move(taken));
    m_phase = Awaiting{Doubt{std::move(before), until}};
    carry(next, now, out);
}

void LinkMachine::rejected(Time now, Commands& out) {
    LineRecord& r = m_core.record;
    r.radioAnswered = r.radioAnswered || !r.waitingForNextRadio;
    if (currentStep() == Step::EndAfterModelError) {
        m_phase = Awaiting{};
        modelError(out);
        return;
    }
    if (m_core.outstanding.request.kind == Request::Kind::End) {
        // A radio that took the end request has left programming: it is sent again only
        // once the rejection is sure to be the radio's.
        Action again;
        again.kind = Action::Kind::SendAgain;
        confirm(Reply::Reject, m_core, again, now, out);
        return;
    }
    if (m_core.outstanding.tries >= kMaxTries) {
        r.refusedTooOften = true;
        communicationError(out);
        return;
    }
    sendAgain(now, out);
}

void LinkMachine::untrusted(Time now, Commands& out) {
    LineRecord& r = m_core.record;
    r.answerNotUnderstood = true;
    if (currentStep() == Step::EndAfterModelError) {
        modelError(out);
        return;
    }
    if (m_core.outstanding.request.kind == Request::Kind::End) {
        // It may have been the radio's acknowledge: the end request is not sent again.
        r.endAnswerNotUnderstood = true;
        communicationError(out);
        return;
    }
    if (m_core.outstanding.tries >= kMaxTries) {
        communicationError(out);
        return;
    }
    sendAgain(now, out);
}

// Evidence came back against the answer in doubt: it is taken back, with the step it led
// to, and its request is sent again.
void LinkMachine::takeBack(Doubt doubt, Time now, Commands& out) {
    auto exchanges = std::move(m_core.record.exchanges);
    m_core = std::move(doubt.before);
    m_core.record.exchanges = std::move(exchanges);
    m_core.record.answerNotUnderstood = true;
    m_phase = Awaiting{};
    if (m_core.outstanding.tries >= kMaxTries) {
        communicationError(out);
        return;
    }
    sendAgain(now, out);
}

void LinkMachine::confirm(Reply reply, Core taken, const Action& next, Time now, Commands& out) {
    const Time until = std::max(deadline(m_core.outstanding), now + Time(kConfirmSlack));
    m_phase = Confirming{reply, std::move(taken), next, until};
    out.push_back(command(Kind::StopTimeOut));
    out.push_back(threshold(1));
    out.push_back(wake(until - now));
}

void LinkMachine::confirmed(Confirming c, Time now, Commands& out) {
    if (c.reply == Reply::Reject) {
        if (m_core.outstanding.tries >= kMaxTries) {
            m_core.record.refusedTooOften = true;
            communicationError(out);
            return;
        }
        send(m_core.outstanding.request, m_core.outstanding.tries + 1, now, out);
        return;
    }
    adopt(std::move(c.taken));
    carry(c.next, now, out);
}

// The request outstanding is sent again once the line has been quiet for kResendQuiet
// and the answer to the last request sent could no longer arrive, so that what is still
// coming does not meet it on the line. The time-out bounds the wait.
void LinkMachine::sendAgain(Time now, Commands& out) {
    const Time notBefore = std::max(deadline(m_lastSent), now + kResendQuiet);
    m_phase = Resending{notBefore};
    m_timeOutFrom = now;
    out.push_back(command(Kind::StartTimeOut));
    out.push_back(threshold(1));
    out.push_back(wake(notBefore - now));
}

// Takes a good answer into `core`: what it carries, what the record notes, and the step.
Action LinkMachine::take(Core& core, Reply reply) const {
    LineRecord& r = core.record;
    r.radioAnswered = r.radioAnswered || !r.waitingForNextRadio;
    const Request& request = core.outstanding.request;
    if (reply == Reply::Ack) {
        if (request.kind == Request::Kind::BlockWrite) {
            ++r.blocksAccepted;
        } else {
            r.endAcknowledged = true;
        }
    }
    if (reply == Reply::Read) {
        const int offset = layout::offsetOf(request.address);
        core.image.replace(offset, layout::kBlockSize,
                           m_matcher.frame().mid(4, layout::kBlockSize));
        if (std::find(core.blocksRead.begin(), core.blocksRead.end(), request.address) ==
            core.blocksRead.end()) {
            core.blocksRead.push_back(request.address);
        }
    }
    steps::Facts facts;
    facts.expectedModel = IsModelWord(core.image.left(layout::kModelWord.length));
    facts.radioJustWritten =
        !m_lastWrittenSerial.isEmpty() &&
        block(core.image, layout::kSerialNumber.address) == m_lastWrittenSerial;
    return steps::Next(core.state, facts);
}

// Carries out what the step tables ask for.
void LinkMachine::carry(const Action& action, Time now, Commands& out) {
    LineRecord& r = m_core.record;
    if (action.newRadio && r.waitingForNextRadio) {
        r.startRadio();
        r.waitingForNextRadio = false;
        r.radioAnswered = true;
        m_core.blocksRead.clear();
    }
    switch (action.kind) {
    case Action::Kind::Send:
        if (action.takeFields) {
            m_phase = TakingFields{action};
            LinkCommand take = command(Kind::TakeFields);
            take.bytes = m_core.image;
            take.blocks = m_core.blocksRead;
            // A Write asks about the radio's own band; a multi-write about the band the
            // record holds, so that the question comes at most once a run.
            take.on = m_core.state.opKind == OpKind::Write;
            out.push_back(take);
            return;
        }
        send(action.request, 1, now, out);
        break;
    case Action::Kind::SendAgain:
        sendAgain(now, out);
        break;
    case Action::Kind::ReadDone:
        readDone(out);
        break;
    case Action::Kind::WriteDone:
        writeDone(now, out);
        break;
    case Action::Kind::ModelError:
        modelError(out);
        break;
    case Action::Kind::CommunicationError:
        communicationError(out);
        break;
    case Action::Kind::WaitForNextRadio:
        waitForNextRadio(MulWriteStatus::SameRadio, now, out);
        break;
    case Action::Kind::None:
        break;
    }
}

void LinkMachine::send(const Request& request, int tries, Time now, Commands& out) {
    QByteArray bytes;
    switch (request.kind) {
    case Request::Kind::Handshake:
        bytes = frames::HandshakeRequest();
        break;
    case Request::Kind::Read:
        bytes = frames::ReadRequest(request.address, layout::kBlockSize);
        break;
    case Request::Kind::BlockWrite:
        bytes = frames::DataFrame(request.address, block(m_writeImage, request.address));
        break;
    case Request::Kind::End:
        bytes = frames::EndRequest();
        break;
    }
    m_core.outstanding = Sent{request, bytes, now, tries};
    m_lastSent = m_core.outstanding;
    m_matcher.expect(request, bytes);
    m_core.record.noteSent(request, bytes, recordMs(now), true);
    m_timeOutFrom = now;
    if (!std::holds_alternative<Awaiting>(m_phase)) {
        m_phase = Awaiting{};
    }
    LinkCommand c = command(Kind::Send);
    c.bytes = bytes;
    c.count = static_cast<int>(bytes.size()) + answerLength(request);
    out.push_back(c);
}

void LinkMachine::adopt(Core core) {
    auto exchanges = std::move(m_core.record.exchanges);
    m_core = std::move(core);
    m_core.record.exchanges = std::move(exchanges);
}

// When the radio's own answer to `sent` could no longer begin to arrive: its echo and the
// answer's first character take their time, the radio may take twice the longest delay
// seen, and kConfirmSlack more; never past the time-out. An answer made up by something
// else and taken before then meets the radio's own.
Time LinkMachine::deadline(const Sent& sent) const {
    const Time expected = sent.at + kCharTime * static_cast<int>(sent.bytes.size() + 1);
    return std::min(expected + 2 * m_maxDelay + Time(kConfirmSlack),
                    sent.at + std::chrono::duration_cast<Time>(kAnswerTimeout));
}

// The delay of an answer whose content proves it the radio's: what its arrival took
// beyond the characters of the echo and the answer. Bytes ahead of the echo held the
// line and would count as the radio's delay: such an answer teaches nothing.
void LinkMachine::learnPace(Time now) {
    if (m_matcher.echoAt() != 0) {
        return;
    }
    const Sent& s = m_core.outstanding;
    const Time expected =
        s.at + kCharTime * static_cast<int>(s.bytes.size() + answerLength(s.request));
    m_maxDelay = std::max(m_maxDelay, now - expected);
}

// ---- Endings ----

void LinkMachine::readDone(Commands& out) {
    m_core.state.opKind = OpKind::Idle;
    m_core.state.BlockAddr = steps::kCursorStart;
    m_phase = Idle{};
    out.push_back(command(Kind::StopTimeOut));
    out.push_back(command(Kind::ClosePort));
    LinkCommand show = command(Kind::ShowImage);
    show.bytes = m_core.image;
    out.push_back(show);
    out.push_back(inform(Ending::ReadComplete));
}

void LinkMachine::writeDone(Time now, Commands& out) {
    LinkState& s = m_core.state;
    s.BlockAddr = steps::kCursorStart;
    out.push_back(command(Kind::StopTimeOut));
    if (s.opKind != OpKind::MulWrite) {
        s.opKind = OpKind::Idle;
        m_phase = Idle{};
        out.push_back(command(Kind::ClosePort));
        out.push_back(command(Kind::RadioWritten));
        out.push_back(inform(Ending::WriteComplete));
        return;
    }
    out.push_back(command(Kind::RadioWritten));
    m_lastWrittenSerial = block(m_core.image, layout::kSerialNumber.address);
    ++s.MulWriteNo;
    LinkCommand number = command(Kind::ShowNumber);
    number.count = s.MulWriteNo;
    out.push_back(number);
    if (s.MulWriteTotal < s.MulWriteNo) {
        s.opKind = OpKind::Idle;
        m_phase = Idle{};
        out.push_back(status(MulWriteStatus::Empty));
        out.push_back(command(Kind::ClosePort));
        LinkCommand mode = command(Kind::WindowMode);
        mode.on = false;
        out.push_back(mode);
        out.push_back(inform(Ending::MulWriteComplete));
        return;
    }
    m_core.record.radioNumber = s.MulWriteNo;
    waitForNextRadio(MulWriteStatus::WaitingNext, now, out);
}

// Polls for the next radio of a multi-write, with `shown` on the status line.
void LinkMachine::waitForNextRadio(MulWriteStatus shown, Time now, Commands& out) {
    m_core.state.WriteStep = Step::Handshake;
    m_core.state.WaitNextCount = 0;
    m_core.record.startRadio();
    m_core.record.waitingForNextRadio = true;
    m_phase = Awaiting{};
    carry(steps::Start(m_core.state, OpKind::MulWrite), now, out);
    out.push_back(status(shown));
}

void LinkMachine::modelError(Commands& out) {
    m_phase = Idle{};
    out.push_back(command(Kind::StopTimeOut));
    out.push_back(command(Kind::StopWake));
    out.push_back(command(Kind::ClosePort));
    out.push_back(inform(Ending::ModelError, m_core.image.left(layout::kModelWord.length)));
}

void LinkMachine::communicationError(Commands& out) {
    const OpKind kind = m_core.state.opKind;
    m_core.state.opKind = OpKind::Idle;
    m_phase = Idle{};
    out.push_back(command(Kind::StopTimeOut));
    out.push_back(command(Kind::StopWake));
    out.push_back(command(Kind::ClosePort));
    if (kind != OpKind::Idle) {
        out.push_back(inform(Ending::CommunicationError));
    }
    if (kind == OpKind::MulWrite) {
        LinkCommand mode = command(Kind::WindowMode);
        mode.on = false;
        out.push_back(mode);
    }
}

Step LinkMachine::currentStep() const {
    const LinkState& s = m_core.state;
    return s.opKind == OpKind::Read ? s.ReadStep : s.WriteStep;
}

qint64 LinkMachine::recordMs(Time now) const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(now - m_recordStart).count();
}

} // namespace tavrik
