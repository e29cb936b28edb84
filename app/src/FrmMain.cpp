#include "app/FrmMain.h"

#include "app/FieldRules.h"
#include "platform/MessageBoxes.h"
#include "platform/SerialPort.h"
#include "platform/SystemCalendar.h"
#include "platform/SystemLocale.h"
#include "platform/Timer.h"
#include "settings/ModVersion.h"
#include "settings/RadioSettings.h"
#include "settings/SettingsFields.h"
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

#include <algorithm>

namespace tavrik::app {
namespace {

// The members of the control arrays that mean one thing each.
constexpr std::size_t kModelList = 0;   // Combo1: the model, shown only
constexpr std::size_t kBandList = 1;    // Combo1: the band to be written
constexpr std::size_t kRadioCount = 0;  // Text2: radios a multi-write is to write
constexpr std::size_t kRadioNumber = 1; // Text2: the radio a multi-write is at

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
    : ui::FrmMainForm(parent), m_services(services), m_combo2List(*Combo2),
      m_modelList(*Combo1[kModelList]), m_data(services.codePage, services.calendar),
      m_ports(services.osVersion, services.portMap, services.ini, services.messages, m_combo2List),
      m_comm(services.port, services.waitTimer, services.wakeTimer, services.messages,
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

    for (const SettingsField& field : kSettingsFields) {
        const int index = field.text1;
        QWidget* box = Text1[static_cast<std::size_t>(index)];
        box->installEventFilter(this);
        auto& limit = m_fieldLimit[static_cast<std::size_t>(index)];
        // A box holds what the radio stores for its field, counted in bytes; the box's own
        // limit counts characters, and would cut a paste before it is cleaned (four Chinese
        // characters ahead of "ABCD" would fill the password). A version keeps its box's.
        limit = field.bytes.length;
        if (QLineEdit* edit = Text1Line(index)) {
            if (field.encoding == FieldEncoding::VersionBytes) {
                limit = edit->maxLength();
            }
            edit->setMaxLength(kNoBoxLimit);
            connect(edit, &QLineEdit::textEdited, this, [this, index] { cleanEditedText(index); });
            // Typed characters pass the key filter; an input method would bypass it.
            edit->setAttribute(Qt::WA_InputMethodEnabled, !IsFilteredField(index));
        } else {
            connect(Text1Multi(), &QPlainTextEdit::textChanged, this,
                    [this, index] { cleanEditedText(index); });
        }
    }
    // A drop-down changes by the wheel only while it has the focus, and the wheel
    // does not give it the focus: scrolling over the window changes no port or band.
    for (QComboBox* list : {Combo1[kModelList], Combo1[kBandList], Combo2}) {
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
    const auto field = std::find_if(kSettingsFields.begin(), kSettingsFields.end(),
                                    [index](const SettingsField& f) { return f.text1 == index; });
    const auto size = [&](const QString& character) {
        return StoredSize(*field, character, m_services.codePage);
    };
    const qsizetype limit = m_fieldLimit[static_cast<std::size_t>(index)];
    if (QLineEdit* edit = Text1Line(index)) {
        const QString text = edit->text();
        const EditedText cleaned =
            CleanEditedText1(index, text, edit->cursorPosition(), limit, size);
        if (cleaned.text != text) {
            edit->setText(cleaned.text);
            edit->setCursorPosition(cleaned.caret);
        }
        return;
    }
    QPlainTextEdit* description = Text1Multi();
    const QString text = description->toPlainText();
    const EditedText cleaned =
        CleanEditedText1(index, text, description->textCursor().position(), limit, size);
    if (cleaned.text != text) {
        description->setPlainText(cleaned.text);
        QTextCursor caret = description->textCursor();
        caret.setPosition(cleaned.caret);
        description->setTextCursor(caret);
    }
}

// ---- Start-up and shutdown ----------------------------------------------------

void FrmMain::Form_Load() {
    m_data.LoadDefaults();
    m_ports.CheckOsVersion();
    Label6->setText(QString());
    // Reads the remembered port, builds the port list, selects and stores the port.
    m_ports.StartUp();
    Combo1[kBandList]->clear();
    Combo1[kBandList]->addItems(BandList());
    Combo1[kBandList]->setCurrentIndex(0);
    Combo1[kModelList]->setEnabled(false);
    ApplyLanguage(m_services.locale.systemDefaultLcid());
    ShowByData();
    if (!m_ports.FixedPortList()) {
        m_services.refreshTimer.setEnabled(true);
    }
    Combo1[kBandList]->setFocus();
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

void FrmMain::ShowStartMulWrite(bool multiWrite) {
    Command1->setEnabled(!multiWrite);
    Command2->setEnabled(!multiWrite);
    if (!multiWrite) {
        Text2[kRadioNumber]->setText(QString());
        Label6->setText(QString());
    }
    Command4->setText(ui::MulWriteButtonCaption(LanguageFlag(), multiWrite));
}

void FrmMain::Command4_Click() {
    if (m_comm.StepRunning()) {
        return;
    }
    std::optional<qint32> total;
    if (m_comm.state().opKind != OpKind::MulWrite) {
        // A count that is not a whole number starts nothing; the operator corrects it.
        total = ParseRadioCount(Text2[kRadioCount]->text());
        if (!total) {
            Text2[kRadioCount]->setFocus(Qt::OtherFocusReason);
            Text2[kRadioCount]->selectAll();
            return;
        }
    }
    // The link stops the run under way, or counts from radio 1, shows it and the status
    // line, and sends the handshake.
    (void)m_comm.MulWriteButton(total.value_or(0));
}

void FrmMain::setMulWriteStatus(const QString& text) {
    Label6->setText(text);
}

void FrmMain::setMulWriteNumber(const QString& text) {
    Text2[kRadioNumber]->setText(text);
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
    if (index == kMaintainedDateBox && Text1Text(index).isEmpty()) {
        const platform::SystemCalendar& calendar = m_services.calendar;
        SetText1Text(index, calendar.shortDate(calendar.today()));
    }
    if (QLineEdit* edit = Text1Line(index)) {
        edit->selectAll();
    } else if (Text1[static_cast<std::size_t>(index)] == Text1Multi()) {
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
    Combo1[kModelList]->setCurrentIndex(
        Combo1[kModelList]->findText(PickListEntry(m_modelList, ModelDisplayName(s.ModelName))));
    // A band the list does not hold shows no selection; the record keeps the value.
    Combo1[kBandList]->setCurrentIndex(validBand(s.BandIndex) ? s.BandIndex : -1);
    for (const SettingsField& field : kSettingsFields) {
        SetText1Text(field.text1, FieldText(s, field));
    }
}

void FrmMain::GetDataByShow() {
    RadioSettings& s = m_data.settings();
    s.FactoryMode = Check1->isChecked() ? 1 : 0;
    s.StunEnabled = Check2->isChecked() ? 1 : 0;
    s.KillEnabled = Check3->isChecked() ? 1 : 0;
    s.FreqSetEnabled = Check8->isChecked() ? 1 : 0;

    // With no band selected (the radio reported one the list does not hold) the
    // radio's own band is kept: nothing is sent that neither side chose.
    const int shown = Combo1[kBandList]->currentIndex();
    if (shown >= 0 && s.BandIndex != shown) {
        const QString prompt = BandChangePrompt()[static_cast<std::size_t>(LanguageFlag())];
        if (m_services.messages.askOkCancel(prompt, platform::MessageIcon::Exclamation)) {
            s.BandIndex = static_cast<qint16>(Combo1[kBandList]->currentIndex());
        } else {
            Combo1[kBandList]->setCurrentIndex(validBand(s.BandIndex) ? s.BandIndex : -1);
        }
    }

    for (const SettingsField& field : kSettingsFields) {
        const QString text = rightTrimmed(Text1Text(field.text1));
        // A version that is not well formed is taken back as the default one.
        SetFieldText(s, field,
                     field.encoding == FieldEncoding::VersionBytes
                         ? NormaliseVersionText(text, QLatin1String(kDefaultVersionText))
                         : text);
    }
}

} // namespace tavrik::app
