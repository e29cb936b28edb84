// A pseudo-terminal opened by its COM number through an alias in the folder beside
// the program, talking to tavrik-radio-sim: the entry listed and the device opened agree.
#include "FakeListControl.h"
#include "PortsFakes.h"
#include "platform/QtSerialPort.h"
#include "platform/SystemSerialPortMap.h"
#include "ports/ModSetComm.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tavrik::test {
namespace {

TEST(AliasOnSimulator, HandshakeThroughComSeven) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("ports")));
    const QString link = dir.filePath(QStringLiteral("ports/COM7"));
    QProcess sim; // killed when it goes out of scope
    sim.start(QStringLiteral(TAVRIK_RADIO_SIM_PATH), {QStringLiteral("--link"), link});
    // The simulator prints its device path first; a bound against hanging, not a measure.
    QDeadlineTimer deadline(5000);
    while (!sim.canReadLine() && !deadline.hasExpired()) {
        sim.waitForReadyRead(100);
    }
    const QString device = QString::fromLocal8Bit(sim.readLine()).trimmed();
    ASSERT_TRUE(device.startsWith(QLatin1String("/dev/"))) << device.toStdString();

    // The program's own map: the alias folder, then the machine's devices.
    const auto map = platform::makeSystemSerialPortMap({dir.filePath(QStringLiteral("ports"))});
    const auto entries = map->entries();
    ASSERT_TRUE(entries.has_value() && !entries->empty());
    EXPECT_EQ(entries->front().name, QStringLiteral("COM7"));
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
    deadline = QDeadlineTimer(10000);
    while (received.size() < 10 && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    EXPECT_EQ(received, QByteArray::fromHex("50524F4752414D 515806"));
}

} // namespace
} // namespace tavrik::test

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
