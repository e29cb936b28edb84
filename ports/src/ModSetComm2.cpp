// The remembered port: section "language", key "comPort" of mysetup.ini.
#include "PortText.h"
#include "platform/ProfileFile.h"
#include "ports/ListControl.h"
#include "ports/ModSetComm.h"

namespace tavrik {

namespace {
QString section() {
    return QStringLiteral("language");
}
QString key() {
    return QStringLiteral("comPort");
}
} // namespace

qint16 ModSetComm::ReadRememberedPort() const {
    const QString value = m_ini.read(section(), key(), QString()).trimmed();
    // Empty, not decimal, or outside the 16-bit range (hand-edited): no port remembered.
    bool ok = false;
    const short number = value.toShort(&ok, 10);
    return ok ? static_cast<qint16>(number) : qint16{0};
}

void ModSetComm::StoreComPort() {
    // A file that cannot be written keeps the choice for this run only (the settings
    // file itself tells the operator so).
    m_remembered = m_comPort;
    static_cast<void>(m_ini.write(section(), key(), QString::number(m_comPort)));
}

void ModSetComm::Combo2_Click() {
    const int index = m_combo2.currentIndex();
    const QString entry =
        index >= 0 && index < m_combo2.count() ? m_combo2.entry(index) : QString();
    if (entry.size() <= 3) {
        return;
    }
    if (const auto number = ports_detail::portNumber(QStringView(entry).mid(3))) {
        m_comPort = *number;
        StoreComPort();
    }
}

} // namespace tavrik
