#include "FakeMessageBoxes.h"

namespace tavrik::test {

void FakeMessageBoxes::inform(const QString& text, platform::MessageIcon icon,
                              const platform::MessageDetails& details) {
    m_shown.push_back({text, icon, false, details});
    if (m_whileOpen) {
        m_whileOpen(m_shown.back());
    }
}

bool FakeMessageBoxes::askOkCancel(const QString& text, platform::MessageIcon icon) {
    m_shown.push_back({text, icon, true, {}});
    if (m_whileOpen) {
        m_whileOpen(m_shown.back());
    }
    if (m_answers.empty()) {
        return true;
    }
    const bool answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

std::vector<QString> FakeMessageBoxes::texts() const {
    std::vector<QString> out;
    for (const Shown& s : m_shown) {
        out.push_back(s.text);
    }
    return out;
}

} // namespace tavrik::test
