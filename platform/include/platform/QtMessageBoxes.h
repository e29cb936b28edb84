#pragma once

#include "platform/MessageBoxes.h"

#include <QPointer>
#include <QWidget>

namespace tavrik::platform {

/// Modal message boxes of the window system, titled "VEL_TAVRIK_DovI", centred
/// on their parent window.
class QtMessageBoxes final : public MessageBoxes {
public:
    explicit QtMessageBoxes(QWidget* parent = nullptr);

    /// The window the boxes belong to; boxes shown after it is gone have no parent.
    void setParent(QWidget* parent);

    using MessageBoxes::inform;
    /// The explanation is the box's informative text; the details sit behind its
    /// "Show Details..." button.
    void inform(const QString& text, MessageIcon icon, const MessageDetails& details) override;
    [[nodiscard]] bool askOkCancel(const QString& text, MessageIcon icon) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace tavrik::platform
