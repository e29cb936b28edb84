#include "app/FieldRules.h"

#include "settings/SettingsFields.h"

namespace tavrik::app {
namespace {

bool isAsciiLetterOrDigit(qint16 code) {
    return (code >= '0' && code <= '9') || (code >= 'a' && code <= 'z') ||
           (code >= 'A' && code <= 'Z');
}

// The characters from the start of a text that fit in some bytes, and the bytes they take.
struct Fit {
    qsizetype length = 0;
    qsizetype bytes = 0;
};

Fit fitting(const QString& text, qsizetype room, const CharSize& size) {
    Fit fit;
    while (fit.length < text.size()) {
        const bool pair = text.at(fit.length).isHighSurrogate() && fit.length + 1 < text.size() &&
                          text.at(fit.length + 1).isLowSurrogate();
        const qsizetype length = pair ? 2 : 1;
        const qsizetype bytes = size(text.mid(fit.length, length));
        if (fit.bytes + bytes > room) {
            break;
        }
        fit.length += length;
        fit.bytes += bytes;
    }
    return fit;
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
    if (index == kMaintainedDescriptionBox) {
        return text;
    }
    QString cleaned;
    cleaned.reserve(text.size());
    for (const QChar c : text) {
        // Control characters could never have been typed into a single-line box.
        if (c.category() == QChar::Other_Control) {
            continue;
        }
        const auto code = static_cast<qint16>(c.unicode() > 127 ? kKeyNonAscii : c.unicode());
        if (FilterText1Key(index, code).code != 0) {
            cleaned.append(c);
        }
    }
    return cleaned;
}

EditedText CleanEditedText1(int index, const QString& text, int caret, qsizetype limit,
                            const CharSize& size) {
    QString head = CleanText1(index, text.left(caret));
    QString tail = CleanText1(index, text.mid(caret));
    // What stands behind the caret stays as far as it fits; what arrived takes the rest.
    const Fit kept = fitting(tail, limit, size);
    tail.truncate(kept.length);
    head.truncate(fitting(head, limit - kept.bytes, size).length);
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
