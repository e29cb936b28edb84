#pragma once

#include <QString>

namespace tavrik::platform {

enum class MessageIcon { None, Critical, Exclamation };

/// Modal message boxes under the application's title.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    /// A box with an OK button; returns when the operator closes it.
    virtual void inform(const QString& text, MessageIcon icon) = 0;
    /// A box with OK and Cancel; true for OK, false for Cancel or the box closed.
    [[nodiscard]] virtual bool askOkCancel(const QString& text, MessageIcon icon) = 0;
};

} // namespace tavrik::platform
