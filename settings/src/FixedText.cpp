#include "settings/FixedText.h"

#include <algorithm>

namespace tavrik {

QString TrimAtNul(const QString& text) {
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == u' ') {
        --end;
    }
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    if (nul >= 0 && nul < end) {
        end = nul;
    }
    return text.left(end);
}

FixedText::FixedText(int width) : m_width(std::max(width, 0)), m_text(m_width, u' ') {}

void FixedText::assign(const QString& text) {
    m_text = text.left(m_width).leftJustified(m_width, u' ');
}

QString FixedText::text() const {
    return TrimAtNul(m_text);
}

} // namespace tavrik
