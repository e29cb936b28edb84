#pragma once

#include "platform/MessageBoxes.h"
#include "platform/OsVersion.h"
#include "platform/ProfileFile.h"
#include "platform/SerialPortMap.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>
#include <ostream>
#include <utility>
#include <vector>

// Readable Qt strings in test failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << '"' << bytes.toStdString() << '"';
}

namespace tavrik::test {

class FakeOsVersion final : public platform::OsVersion {
public:
    std::optional<platform::OsVersionInfo> version;
    [[nodiscard]] std::optional<platform::OsVersionInfo> query() const override { return version; }
};

/// A serial-port map whose names the test sets; "unavailable" is a map that cannot
/// be opened. Each entry's device is `devicePrefix` and its name.
class FakeSerialPortMap final : public platform::SerialPortMap {
public:
    QStringList names;
    bool unavailable = false;
    QString devicePrefix = QStringLiteral("dev:");
    mutable int reads = 0;

    [[nodiscard]] std::optional<std::vector<platform::PortMapEntry>> entries() const override {
        ++reads;
        if (unavailable) {
            return std::nullopt;
        }
        std::vector<platform::PortMapEntry> list;
        for (const QString& name : names) {
            list.push_back({name, devicePrefix + name});
        }
        return list;
    }
    [[nodiscard]] QString deviceFor(int) const override { return {}; } // unused
};

/// A settings file in memory: "section/key" -> value; `writes` has every value stored.
class MemoryProfileFile final : public platform::ProfileFile {
public:
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

class RecordingMessageBoxes final : public platform::MessageBoxes {
public:
    std::vector<std::pair<QString, platform::MessageIcon>> shown;
    using MessageBoxes::inform;
    void inform(const QString& text, platform::MessageIcon icon,
                const platform::MessageDetails&) override {
        shown.emplace_back(text, icon);
    }
    [[nodiscard]] bool askOkCancel(const QString& text, platform::MessageIcon icon) override {
        shown.emplace_back(text, icon);
        return true;
    }
};

} // namespace tavrik::test
