#pragma once

#include "platform/OsVersion.h"
#include "platform/ProfileFile.h"
#include "platform/SerialPortMap.h"
#include "platform/SystemLocale.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <ostream>
#include <vector>

// Readable Qt strings in test failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << '"' << bytes.toStdString() << '"';
}

namespace tavrik::test {

/// A system locale the test chooses (English, United States, unless set).
struct FakeLocale final : platform::SystemLocale {
    std::uint32_t lcid = 0x0409;
    [[nodiscard]] std::uint32_t systemDefaultLcid() const override { return lcid; }
};

/// An operating-system version the test chooses (Windows 10 unless set); empty when
/// the version cannot be read.
struct FakeOsVersion final : platform::OsVersion {
    std::optional<platform::OsVersionInfo> info = platform::OsVersionInfo{2, 10, 0};
    [[nodiscard]] std::optional<platform::OsVersionInfo> query() const override { return info; }
};

/// A serial-port map whose entries the test sets; `unavailable` is a map that cannot
/// be opened. `reads` counts the times it was read.
struct FakePortMap final : platform::SerialPortMap {
    std::vector<platform::PortMapEntry> ports;
    bool unavailable = false;
    mutable int reads = 0;

    /// Entries named `names`, each standing for the device "/dev/<name>".
    void setNames(const QStringList& names) {
        ports.clear();
        for (const QString& name : names) {
            ports.push_back({name, QStringLiteral("/dev/") + name});
        }
    }
    [[nodiscard]] std::optional<std::vector<platform::PortMapEntry>> entries() const override {
        ++reads;
        return unavailable ? std::nullopt : std::optional(ports);
    }
    /// The device of the entry named "COM<n>".
    [[nodiscard]] QString deviceFor(int portNumber) const override {
        for (const platform::PortMapEntry& entry : ports) {
            if (entry.name == QStringLiteral("COM%1").arg(portNumber)) {
                return entry.device;
            }
        }
        return {};
    }
};

/// A settings file in memory: "section/key" -> value; `writes` holds every value
/// stored, in order.
struct FakeIni final : platform::ProfileFile {
    QMap<QString, QString> values;
    QStringList writes;

    [[nodiscard]] QString read(const QString& section, const QString& key,
                               const QString& fallback) const override {
        return values.value(section + u'/' + key, fallback);
    }
    bool write(const QString& section, const QString& key, const QString& value) override {
        writes.append(value);
        values.insert(section + u'/' + key, value);
        return true;
    }
};

} // namespace tavrik::test
