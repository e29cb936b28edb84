// The whole program as main() puts it together (its real services, serial port, timers,
// settings file and message boxes), driven through its window against tavrik-radio-sim
// on a pseudo-terminal reached through a COM alias beside the program.

#include "EventLoop.h"
#include "RadioMemory.h"
#include "ServiceFakes.h"
#include "app/Program.h"
#include "platform/QtSerialPort.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace tavrik::test {
namespace {

struct Box {
    QString text;
    QString informative;
};

// Closes every message box the program shows (OK), keeping what it said.
class BoxCloser {
public:
    BoxCloser() {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                seen.push_back({box->text(), box->informativeText()});
                box->accept();
            }
        });
        m_timer.start();
    }
    /// Presses `button` and waits for the box that follows (shown at once or later);
    /// empty when none came.
    Box after(QPushButton* button, int milliseconds = 10000) {
        const std::size_t before = seen.size();
        button->click();
        return waitFor([&] { return seen.size() > before; }, milliseconds) ? seen[before] : Box{};
    }
    std::vector<Box> seen;

private:
    QTimer m_timer;
};

// A program in a folder of its own, and the simulated radio behind its port COM5.
class ProgramOnPty : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(m_dir.filePath(QStringLiteral("ports")))); }
    void TearDown() override { stopSimulator(); }

    void startSimulator(const QStringList& args) {
        m_sim.start(QStringLiteral(TAVRIK_RADIO_SIM_PATH),
                    QStringList{QStringLiteral("--memory"), memoryFile(), QStringLiteral("--link"),
                                alias(), QStringLiteral("--log"), file("radio.log")} +
                        args);
        ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(alias()); }, 5000));
    }
    void stopSimulator() {
        m_sim.terminate();
        m_sim.waitForFinished(5000);
    }
    [[nodiscard]] QString file(const char* name) const {
        return m_dir.filePath(QString::fromLatin1(name));
    }
    [[nodiscard]] QString alias() const { return file("ports/COM5"); }
    [[nodiscard]] QString memoryFile() const { return file("radio.bin"); }
    [[nodiscard]] radiosim::Memory memory(const QString& path) const {
        radiosim::Memory m{};
        QString error;
        EXPECT_TRUE(radiosim::LoadMemory(path, m, &error)) << error.toStdString();
        return m;
    }

    QTemporaryDir m_dir;
    QProcess m_sim;
    BoxCloser m_boxes;
};

QByteArray zeroFilled(const char* text) {
    QByteArray bytes(text);
    return bytes + QByteArray(16 - bytes.size(), '\0');
}

TEST_F(ProgramOnPty, ReadsThenWritesTheRadio) {
    startSimulator({});
    app::Program program(m_dir.path());
    app::FrmMain& w = program.window();
    ASSERT_EQ(w.Combo2->currentText(), QStringLiteral("COM5")); // the alias, listed first

    EXPECT_EQ(m_boxes.after(w.Command1).text, QStringLiteral("Read Complete!"));
    EXPECT_EQ(w.Text1Text(8), QStringLiteral("D-0042"));
    EXPECT_EQ(program.port().lineSettings(), QStringLiteral("9600,N,8,1"));

    w.SetText1Text(8, QStringLiteral("E2E-DEALER"));
    w.SetText1Text(11, QStringLiteral("Counter 2"));
    w.SetText1Text(12, QStringLiteral("9876"));
    EXPECT_EQ(m_boxes.after(w.Command2).text, QStringLiteral("Write Complete!"));
    stopSimulator(); // it has saved the radio's memory at END

    // Password and dealer fields as the window held them; the erased sell date written
    // as zeros; every other byte as the radio held it.
    radiosim::Memory expected = radiosim::DefaultMemory();
    Put(expected, 0x18, "9876");
    Put(expected, 0x60, zeroFilled("E2E-DEALER"));
    Put(expected, 0x80, zeroFilled(""));
    Put(expected, 0x90, zeroFilled("Counter 2"));
    EXPECT_EQ(memory(memoryFile()), expected);

    QFile ini(file("mysetup.ini")); // beside the program, whose folder can be written
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("comPort=5"));
}

TEST_F(ProgramOnPty, WritesASeriesOfThreeRadios) {
    for (int r = 1; r <= 3; ++r) {
        radiosim::Memory m = radiosim::DefaultMemory();
        Put(m, 0x20, QByteArray::number(r).repeated(16));
        ASSERT_TRUE(radiosim::SaveMemory(memoryFile() + QStringLiteral(".%1").arg(r), m));
    }
    startSimulator({QStringLiteral("--series"), QStringLiteral("3"),
                    QStringLiteral("--unplug-after"), QStringLiteral("100"),
                    QStringLiteral("--gap"), QStringLiteral("1200")});
    app::Program program(m_dir.path());
    app::FrmMain& w = program.window();
    w.SetText1Text(8, QStringLiteral("E2E-SERIES"));
    w.SetText1Text(11, QStringLiteral("Counter 3"));
    w.SetText1Text(12, QStringLiteral("2468"));
    w.setMulWritePanelVisible(true);
    w.Text2[0]->setText(QStringLiteral("3"));
    EXPECT_EQ(m_boxes.after(w.Command4, 30000).text, QStringLiteral("MulWrite Complete!"));
    EXPECT_TRUE(w.Text1Text(1).endsWith(QStringLiteral("00000004"))); // advanced per radio
    stopSimulator();

    for (int r = 1; r <= 3; ++r) {
        SCOPED_TRACE(r);
        // Each radio keeps its own serial number; the window's band (0), no flag ticked.
        radiosim::Memory expected = radiosim::DefaultMemory();
        Put(expected, 0x0F, QByteArray::fromHex("0031"));
        Put(expected, 0x18, "2468");
        Put(expected, 0x20, QByteArray::number(r).repeated(16));
        Put(expected, 0x60,
            zeroFilled("E2E-SERIES") + zeroFilled("") + zeroFilled("") + zeroFilled("Counter 3"));
        EXPECT_EQ(memory(memoryFile() + QStringLiteral(".%1").arg(r)), expected);
    }
}

// What only the real port and the real timers show: the adapter pulled out during a
// write, a radio answering after the 500 ms time-out, and an adapter gone at the next
// Read. Each box keeps its first line and says why below it.
TEST_F(ProgramOnPty, AFailingLineIsToldAsItHappened) {
    struct Case {
        QStringList simulator;
        QPushButton* app::FrmMain::*button;
        QString says;
    };
    const std::vector<Case> cases = {
        {{QStringLiteral("--vanish-after"), QStringLiteral("7")},
         &app::FrmMain::Command2,
         "The port was lost during the operation, at writing block 3B70 (4 of 7)"},
        {{QStringLiteral("--delay"), QStringLiteral("700")},
         &app::FrmMain::Command1,
         "The cable echoed the request, but the radio never answered."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says.toStdString());
        startSimulator(c.simulator);
        app::Program program(m_dir.path());
        program.window().Combo1[1]->setCurrentIndex(1); // the radio's band: no question
        const Box box = m_boxes.after(program.window().*c.button);
        EXPECT_EQ(box.text, QStringLiteral("Communication Error!"));
        EXPECT_TRUE(box.informative.contains(c.says)) << box.informative.toStdString();
        stopSimulator();
    }

    startSimulator({});
    app::Program program(m_dir.path());
    stopSimulator(); // the adapter is pulled; Read is pressed before the list follows
    const Box box = m_boxes.after(program.window().Command1);
    EXPECT_EQ(box.text, QStringLiteral("Cannot Open Communication Port."));
    EXPECT_TRUE(box.informative.contains(QStringLiteral("No device is listed as COM5 any more")))
        << box.informative.toStdString();
}

} // namespace
} // namespace tavrik::test

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
