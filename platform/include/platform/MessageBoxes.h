#pragma once

#include <QString>

namespace tavrik::platform {

enum class MessageIcon { None, Critical, Exclamation };

/// What a box can say below its message: a short explanation, and details that the
/// operator opens on request (and can copy for a support request).
struct MessageDetails {
    QString informative;
    QString detailed;
};

/// Modal message boxes under the application's title.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    /// A box with an OK button; returns when the operator closes it.
    void inform(const QString& text, MessageIcon icon) { inform(text, icon, MessageDetails{}); }
    /// The same, with an explanation below the message and details on request.
    virtual void inform(const QString& text, MessageIcon icon, const MessageDetails& details) = 0;
    /// A box with OK and Cancel; true for OK, false for Cancel or the box closed.
    [[nodiscard]] virtual bool askOkCancel(const QString& text, MessageIcon icon) = 0;
};

} // namespace tavrik::platform
