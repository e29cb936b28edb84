#include "link/ModComm.h"

#include "link/Diagnosis.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "settings/ImageLayout.h"
#include "settings/ModData.h"

// The link's shell, continued: the endings of an operation (what each leaves behind and
// the box it shows), and a multi-write's way from one radio to the next.

namespace tavrik {

namespace {

QString pick(Language language, const QString& english, const QString& chinese) {
    return language == Language::Chinese ? chinese : english;
}

} // namespace

// ---- Endings ----

void ModComm::ReadDone() {
    m_state.opKind = OpKind::Idle;
    m_waitTimer.setEnabled(false);
    m_state.BlockAddr = steps::kCursorStart;
    CloseCommPort();
    m_data.ParseImage();
    m_window.ShowByData();
    m_messages.inform(QStringLiteral("Read Complete!"), platform::MessageIcon::None);
}

void ModComm::WriteDone() {
    const OpKind kind = m_state.opKind;
    m_state.opKind = OpKind::Idle;
    m_state.BlockAddr = steps::kCursorStart;
    if (kind != OpKind::MulWrite) {
        CloseCommPort();
    }
    m_data.NextSerialNumber();
    m_window.ShowByData();
    if (kind != OpKind::MulWrite) {
        m_messages.inform(QStringLiteral("Write Complete!"), platform::MessageIcon::None);
        return;
    }
    m_state.opKind = OpKind::MulWrite;
    m_lastWritten = m_data.image().bytes(layout::kFirstBlock, layout::kImageSize);
    ++m_state.MulWriteNo;
    m_window.setMulWriteNumber(QString::number(m_state.MulWriteNo));
    if (m_state.MulWriteTotal < m_state.MulWriteNo) {
        m_window.setMulWriteStatus(QString());
        CloseCommPort();
        (void)m_window.ShowStartMulWrite();
        m_state.opKind = OpKind::Idle;
        m_messages.inform(QStringLiteral("MulWrite Complete!"), platform::MessageIcon::None);
        return;
    }
    m_record.radioNumber = m_state.MulWriteNo;
    waitForNextRadio(QStringLiteral("Waitting next..."), QStringLiteral("请换下一台机器..."));
}

// Polls for the next radio of a multi-write, with `english` or `chinese` on the status line.
void ModComm::waitForNextRadio(const QString& english, const QString& chinese) {
    m_state.WriteStep = Step::Handshake;
    m_state.WaitNextCount = 0;
    m_record.startRadio();
    m_record.waitingForNextRadio = true;
    perform(steps::Start(m_state, OpKind::MulWrite));
    m_window.setMulWriteStatus(pick(m_window.language(), english, chinese));
}

void ModComm::ModelError() {
    CloseCommPort();
    const Language language = m_window.language();
    m_messages.inform(
        pick(language, QStringLiteral("Model Type Error!"), QStringLiteral("机型错误!")),
        platform::MessageIcon::None,
        ExplainModelError(m_record,
                          m_data.image().bytes(layout::kFirstBlock, layout::kModelWord.length),
                          language));
}

void ModComm::CommunicationError() {
    stopWaiting();
    CloseCommPort();
    const OpKind kind = m_state.opKind;
    if (kind != OpKind::Idle) {
        m_messages.inform(QStringLiteral("Communication Error!"), platform::MessageIcon::None,
                          ExplainLineFailure(m_record, m_window.language()));
    }
    if (kind == OpKind::MulWrite) {
        (void)m_window.ShowStartMulWrite();
    }
    m_state.opKind = OpKind::Idle;
}

// True when the blocks just read from the radio on the cable are the ones last written
// in this run, the bytes sent back as held (its own identity) included.
bool ModComm::isTheRadioJustWritten() const {
    if (m_lastWritten.isEmpty()) {
        return false;
    }
    for (const qint32 block : {layout::kFirstBlock, layout::kSecondBlock, layout::kLastBlock}) {
        if (m_data.image().bytes(block, layout::kBlockSize) !=
            m_lastWritten.mid(layout::offsetOf(block), layout::kBlockSize)) {
            return false;
        }
    }
    return true;
}

} // namespace tavrik
