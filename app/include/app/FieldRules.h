#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace tavrik::app {

/// Character codes of the key filter, as typed characters arrive (a code outside
/// 0..127 is a character outside ASCII).
inline constexpr qint16 kKeyCopy = 3;
inline constexpr qint16 kKeyPaste = 22;
inline constexpr qint16 kKeyCut = 24;
inline constexpr qint16 kKeyEnter = 13;
inline constexpr qint16 kKeyNonAscii = -1;

/// What the key filter makes of one typed character in Text1(index).
struct KeyFilterResult {
    qint16 code = 0;        ///< the character to let through; 0 discards it
    bool moveFocus = false; ///< Enter: move on as a Tab press would
};

/// True for the fields whose typed characters are filtered: the area code, serial
/// number, user code and password boxes.
[[nodiscard]] bool IsFilteredField(int index);

/// The key filter of Text1(index) for one character code.
[[nodiscard]] KeyFilterResult FilterText1Key(int index, qint16 code);

/// Text that reached Text1(index) by another road than typing (paste from the context
/// menu, drag and drop, an input method), cut down to what typing could have put there:
/// no control characters in a single-line box, and in a filtered one only what the key
/// filter lets through. The multi-line description keeps its text.
[[nodiscard]] QString CleanText1(int index, const QString& text);

/// A box's text and caret after an edit.
struct EditedText {
    QString text;
    int caret = 0;
};

/// The bytes one character (a surrogate pair is one) takes in the field a box shows.
using CharSize = std::function<qsizetype(const QString& character)>;

/// An edit of Text1(index) left `text` with the caret at `caret`. What the edit brought
/// ends at the caret (typing, a paste, a drop, an input method's commit): the text is
/// first cleaned as CleanText1 cleans it, and only then cut to `limit` bytes, counted by
/// `size`, by dropping the last characters before the caret, as a box's own limit drops
/// the end of what arrives. No character is split.
[[nodiscard]] EditedText CleanEditedText1(int index, const QString& text, int caret,
                                          qsizetype limit, const CharSize& size);

/// A count of radios typed into Text2(0): a whole decimal number of digits only,
/// blanks around it allowed. Empty when the text is not one.
[[nodiscard]] std::optional<qint32> ParseRadioCount(const QString& text);

} // namespace tavrik::app
