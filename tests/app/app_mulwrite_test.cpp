// Multi-write mode: switching the window, starting and stopping runs, and a series.
#include "AppBench.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace tavrik::apptest {
namespace {

using namespace std::chrono_literals;

struct ModeTexts {
    std::uint32_t lcid;
    const char* stopCaption;
    const char* normalCaption;
    const char* writing;
    const char* waiting;
};

class MulWriteStart : public ::testing::TestWithParam<ModeTexts> {};

TEST_P(MulWriteStart, ThreeRadiosPutTheWindowIntoMultiWriteMode) {
    Bench bench;
    bench.attachRadios({KnownRadio()});
    app::FrmMain& w = bench.open(GetParam().lcid);
    w.Text2[0]->setText(QStringLiteral("3"));
    w.Command4_Click();
    EXPECT_EQ(w.comm().state().MulWriteTotal, 3);
    EXPECT_EQ(w.comm().state().MulWriteNo, 1);
    EXPECT_EQ(w.comm().state().opKind, OpKind::MulWrite);
    EXPECT_EQ(w.Text2[1]->text(), QStringLiteral("1"));
    EXPECT_FALSE(w.Command1->isEnabled());
    EXPECT_FALSE(w.Command2->isEnabled());
    EXPECT_EQ(w.Command4->text(), QString::fromUtf8(GetParam().stopCaption));
    EXPECT_EQ(w.Label6->text(), QString::fromUtf8(GetParam().writing));
    ASSERT_EQ(bench.port.sent().size(), 1u);
    EXPECT_EQ(bench.port.sent()[0], QByteArrayLiteral("PROGRAM"));

    // After the first radio the window waits for the next one.
    ASSERT_TRUE(bench.runUntil([&] { return w.comm().state().MulWriteNo == 2; }, 10s));
    EXPECT_EQ(w.Label6->text(), QString::fromUtf8(GetParam().waiting));
    EXPECT_EQ(w.Text2[1]->text(), QStringLiteral("2"));

    // Stopping puts the window back without a message.
    w.Command4_Click();
    EXPECT_EQ(w.Command4->text(), QString::fromUtf8(GetParam().normalCaption));
    EXPECT_TRUE(bench.messageTexts().empty());
}

INSTANTIATE_TEST_SUITE_P(Languages, MulWriteStart,
                         ::testing::Values(ModeTexts{0x0409, "Stop &MulWrite", "&MulWrite",
                                                     "Writting Data...", "Waitting next..."},
                                           ModeTexts{0x0804, "停止写入多台(&M)", "写入多台(&M)",
                                                     "正在写设置数据...", "请换下一台机器..."}));

TEST(MulWriteStop, WhileWaitingForTheNextRadioEndsTheRunAndSendsNothingMore) {
    Bench bench;
    bench.attachRadios({KnownRadio(), KnownRadio()});
    app::FrmMain& w = bench.open();
    w.Text2[0]->setText(QStringLiteral("2"));
    w.Command4_Click();
    ASSERT_TRUE(bench.runUntil([&] { return w.comm().state().MulWriteNo == 2; }, 10s));
    bench.clock.advanceBy(600ms); // polling the cable for the next radio
    w.Command4_Click();
    EXPECT_TRUE(w.Command1->isEnabled());
    EXPECT_TRUE(w.Command2->isEnabled());
    EXPECT_EQ(w.Text2[1]->text(), QString());
    EXPECT_EQ(w.Label6->text(), QString());
    EXPECT_EQ(w.comm().state().opKind, OpKind::Idle);
    const int handshakes = bench.handshakesSent();
    bench.clock.advanceBy(10s);
    EXPECT_EQ(bench.handshakesSent(), handshakes);
    EXPECT_TRUE(bench.messageTexts().empty());
    EXPECT_FALSE(bench.port.isOpen());

    // The next click starts a new run at radio 1.
    w.Command4_Click();
    EXPECT_EQ(w.comm().state().opKind, OpKind::MulWrite);
    EXPECT_EQ(w.Text2[1]->text(), QStringLiteral("1"));
    EXPECT_EQ(bench.handshakesSent(), handshakes + 1);
}

TEST(MulWriteComplete, TheNextClickStartsANewRun) {
    Bench bench;
    bench.attachRadios({KnownRadio()});
    app::FrmMain& w = bench.open();
    w.Text2[0]->setText(QStringLiteral("1"));
    w.Command4_Click();
    ASSERT_TRUE(bench.runUntilMessage());
    EXPECT_EQ(bench.messageTexts(), std::vector<QString>{QStringLiteral("MulWrite Complete!")});
    EXPECT_TRUE(w.Command1->isEnabled());
    EXPECT_EQ(w.Command4->text(), QStringLiteral("&MulWrite"));
    EXPECT_EQ(w.Label6->text(), QString());
    EXPECT_EQ(w.comm().state().opKind, OpKind::Idle);

    w.Command4_Click();
    EXPECT_EQ(w.comm().state().opKind, OpKind::MulWrite);
    EXPECT_EQ(w.Text2[1]->text(), QStringLiteral("1"));
    EXPECT_FALSE(w.Command1->isEnabled());
}

TEST(MulWriteStart, AClickWhileAReadRunsAbandonsTheRead) {
    Bench bench;
    radiosim::SimOptions paced;
    paced.pacing = true;
    bench.attachRadios({KnownRadio()}, paced);
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

TEST(MulWriteStart, WithoutAPortTheWindowGoesBackToNormal) {
    Bench bench;
    bench.port.setAvailablePorts({9});
    app::FrmMain& w = bench.open();
    w.Command4_Click();
    ASSERT_EQ(bench.messages.shown().size(), 1u);
    EXPECT_EQ(bench.messages.shown()[0].text, QStringLiteral("Cannot Open Communication Port."));
    EXPECT_EQ(bench.messages.shown()[0].icon, platform::MessageIcon::Critical);
    EXPECT_EQ(w.comm().state().opKind, OpKind::Idle);
    EXPECT_TRUE(w.Command1->isEnabled());
    EXPECT_TRUE(w.Command2->isEnabled());
    EXPECT_EQ(w.Command4->text(), QStringLiteral("&MulWrite"));
    EXPECT_EQ(w.Text2[1]->text(), QString());
    EXPECT_TRUE(bench.port.sent().empty());
}

TEST(ShowStartMulWrite, TwiceInARowLeavesAndReentersTheMode) {
    Bench bench;
    app::FrmMain& w = bench.open();
    w.comm().state().opKind = OpKind::MulWrite;
    EXPECT_TRUE(w.ShowStartMulWrite());
    EXPECT_EQ(w.comm().state().opKind, OpKind::Idle);
    EXPECT_TRUE(w.Command1->isEnabled());
    EXPECT_FALSE(w.ShowStartMulWrite());
    EXPECT_EQ(w.comm().state().opKind, OpKind::Idle);
    EXPECT_FALSE(w.Command1->isEnabled());
    EXPECT_FALSE(w.Command2->isEnabled());
    EXPECT_EQ(w.Command4->text(), QStringLiteral("Stop &MulWrite"));
}

class RadioCount : public ::testing::TestWithParam<const char*> {};

TEST_P(RadioCount, ThatIsNotAWholeNumberStartsNothing) {
    Bench bench;
    bench.attachRadios({KnownRadio()});
    app::FrmMain& w = bench.open();
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.setMulWritePanelVisible(true);
    w.Text2[0]->setText(QString::fromUtf8(GetParam()));
    w.Command4_Click();
    EXPECT_EQ(w.comm().state().opKind, OpKind::Idle);
    EXPECT_TRUE(w.Command1->isEnabled());
    EXPECT_EQ(w.Command4->text(), QStringLiteral("&MulWrite"));
    EXPECT_TRUE(bench.port.opened().empty());
    EXPECT_EQ(QApplication::focusWidget(), w.Text2[0]);
    EXPECT_EQ(w.Text2[0]->selectedText(), w.Text2[0]->text());
}

INSTANTIATE_TEST_SUITE_P(Texts, RadioCount, ::testing::Values("", "ab", "1x", "-2", " "));

TEST(MulWriteSeries, ThreeRadiosEachGetTheWindowsFieldsAndKeepTheirIdentity) {
    Bench bench;
    bench.attachRadios({KnownRadio("1111111111111111"), KnownRadio("2222222222222222"),
                        KnownRadio("3333333333333333")});
    app::FrmMain& w = bench.open();
    w.SetText1Text(8, QStringLiteral("SERIES"));
    w.SetText1Text(12, QStringLiteral("4321"));
    w.Text2[0]->setText(QStringLiteral("3"));
    w.Command4_Click();
    ASSERT_TRUE(bench.runUntil([&] { return !bench.messages.shown().empty(); }, 60s));
    EXPECT_EQ(bench.messageTexts(), std::vector<QString>{QStringLiteral("MulWrite Complete!")});
    const char* serials[] = {"1111111111111111", "2222222222222222", "3333333333333333"};
    for (int r = 0; r < 3; ++r) {
        SCOPED_TRACE(r);
        const radiosim::Memory& m = bench.radio->memory(r);
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(m.data()) + 0x60, 7),
                  QByteArray("SERIES\0", 7));
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(m.data()) + 0x18, 4),
                  QByteArray("4321"));
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(m.data()) + 0x20, 16),
                  QByteArray(serials[r]));
    }
    // Defaults of 7 December 2026, advanced once per radio.
    EXPECT_EQ(w.Text1Text(1), QStringLiteral("2026120700000004"));
    EXPECT_EQ(w.comm().state().opKind, OpKind::Idle);
}

} // namespace
} // namespace tavrik::apptest
