#pragma once

#include "platform/SerialPortMap.h"

#include <QString>

#include <chrono>
#include <vector>

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
///
/// Entries are "COM" followed by the characters 4 to 6 of each name in the system's
/// serial-port map, in the map's order (COM1234 shows as COM123). Only an entry whose
/// number is plain decimal above 0 ("COM3", not "COM03" or "COMx") can become ComPort.
class ModSetComm {
public:
    ModSetComm(const platform::OsVersion& os, const platform::SerialPortMap& map,
               platform::ProfileFile& ini, platform::MessageBoxes& messages, ListControl& combo2);

    /// Entries of the fixed list, COM1 to COM256.
    static constexpr int kFixedPortCount = 256;
    /// Interval of ReShowComPortTimer in enumeration mode.
    static constexpr std::chrono::milliseconds kRefreshInterval{1000};

    /// The chosen port number (3 for COM3); 0 for none.
    [[nodiscard]] qint16 ComPort() const { return m_comPort; }
    [[nodiscard]] bool FixedPortList() const { return m_fixedPortList; }

    /// Decides the list's mode from the operating-system version: the fixed list on
    /// NT 6.0 only. Shows "未知操作系统" when the version cannot be read.
    void CheckOsVersion();
    /// Start-up: reads the remembered port, builds the list, selects and stores the port.
    /// A port chosen because the remembered one is absent is not stored: the file keeps
    /// the operator's choice, and the refresh selects it when it appears.
    /// Call after CheckOsVersion. Enable the refresh timer afterwards unless FixedPortList().
    void StartUp();
    /// Rebuilds the list from the map; the first port number found, 0 when none.
    /// A map that gives the same entries as before leaves the list as it is.
    qint16 RefreshPortList();
    /// True when "COM" followed by the number is an entry of the list.
    [[nodiscard]] bool InComPorts(int number) const;
    /// The refresh tick, every second in enumeration mode. The remembered port (the one
    /// read at start-up or last stored) is chosen again whenever it is listed after the
    /// list had to choose another, for the operator has not picked another since: a pick
    /// is stored at once.
    void ReShowComPortTimer_Timer();
    /// The user picked an entry of the list.
    void Combo2_Click();

    /// The number stored in mysetup.ini, 0 when there is none usable.
    [[nodiscard]] qint16 ReadRememberedPort() const;
    void StoreComPort();

private:
    void FillFixedPortList();
    /// Selects the entry "COM<number>", or nothing when the list has no such entry.
    void SelectPort(int number);
    void SelectIndex(int index);

    const platform::OsVersion& m_os;
    const platform::SerialPortMap& m_map;
    platform::ProfileFile& m_ini;
    platform::MessageBoxes& m_messages;
    ListControl& m_combo2;
    qint16 m_comPort = 0;
    /// The operator's port: the one read at start-up, then the one last stored (or meant
    /// to be, when the file cannot be written); 0 for none.
    qint16 m_remembered = 0;
    bool m_fixedPortList = false;
    /// What the last rebuild put into the list, to tell whether the next has news.
    std::vector<platform::PortMapEntry> m_listed;
};

} // namespace tavrik
