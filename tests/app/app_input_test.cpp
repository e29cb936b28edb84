// The key filter, the other roads into the filtered fields, and the focus rules.
#include "AppBench.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace tavrik::apptest {
namespace {

struct Stroke {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    QString text;
};

// Each character typed as a plain key press carrying it.
std::vector<Stroke> typed(const QString& characters) {
    std::vector<Stroke> strokes;
    for (const QChar c : characters) {
        const Qt::Key key =
            c.unicode() < 128 ? static_cast<Qt::Key>(c.toUpper().unicode()) : Qt::Key_unknown;
        strokes.push_back({key, Qt::NoModifier, QString(c)});
    }
    return strokes;
}

const Stroke kBackspace{Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b")};
const Stroke kEnter{Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r")};
const Stroke kCtrlV{Qt::Key_V, Qt::ControlModifier, QString(QChar(22))};
const Stroke kCtrlX{Qt::Key_X, Qt::ControlModifier, QString(QChar(24))};

std::vector<Stroke> operator+(std::vector<Stroke> a, const Stroke& b) {
    a.push_back(b);
    return a;
}

struct KeyCase {
    const char* name;
    int index;
    const char* before; // the field's text, caret at its end (UTF-8)
    std::vector<Stroke> strokes;
    const char* after;
};

// Failures name the row.
void PrintTo(const KeyCase& row, std::ostream* out) {
    *out << row.name;
}

void press(QWidget* box, const std::vector<Stroke>& strokes) {
    for (const Stroke& s : strokes) {
        QTest::sendKeyEvent(QTest::Click, box, s.key, s.text, s.modifiers);
    }
}

class KeyFilter : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyFilter, LeavesOnlyWhatTheFieldAccepts) {
    Bench bench;
    app::FrmMain& w = bench.open();
    QGuiApplication::clipboard()->setText(QStringLiteral("ZZ"));
    QLineEdit* box = w.Text1Line(GetParam().index);
    box->setEnabled(true); // the greyed filtered fields take keys where enabled
    box->setText(QString::fromUtf8(GetParam().before));
    box->end(false);
    press(box, GetParam().strokes);
    EXPECT_EQ(box->text(), QString::fromUtf8(GetParam().after));
}

INSTANTIATE_TEST_SUITE_P(
    Fields, KeyFilter,
    ::testing::Values(
        KeyCase{"SerialTakesLettersAndDigitsOnly", 1, "", typed(QStringLiteral("A-1 b")), "A1b"},
        KeyCase{"PasswordTakesPrintableAscii", 12, "", typed(QStringLiteral("# a")), "# a"},
        KeyCase{"PasswordRefusesChinese", 12, "", typed(QStringLiteral("中")), ""},
        KeyCase{"AreaCodeTakesPrintableAscii", 0, "", typed(QStringLiteral("Ab#1")), "Ab#1"},
        KeyCase{"UserCodeRefusesAccents", 7, "", typed(QStringLiteral("éx")), "x"},
        KeyCase{"DealerCodeTakesAnything", 8, "", typed(QStringLiteral("中a-")), "中a-"},
        KeyCase{"BackspaceStillDeletes", 1, "AB", {kBackspace}, "A"},
        KeyCase{"CtrlVPastesNothing", 12, "ab", {kCtrlV}, "ab"},
        KeyCase{"CtrlVPastesInADealerField", 8, "", {kCtrlV}, "ZZ"},
        KeyCase{"CtrlXCutsNothing", 0, "AR01", typed(QString()) + kCtrlX, "AR01"},
        KeyCase{"EnterAddsNothing", 12, "ab", {kEnter}, "ab"},
        KeyCase{"PasswordStopsAtFour", 12, "", typed(QStringLiteral("123456")), "1234"},
        KeyCase{"DealerStopsAtSixteen", 9, "", typed(QStringLiteral("abcdefghijklmnopqrst")),
                "abcdefghijklmnop"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(KeyFilter, CtrlXAfterSelectingAllCutsNothingInAFilteredField) {
    Bench bench;
    app::FrmMain& w = bench.open();
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QLineEdit* password = w.Text1Line(12);
    password->setText(QStringLiteral("ab"));
    password->selectAll();
    QTest::keyClick(password, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(password, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(password->text(), QStringLiteral("ab"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    // An unfiltered field copies as usual.
    QLineEdit* dealer = w.Text1Line(8);
    dealer->setText(QStringLiteral("cd"));
    dealer->selectAll();
    QTest::keyClick(dealer, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("cd"));
}

TEST(KeyFilter, EnterMovesOnFromAFilteredFieldOnly) {
    Bench bench;
    app::FrmMain& w = bench.open();
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.Text1[12]->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.Text1[12], Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(w.Check8));

    w.Text1[8]->setFocus(Qt::TabFocusReason);
    w.SetText1Text(8, QStringLiteral("D1"));
    QTest::keyClick(w.Text1[8], Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), w.Text1[8]);
    EXPECT_EQ(w.Text1Text(8), QStringLiteral("D1"));

    // In the description box Enter keeps its ordinary effect: a new line.
    w.Text1[4]->setEnabled(true);
    w.SetText1Text(4, QStringLiteral("a"));
    w.Text1Multi()->moveCursor(QTextCursor::End);
    QTest::keyClick(w.Text1[4], Qt::Key_Return);
    EXPECT_EQ(w.Text1Text(4), QStringLiteral("a\n"));
}

struct OtherRoadCase {
    const char* name;
    int index;
    const char* arriving;
    const char* kept;
};

// Failures name the row.
void PrintTo(const OtherRoadCase& row, std::ostream* out) {
    *out << row.name;
}

class OtherRoads : public ::testing::TestWithParam<OtherRoadCase> {};

TEST_P(OtherRoads, ThePasteMenuIsCleanedAsTypingWouldHaveBeen) {
    Bench bench;
    app::FrmMain& w = bench.open();
    QLineEdit* box = w.Text1Line(GetParam().index);
    box->setEnabled(true);
    box->clear();
    QGuiApplication::clipboard()->setText(QString::fromUtf8(GetParam().arriving));
    box->paste(); // what the context menu's Paste does
    EXPECT_EQ(box->text(), QString::fromUtf8(GetParam().kept));
}

TEST_P(OtherRoads, AnInputMethodIsCleanedAsTypingWouldHaveBeen) {
    Bench bench;
    app::FrmMain& w = bench.open();
    QLineEdit* box = w.Text1Line(GetParam().index);
    box->setEnabled(true);
    box->clear();
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8(GetParam().arriving));
    QApplication::sendEvent(box, &commit);
    EXPECT_EQ(box->text(), QString::fromUtf8(GetParam().kept));
}

INSTANTIATE_TEST_SUITE_P(Fields, OtherRoads,
                         ::testing::Values(OtherRoadCase{"Serial", 1, "SN-12 34é", "SN1234"},
                                           OtherRoadCase{"Password", 12, "中#1\t", "#1"},
                                           OtherRoadCase{"AreaCode", 0, "a b", "a b"},
                                           OtherRoadCase{"DealerUnfiltered", 8, "中-1", "中-1"}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(FocusRule, AnEmptyMaintenanceDateIsDatedAndEveryFieldSelectedWhole) {
    Bench bench;
    app::FrmMain& w = bench.open();
    w.Text1[3]->setEnabled(true);
    w.SetText1Text(3, QString());
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(w.Text1[3], &focusIn);
    EXPECT_EQ(w.Text1Text(3), QStringLiteral("2026/12/7"));
    EXPECT_EQ(w.Text1Line(3)->selectedText(), QStringLiteral("2026/12/7"));

    w.SetText1Text(3, QStringLiteral("repaired"));
    QApplication::sendEvent(w.Text1[3], &focusIn);
    EXPECT_EQ(w.Text1Text(3), QStringLiteral("repaired"));

    // Any other empty field stays empty.
    w.SetText1Text(9, QString());
    QApplication::sendEvent(w.Text1[9], &focusIn);
    EXPECT_EQ(w.Text1Text(9), QString());
}

TEST(FocusRule, TabbingIntoAFieldSelectsItSoTypingReplacesIt) {
    Bench bench;
    app::FrmMain& w = bench.open();
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.SetText1Text(8, QStringLiteral("dealer"));
    w.Combo2->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.Combo2, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), w.Text1[8]);
    EXPECT_EQ(w.Text1Line(8)->selectedText(), QStringLiteral("dealer"));
    QTest::keyClicks(w.Text1[8], QStringLiteral("Z"));
    EXPECT_EQ(w.Text1Text(8), QStringLiteral("Z"));
}

} // namespace
} // namespace tavrik::apptest
