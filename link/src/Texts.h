#pragma once

#include "link/LinkTypes.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// What the texts of the link's boxes share: the language, bytes in hexadecimal, block
// names, the port line, the operation's name and the time.
namespace tavrik::texts {

inline bool chinese(Language language) {
    return language == Language::Chinese;
}

// The text in the window's language.
inline QString pick(Language language, const char* english, const char* chineseText) {
    return chinese(language) ? QString::fromUtf8(chineseText) : QString::fromUtf8(english);
}

inline QString hexBytes(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

inline QString blockName(int address) {
    return QStringLiteral("%1").arg(address, 4, 16, QLatin1Char('0')).toUpper();
}

// "COM3 → /dev/ttyUSB0", or the port alone when no device is behind it.
inline QString portLine(int portNumber, const QString& device, Language language) {
    const QString port = portNumber > 0 ? QStringLiteral("COM%1").arg(portNumber)
                                        : pick(language, "(none chosen)", "（未选择）");
    return pick(language, "Port: %1", "串口：%1")
        .arg(device.isEmpty() ? port : port + QStringLiteral(" → ") + device);
}

inline QString operationName(OpKind kind, Language language) {
    switch (kind) {
    case OpKind::Read:
        return pick(language, "Read", "读出");
    case OpKind::Write:
        return pick(language, "Write", "写入");
    case OpKind::MulWrite:
        return pick(language, "MulWrite", "写入多台");
    case OpKind::Idle:
        break;
    }
    return {};
}

inline QString timeText(const QDateTime& when) {
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace tavrik::texts
