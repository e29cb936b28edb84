// A full read and write through QtSerialPort against tavrik-radio-sim on a
// pseudo-terminal, and what the operator is told when the line fails on a real port.

#include "EventLoop.h"
#include "FakeMessageBoxes.h"
#include "FixedCalendar.h"
#include "WrittenMemory.h"
#include "link/ModComm.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/QtSerialPort.h"
#include "platform/QtTimer.h"
#include "platform/SerialPortMap.h"
#include "radiosim/Memory.h"
#include "settings/ModData.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace tavrik::test {
namespace {

// Port 1 is the simulator's pseudo-terminal.
class OnePortMap final : public platform::SerialPortMap {
public:
    explicit OnePortMap(QString device) : m_device(std::move(device)) {}
    [[nodiscard]] std::optional<std::vector<platform::PortMapEntry>> entries() const override {
        return std::vector<platform::PortMapEntry>{{QStringLiteral("COM1"), m_device}};
    }
    [[nodiscard]] QString deviceFor(int portNumber) const override {
        return portNumber == 1 ? m_device : QString();
    }

private:
    QString m_device;
};

class DealerWindow final : public LinkWindow {
public:
    explicit DealerWindow(ModData& data) : m_data(data) {}
    void ShowByData() override { ++shown; }
    void GetDataByShow() override {
        RadioSettings& s = m_data.settings();
        s.BandIndex = 0;
        s.FreqSetEnabled = 0;
        s.StunEnabled = 1;
        s.KillEnabled = 0;
        s.ProgramPassword = QStringLiteral("9876");
        s.DealerCode = QStringLiteral("E2E-DEALER");
        s.StockDate = QStringLiteral("2026-02-02");
        s.SellDate = QStringLiteral("2026-03-03");
        s.Seller = QStringLiteral("Counter 2");
    }
    bool ShowStartMulWrite() override { return false; }
    void setMulWriteStatus(const QString&) override {}
    void setMulWriteNumber(const QString&) override {}
    [[nodiscard]] qint16 languageFlag() const override { return kLanguageEnglish; }
    int shown = 0;

private:
    ModData& m_data;
};

// The link on the real serial port and time-out, as the program puts it together.
struct Rig {
    explicit Rig(QString device)
        : map(std::move(device)), port(map), codePage(platform::makeCodePage(28591)),
          data(*codePage, calendar), window(data),
          comm(port, timer, boxes, clock, data, window, [] { return qint16{1}; }) {
        data.LoadDefaults();
    }

    OnePortMap map;
    platform::QtSerialPort port;
    platform::QtTimer timer{kAnswerTimeout};
    FakeMessageBoxes boxes;
    platform::SystemClock clock;
    std::unique_ptr<platform::CodePage> codePage;
    FixedCalendar calendar{QDate(2026, 3, 5)};
    ModData data;
    DealerWindow window;
    ModComm comm;
};

class LinkOnPty : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_memoryFile = m_dir.filePath(QStringLiteral("radio.bin"));
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

    // Starts the simulator and returns the device path it prints first.
    QString startSimulator(const QStringList& faults = {}) {
        m_sim.setProgram(QStringLiteral(TAVRIK_RADIO_SIM_PATH));
        m_sim.setArguments(QStringList{QStringLiteral("--memory"), m_memoryFile,
                                       QStringLiteral("--log"),
                                       m_dir.filePath(QStringLiteral("radio.log"))} +
                           faults);
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
    QString m_memoryFile;
    QProcess m_sim;
};

TEST_F(LinkOnPty, ReadsAndWritesTheRadio) {
    const QString device = startSimulator();
    ASSERT_TRUE(device.startsWith(QLatin1String("/dev/"))) << device.toStdString();

    Rig rig(device);

    rig.comm.StartRead();
    ASSERT_TRUE(waitFor([&] { return !rig.boxes.shown().empty(); }, 10000));
    EXPECT_EQ(rig.boxes.texts(), std::vector<QString>{"Read Complete!"});
    const radiosim::Memory before = radiosim::DefaultMemory();
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(rig.data.image().at(0x3B00 + i), before[static_cast<size_t>(i)]) << i;
    }
    EXPECT_EQ(rig.data.settings().DealerCode.text(), QStringLiteral("D-0042"));
    EXPECT_FALSE(rig.port.isOpen());

    rig.boxes.clear();
    rig.comm.StartWrite();
    ASSERT_TRUE(waitFor([&] { return !rig.boxes.shown().empty(); }, 10000));
    EXPECT_EQ(rig.boxes.texts(), std::vector<QString>{"Write Complete!"});
    EXPECT_EQ(rig.comm.state().opKind, OpKind::Idle);
    EXPECT_EQ(rig.window.shown, 2);

    // The simulator saved the radio's memory at END.
    m_sim.terminate();
    ASSERT_TRUE(m_sim.waitForFinished(5000));
    radiosim::Memory after{};
    QString error;
    ASSERT_TRUE(radiosim::LoadMemory(m_memoryFile, after, &error)) << error.toStdString();
    const radiosim::Memory expected = afterWrite(
        before, {0x00, 0x04, "9876", "E2E-DEALER", "2026-02-02", "2026-03-03", "Counter 2"});
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(after[static_cast<size_t>(i)], expected[static_cast<size_t>(i)])
            << "offset " << i;
    }

    QFile log(m_dir.filePath(QStringLiteral("radio.log")));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    EXPECT_EQ(text.count("PROGRAM"), 2);
    EXPECT_EQ(text.count("END"), 2);
    EXPECT_EQ(text.count(": W 3B"), 7);
}

// What the line showed on a real port points at the cause: a cable that does not
// echo, a radio that never answers, an adapter pulled out part-way through a write.
TEST_F(LinkOnPty, AFailureSaysWhatTheLineShowed) {
    struct Case {
        const char* name;
        QStringList faults;
        QString says;
        QString written;
    };
    const std::vector<Case> cases = {
        {"cable without echo",
         {QStringLiteral("--no-echo")},
         "never the echo of the request",
         "was not written to"},
        {"radio never answers",
         {QStringLiteral("--silent-after"), QStringLiteral("0")},
         "the radio never answered",
         "was not written to"},
        {"adapter pulled part-way",
         {QStringLiteral("--vanish-after"), QStringLiteral("7")},
         "The port was lost during the operation, at writing block 3B70 (4 of 7)",
         "accepted 3 of the 7 blocks"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        const QString device = startSimulator(c.faults);
        ASSERT_TRUE(device.startsWith(QLatin1String("/dev/"))) << device.toStdString();
        Rig rig(device);
        rig.comm.StartWrite();
        ASSERT_TRUE(waitFor([&] { return !rig.boxes.shown().empty(); }, 10000));
        const FakeMessageBoxes::Shown& box = rig.boxes.shown().front();
        EXPECT_EQ(box.text, QStringLiteral("Communication Error!"));
        EXPECT_TRUE(box.details.informative.contains(c.says))
            << box.details.informative.toStdString();
        EXPECT_TRUE(box.details.informative.contains(c.written));
        EXPECT_TRUE(box.details.detailed.contains(QStringLiteral("Port: COM1 → ") + device));
        EXPECT_EQ(rig.comm.state().opKind, OpKind::Idle);
        EXPECT_FALSE(rig.port.isOpen());
        EXPECT_EQ(rig.window.shown, 0);
    }
}

// The real port says why it would not open, and the box passes it on.
TEST(LinkOpen, AMissingDeviceIsToldAsGone) {
    Rig rig(QStringLiteral("/dev/ttyTAVRIK-unplugged"));
    rig.comm.StartRead();
    ASSERT_EQ(rig.boxes.texts(), std::vector<QString>{"Cannot Open Communication Port."});
    EXPECT_TRUE(rig.boxes.shown().front().details.informative.contains(
        QStringLiteral("/dev/ttyTAVRIK-unplugged no longer exists")));
}

} // namespace
} // namespace tavrik::test

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
