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
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace tavrik::test {
namespace {

struct Box {
    QString text;
    QString informative;
    bool plainText = false; // the explanation is never read as rich text
};

// A program in a folder of its own, and the simulated radio behind its port COM5.
class ProgramOnPty : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(m_dir.filePath(QStringLiteral("ports"))));
        // Closes every message box the program shows (OK), keeping what it said.
        QObject::connect(&m_boxCloser, &QTimer::timeout, &m_boxCloser, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                const auto* label =
                    box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
                m_boxes.push_back({box->text(), box->informativeText(),
                                   label != nullptr && label->textFormat() == Qt::PlainText});
                box->accept();
            }
        });
        m_boxCloser.start(20);
    }
    void TearDown() override { stopSimulator(); }

    /// Presses `button` and waits for the box that follows (shown at once or later);
    /// empty when none came.
    Box after(QPushButton* button) {
        const std::size_t before = m_boxes.size();
        button->click();
        return waitFor([&] { return m_boxes.size() > before; }, 30000) ? m_boxes[before] : Box{};
    }
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
    [[nodiscard]] static radiosim::Memory memory(const QString& path) {
        radiosim::Memory m{};
        EXPECT_TRUE(radiosim::LoadMemory(path, m, nullptr)) << path.toStdString();
        return m;
    }

    QTemporaryDir m_dir;
    QProcess m_sim;
    QTimer m_boxCloser;
    std::vector<Box> m_boxes;
};

TEST_F(ProgramOnPty, ReadsThenWritesTheRadio) {
    startSimulator({});
    app::Program program(m_dir.path());
    app::FrmMain& w = program.window();
    ASSERT_EQ(w.Combo2->currentText(), QStringLiteral("COM5")); // the alias, listed first

    EXPECT_EQ(after(w.Command1).text, QStringLiteral("Read Complete!"));
    EXPECT_EQ(w.Text1Text(8), QStringLiteral("D-0042"));
    EXPECT_EQ(program.port().lineSettings(), QStringLiteral("9600,N,8,1"));

    w.SetText1Text(8, QStringLiteral("E2E-DEALER"));
    w.SetText1Text(11, QStringLiteral("Counter 2"));
    w.SetText1Text(12, QStringLiteral("9876"));
    EXPECT_EQ(after(w.Command2).text, QStringLiteral("Write Complete!"));
    stopSimulator(); // it has saved the radio's memory at END

    // Password and dealer fields as the window held them; the erased sell date written
    // as zeros; every other byte as the radio held it.
    radiosim::Memory expected = radiosim::DefaultMemory();
    Put(expected, 0x18, "9876");
    Put(expected, 0x60, QByteArray("E2E-DEALER\0\0\0\0\0\0", 16));
    Put(expected, 0x80, QByteArray(16, '\0') + QByteArray("Counter 2\0\0\0\0\0\0\0", 16));
    EXPECT_EQ(memory(memoryFile()), expected);

    QFile ini(file("mysetup.ini")); // beside the program, whose folder can be written
    EXPECT_TRUE(ini.open(QIODevice::ReadOnly) && ini.readAll().contains("comPort=5"));
}

TEST_F(ProgramOnPty, WritesASeriesOfTwoRadios) {
    startSimulator({QStringLiteral("--series"), QStringLiteral("2"),
                    QStringLiteral("--unplug-after"), QStringLiteral("100"),
                    QStringLiteral("--gap"), QStringLiteral("1200")});
    app::Program program(m_dir.path());
    app::FrmMain& w = program.window();
    w.SetText1Text(8, QStringLiteral("E2E-SERIES"));
    w.SetText1Text(12, QStringLiteral("2468"));
    w.setMulWritePanelVisible(true);
    w.Text2[0]->setText(QStringLiteral("2"));
    EXPECT_EQ(after(w.Command4).text, QStringLiteral("MulWrite Complete!"));
    EXPECT_TRUE(w.Text1Text(1).endsWith(QStringLiteral("00000003"))); // advanced per radio
    stopSimulator();

    for (const char* r : {".1", ".2"}) {
        // Each radio holds the window's band (0), flags (none ticked; the radio's other
        // bits kept), password and dealer code.
        const radiosim::Memory m = memory(memoryFile() + r);
        const QByteArray held(reinterpret_cast<const char*>(m.data()), 0x70);
        EXPECT_EQ(held.mid(0x0F, 2) + held.mid(0x18, 4) + held.mid(0x60),
                  QByteArray::fromHex("0031") + "2468" + QByteArray("E2E-SERIES\0\0\0\0\0\0", 16));
    }
}

// What only the real port and the real timers show: the adapter pulled out during a
// write, a radio answering after the 500 ms time-out, and an adapter gone at the next
// Read. Each box keeps its first line and says why below it.
TEST_F(ProgramOnPty, AFailingLineIsToldAsItHappened) {
    // What the simulated radio does, the button pressed, what the box says below.
    const std::vector<std::tuple<QStringList, QPushButton * app::FrmMain::*, QString>> cases{
        {{QStringLiteral("--vanish-after"), QStringLiteral("7")},
         &app::FrmMain::Command2,
         "The port was lost while writing the dealer information (block 4 of 7)"},
        {{QStringLiteral("--delay"), QStringLiteral("700")},
         &app::FrmMain::Command1,
         "The cable returned the request, but the radio did not answer."},
    };
    for (const auto& [simulator, button, says] : cases) {
        SCOPED_TRACE(says.toStdString());
        startSimulator(simulator);
        app::Program program(m_dir.path());
        program.window().Combo1[1]->setCurrentIndex(1); // the radio's band: no question
        const Box box = after(program.window().*button);
        EXPECT_EQ(box.text, QStringLiteral("Communication Error!"));
        EXPECT_TRUE(box.informative.contains(says)) << box.informative.toStdString();
        EXPECT_TRUE(box.plainText);
        stopSimulator();
    }

    startSimulator({});
    app::Program program(m_dir.path());
    stopSimulator(); // the adapter is pulled; Read is pressed before the list follows
    const Box box = after(program.window().Command1);
    EXPECT_EQ(box.text, QStringLiteral("Cannot Open Communication Port."));
    EXPECT_TRUE(box.informative.contains(QStringLiteral("No device is listed as COM5 any more")))
        << box.informative.toStdString();
}

} // namespace
} // namespace tavrik::test
