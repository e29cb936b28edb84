// The port list refresh at start-up, closing, the key filter and the cleaning of text that arrives
// otherwise, the focus rules, the wheel over the drop-downs and the keyboard.
#include "AppBench.h"

#include <QClipboard>
#include <QInputMethodEvent>
#include <QWheelEvent>

#include <tuple>

namespace tavrik::apptest {
namespace {

TEST(StartUp, RefreshesOnlyAnEnumeratedPortList) {
    for (const bool fixedList : {false, true}) { // NT 6.0 has the fixed list
        Bench bench;
        bench.os.info = platform::OsVersionInfo{2, fixedList ? 6u : 10u, 0};
        bench.open();
        EXPECT_EQ(bench.refreshTimer.isEnabled(), !fixedList);
    }
}

TEST(Close, MidOperationClosesThePortAndNothingCallsBackIntoTheWindow) {
    Bench bench;
    bench.attachRadios({radiosim::DefaultMemory()});
    app::FrmMain& w = bench.open();
    w.show();
    w.Command1_Click();
    bench.clock.advanceBy(std::chrono::milliseconds(60)); // some blocks are read
    ASSERT_TRUE(bench.port.isOpen());
    w.close();
    EXPECT_FALSE(bench.port.isOpen());
    EXPECT_FALSE(bench.waitTimer.isEnabled());
    EXPECT_FALSE(bench.refreshTimer.isEnabled());
    bench.window.reset(); // the services remain
    bench.port.deliver(QByteArrayLiteral("\x06"));
    bench.waitTimer.fire();
    bench.refreshTimer.fire();
    EXPECT_TRUE(bench.messages.shown().empty());
}

TEST(KeyFilter, WhatArrivesTypedPastedOrByAnInputMethodIsCleanedAlikeThenCut) {
    // Text1(index), its text before (the caret at its start), what arrives, what is kept.
    const std::tuple<int, const char*, const char*, const char*> rows[] = {
        {1, "", "azAZ09- é", "azAZ09"},   // the serial: ASCII letters and digits only
        {12, "", "# 中a\t", "# a"},       // the password and the area code: printable ASCII
        {8, "", "中a-", "中a-"},          // a dealer field takes anything
        {12, "", "中中中中ABCD", "ABCD"}, // cleaned first, then cut to four
        {12, "XY", "中ABCD", "ABXY"},     // the cut takes what arrived
        {9, "", "abcdefghijklmnopqrst", "abcdefghijklmnop"},
    };
    Bench bench;
    app::FrmMain& w = bench.open();
    for (const auto& [index, before, text, kept] : rows) {
        QLineEdit* box = w.Text1Line(index);
        box->setEnabled(true); // the greyed filtered fields take keys where enabled
        const QString arriving = QString::fromUtf8(text);
        for (const char* road : {"typed", "pasted", "committed"}) {
            SCOPED_TRACE(testing::Message() << text << ' ' << road);
            box->setText(QString::fromUtf8(before));
            box->setCursorPosition(0);
            if (road[0] == 't') {
                for (const QChar c : arriving) {
                    QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), {});
                }
            } else if (road[0] == 'p') {
                QGuiApplication::clipboard()->setText(arriving);
                box->paste(); // what the context menu's Paste does
            } else {
                QInputMethodEvent commit;
                commit.setCommitString(arriving);
                QApplication::sendEvent(box, &commit);
            }
            EXPECT_EQ(box->text(), QString::fromUtf8(kept));
        }
    }
}

TEST(KeyFilter, EditingKeysPassAndClipboardKeysWorkOnlyInUnfilteredFields) {
    // Text1(index), its text (wholly selected), the key, its text and the clipboard's
    // after the key (the clipboard held "ZZ").
    const std::tuple<int, const char*, Qt::Key, Qt::KeyboardModifiers, const char*, const char*>
        rows[] = {
            {1, "AB", Qt::Key_Backspace, {}, "", "ZZ"},
            {12, "ab", Qt::Key_C, Qt::ControlModifier, "ab", "ZZ"},
            {8, "cd", Qt::Key_C, Qt::ControlModifier, "cd", "cd"},
            {12, "ab", Qt::Key_V, Qt::ControlModifier, "ab", "ZZ"},
            {0, "AR01", Qt::Key_X, Qt::ControlModifier, "AR01", "ZZ"},
        };
    Bench bench;
    app::FrmMain& w = bench.open();
    for (const auto& [index, before, key, modifiers, after, clipboard] : rows) {
        SCOPED_TRACE(index);
        QGuiApplication::clipboard()->setText(QStringLiteral("ZZ"));
        QLineEdit* box = w.Text1Line(index);
        box->setEnabled(true);
        box->setText(QString::fromUtf8(before));
        box->selectAll();
        QTest::keyClick(box, key, modifiers);
        EXPECT_EQ(box->text(), QString::fromUtf8(after));
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8(clipboard));
    }
}

TEST(FocusRule, AnArrivalDatesAnEmptyMaintenanceDateAndSelectsTheWholeField) {
    // Text1(index), its text, why the focus arrives, what is selected then.
    const std::tuple<int, const char*, Qt::FocusReason, const char*> rows[] = {
        {3, "", Qt::TabFocusReason, "2026/12/7"}, // today, in the short date format
        {3, "repaired", Qt::BacktabFocusReason, "repaired"},
        {9, "", Qt::TabFocusReason, ""}, // other fields stay empty
        {8, "dealer", Qt::MouseFocusReason, "dealer"},
        {8, "dealer", Qt::OtherFocusReason, "dealer"},
        // The focus given back by the field's own context menu or by the window's
        // re-activation leaves the caret alone: a Paste inserts there, a key wipes nothing.
        {8, "dealer", Qt::PopupFocusReason, ""},
        {12, "1234", Qt::ActiveWindowFocusReason, ""},
    };
    Bench bench;
    app::FrmMain& w = bench.open();
    for (const auto& [index, text, reason, selected] : rows) {
        SCOPED_TRACE(reason);
        w.Text1[index]->setEnabled(true);
        w.SetText1Text(index, QString::fromUtf8(text));
        w.Text1Line(index)->setCursorPosition(1);
        QFocusEvent focusIn(QEvent::FocusIn, reason);
        QApplication::sendEvent(w.Text1[index], &focusIn);
        EXPECT_EQ(w.Text1Line(index)->selectedText(), QString::fromUtf8(selected));
    }
}

TEST(Wheel, ChangesADropDownOnlyWhileItHasTheFocus) {
    Bench bench;
    bench.portMap.ports.push_back({QStringLiteral("COM4"), QStringLiteral("/dev/ttyUSB1")});
    app::FrmMain& w = bench.open();
    bench.activate();
    w.Command1->setFocus();
    for (QComboBox* list : {w.Combo1[1], w.Combo2}) {
        // A list that takes the focus by the wheel would have it before the wheel acts.
        EXPECT_NE(list->focusPolicy(), Qt::WheelFocus);
        for (const int expected : {0, 1}) {
            QWheelEvent notch(QPointF(5, 5), list->mapToGlobal(QPointF(5, 5)), QPoint(),
                              QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                              false);
            QApplication::sendEvent(list, &notch);
            EXPECT_EQ(list->currentIndex(), expected);
            list->setFocus(Qt::TabFocusReason);
        }
    }
    EXPECT_EQ(bench.ini.values.value(QStringLiteral("language/comPort")), QStringLiteral("4"));
}

TEST(Keyboard, TabCyclesEnterMovesOnFromAFilteredFieldOnlyAndAltXCloses) {
    Bench bench;
    app::FrmMain& w = bench.open();
    bench.activate();
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("Combo1_1"));
    EXPECT_EQ(
        bench.tabThrough(13),
        (QStringList{"Command1", "Command2", "Command3", "Combo2", "Text1_8", "Text1_9", "Text1_10",
                     "Text1_11", "Text1_12", "Check8", "Check2", "Check3", "Combo1_1"}));
    w.Text1[8]->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.Text1[8], Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), w.Text1[8]);
    w.Text1[12]->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.Text1[12], Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(w.Check8));

    QTest::keyClick(&w, Qt::Key_X, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }));
    EXPECT_FALSE(bench.refreshTimer.isEnabled());
}

} // namespace
} // namespace tavrik::apptest

// Widget tests need an application object for the whole run.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
