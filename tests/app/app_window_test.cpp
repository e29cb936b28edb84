// The main window on fake services, with simulated radios on the line when attached:
// start-up and closing, the key filter, the cleaning of pasted text and the fields' limits,
// the focus rules, the wheel over the drop-downs, the keyboard, the band question, the
// mapping between the controls and the record, and the multi-write panel and button. The
// operations themselves are the link's, tested there.
#include "FakeMessageBoxes.h"
#include "FakeSerialPort.h"
#include "FakeTimer.h"
#include "FixedCalendar.h"
#include "ServiceFakes.h"
#include "VirtualClock.h"
#include "app/FrmMain.h"
#include "app/Messages.h"
#include "platform/CodePage.h"
#include "radiosim/RadioSim.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

namespace tavrik::apptest {
namespace {

/// The window on fake services, with simulated radios on the line when attached.
struct Bench {
    Bench() {
        portMap.ports = {{QStringLiteral("COM3"), QStringLiteral("/dev/ttyUSB0")}};
        ini.values.insert(QStringLiteral("language/comPort"), QStringLiteral("3"));
        port.setAvailablePorts({3});
    }

    /// Builds the window (which runs its start-up).
    app::FrmMain& open(std::uint32_t lcid = 0x0409) {
        locale.lcid = lcid;
        window = std::make_unique<app::FrmMain>(
            app::FrmMainServices{locale, calendar, *codePage, os, portMap, ini, port, waitTimer,
                                 wakeTimer, refreshTimer, messages, time});
        return *window;
    }

    /// Shows the window and makes it the active one, for keyboard tests.
    void activate() {
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    /// Presses Tab `count` times and names the controls that took the focus.
    QStringList tabThrough(int count) {
        QStringList visited;
        for (int i = 0; i < count; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        return visited;
    }

    /// Puts a series of radios on the cable behind the port; every byte takes its time
    /// (a radio answering at once would keep the virtual clock standing).
    void attachRadios(std::vector<radiosim::Memory> radios) {
        radiosim::SimOptions options;
        options.pacing = true;
        radio = std::make_unique<radiosim::RadioSim>(std::move(radios), options);
        port.setPeer([this](const QByteArray& sent, test::VirtualClock::Micros now) {
            return radio->receive(sent, now);
        });
    }

    test::VirtualClock clock;
    test::FakeSerialPort port{clock};
    // The program's own intervals: a wrong one shows in the runs.
    test::FakeTimer waitTimer{clock, kAnswerTimeout};
    test::FakeTimer wakeTimer{clock, kAnswerTimeout};
    test::FakeTimer refreshTimer{clock, ModSetComm::kRefreshInterval};
    test::FakeMessageBoxes messages;
    test::VirtualTime time{clock};
    test::FixedCalendar calendar{QDate(2026, 12, 7)};
    test::FakeLocale locale;
    test::FakeOsVersion os;
    test::FakePortMap portMap;
    test::FakeIni ini;
    std::unique_ptr<platform::CodePage> codePage = platform::makeCodePage(28591);
    std::unique_ptr<radiosim::RadioSim> radio;
    std::unique_ptr<app::FrmMain> window; // last: it goes first
};

TEST(StoreFailed, TheMessageNamesEachFolderInTheWindowsLanguage) {
    EXPECT_EQ(app::StoreFailedMessage(Language::English, QStringLiteral("p"), QStringLiteral("u")),
              "The chosen port cannot be saved: mysetup.ini cannot be written in any of these "
              "folders:\np\nu\nThe port stays chosen until the program closes.");
    EXPECT_EQ(
        app::StoreFailedMessage(Language::Chinese, QString(), QStringLiteral("u")),
        "无法保存所选串口：以下文件夹都无法写入 mysetup.ini：\nu\n在程序关闭之前仍使用所选串口。");
}

TEST(Close, AltXMidOperationClosesThePortAndNothingCallsBackIntoTheWindow) {
    Bench bench;
    bench.attachRadios({radiosim::DefaultMemory()});
    app::FrmMain& w = bench.open();
    bench.activate();
    w.Command1_Click();
    bench.clock.advanceBy(std::chrono::milliseconds(60)); // some blocks are read
    ASSERT_TRUE(bench.port.isOpen() && bench.refreshTimer.isEnabled());
    QTest::keyClick(&w, Qt::Key_X, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }));
    EXPECT_FALSE(bench.port.isOpen());
    EXPECT_FALSE(bench.waitTimer.isEnabled());
    EXPECT_FALSE(bench.refreshTimer.isEnabled());
    bench.window.reset(); // the services remain
    bench.port.deliver(QByteArrayLiteral("\x06"));
    bench.waitTimer.fire();
    bench.refreshTimer.fire();
    EXPECT_TRUE(bench.messages.shown().empty());
}

TEST(KeyFilter, WhatArrivesTypedOrPastedIsCleanedThenCutToWhatTheRadioStores) {
    const QString one = QStringLiteral("一");
    // The code page, the boxes Text1(index), a box's text before (the caret at its start),
    // what arrives, what is kept: as many bytes as the radio stores, no character split.
    const std::tuple<int, std::vector<int>, const char*, QString, QString> rows[] = {
        {1252, {1}, "", "azAZ09- é\t", "azAZ09"}, // the serial: ASCII letters and digits only
        {936, {0, 7, 12}, "", "# 中a\t", "# a"},  // area, user code, password: printable ASCII
        {936, {12}, "XY", "中ABCD", "ABXY"},      // cleaned first, then cut: what arrived
        {936, {2, 3, 8, 9, 10, 11}, "", "一二三四五六七八九十", "一二三四五六七八"},
        {936, {8}, "", "中a-4567890123456789\r\n", "中a-456789012345"},
        {936, {6}, "", "a一二三四五", "a一二三"},
        {936, {4}, "", one.repeated(41), one.repeated(40)},
        {1252, {2, 3, 8, 9, 10, 11}, "", "Müller-Lüdenscheidt", "Müller-Lüdensche"},
        {936, {5, 13}, "", "V1.00 V2.00 V3.00", "V1.00 V2.00 V3.0"}, // a version: its box's 16
    };
    for (const auto& [page, boxes, before, text, kept] : rows) {
        Bench bench;
        bench.codePage = platform::makeCodePage(page);
        app::FrmMain& w = bench.open();
        for (const int index : boxes) {
            QWidget* box = w.Text1[index];
            box->setEnabled(true); // the greyed fields take keys where enabled
            for (const bool typed : {true, false}) {
                SCOPED_TRACE(testing::Message() << page << ' ' << index << ' ' << text.toStdString()
                                                << (typed ? " typed" : " pasted"));
                w.SetText1Text(index, QString::fromUtf8(before));
                if (QLineEdit* line = w.Text1Line(index)) {
                    line->setCursorPosition(0);
                }
                if (typed) {
                    for (const QChar c : text) {
                        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), {});
                    }
                } else {
                    QGuiApplication::clipboard()->setText(text);
                    QMetaObject::invokeMethod(box, "paste"); // what the context menu's Paste does
                }
                EXPECT_EQ(w.Text1Text(index), kept);
            }
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
        // The focus given back by the field's own context menu or by the window's
        // re-activation leaves the caret alone: a Paste inserts there, a key wipes nothing.
        {8, "dealer", Qt::PopupFocusReason, ""},
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
    bench.activate(); // the band list has the focus
    // A list that takes the focus by the wheel would have it before the wheel acts.
    EXPECT_NE(w.Combo2->focusPolicy(), Qt::WheelFocus);
    for (const int expected : {0, 1}) {
        QWheelEvent notch(QPointF(5, 5), w.Combo2->mapToGlobal(QPointF(5, 5)), QPoint(),
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w.Combo2, &notch);
        EXPECT_EQ(w.Combo2->currentIndex(), expected);
        w.Combo2->setFocus(Qt::TabFocusReason);
    }
    EXPECT_EQ(bench.ini.values.value(QStringLiteral("language/comPort")), QStringLiteral("4"));
}

TEST(StartUp, FocusOnTheBandListTabCyclesAndEnterMovesOnFromAFilteredFieldOnly) {
    Bench bench;
    bench.os.info = platform::OsVersionInfo{2, 6, 0}; // a fixed port list: no refresh
    app::FrmMain& w = bench.open();
    EXPECT_FALSE(bench.refreshTimer.isEnabled());
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
}

TEST(GetDataByShow, TheBandQuestionSettlesADisagreementBetweenRadioAndWindow) {
    const char* const overwrite = "Frequencys is different. Overwrite?";
    // The band the radio reported, the operator's pick in Combo1(1) (-1: none), the
    // answers, the question asked (none: nullptr), the band taken and the one shown, and
    // the system locale.
    const std::tuple<qint16, int, std::deque<bool>, const char*, qint16, int, std::uint32_t>
        rows[] = {
            {1, -1, {}, nullptr, 1, 1, 0x0409},
            {1, 2, {true}, overwrite, 2, 2, 0x0409},  // OK takes the window's band
            {1, 2, {false}, overwrite, 1, 1, 0x0409}, // Cancel puts the radio's band back
            {5, -1, {}, nullptr, 5, -1, 0x0409}, // a band the list lacks shows none and is kept
            {0, 1, {true}, "频段类型不同。是否覆盖？", 1, 1, 0x0804},
        };
    for (const auto& [radioBand, picked, answers, question, bandAfter, shownAfter, lcid] : rows) {
        SCOPED_TRACE(testing::Message() << radioBand << ' ' << picked);
        Bench bench;
        app::FrmMain& w = bench.open(lcid);
        w.data().settings().BandIndex = radioBand;
        w.ShowByData();
        if (picked >= 0) {
            w.Combo1[1]->setCurrentIndex(picked);
        }
        bench.messages.scriptAnswers(answers);
        w.GetDataByShow();
        EXPECT_EQ(bench.messages.texts(),
                  question ? std::vector{QString::fromUtf8(question)} : std::vector<QString>{});
        for (const auto& shown : bench.messages.shown()) { // an OK/Cancel box with a warning
            EXPECT_TRUE(shown.question && shown.icon == platform::MessageIcon::Exclamation);
        }
        EXPECT_EQ(w.data().settings().BandIndex, bandAfter);
        EXPECT_EQ(w.Combo1[1]->currentIndex(), shownAfter);
    }
}

// ShowByData fills every control from the record; GetDataByShow takes them back,
// right-trimmed, with the versions normalised.
TEST(Mapping, ShowByDataFillsEveryControlAndGetDataByShowTakesThemBack) {
    Bench bench;
    app::FrmMain& w = bench.open();
    const radiosim::Memory memory = radiosim::DefaultMemory();
    w.data().image().setBytes(0x3B00,
                              QByteArray(reinterpret_cast<const char*>(memory.data()), 256));
    w.data().ParseImage();
    w.ShowByData();
    QStringList shown;
    for (int index = 0; index <= 13; ++index) {
        shown << w.Text1Text(index);
    }
    EXPECT_EQ(shown, (QStringList{"0571", "2025110300000042", "2025-11-03", "2026-01-15",
                                  "Replaced battery contacts", "V1.05", "11-1-E-1", "WOLP",
                                  "D-0042", "2025-12-01", "", "Wang Radio Shop", "1234", "V1.02"}));
    EXPECT_EQ(w.Combo1[0]->currentText(), QStringLiteral("TAVRIK"));
    EXPECT_EQ(w.Combo1[1]->currentIndex(), 1);
    EXPECT_EQ((std::vector{w.Check1->isChecked(), w.Check8->isChecked(), w.Check2->isChecked(),
                           w.Check3->isChecked()}),
              (std::vector{true, true, false, false})); // factory and Freq. Set

    w.SetText1Text(0, QStringLiteral("AR1  "));
    w.SetText1Text(8, QStringLiteral(" NEWDEALER  "));
    w.SetText1Text(5, QStringLiteral("v2.1"));
    w.Check8->setChecked(false);
    w.Check2->setChecked(true);
    w.GetDataByShow();
    const RadioSettings& s = w.data().settings();
    EXPECT_EQ(s.AreaCode + u'|' + s.DealerCode.text() + u'|' + s.RfFirmwareVersion,
              QStringLiteral("AR1| NEWDEALER|V2.01"));
    EXPECT_EQ(QString::number(s.FactoryMode) + QString::number(s.FreqSetEnabled) +
                  QString::number(s.StunEnabled) + QString::number(s.KillEnabled),
              QStringLiteral("1010"));
}

// The mode, the buttons, the radio number shown in Text2(1), and the status line (the
// link's words) shown while a run is under way.
void expectMode(app::FrmMain& w, bool running, const char* caption, const char* number) {
    EXPECT_EQ(w.comm().state().opKind, running ? OpKind::MulWrite : OpKind::Idle);
    EXPECT_EQ(w.Command1->isEnabled(), !running);
    EXPECT_EQ(w.Command2->isEnabled(), !running);
    EXPECT_EQ(w.Command4->text(), QString::fromUtf8(caption));
    EXPECT_EQ(w.Text2[1]->text(), QString::fromUtf8(number));
    EXPECT_EQ(w.Label6->text().isEmpty(), !running);
}

// The panel's keys, a count that starts nothing, and a run stopped by its key (a port
// that cannot be opened: StartAgain, a link test).
TEST(MulWrite, CtrlShiftMShowsThePanelAltMWorksOnlyThenAndTheRunCanBeStopped) {
    Bench bench;
    bench.attachRadios({radiosim::DefaultMemory(), radiosim::DefaultMemory()});
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
    for (const char* bad : {"", "-2"}) {
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
    expectMode(w, true, "Stop &MulWrite", "1");
    // While a run is under way the panel stays, so the run can be stopped.
    key(Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(w.Frame4->isVisible());
    key(Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.comm().state().opKind == OpKind::Idle; }));
    expectMode(w, false, "&MulWrite", "");
    EXPECT_TRUE(bench.messages.shown().empty()); // the stop mid-run shows nothing
    key(Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(w.Frame4->isVisible());
}

} // namespace
} // namespace tavrik::apptest
