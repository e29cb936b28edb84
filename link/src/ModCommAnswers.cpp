#include "link/ModComm.h"

#include "link/Frames.h"
#include "platform/SerialPort.h"
#include "platform/Timer.h"
#include "settings/ImageLayout.h"
#include "settings/ModData.h"

#include <utility>

// The link's shell, continued: what it does with an answer. It takes it (storing what it
// carries and making the step), keeps it in doubt until the next request's own answer
// is taken, takes it back on evidence against it, or sends its request again after a
// rejection or an answer that cannot be trusted.

namespace tavrik {

// The radio refused the request in hand: it is sent again; a radio that keeps refusing
// ends the operation as a missing answer does.
void ModComm::reject() {
    m_waitTimer.setEnabled(false);
    m_record.radioAnswered = m_record.radioAnswered || !m_record.waitingForNextRadio;
    if (m_tries >= kMaxTries) {
        m_record.refusedTooOften = true;
        CommunicationError();
        return;
    }
    perform(steps::Rejected(m_state));
}

// What an answer changes, so that it can be taken back while it is in doubt.
ModComm::Undo ModComm::snapshot() const {
    Undo u{m_state,
           m_data.image().bytes(layout::kFirstBlock, layout::kImageSize),
           m_data.settings().BandIndex,
           m_record,
           m_matcher.request(),
           m_matcher.answerLength(),
           m_tries};
    u.record.exchanges.clear();
    return u;
}

// Evidence came back against the answer in doubt, after the step it led to: the
// answer is taken back and its request sent again, as for a rejection.
void ModComm::rollBack() {
    Undo u = std::move(*m_undo);
    m_undo.reset();
    m_suspect = false;
    m_state = u.state;
    m_data.image().setBytes(layout::kFirstBlock, u.image);
    m_data.settings().BandIndex = u.band;
    std::deque<LineRecord::Exchange> exchanges = std::move(m_record.exchanges);
    m_record = std::move(u.record);
    m_record.exchanges = std::move(exchanges);
    m_record.answerNotUnderstood = true;
    m_tries = u.tries;
    m_matcher.expect(u.request, u.answerLength);
    sendAgain();
}

// The answer in hand could not be trusted: sent again, as a rejected request is, within
// the same bound; or, while the answer before is still in doubt, it may have been the
// late answer to the request before, which is sent again instead.
void ModComm::notTrusted() {
    m_record.answerNotUnderstood = true;
    if (m_undo) {
        rollBack();
        return;
    }
    sendAgain();
}

void ModComm::sendAgain() {
    if (m_tries >= kMaxTries) {
        m_record.answerNotUnderstood = true;
        CommunicationError();
        return;
    }
    waitForQuietThenSendAgain();
}

// What is still arriving is let pass first (the answers to a request sent since, which
// a radio gives some milliseconds after it), so that the request sent again does not
// meet it on the line; the time-out bounds the wait.
void ModComm::waitForQuietThenSendAgain() {
    m_port.setReceiveThreshold(1);
    m_quiet = Quiet::BeforeSendingAgain;
    m_quietTicks = 0;
    m_quietTimer.setEnabled(true);
    m_waitTimer.setEnabled(true);
}

// What to do with what has come back for the request in hand.
void ModComm::act(Reply reply) {
    switch (reply) {
    case Reply::None:
        // No answer yet: look again at every byte that follows; the time-out decides.
        m_port.setReceiveThreshold(1);
        break;
    case Reply::Untrusted:
        notTrusted();
        break;
    case Reply::Reject:
        reject();
        break;
    case Reply::Handshake:
    case Reply::Ack:
    case Reply::Read:
        // What some answers lead to cannot be taken back: the end request (the radio
        // leaves programming when it takes it), an ending, or the window's fields and the
        // band question. Those answers are taken only once a few characters' time has
        // passed without another byte.
        if (cannotBeTakenBack()) {
            m_waitTimer.setEnabled(false);
            m_port.setReceiveThreshold(1);
            m_quiet = Quiet::BeforeTaking;
            m_quietTimer.setEnabled(true);
            return;
        }
        m_undo = snapshot();
        accept(reply);
        break;
    }
}

// True when the request awaited is the end request, or the last block of a Read or of a
// write (the end request follows), or the last read before a write's blocks (the window's
// fields follow).
bool ModComm::cannotBeTakenBack() const {
    const QByteArray& request = m_matcher.request();
    return request == frames::EndRequest() ||
           (frames::AddressOf(request) == layout::kLastBlock &&
            (frames::IsDataFrame(request) || frames::IsReadRequest(request)));
}

// A good answer: note it, store what it carries, and make the step.
void ModComm::accept(Reply reply) {
    m_waitTimer.setEnabled(false);
    m_record.radioAnswered = m_record.radioAnswered || !m_record.waitingForNextRadio;
    if (reply == Reply::Ack) {
        if (frames::IsDataFrame(m_matcher.request())) {
            ++m_record.blocksAccepted;
        } else {
            m_record.endAcknowledged = true;
        }
    }
    if (reply == Reply::Read) {
        if (steps::StoresAtFirstBlock(m_state)) {
            StoreBlockAt(m_matcher.frame(), layout::kFirstBlock, layout::kBlockSize);
        } else {
            StoreReadReply(m_matcher.frame());
        }
    }
    perform(steps::Next(m_state, {m_data.IsExpectedModel(), isTheRadioJustWritten()}));
    if (m_suspect) {
        rollBack();
    }
}

void ModComm::StoreReadReply(const QByteArray& frame) {
    const qint32 address = frames::AddressOf(frame);
    if (address >= layout::kFirstBlock && address <= layout::kLastBlock) {
        m_data.image().setBytes(address, frame.mid(4, layout::kBlockSize));
    }
}

void ModComm::StoreBlockAt(const QByteArray& frame, qint32 address, qint32 count) {
    if (address >= layout::kFirstBlock && address <= layout::kLastBlock) {
        m_data.image().setBytes(address, frame.mid(4, std::clamp(count, 0, layout::kBlockSize)));
    }
    if (address == layout::kFirstBlock) {
        m_data.settings().BandIndex = m_data.image().at(layout::kBand.address);
    }
}

} // namespace tavrik
