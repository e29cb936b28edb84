// A pseudo-terminal opened by its COM number through an alias in the folder beside
// the program, talking to tavrik-radio-sim: the entry listed and the device opened agree.
#include "FakeListControl.h"
#include "PortsFakes.h"
#include "QtPrinters.h"
#include "platform/LinuxSerialPortMap.h"
#include "platform/QtSerialPort.h"
#include "platform/SystemSerialPortMap.h"
#include "ports/ModSetComm.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace tavrik::test {
namespace {

/// Runs the event loop until `done` holds; false if it has not within the bound
/// (a guard against hanging, not a measure of speed).
bool waitFor(const std::function<bool()>& done) {
    QDeadlineTimer deadline(10000);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

class AliasOnSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("ports")));
    }

    void TearDown() override {
        if (m_sim.state() != QProcess::NotRunning) {
            m_sim.terminate();
            if (!m_sim.waitForFinished(3000)) {
                m_sim.kill();
                m_sim.waitForFinished(3000);
            }
        }
    }

    /// Starts the simulator with its link at `link`; the device path it prints first.
    QString startSimulator(const QString& link) {
        m_sim.setProgram(QStringLiteral(TAVRIK_RADIO_SIM_PATH));
        m_sim.setArguments({QStringLiteral("--link"), link});
        m_sim.start();
        if (!m_sim.waitForStarted(5000)) {
            return {};
        }
        QDeadlineTimer deadline(5000);
        while (!m_sim.canReadLine() && !deadline.hasExpired()) {
            m_sim.waitForReadyRead(100);
        }
        return QString::fromLocal8Bit(m_sim.readLine()).trimmed();
    }

    QTemporaryDir m_dir;
    QProcess m_sim;
};

TEST_F(AliasOnSimulator, HandshakeThroughComSeven) {
    const QString link = m_dir.filePath(QStringLiteral("ports/COM7"));
    const QString device = startSimulator(link);
    ASSERT_TRUE(device.startsWith(QLatin1String("/dev/"))) << device.toStdString();
    ASSERT_TRUE(QFileInfo(link).isSymLink());

    // The program's own map: aliases beside the program, then the machine's devices.
    const auto map = platform::makeSystemSerialPortMap(m_dir.path());
    const auto entries = map->entries();
    ASSERT_TRUE(entries.has_value());
    ASSERT_FALSE(entries->empty());
    EXPECT_EQ(entries->front().name, "COM7");
    EXPECT_EQ(entries->front().device, device);

    // Start-up lists and selects it, as the window would show it.
    FakeOsVersion os;
    MemoryProfileFile ini;
    RecordingMessageBoxes messages;
    FakeListControl combo2;
    ModSetComm ports(os, *map, ini, messages, combo2);
    ports.StartUp();
    ASSERT_EQ(ports.ComPort(), 7);
    EXPECT_EQ(combo2.currentText(), "COM7");
    EXPECT_EQ(combo2.detail(combo2.currentIndex()), device);

    platform::QtSerialPort port(*map);
    EXPECT_FALSE(port.open(8)); // no such port in the map
    ASSERT_TRUE(port.open(ports.ComPort()));
    QByteArray received;
    port.setReceiveHandler([&] { received += port.takeInput(); });
    port.clearBuffers();
    port.setReceiveThreshold(10);
    ASSERT_TRUE(port.send(QByteArray("PROGRAM")));
    ASSERT_TRUE(waitFor([&] { return received.size() >= 10; })) << received.toHex(' ').data();
    EXPECT_EQ(received, QByteArray::fromHex("50524F4752414D 515806"));
    port.close();
}

} // namespace
} // namespace tavrik::test

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
