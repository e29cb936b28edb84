#pragma once

#include "platform/MessageBoxes.h"

#include <QString>

#include <deque>
#include <functional>
#include <vector>

namespace tavrik::test {

/// Message boxes that record what they show and answer OK/Cancel questions from a
/// script (OK when the script is empty).
class FakeMessageBoxes final : public platform::MessageBoxes {
public:
    struct Shown {
        QString text;
        platform::MessageIcon icon;
        bool question;
        platform::MessageDetails details;
    };

    using MessageBoxes::inform;
    void inform(const QString& text, platform::MessageIcon icon,
                const platform::MessageDetails& details) override {
        show({text, icon, false, details});
    }
    [[nodiscard]] bool askOkCancel(const QString& text, platform::MessageIcon icon) override {
        show({text, icon, true, {}});
        const bool ok = m_answers.empty() || m_answers.front();
        if (!m_answers.empty()) {
            m_answers.pop_front();
        }
        return ok;
    }

    /// Answers for the next questions, in order (true for OK).
    void scriptAnswers(std::deque<bool> answers) { m_answers = std::move(answers); }
    /// Runs while a box is open, as the events of a nested event loop would.
    void setWhileOpen(std::function<void(const Shown&)> hook) { m_whileOpen = std::move(hook); }

    [[nodiscard]] const std::vector<Shown>& shown() const { return m_shown; }
    /// The texts shown, in order.
    [[nodiscard]] std::vector<QString> texts() const {
        std::vector<QString> out;
        for (const Shown& s : m_shown) {
            out.push_back(s.text);
        }
        return out;
    }

private:
    void show(Shown shown) {
        m_shown.push_back(std::move(shown));
        if (m_whileOpen) {
            m_whileOpen(m_shown.back());
        }
    }

    std::vector<Shown> m_shown;
    std::deque<bool> m_answers;
    std::function<void(const Shown&)> m_whileOpen;
};

} // namespace tavrik::test
