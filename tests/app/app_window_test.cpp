// The port list refresh at start-up, closing, the key filter and the cleaning of text that arrives
// otherwise, the focus rules, the wheel over the drop-downs and the keyboard.
#include "AppBench.h"

#include <QClipboard>
#include <QInputMethodEvent>
#include <QWheelEvent>

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
    const struct {
        int index;
        const char* before; // the caret stands at its start
        const char* arriving;
        const char* kept;
    } rows[] = {
        {1, "", "azAZ09- é", "azAZ09"},   // the serial: ASCII letters and digits only
        {12, "", "# 中a\t", "# a"},       // the password and the area code: printable ASCII
        {8, "", "中a-", "中a-"},          // a dealer field takes anything
        {12, "", "中中中中ABCD", "ABCD"}, // cleaned first, then cut to four
        {12, "XY", "中ABCD", "ABXY"},     // the cut takes what arrived
        {9, "", "abcdefghijklmnopqrst", "abcdefghijklmnop"},
    };
    Bench bench;
    app::FrmMain& w = bench.open();
    for (const auto& row : rows) {
        QLineEdit* box = w.Text1Line(row.index);
        box->setEnabled(true); // the greyed filtered fields take keys where enabled
        const QString arriving = QString::fromUtf8(row.arriving);
        for (const char* road : {"typed", "pasted", "committed"}) {
            SCOPED_TRACE(testing::Message() << (&row - rows) << ' ' << road);
            box->setText(QString::fromUtf8(row.before));
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
            EXPECT_EQ(box->text(), QString::fromUtf8(row.kept));
        }
    }
}

TEST(KeyFilter, EditingKeysPassAndClipboardKeysWorkOnlyInUnfilteredFields) {
    const struct {
        int index;
        const char* before; // wholly selected
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* after;
        const char* clipboard; // afterwards; it held "ZZ"
    } rows[] = {
        {1, "AB", Qt::Key_Backspace, {}, "", "ZZ"},
        {12, "ab", Qt::Key_C, Qt::ControlModifier, "ab", "ZZ"},
        {8, "cd", Qt::Key_C, Qt::ControlModifier, "cd", "cd"},
        {12, "ab", Qt::Key_V, Qt::ControlModifier, "ab", "ZZ"},
        {0, "AR01", Qt::Key_X, Qt::ControlModifier, "AR01", "ZZ"},
    };
    Bench bench;
    app::FrmMain& w = bench.open();
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        QGuiApplication::clipboard()->setText(QStringLiteral("ZZ"));
        QLineEdit* box = w.Text1Line(row.index);
        box->setEnabled(true);
        box->setText(QString::fromUtf8(row.before));
        box->selectAll();
        QTest::keyClick(box, row.key, row.modifiers);
        EXPECT_EQ(box->text(), QString::fromUtf8(row.after));
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8(row.clipboard));
    }
}

TEST(FocusRule, AnArrivalDatesAnEmptyMaintenanceDateAndSelectsTheWholeField) {
    const struct {
        int index;
        const char* text;
        Qt::FocusReason reason;
        const char* selected;
    } rows[] = {
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
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        w.Text1[row.index]->setEnabled(true);
        w.SetText1Text(row.index, QString::fromUtf8(row.text));
        w.Text1Line(row.index)->setCursorPosition(1);
        QFocusEvent focusIn(QEvent::FocusIn, row.reason);
        QApplication::sendEvent(w.Text1[row.index], &focusIn);
        EXPECT_EQ(w.Text1Line(row.index)->selectedText(), QString::fromUtf8(row.selected));
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
