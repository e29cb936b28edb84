// Start-up, the port list modes, the focus cycle, the key filter, the focus rules, the wheel
// over the drop-downs and closing.
#include "AppBench.h"

#include <QClipboard>
#include <QInputMethodEvent>
#include <QWheelEvent>

namespace tavrik::apptest {
namespace {

using namespace std::chrono_literals;

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
    EXPECT_EQ(AllTexts(w), (QStringList{"", "2026120700000001", "2026/12/7", "", "", "V1.00",
                                        "12-1-E-1", "WOLP", "", "", "", "", "", "V1.00"}));
    EXPECT_FALSE(w.Check2->isChecked());
    // The remembered port is listed, selected and stored; the device is its tooltip.
    EXPECT_EQ(w.Combo2->itemData(0, Qt::ToolTipRole).toString(), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(bench.ini.values.value(QStringLiteral("language/comPort")), QStringLiteral("3"));
    EXPECT_EQ(w.comm().state().opKind, OpKind::Idle);
    EXPECT_FALSE(bench.waitTimer.isEnabled());
    EXPECT_TRUE(bench.port.sent().empty());
}

TEST(StartUp, TheRefreshRunsOnlyForTheEnumeratedPortList) {
    const struct {
        std::optional<platform::OsVersionInfo> os;
        bool refreshRuns;
        int entries;
        std::vector<QString> messages;
    } rows[] = {{platform::OsVersionInfo{2, 10, 0}, true, 1, {}},
                {platform::OsVersionInfo{2, 6, 0}, false, 256, {}}, // the fixed list
                {std::nullopt, true, 1, {QStringLiteral("未知操作系统")}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.entries);
        Bench bench;
        bench.os.info = row.os;
        app::FrmMain& w = bench.open();
        EXPECT_EQ(bench.refreshTimer.isEnabled(), row.refreshRuns);
        EXPECT_EQ(w.Combo2->count(), row.entries);
        EXPECT_EQ(w.Combo2->currentText(), QStringLiteral("COM3"));
        EXPECT_EQ(bench.messageTexts(), row.messages);
    }
}

TEST(Close, ClosingMidOperationClosesThePortWithoutAMessage) {
    Bench bench;
    bench.attachRadios({KnownRadio()});
    app::FrmMain& w = bench.open();
    w.show();
    w.Command1_Click();
    bench.clock.advanceBy(60ms); // some blocks are read
    ASSERT_TRUE(bench.port.isOpen());
    const std::size_t sentBefore = bench.port.sent().size();
    w.close();
    EXPECT_FALSE(bench.port.isOpen());
    EXPECT_FALSE(bench.waitTimer.isEnabled());
    bench.clock.advanceBy(5s);
    EXPECT_EQ(bench.port.sent().size(), sentBefore);
    // The window can go while the services remain: nothing calls back into it.
    bench.window.reset();
    bench.port.deliver(QByteArrayLiteral("\x06"));
    bench.waitTimer.fire();
    bench.refreshTimer.fire();
    EXPECT_TRUE(bench.messageTexts().empty());
}

TEST(KeyFilter, LeavesOnlyWhatTheFieldAccepts) {
    const struct {
        int index;
        const char* before; // the field's text, wholly selected (UTF-8)
        const char* typed;
        const char* after;
        const char* clipboard = "ZZ";  // afterwards; it held "ZZ"
        Qt::Key key = Qt::Key_unknown; // pressed after the typing
        Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    } rows[] = {
        {1, "", "A-1 b", "A1b"},  // the serial: letters and digits only
        {12, "", "# 中a", "# a"}, // the password: printable ASCII only
        {0, "", "Ab#é1", "Ab#1"},
        {7, "", "éx", "x"},
        {8, "", "中a-", "中a-"}, // a dealer field takes anything
        {1, "", "AB", "A", "ZZ", Qt::Key_Backspace},
        {12, "ab", "", "ab", "ZZ", Qt::Key_C, Qt::ControlModifier},
        {8, "cd", "", "cd", "cd", Qt::Key_C, Qt::ControlModifier},
        {12, "ab", "", "ab", "ZZ", Qt::Key_V, Qt::ControlModifier},
        {8, "", "", "ZZ", "ZZ", Qt::Key_V, Qt::ControlModifier},
        {0, "AR01", "", "AR01", "ZZ", Qt::Key_X, Qt::ControlModifier},
        {12, "ab", "", "ab", "ZZ", Qt::Key_Return},
        {12, "", "123456", "1234"},
        {9, "", "abcdefghijklmnopqrst", "abcdefghijklmnop"},
    };
    Bench bench;
    app::FrmMain& w = bench.open();
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        QGuiApplication::clipboard()->setText(QStringLiteral("ZZ"));
        QLineEdit* box = w.Text1Line(row.index);
        box->setEnabled(true); // the greyed filtered fields take keys where enabled
        box->setText(QString::fromUtf8(row.before));
        box->selectAll();
        for (const QChar c : QString::fromUtf8(row.typed)) {
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
        if (row.key != Qt::Key_unknown) {
            QTest::keyClick(box, row.key, row.modifiers);
        }
        EXPECT_EQ(box->text(), QString::fromUtf8(row.after));
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8(row.clipboard));
    }
}

TEST(KeyFilter, PasteAndInputMethodAreCleanedAsTypingWouldHaveBeenThenCut) {
    const struct {
        int index;
        const char* before; // the caret stands at its start
        const char* arriving;
        const char* kept;
    } rows[] = {{1, "", "SN-12 34é", "SN1234"},
                {12, "", "中#1\t", "#1"},
                {0, "", "a b", "a b"},
                {8, "", "中-1", "中-1"},
                {12, "", "中中中中ABCD", "ABCD"}, // cleaned first, then cut to four
                {12, "XY", "中ABCD", "ABXY"}};    // the cut takes what arrived
    Bench bench;
    app::FrmMain& w = bench.open();
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        QLineEdit* box = w.Text1Line(row.index);
        box->setEnabled(true);
        const auto reset = [&] {
            box->setText(QString::fromUtf8(row.before));
            box->setCursorPosition(0);
        };
        reset();
        QGuiApplication::clipboard()->setText(QString::fromUtf8(row.arriving));
        box->paste(); // what the context menu's Paste does
        EXPECT_EQ(box->text(), QString::fromUtf8(row.kept));
        reset();
        QInputMethodEvent commit;
        commit.setCommitString(QString::fromUtf8(row.arriving));
        QApplication::sendEvent(box, &commit);
        EXPECT_EQ(box->text(), QString::fromUtf8(row.kept));
    }
}

TEST(FocusRule, AnEmptyMaintenanceDateIsDatedAndAFieldSelectedWholeWhenTheFocusArrives) {
    Bench bench;
    app::FrmMain& w = bench.open();
    const auto focus = [&](int index, const QString& text, Qt::FocusReason reason) {
        w.Text1[index]->setEnabled(true);
        w.SetText1Text(index, text);
        w.Text1Line(index)->setCursorPosition(1);
        QFocusEvent focusIn(QEvent::FocusIn, reason);
        QApplication::sendEvent(w.Text1[index], &focusIn);
        return w.Text1Line(index)->selectedText();
    };
    EXPECT_EQ(focus(3, QString(), Qt::TabFocusReason), QStringLiteral("2026/12/7"));
    EXPECT_EQ(w.Text1Text(3), QStringLiteral("2026/12/7"));
    EXPECT_EQ(focus(3, QStringLiteral("repaired"), Qt::TabFocusReason), QStringLiteral("repaired"));
    EXPECT_EQ(focus(9, QString(), Qt::TabFocusReason), QString()); // others stay empty
    EXPECT_EQ(focus(8, QStringLiteral("dealer"), Qt::MouseFocusReason), QStringLiteral("dealer"));
    EXPECT_EQ(focus(8, QStringLiteral("dealer"), Qt::OtherFocusReason), QStringLiteral("dealer"));
    // The focus given back by the field's own context menu or by the window's
    // re-activation leaves the caret alone: a Paste inserts there, a key wipes nothing.
    EXPECT_EQ(focus(8, QStringLiteral("dealer"), Qt::PopupFocusReason), QString());
    EXPECT_EQ(focus(12, QStringLiteral("1234"), Qt::ActiveWindowFocusReason), QString());
}

TEST(Wheel, ChangesADropDownOnlyWhileItHasTheFocus) {
    Bench bench;
    bench.portMap.ports.push_back({QStringLiteral("COM4"), QStringLiteral("/dev/ttyUSB1")});
    app::FrmMain& w = bench.open();
    bench.activate();
    const auto wheelDown = [](QWidget* list) {
        QWheelEvent notch(QPointF(5, 5), list->mapToGlobal(QPointF(5, 5)), QPoint(),
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(list, &notch);
    };
    w.Command1->setFocus();
    for (QComboBox* list : {w.Combo1[1], w.Combo2}) {
        // A list that takes the focus by the wheel would have it before the wheel acts.
        EXPECT_NE(list->focusPolicy(), Qt::WheelFocus);
        wheelDown(list);
        EXPECT_EQ(list->currentIndex(), 0);
    }
    EXPECT_EQ(bench.ini.values.value(QStringLiteral("language/comPort")), QStringLiteral("3"));
    for (QComboBox* list : {w.Combo1[1], w.Combo2}) {
        list->setFocus(Qt::TabFocusReason);
        wheelDown(list);
        EXPECT_EQ(list->currentIndex(), 1);
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
