// Multi-write mode as the window shows it: its panel, and its captions and buttons
// around a run, whichever way the run ends.
#include "AppBench.h"

#include <tuple>

namespace tavrik::apptest {
namespace {

// The mode, the buttons, the radio number shown in Text2(1) and the status line.
void expectMode(app::FrmMain& w, bool running, const char* caption, const char* number,
                const char* status = "") {
    EXPECT_EQ(w.comm().state().opKind, running ? OpKind::MulWrite : OpKind::Idle);
    EXPECT_EQ(w.Command1->isEnabled(), !running);
    EXPECT_EQ(w.Command2->isEnabled(), !running);
    EXPECT_EQ(w.Command4->text(), QString::fromUtf8(caption));
    EXPECT_EQ(w.Text2[1]->text(), QString::fromUtf8(number));
    EXPECT_EQ(w.Label6->text(), QString::fromUtf8(status));
}

TEST(MulWrite, CaptionsAndButtonsFollowARunToItsEndOrItsStop) {
    // The system locale, whether the run is stopped while waiting for the second radio
    // (else run to its end), the button's captions while running and after, the status
    // lines while writing and while waiting.
    const std::tuple<std::uint32_t, bool, const char*, const char*, const char*, const char*>
        rows[] = {
            {0x0409, true, "Stop &MulWrite", "&MulWrite", "Writting Data...", "Waitting next..."},
            {0x0804, false, "停止写入多台(&M)", "写入多台(&M)", "正在写设置数据...",
             "请换下一台机器..."}};
    for (const auto& [lcid, stop, stopCaption, normalCaption, writing, waiting] : rows) {
        SCOPED_TRACE(lcid);
        Bench bench;
        bench.attachRadios({radiosim::DefaultMemory(), radiosim::DefaultMemory()});
        app::FrmMain& w = bench.open(lcid);
        w.Text2[0]->setText(QStringLiteral("2"));
        w.Command4_Click();
        expectMode(w, true, stopCaption, "1", writing);
        ASSERT_TRUE(bench.clock.runUntil([&] { return w.comm().state().MulWriteNo == 2; },
                                         std::chrono::seconds(10)));
        expectMode(w, true, stopCaption, "2", waiting);
        if (stop) {
            w.Command4_Click();
            EXPECT_TRUE(bench.messages.shown().empty());
        } else {
            ASSERT_TRUE(bench.runUntilMessages());
            EXPECT_EQ(bench.messages.texts(), std::vector<QString>{"MulWrite Complete!"});
        }
        expectMode(w, false, normalCaption, "");
    }
}

TEST(MulWrite, APortThatCannotBeOpenedLeavesTheWindowInNormalMode) {
    Bench bench;
    bench.port.setAvailablePorts({9});
    app::FrmMain& w = bench.open();
    w.Command4_Click();
    EXPECT_EQ(bench.messages.shown().size(), 1u);
    expectMode(w, false, "&MulWrite", "");
}

TEST(Panel, CtrlShiftMShowsItAltMWorksOnlyThenAndABadCountStartsNothing) {
    Bench bench;
    bench.attachRadios({radiosim::DefaultMemory()});
    app::FrmMain& w = bench.open();
    bench.activate();
    const auto key = [&](Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(&w, Qt::Key_M, modifiers);
    };
    key(Qt::AltModifier);
    EXPECT_FALSE(w.Command4->isDown());
    key(Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(w.Frame4->isVisible());
    // The panel takes its place in the focus cycle; the greyed Text2(1) is skipped.
    w.Text1[11]->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(bench.tabThrough(3), (QStringList{"Command4", "Text2_0", "Text1_12"}));
    for (const char* bad : {"", "1x", "-2"}) {
        SCOPED_TRACE(bad);
        w.Text2[0]->setText(QString::fromUtf8(bad));
        w.Command4_Click();
        expectMode(w, false, "&MulWrite", "0");
        EXPECT_EQ(QApplication::focusWidget(), w.Text2[0]); // selected for a new count
        EXPECT_EQ(w.Text2[0]->selectedText(), w.Text2[0]->text());
        w.Text1[8]->setFocus();
    }
    EXPECT_TRUE(bench.port.opened().empty());
    w.Text2[0]->setText(QStringLiteral(" 10 "));

    // An access key presses its button at once and clicks it when the press is over.
    key(Qt::AltModifier);
    EXPECT_TRUE(w.Command4->isDown());
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.comm().state().opKind == OpKind::MulWrite; }));
    EXPECT_EQ(w.comm().state().MulWriteTotal, 10);
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
