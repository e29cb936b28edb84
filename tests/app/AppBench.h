#pragma once

#include "FakeMessageBoxes.h"
#include "FakeSerialPort.h"
#include "FakeTimer.h"
#include "FixedCalendar.h"
#include "ServiceFakes.h"
#include "VirtualClock.h"
#include "app/FrmMain.h"
#include "platform/CodePage.h"
#include "platform/OsVersion.h"
#include "platform/ProfileFile.h"
#include "platform/SerialPortMap.h"
#include "platform/SystemLocale.h"
#include "radiosim/RadioSim.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QString>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <ostream>
#include <utility>
#include <vector>

namespace tavrik::apptest {

/// A radio's 256 bytes with known identity, factory and dealer information.
[[nodiscard]] radiosim::Memory KnownRadio(const char* serial = "2026030500000001");
/// Writes text bytes at an offset of the memory.
void PutText(radiosim::Memory& memory, int offset, const char* text);
/// The texts of Text1(0) to Text1(13).
[[nodiscard]] QStringList AllTexts(const app::FrmMain& w);

/// The window on fake services, with simulated radios on the line when attached.
class Bench {
public:
    Bench();
    ~Bench() { window.reset(); }

    /// Builds the window (which runs its start-up).
    app::FrmMain& open(std::uint32_t lcid = 0x0409);
    /// Shows the window and makes it the active one, for keyboard tests.
    void activate();
    /// Presses Tab `count` times and names the controls that took the focus.
    QStringList tabThrough(int count);
    /// Puts a series of radios on the cable behind the port; every byte takes its time.
    void attachRadios(std::vector<radiosim::Memory> radios);
    /// Runs virtual time until a message box has been shown (the end of an operation).
    bool runUntilMessage(std::chrono::milliseconds limit = std::chrono::seconds(10));

    [[nodiscard]] std::vector<QString> messageTexts() const { return messages.texts(); }

    test::VirtualClock clock;
    test::FakeSerialPort port{clock};
    test::FakeTimer waitTimer{clock, std::chrono::milliseconds(500)};
    test::FakeTimer refreshTimer{clock, std::chrono::milliseconds(1000)};
    test::FakeMessageBoxes messages;
    test::VirtualTime time{clock};
    test::FixedCalendar calendar{QDate(2026, 12, 7)};
    test::FakeLocale locale;
    test::FakeOsVersion os;
    test::FakePortMap portMap;
    test::FakeIni ini;
    std::unique_ptr<platform::CodePage> codePage = platform::makeCodePage(28591); // ASCII texts
    std::unique_ptr<radiosim::RadioSim> radio;
    std::unique_ptr<app::FrmMain> window;
};

} // namespace tavrik::apptest
