#include "FakeListControl.h"

namespace tavrik::test {

void FakeListControl::clear() {
    ++entryChanges;
    m_entries.clear();
    m_current = -1;
}

void FakeListControl::addEntry(const QString& text, const QString& detail) {
    ++entryChanges;
    m_entries.push_back({text, detail});
    if (m_entries.size() == 1) {
        m_current = 0;
    }
}

int FakeListControl::count() const {
    return static_cast<int>(m_entries.size());
}

QString FakeListControl::entry(int index) const {
    return index >= 0 && index < count() ? m_entries[static_cast<std::size_t>(index)].text
                                         : QString();
}

int FakeListControl::currentIndex() const {
    return m_current;
}

void FakeListControl::setCurrentIndex(int index) {
    ++selectionChanges;
    m_current = index >= 0 && index < count() ? index : -1;
}

QString FakeListControl::currentText() const {
    return entry(m_current);
}

QStringList FakeListControl::texts() const {
    QStringList list;
    for (const Entry& e : m_entries) {
        list.append(e.text);
    }
    return list;
}

QString FakeListControl::detail(int index) const {
    return index >= 0 && index < count() ? m_entries[static_cast<std::size_t>(index)].detail
                                         : QString();
}

bool FakeListControl::select(const QString& text) {
    for (int i = 0; i < count(); ++i) {
        if (entry(i) == text) {
            setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

} // namespace tavrik::test
