#pragma once

#include "FakeMessageBoxes.h"
#include "FakeSerialPort.h"
#include "FakeTimer.h"
#include "FixedCalendar.h"
#include "RadioMemory.h"
#include "ServiceFakes.h"
#include "VirtualClock.h"
#include "app/FrmMain.h"
#include "platform/CodePage.h"
#include "radiosim/RadioSim.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tavrik::apptest {

/// The window on fake services, with simulated radios on the line when attached.
struct Bench {
    Bench() {
        portMap.ports = {{QStringLiteral("COM3"), QStringLiteral("/dev/ttyUSB0")}};
        ini.values.insert(QStringLiteral("language/comPort"), QStringLiteral("3"));
        port.setAvailablePorts({3});
    }

    /// Builds the window (which runs its start-up).
    app::FrmMain& open(std::uint32_t lcid = 0x0409) {
        locale.lcid = lcid;
        window = std::make_unique<app::FrmMain>(
            app::FrmMainServices{locale, calendar, *codePage, os, portMap, ini, port, waitTimer,
                                 refreshTimer, messages, time});
        return *window;
    }

    /// Shows the window and makes it the active one, for keyboard tests.
    void activate() {
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    /// Presses Tab `count` times and names the controls that took the focus.
    QStringList tabThrough(int count) {
        QStringList visited;
        for (int i = 0; i < count; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        return visited;
    }

    /// Puts a series of radios on the cable behind the port; every byte takes its time
    /// (a radio answering at once would keep the virtual clock standing).
    void attachRadios(std::vector<radiosim::Memory> radios) {
        radiosim::SimOptions options;
        options.pacing = true;
        radio = std::make_unique<radiosim::RadioSim>(std::move(radios), options);
        port.setPeer([this](const QByteArray& sent, test::VirtualClock::Micros now) {
            return radio->receive(sent, now);
        });
    }

    /// Runs virtual time until `count` message boxes have been shown.
    bool runUntilMessages(std::size_t count = 1) {
        return clock.runUntil([&] { return messages.shown().size() >= count; },
                              std::chrono::seconds(60));
    }

    test::VirtualClock clock;
    test::FakeSerialPort port{clock};
    // The program's own intervals: a wrong one shows in the runs.
    test::FakeTimer waitTimer{clock, kAnswerTimeout};
    test::FakeTimer refreshTimer{clock, ModSetComm::kRefreshInterval};
    test::FakeMessageBoxes messages;
    test::VirtualTime time{clock};
    test::FixedCalendar calendar{QDate(2026, 12, 7)};
    test::FakeLocale locale;
    test::FakeOsVersion os;
    test::FakePortMap portMap;
    test::FakeIni ini;
    std::unique_ptr<platform::CodePage> codePage = platform::makeCodePage(28591);
    std::unique_ptr<radiosim::RadioSim> radio;
    std::unique_ptr<app::FrmMain> window; // last: it goes first
};

} // namespace tavrik::apptest
