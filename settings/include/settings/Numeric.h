#pragma once

#include <QString>

#include <optional>

namespace tavrik {

/// The number test of the serial-number and version rules: leading and trailing
/// blanks, a sign, a decimal point and an exponent are accepted; an empty text is not.
[[nodiscard]] bool IsNumeric(const QString& text);

/// A numeric text as a 32-bit signed integer, a fraction rounded half to even.
/// Empty when the text is not numeric or the value does not fit.
[[nodiscard]] std::optional<qint32> ToInt32(const QString& text);

} // namespace tavrik
