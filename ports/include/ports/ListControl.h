#pragma once

#include <QString>

namespace tavrik {

/// A drop-down list as the port logic sees it: entries in order, a selected index
/// (-1 for none). The window's port list and model list implement it.
class ListControl {
public:
    virtual ~ListControl() = default;
    virtual void clear() = 0;
    /// Adds an entry at the end; `detail` says what stands behind it (shown as a tooltip).
    virtual void addEntry(const QString& text, const QString& detail = {}) = 0;
    [[nodiscard]] virtual int count() const = 0;
    [[nodiscard]] virtual QString entry(int index) const = 0;
    [[nodiscard]] virtual int currentIndex() const = 0;
    virtual void setCurrentIndex(int index) = 0;
};

/// The entry equal to `text` (exact, case-sensitive), else the entry at position 0,
/// else "" for an empty list.
[[nodiscard]] QString PickListEntry(const ListControl& list, const QString& text);

} // namespace tavrik
