// The whole program as main() puts it together (its real services, serial port, timers,
// settings file and message boxes), driven through its window against tavrik-radio-sim
// on a pseudo-terminal reached through a COM alias beside the program.

#include "EventLoop.h"
#include "ServiceFakes.h"
#include "app/Program.h"
#include "platform/QtSerialPort.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
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
    int detailLines = 0;    // the lines "Show Details..." shows without scrolling
};

// Shows the box's details and counts the lines they show.
int detailLines(QMessageBox& box) {
    auto* view = box.findChild<QTextEdit*>();
    if (view == nullptr) {
        return 0;
    }
    for (QAbstractButton* button : box.buttons()) {
        if (box.buttonRole(button) == QMessageBox::ActionRole) {
            button->click();
        }
    }
    box.layout()->activate();
    const int margin = static_cast<int>(view->document()->documentMargin());
    return (view->viewport()->height() - 2 * margin) / QFontMetrics(view->font()).lineSpacing();
}

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
                                   label != nullptr && label->textFormat() == Qt::PlainText,
                                   detailLines(*box)});
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

    QTemporaryDir m_dir;
    QProcess m_sim;
    QTimer m_boxCloser;
    std::vector<Box> m_boxes;
};

// What only the real port, the real timers and the assembly show: the adapter pulled out
// during a write (the port's loss ends it at once), a radio answering after the 500 ms
// time-out (the real answer timer ends it); a Read through the port at 9600 8N1, its
// receive events and the quiet wait behind END, with mysetup.ini beside the program; and
// the adapter gone at the next Read. Each failure box keeps its first line, says why below
// it in plain text, and shows 12 lines of details.
TEST_F(ProgramOnPty, ReadsTheRadioAndTellsAFailingLineAsItHappened) {
    // What the simulated radio does, the button pressed, what the box says below.
    const std::vector<std::tuple<QStringList, QPushButton * app::FrmMain::*, QString>> cases{
        {{QStringLiteral("--vanish-after"), QStringLiteral("7")},
         &app::FrmMain::Command2,
         "The port was lost while writing the dealer information (block 4 of 7)"},
        {{QStringLiteral("--delay"), QStringLiteral("700")},
         &app::FrmMain::Command1,
         "The cable returned the request, but the radio did not answer"},
    };
    for (const auto& [simulator, button, says] : cases) {
        SCOPED_TRACE(simulator.join(u' ').toStdString());
        startSimulator(simulator);
        app::Program program(m_dir.path());
        program.window().Combo1[1]->setCurrentIndex(1); // the radio's band: no question
        const Box box = after(program.window().*button);
        EXPECT_EQ(box.text, QStringLiteral("Communication Error!"));
        EXPECT_TRUE(box.informative.contains(says)) << box.informative.toStdString();
        EXPECT_TRUE(box.plainText);
        EXPECT_GE(box.detailLines, 12);
        stopSimulator();
    }

    startSimulator({});
    app::Program program(m_dir.path());
    app::FrmMain& w = program.window();
    ASSERT_EQ(w.Combo2->currentText(), QStringLiteral("COM5")); // the alias, listed first
    EXPECT_EQ(after(w.Command1).text, QStringLiteral("Read Complete!"));
    EXPECT_EQ(w.Text1Text(8), QStringLiteral("D-0042"));
    EXPECT_EQ(program.port().lineSettings(), QStringLiteral("9600,N,8,1"));
    QFile ini(file("mysetup.ini")); // beside the program, whose folder can be written
    EXPECT_TRUE(ini.open(QIODevice::ReadOnly) && ini.readAll().contains("comPort=5"));

    stopSimulator(); // the adapter is pulled; Read is pressed before the list follows
    const Box box = after(w.Command1);
    EXPECT_EQ(box.text, QStringLiteral("Cannot Open Communication Port."));
    EXPECT_TRUE(box.informative.contains(QStringLiteral("No device is listed as COM5 any more")))
        << box.informative.toStdString();
    EXPECT_GE(box.detailLines, 12);
}

} // namespace
} // namespace tavrik::test
