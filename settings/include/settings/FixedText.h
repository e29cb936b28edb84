#pragma once

#include <QString>

namespace tavrik {

/// The read rule of every text field: trailing spaces removed, then cut before the first NUL.
[[nodiscard]] QString TrimAtNul(const QString& text);

/// A text field of a fixed number of characters. Assignment is left-justified: a
/// shorter text is padded with spaces, a longer one cut to the width. A NUL may mark
/// the end of the meaningful text; readers use text(), which applies TrimAtNul.
class FixedText {
public:
    explicit FixedText(int width);

    void assign(const QString& text);
    FixedText& operator=(const QString& text) {
        assign(text);
        return *this;
    }

    /// Exactly width() characters, padding and NUL included.
    [[nodiscard]] const QString& raw() const { return m_text; }
    /// The meaningful text: TrimAtNul(raw()).
    [[nodiscard]] QString text() const;
    [[nodiscard]] int width() const { return m_width; }

private:
    int m_width;
    QString m_text;
};

} // namespace tavrik
