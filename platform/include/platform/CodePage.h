#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

namespace tavrik::platform {

/// The system's default code page for programs that are not Unicode: the
/// encoding of the radio's text fields (code page 936, GBK, on a Chinese system).
class CodePage {
public:
    virtual ~CodePage() = default;
    /// The Windows number of the code page (936, 1252, ...).
    [[nodiscard]] virtual int number() const = 0;
    [[nodiscard]] virtual QByteArray fromUnicode(const QString& text) const = 0;
    [[nodiscard]] virtual QString toUnicode(const QByteArray& bytes) const = 0;
};

/// The Windows code page `windowsCodePage` (874, 932, 936, 949, 950, 1250..1258, or
/// 28591 for ISO 8859-1), or null when this build cannot convert it.
///
/// The conversions follow Windows for a program that is not Unicode:
/// - fromUnicode writes '?' (0x3F) for a character the code page has no bytes for;
/// - toUnicode gives U+FFFD for a byte sequence that is not a character, except that
///   an incomplete double-byte character at the very end of the bytes is dropped:
///   it is what remains of a text cut at a byte limit, not a character of its own.
[[nodiscard]] std::unique_ptr<CodePage> makeCodePage(int windowsCodePage);

/// The code page Windows uses for programs that are not Unicode under the locale
/// `lcid`: 936 for Chinese (PRC, Singapore), 950 for the other Chinese locales, 932
/// Japanese, 949 Korean, 1250..1258 by script, 874 Thai, and 1252 otherwise.
[[nodiscard]] int ansiCodePageForLcid(std::uint32_t lcid);

} // namespace tavrik::platform
