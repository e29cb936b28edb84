#include "platform/QtMessageBoxes.h"

#include <QMessageBox>

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

} // namespace

QtMessageBoxes::QtMessageBoxes(QWidget* parent) : m_parent(parent) {}

void QtMessageBoxes::setParent(QWidget* parent) {
    m_parent = parent;
}

void QtMessageBoxes::inform(const QString& text, MessageIcon icon, const MessageDetails& details) {
    QMessageBox box(toQt(icon), QStringLiteral("VEL_TAVRIK_DovI"), text, QMessageBox::Ok,
                    m_parent.data());
    if (!details.informative.isEmpty()) {
        box.setInformativeText(details.informative);
    }
    if (!details.detailed.isEmpty()) {
        box.setDetailedText(details.detailed);
    }
    box.exec();
}

bool QtMessageBoxes::askOkCancel(const QString& text, MessageIcon icon) {
    QMessageBox box(toQt(icon), QStringLiteral("VEL_TAVRIK_DovI"), text,
                    QMessageBox::Ok | QMessageBox::Cancel, m_parent.data());
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

} // namespace tavrik::platform
