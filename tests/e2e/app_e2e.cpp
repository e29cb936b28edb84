// Three radios written in a row through the window, over the real serial port reached
// by its COM alias, against tavrik-radio-sim serving a series with an unplug gap.

#include "EventLoop.h"
#include "FakeMessageBoxes.h"
#include "FixedCalendar.h"
#include "ServiceFakes.h"
#include "WrittenMemory.h"
#include "app/FrmMain.h"
#include "link/ModComm.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/IniProfileFile.h"
#include "platform/LinuxSerialPortMap.h"
#include "platform/OsVersion.h"
#include "platform/QtSerialPort.h"
#include "platform/QtTimer.h"
#include "platform/SystemLocale.h"
#include "ports/ModSetComm.h"
#include "radiosim/Memory.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace tavrik::test {
namespace {

radiosim::Memory radioWithSerial(const QByteArray& serial) {
    radiosim::Memory m = radiosim::DefaultMemory();
    for (int i = 0; i < 16; ++i) {
        m[static_cast<std::size_t>(0x20 + i)] =
            i < serial.size() ? static_cast<std::uint8_t>(serial.at(i)) : 0;
    }
    return m;
}

TEST(WindowOnPty, MultiWriteWritesThreeRadiosInARow) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString aliasFolder = dir.filePath(QStringLiteral("ports"));
    ASSERT_TRUE(QDir().mkpath(aliasFolder));
    const QString memoryBase = dir.filePath(QStringLiteral("radio.bin"));
    const QByteArray serials[] = {"1000000000000001", "2000000000000002", "3000000000000003"};
    radiosim::Memory before[3];
    for (int r = 0; r < 3; ++r) {
        before[r] = radioWithSerial(serials[r]);
        ASSERT_TRUE(radiosim::SaveMemory(memoryBase + QStringLiteral(".%1").arg(r + 1), before[r]));
    }

    QProcess sim;
    sim.setProgram(QStringLiteral(TAVRIK_RADIO_SIM_PATH));
    sim.setArguments({QStringLiteral("--memory"), memoryBase, QStringLiteral("--link"),
                      aliasFolder + QStringLiteral("/COM5"), QStringLiteral("--series"),
                      QStringLiteral("3"), QStringLiteral("--unplug-after"), QStringLiteral("100"),
                      QStringLiteral("--gap"), QStringLiteral("1200"), QStringLiteral("--log"),
                      dir.filePath(QStringLiteral("radio.log"))});
    sim.start();
    ASSERT_TRUE(sim.waitForStarted(5000));
    ASSERT_TRUE(
        waitFor([&] { return QFileInfo::exists(aliasFolder + QStringLiteral("/COM5")); }, 5000));

    // The real services, except the locale, the date and the messages.
    const FakeLocale locale;
    const FixedCalendar calendar(QDate(2026, 3, 5));
    const std::unique_ptr<platform::CodePage> codePage = platform::makeCodePage(28591);
    const FakeOsVersion os;
    const platform::LinuxSerialPortMap map({aliasFolder}, [] { return QStringList(); });
    platform::IniProfileFile ini(platform::settingsFilePath(dir.path()));
    ASSERT_TRUE(
        ini.write(QStringLiteral("language"), QStringLiteral("comPort"), QStringLiteral("5")));
    platform::QtSerialPort port(map);
    platform::QtTimer waitTimer(kAnswerTimeout);
    platform::QtTimer refreshTimer(ModSetComm::kRefreshInterval);
    FakeMessageBoxes messages;
    const platform::SystemClock clock;
    {
        app::FrmMain window({locale, calendar, *codePage, os, map, ini, port, waitTimer,
                             refreshTimer, messages, clock});
        window.show();
        ASSERT_EQ(window.Combo2->currentText(), QStringLiteral("COM5"));
        window.SetText1Text(8, QStringLiteral("E2E-SERIES"));
        window.SetText1Text(11, QStringLiteral("Counter 3"));
        window.SetText1Text(12, QStringLiteral("2468"));
        window.setMulWritePanelVisible(true);
        window.Text2[0]->setText(QStringLiteral("3"));
        window.Command4->click();
        EXPECT_EQ(window.Text2[1]->text(), QStringLiteral("1"));

        ASSERT_TRUE(waitFor([&] { return !messages.shown().empty(); }, 30000))
            << "radio in hand: " << window.Text2[1]->text().toStdString();
        EXPECT_EQ(messages.texts(), std::vector<QString>{QStringLiteral("MulWrite Complete!")});
        // Defaults of 5 March 2026, advanced once per radio.
        EXPECT_EQ(window.Text1Text(1), QStringLiteral("2026030500000004"));
        EXPECT_TRUE(window.Command1->isEnabled());
        EXPECT_EQ(window.Command4->text(), QStringLiteral("&MulWrite"));
        // The run is over: the port is closed and no time-out is pending.
        EXPECT_FALSE(port.isOpen());
        EXPECT_FALSE(waitTimer.isEnabled());
        window.close();
    }

    sim.terminate();
    ASSERT_TRUE(sim.waitForFinished(5000));
    for (int r = 0; r < 3; ++r) {
        SCOPED_TRACE(r + 1);
        radiosim::Memory after{};
        QString error;
        ASSERT_TRUE(
            radiosim::LoadMemory(memoryBase + QStringLiteral(".%1").arg(r + 1), after, &error))
            << error.toStdString();
        // The window's band (0) and no flags ticked; stock and sell dates left empty.
        const radiosim::Memory expected =
            afterWrite(before[r], {0, 0x00, "2468", "E2E-SERIES", "", "", "Counter 3"});
        for (int i = 0; i < 256; ++i) {
            ASSERT_EQ(after[static_cast<std::size_t>(i)], expected[static_cast<std::size_t>(i)])
                << "offset " << i;
        }
    }
}

} // namespace
} // namespace tavrik::test

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
