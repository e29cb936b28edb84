// Multi-write mode: switching the window, starting and stopping runs, and the panel.
#include "AppBench.h"

namespace tavrik::apptest {
namespace {

using namespace std::chrono_literals;

void expectNormalMode(app::FrmMain& w) {
    EXPECT_EQ(w.comm().state().opKind, OpKind::Idle);
    EXPECT_TRUE(w.Command1->isEnabled());
    EXPECT_TRUE(w.Command2->isEnabled());
    EXPECT_EQ(w.Command4->text(), QStringLiteral("&MulWrite"));
}

TEST(MulWrite, StartsWithThreeAndAStopWhileWaitingEndsItQuietly) {
    const struct {
        std::uint32_t lcid;
        const char* stopCaption;
        const char* normalCaption;
        const char* writing;
        const char* waiting;
    } rows[] = {
        {0x0409, "Stop &MulWrite", "&MulWrite", "Writting Data...", "Waitting next..."},
        {0x0804, "停止写入多台(&M)", "写入多台(&M)", "正在写设置数据...", "请换下一台机器..."}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.lcid);
        Bench bench;
        bench.attachRadios({KnownRadio(), KnownRadio()});
        app::FrmMain& w = bench.open(row.lcid);
        w.Text2[0]->setText(QStringLiteral("3"));
        w.Command4_Click();
        EXPECT_EQ(w.comm().state().MulWriteTotal, 3);
        EXPECT_EQ(w.comm().state().opKind, OpKind::MulWrite);
        EXPECT_EQ(w.Text2[1]->text(), QStringLiteral("1"));
        EXPECT_FALSE(w.Command1->isEnabled());
        EXPECT_FALSE(w.Command2->isEnabled());
        EXPECT_EQ(w.Command4->text(), QString::fromUtf8(row.stopCaption));
        EXPECT_EQ(w.Label6->text(), QString::fromUtf8(row.writing));
        EXPECT_EQ(bench.port.sent(), std::vector<QByteArray>{QByteArrayLiteral("PROGRAM")});

        // After the first radio the window waits for the next one, polling the cable.
        ASSERT_TRUE(bench.clock.runUntil([&] { return w.comm().state().MulWriteNo == 2; }, 10s));
        EXPECT_EQ(w.Label6->text(), QString::fromUtf8(row.waiting));
        EXPECT_EQ(w.Text2[1]->text(), QStringLiteral("2"));
        bench.clock.advanceBy(600ms);

        w.Command4_Click();
        EXPECT_EQ(w.comm().state().opKind, OpKind::Idle);
        EXPECT_TRUE(w.Command1->isEnabled());
        EXPECT_TRUE(w.Command2->isEnabled());
        EXPECT_EQ(w.Command4->text(), QString::fromUtf8(row.normalCaption));
        EXPECT_EQ(w.Text2[1]->text(), QString());
        EXPECT_EQ(w.Label6->text(), QString());
        const std::size_t sent = bench.port.sent().size();
        bench.clock.advanceBy(10s);
        EXPECT_EQ(bench.port.sent().size(), sent);
        EXPECT_FALSE(bench.port.isOpen());
        EXPECT_TRUE(bench.messageTexts().empty());
    }
}

TEST(MulWrite, EachRadioGetsTheWindowsFieldsAndAfterCompleteTheNextClickStartsANewRun) {
    Bench bench;
    bench.attachRadios({KnownRadio("1111111111111111"), KnownRadio("2222222222222222"),
                        KnownRadio("3333333333333333")});
    app::FrmMain& w = bench.open();
    w.SetText1Text(8, QStringLiteral("SERIES"));
    w.SetText1Text(12, QStringLiteral("4321"));
    w.Text2[0]->setText(QStringLiteral("3"));
    w.Command4_Click();
    ASSERT_TRUE(bench.runUntilMessage(60s));
    EXPECT_EQ(bench.messageTexts(), std::vector<QString>{QStringLiteral("MulWrite Complete!")});
    for (int r = 0; r < 3; ++r) {
        SCOPED_TRACE(r);
        const auto* m = reinterpret_cast<const char*>(bench.radio->memory(r).data());
        EXPECT_EQ(QByteArray(m + 0x60, 7), QByteArray("SERIES\0", 7));
        EXPECT_EQ(QByteArray(m + 0x18, 4), QByteArray("4321"));
        EXPECT_EQ(QByteArray(m + 0x20, 16), QByteArray(16, static_cast<char>('1' + r)));
    }
    // Defaults of 7 December 2026, advanced once per radio.
    EXPECT_EQ(w.Text1Text(1), QStringLiteral("2026120700000004"));
    expectNormalMode(w);
    EXPECT_EQ(w.Label6->text(), QString());

    w.Command4_Click();
    EXPECT_EQ(w.comm().state().opKind, OpKind::MulWrite);
    EXPECT_EQ(w.Text2[1]->text(), QStringLiteral("1"));
    EXPECT_FALSE(w.Command1->isEnabled());
}

TEST(MulWrite, AClickWhileAReadRunsAbandonsTheRead) {
    Bench bench;
    bench.attachRadios({KnownRadio()});
    app::FrmMain& w = bench.open();
    w.Command1_Click();
    bench.clock.advanceBy(60ms); // the read is under way
    w.Text2[0]->setText(QStringLiteral("1"));
    w.Command4_Click();
    EXPECT_EQ(w.comm().state().opKind, OpKind::MulWrite);
    EXPECT_EQ(bench.port.opened().size(), 2u);
    ASSERT_TRUE(bench.runUntilMessage());
    EXPECT_EQ(bench.messageTexts(), std::vector<QString>{QStringLiteral("MulWrite Complete!")});
}

TEST(MulWrite, WithoutAPortTheWindowGoesBackToNormal) {
    Bench bench;
    bench.port.setAvailablePorts({9});
    app::FrmMain& w = bench.open();
    w.Command4_Click();
    ASSERT_EQ(bench.messages.shown().size(), 1u);
    EXPECT_EQ(bench.messages.shown()[0].text, QStringLiteral("Cannot Open Communication Port."));
    EXPECT_EQ(bench.messages.shown()[0].icon, platform::MessageIcon::Critical);
    expectNormalMode(w);
    EXPECT_EQ(w.Text2[1]->text(), QString());
    EXPECT_TRUE(bench.port.sent().empty());
}

TEST(ShowStartMulWrite, TwiceInARowLeavesAndReentersTheMode) {
    Bench bench;
    app::FrmMain& w = bench.open();
    w.comm().state().opKind = OpKind::MulWrite;
    EXPECT_TRUE(w.ShowStartMulWrite());
    expectNormalMode(w);
    EXPECT_FALSE(w.ShowStartMulWrite());
    EXPECT_EQ(w.comm().state().opKind, OpKind::Idle);
    EXPECT_FALSE(w.Command1->isEnabled());
    EXPECT_FALSE(w.Command2->isEnabled());
    EXPECT_EQ(w.Command4->text(), QStringLiteral("Stop &MulWrite"));
}

TEST(Panel, CtrlShiftMShowsItAltMWorksOnlyThenAndABadCountStartsNothing) {
    Bench bench;
    bench.attachRadios({KnownRadio()});
    app::FrmMain& w = bench.open();
    bench.activate();
    const auto key = [&](Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(&w, Qt::Key_M, modifiers);
    };
    key(Qt::AltModifier);
    EXPECT_FALSE(w.Command4->isDown());
    EXPECT_TRUE(bench.port.opened().empty());

    key(Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(w.Frame4->isVisible());
    // The panel takes its place in the focus cycle; the greyed Text2(1) is skipped.
    w.Text1[11]->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(bench.tabThrough(3), (QStringList{"Command4", "Text2_0", "Text1_12"}));
    const QString count = w.Text2[0]->text();
    for (const char* bad : {"", "ab", "1x", "-2", " "}) {
        SCOPED_TRACE(bad);
        w.Text2[0]->setText(QString::fromUtf8(bad));
        w.Command4_Click();
        expectNormalMode(w);
        EXPECT_TRUE(bench.port.opened().empty());
        EXPECT_EQ(QApplication::focusWidget(), w.Text2[0]); // selected for a new count
        EXPECT_EQ(w.Text2[0]->selectedText(), w.Text2[0]->text());
        w.Text1[8]->setFocus();
    }
    w.Text2[0]->setText(count);

    // An access key presses its button at once and clicks it when the press is over.
    key(Qt::AltModifier);
    EXPECT_TRUE(w.Command4->isDown());
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.comm().state().opKind == OpKind::MulWrite; }));
    EXPECT_EQ(bench.port.opened(), std::vector<int>{3});
    // While a run is under way the panel stays, so the run can be stopped.
    key(Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(w.Frame4->isVisible());
    key(Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.comm().state().opKind == OpKind::Idle; }));
    key(Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(w.Frame4->isVisible());
}

} // namespace
} // namespace tavrik::apptest
