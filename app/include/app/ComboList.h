#pragma once

#include "ports/ListControl.h"

class QComboBox;

namespace tavrik::app {

/// A drop-down list of the window as the port logic sees it. The detail of an
/// entry (the device behind a port) is shown as the entry's tooltip.
class ComboList final : public ListControl {
public:
    explicit ComboList(QComboBox& combo) : m_combo(combo) {}

    void clear() override;
    void addEntry(const QString& text, const QString& detail = {}) override;
    [[nodiscard]] int count() const override;
    [[nodiscard]] QString entry(int index) const override;
    [[nodiscard]] int currentIndex() const override;
    void setCurrentIndex(int index) override;

private:
    QComboBox& m_combo;
};

} // namespace tavrik::app
