#pragma once

#include <QByteArray>
#include <QString>

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

} // namespace tavrik::platform
