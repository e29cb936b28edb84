#pragma once

#include "FakeMessageBoxes.h"
#include "FakeSerialPort.h"
#include "FakeTimer.h"
#include "FixedCalendar.h"
#include "VirtualClock.h"
#include "app/FrmMain.h"
#include "platform/CodePage.h"
#include "platform/OsVersion.h"
#include "platform/ProfileFile.h"
#include "platform/SerialPortMap.h"
#include "platform/SystemLocale.h"
#include "radiosim/RadioSim.h"

#include <QMap>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

#include <ostream>

/// Readable QString values in test failures.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace tavrik::apptest {

struct FakeLocale final : platform::SystemLocale {
    std::uint32_t lcid = 0x0409;
    [[nodiscard]] std::uint32_t systemDefaultLcid() const override { return lcid; }
};

struct FakeOsVersion final : platform::OsVersion {
    std::optional<platform::OsVersionInfo> info = platform::OsVersionInfo{2, 10, 0};
    [[nodiscard]] std::optional<platform::OsVersionInfo> query() const override { return info; }
};

struct FakePortMap final : platform::SerialPortMap {
    std::vector<platform::PortMapEntry> ports{
        {QStringLiteral("COM3"), QStringLiteral("/dev/ttyUSB0")}};
    [[nodiscard]] std::optional<std::vector<platform::PortMapEntry>> entries() const override {
        return ports;
    }
    [[nodiscard]] QString deviceFor(int portNumber) const override;
};

struct FakeIni final : platform::ProfileFile {
    QMap<QString, QString> values; ///< "section/key" -> value
    [[nodiscard]] QString read(const QString& section, const QString& key,
                               const QString& fallback) const override {
        return values.value(section + QLatin1Char('/') + key, fallback);
    }
    bool write(const QString& section, const QString& key, const QString& value) override {
        values.insert(section + QLatin1Char('/') + key, value);
        return true;
    }
};

/// Latin-1 stands in for the system code page: the tests' texts are ASCII.
struct Latin1CodePage final : platform::CodePage {
    [[nodiscard]] int number() const override { return 28591; }
    [[nodiscard]] QByteArray fromUnicode(const QString& text) const override {
        return text.toLatin1();
    }
    [[nodiscard]] QString toUnicode(const QByteArray& bytes) const override {
        return QString::fromLatin1(bytes);
    }
};

/// A radio's 256 bytes with known identity, factory and dealer information.
[[nodiscard]] radiosim::Memory KnownRadio(const char* serial = "2026030500000001");
/// Writes text bytes at an offset of the memory.
void PutText(radiosim::Memory& memory, int offset, const char* text);

/// The window on fake services, with simulated radios on the line when attached.
class Bench {
public:
    Bench();
    ~Bench();

    /// Builds the window (which runs its start-up). Locale 0x0409 unless given.
    app::FrmMain& open(std::uint32_t lcid = 0x0409);
    /// Puts a series of radios on the cable behind the port, at 9600 baud.
    void attachRadios(std::vector<radiosim::Memory> radios, radiosim::SimOptions options = {});

    /// Runs virtual time until `done` holds, for at most `limit`.
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
    /// Runs virtual time until a message box has been shown (the end of an operation).
    bool runUntilMessage(std::chrono::milliseconds limit = std::chrono::seconds(10));

    [[nodiscard]] std::vector<QString> messageTexts() const { return messages.texts(); }
    /// Requests the window sent that start with the handshake "PROGRAM".
    [[nodiscard]] int handshakesSent() const;

    test::VirtualClock clock;
    test::FakeSerialPort port{clock};
    test::FakeTimer waitTimer{clock, std::chrono::milliseconds(500)};
    test::FakeTimer refreshTimer{clock, std::chrono::milliseconds(1000)};
    test::FakeMessageBoxes messages;
    test::FixedCalendar calendar{QDate(2026, 12, 7)};
    FakeLocale locale;
    FakeOsVersion os;
    FakePortMap portMap;
    FakeIni ini;
    Latin1CodePage codePage;
    std::unique_ptr<radiosim::RadioSim> radio;
    std::unique_ptr<app::FrmMain> window;
};

} // namespace tavrik::apptest
