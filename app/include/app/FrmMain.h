#pragma once

#include "app/ComboList.h"
#include "link/ModComm.h"
#include "ports/ModSetComm.h"
#include "settings/ModData.h"
#include "ui/FrmMainForm.h"

#include <QString>

#include <array>

namespace tavrik {
namespace platform {
class Clock;
class CodePage;
class MessageBoxes;
class OsVersion;
class ProfileFile;
class SerialPort;
class SerialPortMap;
class SystemCalendar;
class SystemLocale;
class Timer;
} // namespace platform

namespace app {

/// The operating-system services the window works with. The program passes the
/// real ones; tests pass fakes. All must outlive the window.
struct FrmMainServices {
    const platform::SystemLocale& locale;
    const platform::SystemCalendar& calendar;
    const platform::CodePage& codePage;
    const platform::OsVersion& osVersion;
    const platform::SerialPortMap& portMap;
    platform::ProfileFile& ini;
    platform::SerialPort& port;
    platform::Timer& waitTimer;    ///< 500 ms answer time-out
    platform::Timer& wakeTimer;    ///< wakes the link at the end of its waits
    platform::Timer& refreshTimer; ///< 1000 ms port list refresh
    platform::MessageBoxes& messages;
    const platform::Clock& clock; ///< times the record of what the line showed
};

/// The main window: start-up and shutdown, the operation commands, multi-write
/// mode, the input rules of the fields and the mapping between the fields and the
/// settings record. Constructing it runs the start-up sequence (Form_Load).
class FrmMain final : public ui::FrmMainForm, public LinkWindow {
    Q_OBJECT

public:
    explicit FrmMain(const FrmMainServices& services, QWidget* parent = nullptr);
    ~FrmMain() override;
    FrmMain(const FrmMain&) = delete;
    FrmMain& operator=(const FrmMain&) = delete;

    // What the programming link needs of the window.
    void ShowByData() override;
    void GetDataByShow() override;
    void ShowStartMulWrite(bool multiWrite) override;
    void setMulWriteStatus(const QString& text) override;
    void setMulWriteNumber(const QString& text) override;
    [[nodiscard]] Language language() const override {
        return static_cast<Language>(LanguageFlag());
    }

    void Form_Load();
    void Form_Unload();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Combo2_Click();
    void ReShowComPortTimer_Timer();
    /// The key filter; `keyAscii` is the typed character's code, set to 0 to discard it.
    void Text1_KeyPress(int index, qint16& keyAscii);
    void Text1_GotFocus(int index);

    /// Ctrl+Shift+M: shows the multi-write panel, or hides it while no run is under way.
    void ToggleMulWritePanel();

    [[nodiscard]] ModComm& comm() { return m_comm; }
    [[nodiscard]] ModData& data() { return m_data; }
    [[nodiscard]] ModSetComm& ports() { return m_ports; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    [[nodiscard]] int text1Index(const QObject* control) const;
    [[nodiscard]] bool inMulWriteMode() const;
    void connectControls();
    void cleanEditedText(int index);
    void detachHandlers();

    FrmMainServices m_services;
    ComboList m_combo2List;
    ComboList m_modelList;
    ModData m_data;
    ModSetComm m_ports;
    ModComm m_comm;
    bool m_unloaded = false;
    /// What each box holds: bytes of its field (characters for a version), applied by
    /// the window rather than the box.
    std::array<int, 14> m_fieldLimit{};
};

} // namespace app
} // namespace tavrik
