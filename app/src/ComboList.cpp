#include "app/ComboList.h"

#include <QComboBox>

namespace tavrik::app {

void ComboList::clear() {
    m_combo.clear();
}

void ComboList::addEntry(const QString& text, const QString& detail) {
    m_combo.addItem(text);
    if (!detail.isEmpty()) {
        m_combo.setItemData(m_combo.count() - 1, detail, Qt::ToolTipRole);
    }
}

int ComboList::count() const {
    return m_combo.count();
}

QString ComboList::entry(int index) const {
    return m_combo.itemText(index);
}

int ComboList::currentIndex() const {
    return m_combo.currentIndex();
}

void ComboList::setCurrentIndex(int index) {
    m_combo.setCurrentIndex(index < m_combo.count() ? index : -1);
}

} // namespace tavrik::app
