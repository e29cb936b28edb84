// The port list: building it from the serial-port map, following the ports that come
// and go, and choosing the port at start-up.
#include "ports/ModSetComm.h"

#include "PortText.h"
#include "platform/SerialPortMap.h"
#include "ports/ListControl.h"

namespace tavrik {

using ports_detail::indexOfEntry;
using ports_detail::portEntry;
using ports_detail::portNumber;
using ports_detail::portPart;

ModSetComm::ModSetComm(const platform::OsVersion& os, const platform::SerialPortMap& map,
                       platform::ProfileFile& ini, platform::MessageBoxes& messages,
                       ListControl& combo2)
    : m_os(os), m_map(map), m_ini(ini), m_messages(messages), m_combo2(combo2) {}

void ModSetComm::StartUp() {
    m_comPort = ReadRememberedPort();
    // The operator's choice stays remembered while its port is absent: the refresh
    // selects it again when it appears.
    m_remembered = m_comPort > 0 ? m_comPort : qint16{0};

    if (m_fixedPortList) {
        FillFixedPortList();
        // A stored number that names no entry of the fixed list counts as none.
        if (m_comPort < 1 || m_comPort > kFixedPortCount) {
            m_comPort = 0;
        }
    } else {
        const qint16 first = RefreshPortList();
        if (first < 1) {
            m_comPort = 0;
        } else if (!InComPorts(m_comPort) || m_comPort < 1) {
            m_comPort = first;
        }
    }

    if (m_comPort != 0) {
        SelectPort(m_comPort);
        // A port standing in for an absent remembered one is for this run only.
        if (m_remembered == 0 || m_comPort == m_remembered) {
            StoreComPort();
        }
    } else {
        SelectIndex(-1);
    }
}

void ModSetComm::FillFixedPortList() {
    m_listed.clear();
    m_combo2.clear();
    for (int number = 1; number <= kFixedPortCount; ++number) {
        m_combo2.addEntry(portEntry(number));
    }
}

qint16 ModSetComm::RefreshPortList() {
    std::vector<platform::PortMapEntry> wanted;
    if (const auto map = m_map.entries()) {
        wanted.reserve(map->size());
        for (const platform::PortMapEntry& value : *map) {
            wanted.push_back({QStringLiteral("COM") + portPart(value.name), value.device});
        }
    }

    bool same = wanted.size() == m_listed.size() &&
                static_cast<std::size_t>(m_combo2.count()) == wanted.size();
    for (std::size_t i = 0; same && i < wanted.size(); ++i) {
        same = wanted[i].name == m_listed[i].name && wanted[i].device == m_listed[i].device &&
               m_combo2.entry(static_cast<int>(i)) == wanted[i].name;
    }
    if (!same) {
        m_combo2.clear();
        for (const platform::PortMapEntry& entry : wanted) {
            m_combo2.addEntry(entry.name, entry.device);
        }
        m_listed = std::move(wanted);
    }

    for (const platform::PortMapEntry& entry : m_listed) {
        if (const auto number = portNumber(QStringView(entry.name).mid(3))) {
            return *number;
        }
    }
    return 0;
}

bool ModSetComm::InComPorts(int number) const {
    return number >= 1 && indexOfEntry(m_combo2, portEntry(number)) >= 0;
}

void ModSetComm::ReShowComPortTimer_Timer() {
    const qint16 first = RefreshPortList();
    if (first < 1) {
        m_comPort = 0;
        SelectIndex(-1);
        return;
    }
    // The remembered port when it is listed (an adapter plugged in, again or after a
    // start without it, while the list had to choose another), else the port chosen before while it
    // is listed, else the first entry.
    const qint16 wanted = InComPorts(m_remembered) ? m_remembered : m_comPort;
    const QString picked = PickListEntry(m_combo2, portEntry(wanted));
    if (const auto number = portNumber(QStringView(picked).mid(3))) {
        SelectIndex(indexOfEntry(m_combo2, picked));
        m_comPort = *number;
    } else {
        // The first entry names no port ("COMx"): take the first entry that does,
        // so that the selection shown is the port that will be opened.
        SelectPort(first);
        m_comPort = first;
    }
}

void ModSetComm::SelectPort(int number) {
    SelectIndex(indexOfEntry(m_combo2, portEntry(number)));
}

void ModSetComm::SelectIndex(int index) {
    if (m_combo2.currentIndex() != index) {
        m_combo2.setCurrentIndex(index);
    }
}

} // namespace tavrik
