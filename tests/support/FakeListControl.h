#pragma once

#include "ports/ListControl.h"

#include <QString>
#include <QStringList>

namespace tavrik::test {

/// A drop-down list in memory that behaves as the window's list does: adding the
/// first entry to an empty list selects it, clearing selects nothing, and an index
/// out of range selects nothing. `entryChanges` and `selectionChanges` count the
/// changes made to it.
class FakeListControl final : public ListControl {
public:
    void clear() override {
        ++entryChanges;
        m_texts.clear();
        m_details.clear();
        m_current = -1;
    }
    void addEntry(const QString& text, const QString& detail = {}) override {
        ++entryChanges;
        m_texts << text;
        m_details << detail;
        m_current = m_texts.size() == 1 ? 0 : m_current;
    }
    [[nodiscard]] int count() const override { return static_cast<int>(m_texts.size()); }
    [[nodiscard]] QString entry(int index) const override { return m_texts.value(index); }
    [[nodiscard]] int currentIndex() const override { return m_current; }
    void setCurrentIndex(int index) override {
        ++selectionChanges;
        m_current = index >= 0 && index < count() ? index : -1;
    }

    [[nodiscard]] QString currentText() const { return entry(m_current); }
    [[nodiscard]] const QStringList& texts() const { return m_texts; }
    /// What stands behind an entry (its tooltip).
    [[nodiscard]] QString detail(int index) const { return m_details.value(index); }

    int entryChanges = 0;
    int selectionChanges = 0;

private:
    QStringList m_texts;
    QStringList m_details;
    int m_current = -1;
};

} // namespace tavrik::test
