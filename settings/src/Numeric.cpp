#include "settings/Numeric.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace tavrik {

bool IsNumeric(const QString& text) {
    // Blanks around an optionally signed decimal number with an optional exponent.
    static const QRegularExpression kNumber(
        QStringLiteral(R"(^[ \t]*[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?[ \t]*$)"));
    return kNumber.match(text).hasMatch();
}

std::optional<qint32> ToInt32(const QString& text) {
    if (!IsNumeric(text)) {
        return std::nullopt;
    }
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    // Half to the even neighbour, spelled out rather than left to the floating-point
    // environment's rounding mode.
    double rounded = std::floor(value);
    const double fraction = value - rounded;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2.0) != 0.0)) {
        rounded += 1.0;
    }
    if (rounded < static_cast<double>(std::numeric_limits<qint32>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<qint32>::max())) {
        return std::nullopt;
    }
    return static_cast<qint32>(rounded);
}

} // namespace tavrik
