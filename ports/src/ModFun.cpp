// Small shared routines of the port list.
#include "PortText.h"
#include "ports/ListControl.h"

namespace tavrik {

QString PickListEntry(const ListControl& list, const QString& text) {
    if (list.count() <= 0) {
        return {};
    }
    const int index = ports_detail::indexOfEntry(list, text);
    return list.entry(index >= 0 ? index : 0);
}

namespace ports_detail {

QString portPart(const QString& mapName) {
    const qsizetype nul = mapName.indexOf(QChar(u'\0'));
    const QString name = nul < 0 ? mapName : mapName.left(nul);
    return name.mid(3, 3).trimmed();
}

std::optional<qint16> portNumber(QStringView part) {
    if (part.isEmpty() || part.size() > 3 || part.front() == u'0') {
        return std::nullopt;
    }
    qint16 value = 0;
    for (const QChar c : part) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        value = static_cast<qint16>(value * 10 + (c.unicode() - u'0'));
    }
    return value;
}

QString portEntry(int number) {
    return QStringLiteral("COM") + QString::number(number);
}

int indexOfEntry(const ListControl& list, const QString& text) {
    const int count = list.count();
    for (int i = 0; i < count; ++i) {
        if (list.entry(i) == text) {
            return i;
        }
    }
    return -1;
}

} // namespace ports_detail
} // namespace tavrik
