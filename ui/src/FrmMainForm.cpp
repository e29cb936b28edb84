#include "ui/FrmMainForm.h"

#include "ui/AppIcon.h"
#include "ui/Captions.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <utility>

namespace tavrik::ui {
namespace {

constexpr char kTwipsProperty[] = "twipsGeometry";

// Client area and the fixed rows of the layout, in twips.
constexpr int kClientWidth = 9630;
constexpr int kClientHeight = 8505;
constexpr int kBoxWidth = 4695;
constexpr int kBoxHeight = 330;
constexpr int kListHeight = 345;
constexpr int kLabelHeight = 225;
constexpr int kLabelDrop = 45; // a field label sits this much lower than its box
constexpr int kFieldLabelGap = 50;
constexpr int kPanelLabelGap = 20;

// Placeholder left edge of a label until ApplyLanguage aligns it to its box.
constexpr int kUnalignedLabelLeft = 120;

void place(QWidget* control, int left, int top, int width, int height) {
    control->setProperty(kTwipsProperty, QRect(left, top, width, height));
    control->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                         TwipsToPixels(height));
}

QString arrayName(const char* name, int index) {
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

enum class BoxKind { Line, Description, List };

// A field box and its label. Labels are named as in the caption table.
struct FieldRow {
    BoxKind kind;
    int index; // Text1(index), or Combo1(index) for a list
    const char* label;
    int left;
    int top;
    int maxLength; // characters a single-line box takes; the window counts bytes
    int height;
};

constexpr std::array<FieldRow, 12> kFrame1Rows{{
    {BoxKind::Line, 0, "Label2", 2040, 1200, 4, kBoxHeight},
    {BoxKind::Line, 6, "Label1_7", 2040, 1560, 8, kBoxHeight},
    {BoxKind::Line, 7, "Label1_8", 2040, 1920, 4, kBoxHeight},
    {BoxKind::List, 0, "Label1_0", 2040, 2280, 0, kListHeight},
    {BoxKind::List, 1, "Label1_1", 2040, 2640, 0, kListHeight},
    {BoxKind::Line, 12, "Label1_13", 2040, 3000, 4, kBoxHeight},
    {BoxKind::Line, 1, "Label1_2", 2040, 3360, 16, kBoxHeight},
    {BoxKind::Line, 2, "Label1_3", 2040, 3720, 16, kBoxHeight},
    {BoxKind::Line, 3, "Label1_4", 2040, 4080, 16, kBoxHeight},
    {BoxKind::Line, 5, "Label1_6", 2040, 4440, 16, kBoxHeight},
    {BoxKind::Line, 13, "Label1_14", 2040, 4800, 16, kBoxHeight},
    {BoxKind::Description, 4, "Label1_5", 2040, 5280, 0, 1005},
}};

constexpr std::array<FieldRow, 4> kFrame2Rows{{
    {BoxKind::Line, 8, "Label1_9", 1920, 240, 16, kBoxHeight},
    {BoxKind::Line, 9, "Label1_10", 1905, 600, 16, kBoxHeight},
    {BoxKind::Line, 10, "Label1_11", 1905, 960, 16, kBoxHeight},
    {BoxKind::Line, 11, "Label1_12", 1905, 1320, 16, kBoxHeight},
}};

} // namespace

int TwipsToPixels(double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

QRect FrmMainForm::twipsGeometry(const QWidget* control) {
    return control->property(kTwipsProperty).toRect();
}

FrmMainForm::FrmMainForm(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(QString::fromLatin1(kAppTitle));
    setWindowIcon(AppIcon());
    // Arial 9 pt for the window and every control; no control has a font of its own.
    QFont font(QStringLiteral("Arial"), 9);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
    // The controls lie on a client of the window's fixed size, which scrolls only where
    // the screen is smaller than the window.
    m_client = new QWidget;
    m_client->setFixedSize(TwipsToPixels(kClientWidth), TwipsToPixels(kClientHeight));
    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setWidget(m_client);
    auto* whole = new QVBoxLayout(this);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->addWidget(m_scroll);
    setFixedSize(m_client->size());
    // A control that takes the focus comes into view, however the focus came.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now != nullptr && m_client->isAncestorOf(now)) {
            m_scroll->ensureWidgetVisible(now);
        }
    });
    // A fixed border: no maximise button; Exit or the close box end the program.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    buildControls();
    applyTabOrder();
}

FrmMainForm::~FrmMainForm() = default;

void FrmMainForm::buildControls() {
    Frame1 = new QGroupBox(m_client);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    place(Frame1, 0, 120, 9615, 8295);

    Frame2 = new QGroupBox(Frame1);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    place(Frame2, 120, 6360, 8535, 1815);

    Frame4 = new QGroupBox(Frame1);
    Frame4->setObjectName(QStringLiteral("Frame4"));
    place(Frame4, 6960, 3480, 1935, 1815);

    auto makeLabel = [](QWidget* container, const QString& name, int top) {
        auto* label = new QLabel(container);
        label->setObjectName(name);
        place(label, kUnalignedLabelLeft, top, 0, kLabelHeight);
        return label;
    };
    auto makeField = [this, &makeLabel](QWidget* container, const FieldRow& row) {
        makeLabel(container, QLatin1String(row.label), row.top + kLabelDrop);
        const auto index = static_cast<std::size_t>(row.index);
        QWidget* box = nullptr;
        switch (row.kind) {
        case BoxKind::Line: {
            auto* edit = new QLineEdit(container);
            edit->setObjectName(arrayName("Text1", row.index));
            edit->setMaxLength(row.maxLength);
            Text1[index] = box = edit;
            break;
        }
        case BoxKind::Description:
            m_description = new QPlainTextEdit(container);
            m_description->setObjectName(arrayName("Text1", row.index));
            m_description->setLineWrapMode(QPlainTextEdit::WidgetWidth);
            m_description->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            m_description->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            m_description->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            // Tab moves on, as in every other box; Enter starts a new line.
            m_description->setTabChangesFocus(true);
            Text1[index] = box = m_description;
            break;
        case BoxKind::List: {
            auto* combo = new QComboBox(container);
            combo->setObjectName(arrayName("Combo1", row.index));
            Combo1[index] = combo;
            box = combo;
            break;
        }
        }
        place(box, row.left, row.top, kBoxWidth, row.height);
    };
    for (const FieldRow& row : kFrame1Rows) {
        makeField(Frame1, row);
    }
    for (const FieldRow& row : kFrame2Rows) {
        makeField(Frame2, row);
    }
    Label2 = findChild<QLabel*>(QStringLiteral("Label2"));
    for (std::size_t i = 0; i < Label1.size(); ++i) {
        Label1[i] = findChild<QLabel*>(arrayName("Label1", static_cast<int>(i)));
    }
    Combo1[0]->addItem(QStringLiteral("TAVRIK"));

    auto makeCheck = [this](const char* name, int left, int top) {
        auto* check = new QCheckBox(Frame1);
        check->setObjectName(QLatin1String(name));
        place(check, left, top, 1095, 255);
        return check;
    };
    Check8 = makeCheck("Check8", 480, 480);
    Check2 = makeCheck("Check2", 2400, 480);
    Check3 = makeCheck("Check3", 4200, 480);
    Check1 = makeCheck("Check1", 7200, 360);

    Label3 = makeLabel(Frame1, QStringLiteral("Label3"), 840);
    place(Label3, 7080, 840, 0, kLabelHeight);
    Combo2 = new QComboBox(Frame1);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    place(Combo2, 7080, 1080, 1455, kListHeight);

    auto makeButton = [](QWidget* container, const char* name, int left, int top, int width) {
        auto* button = new QPushButton(container);
        button->setObjectName(QLatin1String(name));
        button->setAutoDefault(false);
        place(button, left, top, width, 375);
        return button;
    };
    Command1 = makeButton(Frame1, "Command1", 7200, 1680, 1455);
    Command2 = makeButton(Frame1, "Command2", 7200, 2160, 1455);
    Command3 = makeButton(Frame1, "Command3", 7200, 5640, 1455);

    Command4 = makeButton(Frame4, "Command4", 120, 240, 1695);
    Label4 = makeLabel(Frame4, QStringLiteral("Label4"), 720);
    Label5 = makeLabel(Frame4, QStringLiteral("Label5"), 960);
    Label6 = makeLabel(Frame4, QStringLiteral("Label6"), 1320);
    // Two lines: the status may say that the radio on the cable was just written.
    place(Label6, 120, 1320, 1695, 2 * kLabelHeight);
    Label6->setWordWrap(true);
    Label6->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette red = Label6->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Label6->setPalette(red);
    for (int i = 0; i < 2; ++i) {
        auto* edit = new QLineEdit(Frame4);
        edit->setObjectName(arrayName("Text2", i));
        edit->setMaxLength(3);
        place(edit, 1200, i == 0 ? 720 : 960, 615, 240);
        // The panel's boxes are only 16 pixels high: no inner padding, or the digits clip
        // (the padding goes when the panel is first shown).
        edit->setTextMargins(0, 0, 0, 0);
        Text2[static_cast<std::size_t>(i)] = edit;
    }
    Text2[0]->setText(QStringLiteral("10"));
    Text2[1]->setText(QStringLiteral("0"));

    // Initial states: greyed fields are shown and filled, but take neither focus nor keys.
    for (int index : {0, 1, 2, 3, 4, 5, 6, 13}) {
        Text1[static_cast<std::size_t>(index)]->setEnabled(false);
    }
    for (int index : {0, 2, 3, 4, 5, 6, 7, 14}) {
        Label1[static_cast<std::size_t>(index)]->setEnabled(false);
    }
    Label2->setEnabled(false);
    Text2[1]->setEnabled(false);
    Text1[7]->setVisible(false);
    Label1[8]->setVisible(false);
    Check1->setVisible(false);
    Frame4->setVisible(false);
}

void FrmMainForm::applyTabOrder() {
    // The controls by their tab order values (2, 4, 6, 12 ... 56); Qt skips those
    // that are greyed or hidden, as the user expects.
    const std::array<QWidget*, 27> chain{
        Check1,   Combo1[0], Combo1[1], Text1[0],  Text1[1],  Text1[2], Text1[3],
        Text1[4], Command1,  Command2,  Command3,  Combo2,    Text1[5], Text1[6],
        Text1[7], Text1[8],  Text1[9],  Text1[10], Text1[11], Command4, Text2[0],
        Text2[1], Text1[12], Check8,    Text1[13], Check2,    Check3,
    };
    for (std::size_t i = 1; i < chain.size(); ++i) {
        setTabOrder(chain[i - 1], chain[i]);
    }
}

QLineEdit* FrmMainForm::Text1Line(int index) const {
    if (index < 0 || index >= static_cast<int>(Text1.size())) {
        return nullptr;
    }
    return qobject_cast<QLineEdit*>(Text1[static_cast<std::size_t>(index)]);
}

QString FrmMainForm::Text1Text(int index) const {
    if (index == 4) {
        return m_description->toPlainText();
    }
    const QLineEdit* edit = Text1Line(index);
    return edit ? edit->text() : QString();
}

void FrmMainForm::SetText1Text(int index, const QString& text) {
    if (index == 4) {
        m_description->setPlainText(text);
        return;
    }
    if (QLineEdit* edit = Text1Line(index)) {
        edit->setText(text);
    }
}

void FrmMainForm::sizeLabelToCaption(QLabel* label) {
    // A label sizes itself to its caption and keeps its left edge.
    QRect twips = twipsGeometry(label);
    const int widthPixels = label->sizeHint().width();
    twips.setWidth(widthPixels * kTwipsPerPixel);
    label->setProperty(kTwipsProperty, twips);
    label->resize(widthPixels, label->height());
}

void FrmMainForm::setCaptions(bool chinese) {
    for (const CaptionRow& row : CaptionTable()) {
        const QString caption = QString::fromUtf8(chinese ? row.chinese : row.english);
        QWidget* control = findChild<QWidget*>(QLatin1String(row.control));
        if (auto* label = qobject_cast<QLabel*>(control)) {
            label->setText(caption);
            sizeLabelToCaption(label);
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            button->setText(caption);
        } else if (auto* frame = qobject_cast<QGroupBox*>(control)) {
            frame->setTitle(caption);
        }
    }
}

void FrmMainForm::alignLabels() {
    // Each label ends `gap` twips short of its box, whatever its caption's length.
    auto align = [](QLabel* label, const QWidget* box, int gap) {
        QRect twips = twipsGeometry(label);
        const double left = static_cast<double>(twipsGeometry(box).left()) -
                            static_cast<double>(twips.width()) - static_cast<double>(gap);
        twips.moveLeft(static_cast<int>(left));
        label->setProperty(kTwipsProperty, twips);
        label->move(TwipsToPixels(left), label->y());
    };
    align(Label4, Text2[0], kPanelLabelGap);
    align(Label5, Text2[1], kPanelLabelGap);
    align(Label2, Text1[0], kFieldLabelGap);
    for (std::size_t i = 0; i <= 8; ++i) {
        align(Label1[i], Text1[0], kFieldLabelGap);
    }
    for (std::size_t i = 9; i <= 12; ++i) {
        align(Label1[i], Text1[8], kFieldLabelGap);
    }
    align(Label1[13], Text1[12], kFieldLabelGap);
    align(Label1[14], Text1[13], kFieldLabelGap);
}

qint16 FrmMainForm::ApplyLanguage(std::uint32_t systemLcid) {
    m_languageFlag = systemLcid == kLcidChinesePrc ? 2 : 1;
    setCaptions(m_languageFlag == 2);
    alignLabels();
    m_bandChangePrompt[1] = QStringLiteral("Frequencys is different. Overwrite?");
    m_bandChangePrompt[2] = QStringLiteral("频段类型不同。是否覆盖？");
    return m_languageFlag;
}

void FrmMainForm::setMulWritePanelVisible(bool visible) {
    if (visible && !m_panelStyled) {
        // A style sheet brings Qt's style-sheet engine with it: the panel's own waits
        // until the panel is wanted, which most runs never do.
        m_panelStyled = true;
        for (QLineEdit* edit : Text2) {
            edit->setStyleSheet(QStringLiteral("QLineEdit { padding: 0px; }"));
        }
    }
    Frame4->setVisible(visible);
}

void FrmMainForm::showEvent(QShowEvent* event) {
    if (!m_placed) {
        m_placed = true;
        if (const QScreen* target = screen()) {
            fitInto(target->availableGeometry());
        }
    }
    QWidget::showEvent(event);
}

void FrmMainForm::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // The window system tells the frame's size only once it has framed the window: a
    // window that then reaches outside the screen's available area is fitted again.
    if (m_placed && !m_frameKnown && frameGeometry() != geometry()) {
        m_frameKnown = true;
        const QScreen* target = screen();
        if (target != nullptr && !target->availableGeometry().contains(frameGeometry())) {
            fitInto(target->availableGeometry());
        }
    }
}

void FrmMainForm::fitInto(const QRect& available) {
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                   outer.right() - inner.right(), outer.bottom() - inner.bottom());
    if (frame.isNull() && !m_frameKnown) {
        frame.setTop(style()->pixelMetric(QStyle::PM_TitleBarHeight)); // not framed yet
    }
    const QSize room = available.size().shrunkBy(frame);
    const QSize client = m_client->size();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    // A scroll bar for one direction takes room from the other.
    const bool tall = client.height() > room.height() ||
                      (client.width() > room.width() && client.height() + bar > room.height());
    const bool wide = client.width() + (tall ? bar : 0) > room.width();
    setFixedSize(std::min(client.width() + (tall ? bar : 0), room.width()),
                 std::min(client.height() + (wide ? bar : 0), room.height()));
    // Centred in the available area, and never reaching outside it. A window moves by its
    // frame's corner once the frame is known, and by its client's corner before.
    QRect placed(QPoint(), size().grownBy(frame));
    placed.moveCenter(available.center());
    placed.moveTopLeft(
        QPoint(std::max(placed.left(), available.left()), std::max(placed.top(), available.top())));
    move(placed.topLeft() + QPoint(frame.left(), frame.top()) - (geometry().topLeft() - pos()));
}

void FrmMainForm::focusNextField() {
    focusNextPrevChild(true);
}

} // namespace tavrik::ui
