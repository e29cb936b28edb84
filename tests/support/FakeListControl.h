#pragma once

#include "ports/ListControl.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace tavrik::test {

/// A drop-down list in memory that behaves as the window's list does: adding the
/// first entry to an empty list selects it, clearing selects nothing, and an index
/// out of range selects nothing.
class FakeListControl final : public ListControl {
public:
    void clear() override;
    void addEntry(const QString& text, const QString& detail = {}) override;
    [[nodiscard]] int count() const override;
    [[nodiscard]] QString entry(int index) const override;
    [[nodiscard]] int currentIndex() const override;
    void setCurrentIndex(int index) override;

    /// The selected entry's text, "" when nothing is selected.
    [[nodiscard]] QString currentText() const;
    /// Every entry's text, in order.
    [[nodiscard]] QStringList texts() const;
    /// What stands behind an entry (its tooltip); "" for an index out of range.
    [[nodiscard]] QString detail(int index) const;
    /// Selects as the user does; returns false when no entry has that text.
    bool select(const QString& text);

    /// How often the entries were changed (clear or add) and the selection was set.
    int entryChanges = 0;
    int selectionChanges = 0;

private:
    struct Entry {
        QString text;
        QString detail;
    };
    std::vector<Entry> m_entries;
    int m_current = -1;
};

} // namespace tavrik::test
