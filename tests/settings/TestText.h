#pragma once

#include "platform/CodePage.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <stdexcept>
#include <string>

namespace tavrik::test {

/// A QString or a QByteArray from a literal that may hold NULs.
template <std::size_t N> QString text(const char16_t (&literal)[N]) {
    return QString::fromUtf16(literal, N - 1);
}
template <std::size_t N> QByteArray bytes(const char (&literal)[N]) {
    return QByteArray(literal, N - 1);
}

/// The code page the tests run under; the suite stops if the build cannot convert it.
inline std::unique_ptr<platform::CodePage> requireCodePage(int number) {
    if (auto codePage = platform::makeCodePage(number)) {
        return codePage;
    }
    throw std::runtime_error("code page not available: " + std::to_string(number));
}

} // namespace tavrik::test
