#include "app/FieldRules.h"

#include "settings/SettingsFields.h"

#include <algorithm>

namespace tavrik::app {
namespace {

bool isAsciiLetterOrDigit(qint16 code) {
    return (code >= '0' && code <= '9') || (code >= 'a' && code <= 'z') ||
           (code >= 'A' && code <= 'Z');
}

} // namespace

bool IsFilteredField(int index) {
    return index == kAreaCodeBox || index == kSerialNumberBox || index == kUserCodeBox ||
           index == kProgramPasswordBox;
}

KeyFilterResult FilterText1Key(int index, qint16 code) {
    if (!IsFilteredField(index)) {
        return {code, false};
    }
    // Copy, paste and cut are refused in these fields.
    if (code == kKeyCopy || code == kKeyPaste || code == kKeyCut) {
        return {0, false};
    }
    if (code == kKeyEnter) {
        return {0, true};
    }
    if (code < 0 || code > 127) {
        return {0, false};
    }
    // The serial number takes letters and digits only.
    if (index == kSerialNumberBox && code >= 32 && code <= 126 && !isAsciiLetterOrDigit(code)) {
        return {0, false};
    }
    return {code, false};
}

QString CleanText1(int index, const QString& text) {
    if (!IsFilteredField(index)) {
        return text;
    }
    QString cleaned;
    cleaned.reserve(text.size());
    for (const QChar c : text) {
        const auto code = static_cast<qint16>(c.unicode() > 127 ? kKeyNonAscii : c.unicode());
        // Control characters could never have been typed into a single-line box.
        if (code < 32 || code == 127) {
            continue;
        }
        if (FilterText1Key(index, code).code != 0) {
            cleaned.append(c);
        }
    }
    return cleaned;
}

EditedText CleanEditedText1(int index, const QString& text, int caret, int limit) {
    QString head = CleanText1(index, text.left(caret));
    QString tail = CleanText1(index, text.mid(caret));
    const qsizetype overflow = head.size() + tail.size() - limit;
    if (overflow > 0) {
        head.chop(std::min(overflow, head.size()));
        tail.truncate(std::max<qsizetype>(0, limit - head.size()));
    }
    return {head + tail, static_cast<int>(head.size())};
}

std::optional<qint32> ParseRadioCount(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    for (const QChar c : trimmed) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return std::nullopt;
        }
    }
    bool ok = false;
    const qint32 value = trimmed.toInt(&ok);
    if (!ok) {
        return std::nullopt;
    }
    return value;
}

} // namespace tavrik::app
