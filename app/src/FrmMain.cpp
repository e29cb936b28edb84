#include "app/FrmMain.h"

#include "app/FieldRules.h"
#include "platform/MessageBoxes.h"
#include "platform/SerialPort.h"
#include "platform/SystemCalendar.h"
#include "platform/SystemLocale.h"
#include "platform/Timer.h"
#include "settings/ModVersion.h"
#include "settings/RadioSettings.h"
#include "ui/Captions.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTextCursor>

namespace tavrik::app {
namespace {

// A QLineEdit's largest character limit: none that matters.
constexpr int kNoBoxLimit = 32767;

// Text with trailing spaces removed; leading spaces stay.
QString rightTrimmed(const QString& text) {
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' ')) {
        --end;
    }
    return text.left(end);
}

// The character code of a typed key, as the key filter sees it; empty for keys
// that type no character (arrows, Delete, function keys).
std::optional<qint16> typedCode(const QKeyEvent& key) {
    if (key.matches(QKeySequence::Copy)) {
        return kKeyCopy;
    }
    if (key.matches(QKeySequence::Paste)) {
        return kKeyPaste;
    }
    if (key.matches(QKeySequence::Cut)) {
        return kKeyCut;
    }
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) {
        return kKeyEnter;
    }
    const QString text = key.text();
    if (text.isEmpty()) {
        return std::nullopt;
    }
    for (const QChar c : text) {
        if (c.unicode() > 127) {
            return kKeyNonAscii;
        }
    }
    return static_cast<qint16>(text.at(0).unicode());
}

bool validBand(qint16 band) {
    return band >= 0 && band < static_cast<qint16>(BandList().size());
}

} // namespace

FrmMain::FrmMain(const FrmMainServices& services, QWidget* parent)
    : ui::FrmMainForm(parent), m_services(services), m_combo2List(*Combo2), m_modelList(*Combo1[0]),
      m_data(services.codePage, services.calendar),
      m_ports(services.osVersion, services.portMap, services.ini, services.messages, m_combo2List),
      m_comm(services.port, services.waitTimer, services.quietTimer, services.messages,
             services.clock, m_data, *this, [this] { return m_ports.ComPort(); }) {
    connectControls();
    Form_Load();
}

FrmMain::~FrmMain() {
    if (!m_unloaded) {
        Form_Unload();
    }
    detachHandlers();
}

void FrmMain::detachHandlers() {
    // The services outlive the window: nothing of theirs may call back into it. The
    // link removes its own handlers (the port's and its timers') when it goes.
    m_services.refreshTimer.setHandler({});
}

void FrmMain::connectControls() {
    m_services.refreshTimer.setHandler([this] { ReShowComPortTimer_Timer(); });

    connect(Command1, &QPushButton::clicked, this, &FrmMain::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &FrmMain::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &FrmMain::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &FrmMain::Command4_Click);
    // Only a pick by the user counts as a click; the program's own selections do not.
    connect(Combo2, &QComboBox::activated, this, &FrmMain::Combo2_Click);
    connect(Combo2, &QComboBox::currentIndexChanged, this, [this](int index) {
        Combo2->setToolTip(index < 0 ? QString()
                                     : Combo2->itemData(index, Qt::ToolTipRole).toString());
    });

    for (int index = 0; index < static_cast<int>(Text1.size()); ++index) {
        QWidget* box = Text1[static_cast<std::size_t>(index)];
        box->installEventFilter(this);
        QLineEdit* edit = Text1Line(index);
        if (edit != nullptr && IsFilteredField(index)) {
            // Typed characters pass the key filter; an input method would bypass it.
            edit->setAttribute(Qt::WA_InputMethodEnabled, false);
            // The box's own limit would cut a paste before it is cleaned (four Chinese
            // characters ahead of "ABCD" would fill the password): the field applies
            // its limit itself, after cleaning.
            m_fieldLimit[static_cast<std::size_t>(index)] = edit->maxLength();
            edit->setMaxLength(kNoBoxLimit);
            connect(edit, &QLineEdit::textEdited, this, [this, index] { cleanEditedText(index); });
        }
    }
    // A drop-down changes by the wheel only while it has the focus, and the wheel
    // does not give it the focus: scrolling over the window changes no port or band.
    for (QComboBox* list : {Combo1[0], Combo1[1], Combo2}) {
        list->setFocusPolicy(Qt::StrongFocus);
        list->installEventFilter(this);
    }

    auto* panelShortcut = new QShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+M")), this);
    connect(panelShortcut, &QShortcut::activated, this, &FrmMain::ToggleMulWritePanel);
}

int FrmMain::text1Index(const QObject* control) const {
    for (std::size_t i = 0; i < Text1.size(); ++i) {
        if (Text1[i] == control) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel) {
        const auto* list = qobject_cast<const QComboBox*>(watched);
        if (list != nullptr && !list->hasFocus()) {
            return true;
        }
    }
    const int index = text1Index(watched);
    if (index < 0) {
        return ui::FrmMainForm::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress) {
        const std::optional<qint16> code = typedCode(*static_cast<QKeyEvent*>(event));
        if (code) {
            qint16 keyAscii = *code;
            Text1_KeyPress(index, keyAscii);
            if (keyAscii == 0) {
                return true; // discarded: the field never sees it
            }
        }
    } else if (event->type() == QEvent::FocusIn) {
        // The focus coming back from the field's own context menu, or with the window's
        // re-activation, is no arrival: the caret stays where the operator left it, so a
        // Paste inserts there and the next key wipes nothing.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
            reason == Qt::MouseFocusReason || reason == Qt::OtherFocusReason) {
            Text1_GotFocus(index);
        }
    }
    return ui::FrmMainForm::eventFilter(watched, event);
}

void FrmMain::cleanEditedText(int index) {
    QLineEdit* edit = Text1Line(index);
    const QString text = edit->text();
    const EditedText cleaned = CleanEditedText1(index, text, edit->cursorPosition(),
                                                m_fieldLimit[static_cast<std::size_t>(index)]);
    if (cleaned.text == text) {
        return;
    }
    edit->setText(cleaned.text);
    edit->setCursorPosition(cleaned.caret);
}

// ---- Start-up and shutdown ----------------------------------------------------

void FrmMain::Form_Load() {
    LinkState& link = m_comm.state();
    link.MulWriteNo = 0;
    link.opKind = OpKind::Idle;
    m_data.LoadDefaults();
    m_ports.CheckOsVersion();
    Label6->setText(QString());
    // Reads the remembered port, builds the port list, selects and stores the port.
    m_ports.StartUp();
    Combo1[1]->clear();
    Combo1[1]->addItems(BandList());
    Combo1[1]->setCurrentIndex(0);
    Combo1[0]->setEnabled(false);
    ApplyLanguage(m_services.locale.systemDefaultLcid());
    ShowByData();
    if (!m_ports.FixedPortList()) {
        m_services.refreshTimer.setEnabled(true);
    }
    Combo1[1]->setFocus();
}

void FrmMain::Form_Unload() {
    m_unloaded = true;
    m_services.refreshTimer.setEnabled(false);
    // Closing mid-operation: no message, and no time-out may fire afterwards.
    m_comm.Abandon();
}

void FrmMain::closeEvent(QCloseEvent* event) {
    if (!m_unloaded) {
        Form_Unload();
    }
    event->accept();
}

// ---- Commands -------------------------------------------------------------------

// A command that arrives while a step or an ending shows its box waits for nothing:
// it is dropped, so that no operation starts underneath another's message.

void FrmMain::Command1_Click() {
    if (!m_comm.StepRunning()) {
        m_comm.StartRead();
    }
}

void FrmMain::Command2_Click() {
    if (!m_comm.StepRunning()) {
        m_comm.StartWrite();
    }
}

void FrmMain::Command3_Click() {
    close();
}

void FrmMain::Combo2_Click() {
    m_ports.Combo2_Click();
}

void FrmMain::ReShowComPortTimer_Timer() {
    if (!m_unloaded) {
        m_ports.ReShowComPortTimer_Timer();
    }
}

// ---- Multi-write ----------------------------------------------------------------

bool FrmMain::inMulWriteMode() const {
    return m_comm.state().opKind == OpKind::MulWrite || !Command1->isEnabled();
}

bool FrmMain::ShowStartMulWrite() {
    if (m_comm.state().opKind == OpKind::MulWrite) {
        Command1->setEnabled(true);
        Command2->setEnabled(true);
        Text2[1]->setText(QString());
        Label6->setText(QString());
        Command4->setText(ui::MulWriteButtonCaption(LanguageFlag(), false));
        m_comm.state().opKind = OpKind::Idle;
        return true;
    }
    Command1->setEnabled(false);
    Command2->setEnabled(false);
    Command4->setText(ui::MulWriteButtonCaption(LanguageFlag(), true));
    return false;
}

void FrmMain::Command4_Click() {
    if (m_comm.StepRunning()) {
        return;
    }
    std::optional<qint32> total;
    if (m_comm.state().opKind != OpKind::MulWrite) {
        // A count that is not a whole number starts nothing; the operator corrects it.
        total = ParseRadioCount(Text2[0]->text());
        if (!total) {
            Text2[0]->setFocus(Qt::OtherFocusReason);
            Text2[0]->selectAll();
            return;
        }
    }
    if (ShowStartMulWrite()) {
        // Stopped: the request still outstanding leads nowhere, so free the port now.
        m_comm.StopMulWrite();
        return;
    }
    // The link counts from radio 1, shows it and the status line, and sends the handshake.
    if (!m_comm.StartMulWrite(*total)) {
        // "Cannot Open Communication Port." has been shown; back to normal mode.
        (void)ShowStartMulWrite();
    }
}

void FrmMain::setMulWriteStatus(const QString& text) {
    Label6->setText(text);
}

void FrmMain::setMulWriteNumber(const QString& text) {
    Text2[1]->setText(text);
}

void FrmMain::ToggleMulWritePanel() {
    if (!Frame4->isVisible()) {
        setMulWritePanelVisible(true);
        return;
    }
    if (!inMulWriteMode()) {
        setMulWritePanelVisible(false);
    }
}

// ---- Field input rules ---------------------------------------------------------

void FrmMain::Text1_KeyPress(int index, qint16& keyAscii) {
    const KeyFilterResult result = FilterText1Key(index, keyAscii);
    keyAscii = result.code;
    if (result.moveFocus) {
        focusNextField();
    }
}

void FrmMain::Text1_GotFocus(int index) {
    if (index == 3 && Text1Text(3).isEmpty()) {
        const platform::SystemCalendar& calendar = m_services.calendar;
        SetText1Text(3, calendar.shortDate(calendar.today()));
    }
    if (QLineEdit* edit = Text1Line(index)) {
        edit->selectAll();
    } else if (index == 4) {
        Text1Multi()->selectAll();
    }
}

// ---- The window and the settings record ----------------------------------------

void FrmMain::ShowByData() {
    const RadioSettings& s = m_data.settings();
    Check1->setChecked(s.FactoryMode != 0);
    Check2->setChecked(s.StunEnabled != 0);
    Check3->setChecked(s.KillEnabled != 0);
    Check8->setChecked(s.FreqSetEnabled != 0);
    Combo1[0]->setCurrentIndex(
        Combo1[0]->findText(PickListEntry(m_modelList, ModelDisplayName(s.ModelName))));
    // A band the list does not hold shows no selection; the record keeps the value.
    Combo1[1]->setCurrentIndex(validBand(s.BandIndex) ? s.BandIndex : -1);
    SetText1Text(0, s.AreaCode);
    SetText1Text(1, s.SerialNumber.text());
    SetText1Text(2, s.ProductionDate.text());
    SetText1Text(3, s.MaintainedDate.text());
    SetText1Text(4, s.MaintainedDescription.text());
    SetText1Text(5, s.RfFirmwareVersion);
    SetText1Text(13, s.LcdFirmwareVersion);
    SetText1Text(6, s.ManufactureCode.text());
    SetText1Text(7, s.UserCode.text());
    SetText1Text(8, s.DealerCode.text());
    SetText1Text(9, s.StockDate.text());
    SetText1Text(10, s.SellDate.text());
    SetText1Text(11, s.Seller.text());
    SetText1Text(12, s.ProgramPassword.text());
}

void FrmMain::GetDataByShow() {
    RadioSettings& s = m_data.settings();
    s.FactoryMode = Check1->isChecked() ? 1 : 0;
    s.StunEnabled = Check2->isChecked() ? 1 : 0;
    s.KillEnabled = Check3->isChecked() ? 1 : 0;
    s.FreqSetEnabled = Check8->isChecked() ? 1 : 0;

    // With no band selected (the radio reported one the list does not hold) the
    // radio's own band is kept: nothing is sent that neither side chose.
    const int shown = Combo1[1]->currentIndex();
    if (shown >= 0 && s.BandIndex != shown) {
        const QString prompt = BandChangePrompt()[static_cast<std::size_t>(LanguageFlag())];
        if (m_services.messages.askOkCancel(prompt, platform::MessageIcon::Exclamation)) {
            s.BandIndex = static_cast<qint16>(Combo1[1]->currentIndex());
        } else {
            Combo1[1]->setCurrentIndex(validBand(s.BandIndex) ? s.BandIndex : -1);
        }
    }

    s.AreaCode = rightTrimmed(Text1Text(0));
    s.SerialNumber = rightTrimmed(Text1Text(1));
    s.ProductionDate = rightTrimmed(Text1Text(2));
    s.MaintainedDate = rightTrimmed(Text1Text(3));
    s.MaintainedDescription = rightTrimmed(Text1Text(4));
    s.ManufactureCode = rightTrimmed(Text1Text(6));
    s.UserCode = rightTrimmed(Text1Text(7));
    s.DealerCode = rightTrimmed(Text1Text(8));
    s.StockDate = rightTrimmed(Text1Text(9));
    s.SellDate = rightTrimmed(Text1Text(10));
    s.Seller = rightTrimmed(Text1Text(11));
    s.ProgramPassword = rightTrimmed(Text1Text(12));
    const QString fallback = QStringLiteral("V1.00");
    s.RfFirmwareVersion = NormaliseVersionText(rightTrimmed(Text1Text(5)), fallback);
    s.LcdFirmwareVersion = NormaliseVersionText(rightTrimmed(Text1Text(13)), fallback);
}

} // namespace tavrik::app
