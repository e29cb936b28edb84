#pragma once

#include <QString>

#include <cstdint>

namespace tavrik {

/// The version a firmware field holds at start-up, and what a malformed one becomes.
inline constexpr char kDefaultVersionText[] = "V1.00";

/// Two upper-case hexadecimal digits.
[[nodiscard]] QString HexByte2(std::uint8_t value);
/// "V", the major byte in hexadecimal without leading zeros, ".", HexByte2(minor).
[[nodiscard]] QString VersionTextFromBytes(std::uint8_t major, std::uint8_t minor);
/// A version text taken back from the window, normalised to "V<major>.<minor2>",
/// or `fallback` when it is not a well-formed decimal version text.
[[nodiscard]] QString NormaliseVersionText(const QString& text, const QString& fallback);

} // namespace tavrik
