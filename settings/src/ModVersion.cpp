#include "settings/ModVersion.h"

#include "settings/Numeric.h"

namespace tavrik {
namespace {

constexpr qsizetype kMaxPartLength = 2;

QString hex(std::uint8_t value) {
    return QString::number(value, 16).toUpper();
}

} // namespace

QString HexByte2(std::uint8_t value) {
    return hex(value).rightJustified(2, u'0');
}

QString VersionTextFromBytes(std::uint8_t major, std::uint8_t minor) {
    return u'V' + hex(major) + u'.' + HexByte2(minor);
}

QString NormaliseVersionText(const QString& text, const QString& fallback) {
    if (text.isEmpty()) {
        return fallback;
    }
    const QChar first = text.front();
    qsizetype start = 0;
    if (first == u'V' || first == u'v') {
        start = 1;
    } else if (first < u'0' || first > u'9') {
        return fallback;
    }
    const qsizetype point = text.indexOf(u'.', start);
    if (point < 0) {
        return fallback;
    }
    const QString major = text.mid(start, point - start);
    QString minor = text.mid(point + 1);
    if (!IsNumeric(major) || !IsNumeric(minor) || major.size() > kMaxPartLength ||
        minor.size() > kMaxPartLength) {
        return fallback;
    }
    return u'V' + major + u'.' + minor.rightJustified(kMaxPartLength, u'0');
}

} // namespace tavrik
