// Start-up, the port list modes, the focus cycle, the panel's shortcut and closing.
#include "AppBench.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace tavrik::apptest {
namespace {

using namespace std::chrono_literals;

void activate(QWidget& window) {
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

QString focusName() {
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
}

TEST(StartUp, ShowsTheDefaultSettingsAndFillsTheLists) {
    Bench bench;
    app::FrmMain& w = bench.open();
    ASSERT_EQ(w.Combo1[1]->count(), 3);
    EXPECT_EQ(w.Combo1[1]->itemText(0), QStringLiteral("UHF{430 - 440 MHz} VHF{144 - 148 MHz}"));
    EXPECT_EQ(w.Combo1[1]->itemText(1), QStringLiteral("UHF{400 - 490 MHz} VHF{136 - 174 MHz}"));
    EXPECT_EQ(w.Combo1[1]->itemText(2), QStringLiteral("UHF{430 - 440 MHz} VHF{144 - 146 MHz}"));
    EXPECT_EQ(w.Combo1[1]->currentIndex(), 0);
    EXPECT_FALSE(w.Combo1[0]->isEnabled());
    EXPECT_EQ(w.Combo1[0]->currentText(), QStringLiteral("TAVRIK"));
    EXPECT_EQ(w.Label6->text(), QString());
    // The defaults of a program started on 7 December 2026.
    EXPECT_EQ(w.Text1Text(1), QStringLiteral("2026120700000001"));
    EXPECT_EQ(w.Text1Text(5), QStringLiteral("V1.00"));
    EXPECT_EQ(w.Text1Text(13), QStringLiteral("V1.00"));
    EXPECT_EQ(w.Text1Text(7), QStringLiteral("WOLP"));
    EXPECT_EQ(w.Text1Text(8), QString());
    EXPECT_EQ(w.Text1Text(12), QString());
    EXPECT_FALSE(w.Check2->isChecked());
    EXPECT_EQ(w.Command4->text(), QStringLiteral("&MulWrite"));
    // The remembered port is listed, selected and stored; the device is its tooltip.
    EXPECT_EQ(w.Combo2->currentText(), QStringLiteral("COM3"));
    EXPECT_EQ(w.Combo2->itemData(0, Qt::ToolTipRole).toString(), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(bench.ini.values.value(QStringLiteral("language/comPort")), QStringLiteral("3"));
    EXPECT_EQ(w.comm().state().opKind, OpKind::Idle);
    EXPECT_EQ(w.comm().state().MulWriteNo, 0);
    EXPECT_FALSE(bench.waitTimer.isEnabled());
    EXPECT_TRUE(bench.messageTexts().empty());
    EXPECT_TRUE(bench.port.sent().empty());
}

struct PortListCase {
    const char* name;
    std::optional<platform::OsVersionInfo> os;
    bool refreshRuns;
    int entries;
    std::vector<QString> messages;
};

// Failures name the row.
void PrintTo(const PortListCase& row, std::ostream* out) {
    *out << row.name;
}

class PortListMode : public ::testing::TestWithParam<PortListCase> {};

TEST_P(PortListMode, TheRefreshRunsOnlyForTheEnumeratedList) {
    Bench bench;
    bench.os.info = GetParam().os;
    app::FrmMain& w = bench.open();
    EXPECT_EQ(bench.refreshTimer.isEnabled(), GetParam().refreshRuns);
    EXPECT_EQ(w.Combo2->count(), GetParam().entries);
    EXPECT_EQ(w.Combo2->currentText(), QStringLiteral("COM3"));
    EXPECT_EQ(bench.messageTexts(), GetParam().messages);
}

INSTANTIATE_TEST_SUITE_P(
    Systems, PortListMode,
    ::testing::Values(PortListCase{"Enumerated", platform::OsVersionInfo{2, 10, 0}, true, 1, {}},
                      PortListCase{"Fixed", platform::OsVersionInfo{2, 6, 0}, false, 256, {}},
                      PortListCase{
                          "Unknown", std::nullopt, true, 1, {QStringLiteral("未知操作系统")}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(StartUp, WithNoPortReadCannotOpenAndStaysIdle) {
    Bench bench;
    bench.portMap.ports.clear();
    app::FrmMain& w = bench.open();
    EXPECT_EQ(w.Combo2->currentIndex(), -1);
    EXPECT_EQ(w.ports().ComPort(), 0);
    w.Command1_Click();
    ASSERT_EQ(bench.messages.shown().size(), 1u);
    EXPECT_EQ(bench.messages.shown()[0].text, QStringLiteral("Cannot Open Communication Port."));
    EXPECT_EQ(bench.messages.shown()[0].icon, platform::MessageIcon::Critical);
    EXPECT_EQ(w.comm().state().opKind, OpKind::Idle);
    EXPECT_TRUE(bench.port.sent().empty());
}

TEST(Focus, TabCyclesThroughTheEditableControlsInOrder) {
    Bench bench;
    app::FrmMain& w = bench.open();
    activate(w);
    EXPECT_EQ(focusName(), QStringLiteral("Combo1_1"));
    const QStringList cycle{"Command1", "Command2", "Command3", "Combo2",   "Text1_8",
                            "Text1_9",  "Text1_10", "Text1_11", "Text1_12", "Check8",
                            "Check2",   "Check3",   "Combo1_1"};
    QStringList visited;
    for (int i = 0; i < cycle.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << focusName();
    }
    EXPECT_EQ(visited, cycle);
}

TEST(Focus, TheShownPanelTakesItsPlaceInTheCycle) {
    Bench bench;
    app::FrmMain& w = bench.open();
    activate(w);
    QTest::keyClick(&w, Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(w.Frame4->isVisible());
    w.Text1[11]->setFocus(Qt::TabFocusReason);
    QStringList visited;
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << focusName();
    }
    // Text2(1) is greyed and skipped.
    EXPECT_EQ(visited, (QStringList{"Command4", "Text2_0", "Text1_12"}));
}

TEST(Panel, AltMDoesNothingUntilThePanelIsShown) {
    Bench bench;
    radiosim::SimOptions paced;
    paced.pacing = true;
    bench.attachRadios({KnownRadio()}, paced);
    app::FrmMain& w = bench.open();
    activate(w);
    // An access key presses its button at once and clicks it when the press is over.
    QTest::keyClick(&w, Qt::Key_M, Qt::AltModifier);
    EXPECT_FALSE(w.Command4->isDown());
    EXPECT_EQ(w.comm().state().opKind, OpKind::Idle);
    EXPECT_TRUE(bench.port.opened().empty());

    QTest::keyClick(&w, Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(w.Frame4->isVisible());
    QTest::keyClick(&w, Qt::Key_M, Qt::AltModifier);
    EXPECT_TRUE(w.Command4->isDown());
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.comm().state().opKind == OpKind::MulWrite; }));
    EXPECT_EQ(bench.port.opened(), std::vector<int>{3});

    // While a run is under way the panel stays, so the run can be stopped.
    QTest::keyClick(&w, Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(w.Frame4->isVisible());
    QTest::keyClick(&w, Qt::Key_M, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.comm().state().opKind == OpKind::Idle; }));
    QTest::keyClick(&w, Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(w.Frame4->isVisible());
}

TEST(Close, ExitClosesTheWindowAndStopsTheRefresh) {
    Bench bench;
    app::FrmMain& w = bench.open();
    activate(w);
    ASSERT_TRUE(bench.refreshTimer.isEnabled());
    QTest::keyClick(&w, Qt::Key_X, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }));
    EXPECT_FALSE(bench.refreshTimer.isEnabled());
    EXPECT_TRUE(bench.messageTexts().empty());
}

TEST(Close, ClosingMidOperationClosesThePortWithoutAMessage) {
    Bench bench;
    radiosim::SimOptions paced;
    paced.pacing = true; // each byte takes its time on the line
    bench.attachRadios({KnownRadio()}, paced);
    app::FrmMain& w = bench.open();
    w.show();
    w.Command1_Click();
    ASSERT_TRUE(bench.port.isOpen());
    bench.clock.advanceBy(60ms); // some blocks are read
    const std::size_t sentBefore = bench.port.sent().size();
    w.close();
    EXPECT_FALSE(bench.port.isOpen());
    EXPECT_FALSE(bench.waitTimer.isEnabled());
    bench.clock.advanceBy(5s);
    EXPECT_EQ(bench.port.sent().size(), sentBefore);
    EXPECT_TRUE(bench.messageTexts().empty());
    // The window can go while the services remain: nothing calls back into it.
    bench.window.reset();
    bench.port.deliver(QByteArrayLiteral("\x06"));
    bench.waitTimer.fire();
    bench.refreshTimer.fire();
    EXPECT_TRUE(bench.messageTexts().empty());
}

} // namespace
} // namespace tavrik::apptest
