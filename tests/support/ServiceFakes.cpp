#include "ServiceFakes.h"

namespace tavrik::test {

void FakePortMap::setNames(const QStringList& names) {
    ports.clear();
    for (const QString& name : names) {
        ports.push_back({name, QStringLiteral("/dev/") + name});
    }
}

std::optional<std::vector<platform::PortMapEntry>> FakePortMap::entries() const {
    ++reads;
    if (unavailable) {
        return std::nullopt;
    }
    return ports;
}

QString FakePortMap::deviceFor(int portNumber) const {
    for (const platform::PortMapEntry& entry : ports) {
        if (entry.name == QStringLiteral("COM%1").arg(portNumber)) {
            return entry.device;
        }
    }
    return {};
}

QString FakeIni::read(const QString& section, const QString& key, const QString& fallback) const {
    return values.value(section + u'/' + key, fallback);
}

bool FakeIni::write(const QString& section, const QString& key, const QString& value) {
    if (refuseWrites) {
        return false;
    }
    writes.append(value);
    values.insert(section + u'/' + key, value);
    return true;
}

} // namespace tavrik::test
