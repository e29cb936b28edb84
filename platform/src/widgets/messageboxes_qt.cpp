#include "platform/QtMessageBoxes.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QTextEdit>

#include <algorithm>

namespace tavrik::platform {
namespace {

QMessageBox::Icon toQt(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Text read from a radio ("<DD>", a "<" in a dealer field) must never switch a box
// to rich text. Qt applies the box's text format to its first line only, so the label
// that shows the explanation is set to plain text as well.
void showAsPlainText(QMessageBox& box, const QString& informative) {
    box.setTextFormat(Qt::PlainText);
    if (informative.isEmpty()) {
        return;
    }
    box.setInformativeText(informative);
    for (QLabel* label : box.findChildren<QLabel*>()) {
        if (label->text() == informative) {
            label->setTextFormat(Qt::PlainText);
        }
    }
}

// The details hold hex lines of up to about 80 characters: they are shown in a
// fixed-width font, never wrapped, in a box wide enough for the longest line (at least
// 72 columns) as far as the screen allows, and tall enough for 12 lines (Qt's own height
// shows about six, not even the heading and one exchange).
void showDetails(QMessageBox& box, const QString& detailed) {
    if (detailed.isEmpty()) {
        return;
    }
    box.setDetailedText(detailed);
    auto* view = box.findChild<QTextEdit*>();
    if (view == nullptr) {
        return;
    }
    constexpr int kMinColumns = 72;
    constexpr int kMinLines = 12;
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view->setLineWrapMode(QTextEdit::NoWrap);
    const QFontMetrics metrics(view->font());
    int textWidth = metrics.horizontalAdvance(QString(kMinColumns, QLatin1Char('0')));
    for (const QString& line : detailed.split(QLatin1Char('\n'))) {
        textWidth = std::max(textWidth, metrics.horizontalAdvance(line));
    }
    const int margins =
        2 * view->frameWidth() + 2 * static_cast<int>(view->document()->documentMargin()) + 4;
    int width = textWidth + margins + view->verticalScrollBar()->sizeHint().width();
    if (const QScreen* screen = box.screen()) {
        width = std::min(width, screen->availableGeometry().width() * 9 / 10);
    }
    view->setMinimumWidth(width);
    // A line cut by a narrow screen brings a horizontal scroll bar: room for it too.
    view->setFixedHeight(kMinLines * metrics.lineSpacing() + margins +
                         view->horizontalScrollBar()->sizeHint().height());
}

} // namespace

QtMessageBoxes::QtMessageBoxes(QWidget* parent) : m_parent(parent) {}

void QtMessageBoxes::setParent(QWidget* parent) {
    m_parent = parent;
}

void QtMessageBoxes::inform(const QString& text, MessageIcon icon, const MessageDetails& details) {
    QMessageBox box(toQt(icon), QStringLiteral("VEL_TAVRIK_DovI"), text, QMessageBox::Ok,
                    m_parent.data());
    showAsPlainText(box, details.informative);
    showDetails(box, details.detailed);
    box.exec();
}

bool QtMessageBoxes::askOkCancel(const QString& text, MessageIcon icon) {
    QMessageBox box(toQt(icon), QStringLiteral("VEL_TAVRIK_DovI"), text,
                    QMessageBox::Ok | QMessageBox::Cancel, m_parent.data());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

} // namespace tavrik::platform
