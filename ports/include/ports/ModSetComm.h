#pragma once

#include <QString>

namespace tavrik {
class ListControl;
namespace platform {
class MessageBoxes;
class OsVersion;
class ProfileFile;
class SerialPortMap;
} // namespace platform

/// Serial port discovery and the remembered port: the port list (Combo2), its
/// refresh, the chosen port ComPort and mysetup.ini.
class ModSetComm {
public:
    ModSetComm(const platform::OsVersion& os, const platform::SerialPortMap& map,
               platform::ProfileFile& ini, platform::MessageBoxes& messages,
               ListControl& combo2);

    /// The chosen port number (3 for COM3); 0 for none.
    [[nodiscard]] qint16 ComPort() const { return m_comPort; }
    [[nodiscard]] bool FixedPortList() const { return m_fixedPortList; }

    /// Decides the list's mode from the operating-system version.
    void CheckOsVersion();
    /// Start-up: reads the remembered port, builds the list, selects and stores the port.
    void StartUp();
    /// Rebuilds the list from the map; the first port number found, 0 when none.
    qint16 RefreshPortList();
    /// True when "COM" followed by the number is an entry of the list.
    [[nodiscard]] bool InComPorts(int number) const;
    /// The refresh tick, every second in enumeration mode.
    void ReShowComPortTimer_Timer();
    /// The user picked an entry of the list.
    void Combo2_Click();

    /// The number stored in mysetup.ini, 0 when there is none usable.
    [[nodiscard]] qint16 ReadRememberedPort() const;
    void StoreComPort();

private:
    const platform::OsVersion& m_os;
    const platform::SerialPortMap& m_map;
    platform::ProfileFile& m_ini;
    platform::MessageBoxes& m_messages;
    ListControl& m_combo2;
    qint16 m_comPort = 0;
    bool m_fixedPortList = false;
};

} // namespace tavrik
