// The window's fixed frame and what starts hidden, the geometry of its controls, its fit
// on a small screen, the language chosen from the system locale, the captions and the
// label alignment.
#include "ui/Captions.h"
#include "ui/FrmMainForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using tavrik::ui::FrmMainForm;

QString captionOf(const QWidget* control) {
    const auto* frame = qobject_cast<const QGroupBox*>(control);
    return frame != nullptr ? frame->title() : control->property("text").toString();
}

// A fixed frame; what starts hidden or greyed; every visible control inside its frame,
// overlapping no other, with the panel shown.
TEST(Layout, FixedFrameHiddenControlsAndNoTwoVisibleControlsOverlap) {
    for (const std::uint32_t lcid : {0x0804u, 0x0409u}) {
        FrmMainForm form;
        EXPECT_EQ(form.size(), QSize(642, 567));
        EXPECT_EQ(form.minimumSize(), form.maximumSize());
        for (const char* name : {"Check1", "Text1_7", "Label1_8", "Frame4"}) {
            EXPECT_FALSE(form.findChild<QWidget*>(QLatin1String(name))->isVisibleTo(&form));
        }
        EXPECT_FALSE(form.Text1[1]->isEnabled()); // shows its value but takes no focus
        EXPECT_TRUE(form.Text1[8]->isEnabled());
        EXPECT_EQ(form.Label6->palette().color(QPalette::WindowText), QColor(Qt::red));
        form.ApplyLanguage(lcid);
        form.setMulWritePanelVisible(true);
        for (const QWidget* frame : QList<QWidget*>{&form, form.Frame1, form.Frame2, form.Frame4}) {
            QList<QWidget*> shown = frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
            shown.removeIf([&](const QWidget* c) { return !c->isVisibleTo(&form); });
            for (qsizetype i = 0; i < shown.size(); ++i) {
                const std::string name = shown[i]->objectName().toStdString();
                EXPECT_TRUE(frame->rect().contains(shown[i]->geometry())) << lcid << name;
                if (qobject_cast<QLabel*>(shown[i]) != nullptr) { // sized to its caption
                    EXPECT_GE(shown[i]->width(), shown[i]->sizeHint().width()) << lcid << name;
                }
                for (qsizetype j = i + 1; j < shown.size(); ++j) {
                    EXPECT_FALSE(shown[i]->geometry().intersects(shown[j]->geometry()))
                        << lcid << name << " and " << shown[j]->objectName().toStdString();
                }
            }
        }
    }
}

// On a screen whose available area is smaller than the window (a netbook with a panel,
// 800x480), the window opens inside that area and its form scrolls to the control that
// takes the focus; on a larger screen nothing changes.
TEST(Layout, OnASmallScreenTheWindowFitsAndScrollsToTheFocus) {
    for (const QRect available :
         {QRect(0, 0, 1280, 984), QRect(0, 24, 1024, 540), QRect(0, 0, 800, 480)}) {
        SCOPED_TRACE(available.height());
        FrmMainForm form;
        form.show();
        form.fitInto(available);
        QApplication::setActiveWindow(&form);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        const bool small = available.height() < 600;
        EXPECT_TRUE(available.contains(form.frameGeometry()));
        EXPECT_EQ(form.size() == QSize(642, 567), !small);
        const auto* area = form.findChild<QScrollArea*>();
        EXPECT_EQ(area->verticalScrollBar()->isVisible(), small);
        EXPECT_FALSE(area->horizontalScrollBar()->isVisible());
        form.Text1[11]->setFocus(); // the last row
        const QRect shown(form.Text1[11]->mapTo(area->viewport(), QPoint()),
                          form.Text1[11]->size());
        EXPECT_TRUE(area->viewport()->rect().contains(shown));
    }
}

class Language : public ::testing::TestWithParam<std::pair<std::uint32_t, qint16>> {};

TEST_P(Language, EveryCaptionFollowsTheSystemLocaleAndTheLabelsEndShortOfTheirBoxes) {
    FrmMainForm form;
    EXPECT_EQ(form.ApplyLanguage(GetParam().first), GetParam().second);
    const bool chinese = GetParam().second == 2;
    for (const tavrik::ui::CaptionRow& row : tavrik::ui::CaptionTable()) {
        const auto* control = form.findChild<QWidget*>(QLatin1String(row.control));
        ASSERT_NE(control, nullptr) << row.control;
        EXPECT_EQ(captionOf(control), QString::fromUtf8(chinese ? row.chinese : row.english));
    }
    // Every labelled control has a caption of its own, but the status line and the panel.
    QSet<QString> captions;
    int labelled = 0;
    for (const QWidget* control : form.findChildren<QWidget*>()) {
        if (qobject_cast<const QLabel*>(control) || qobject_cast<const QAbstractButton*>(control) ||
            qobject_cast<const QGroupBox*>(control)) {
            const bool none = control == form.Label6 || control == form.Frame4;
            EXPECT_EQ(captionOf(control).isEmpty(), none) << control->objectName().toStdString();
            labelled += none ? 0 : 1;
            captions.insert(captionOf(control));
        }
    }
    EXPECT_EQ(captions.size(), labelled + 1); // all distinct, and the one empty caption
    EXPECT_TRUE(form.Command1->text().contains(QLatin1String("&R")));
    EXPECT_TRUE(form.Command2->text().contains(QLatin1String("&W")));
    EXPECT_TRUE(form.Command3->text().contains(QLatin1String("&x"), Qt::CaseInsensitive));
    EXPECT_TRUE(form.Command4->text().contains(QLatin1String("&M")));
    EXPECT_EQ(tavrik::ui::MulWriteButtonCaption(GetParam().second, true),
              chinese ? QStringLiteral("停止写入多台(&M)") : "Stop &MulWrite");
    const QString colon = chinese ? QStringLiteral("：") : QStringLiteral(":");
    EXPECT_TRUE(form.Label4->text().endsWith(colon));
    EXPECT_TRUE(form.Label5->text().endsWith(colon));
    EXPECT_EQ(form.Label1[13]->text(), chinese ? QStringLiteral("编程密码") : "Program PassWord");
    EXPECT_EQ(form.Frame2->title(), chinese ? QStringLiteral("经销商信息") : "Dealer Information");
    EXPECT_EQ(form.Check8->text(), chinese ? QStringLiteral("频段设置") : "Freq. Set");
    EXPECT_EQ(form.windowTitle(), QStringLiteral("VEL_TAVRIK_DovI"));

    // The field labels of a frame end on one line, however long their captions, 50
    // twips short of the boxes (20 in the panel); Label3 keeps its place.
    for (const QLabel* label : form.findChildren<QLabel*>()) {
        const QWidget* frame = label->parentWidget();
        const QWidget* box = frame == form.Frame4   ? form.Text2[0]
                             : frame == form.Frame2 ? form.Text1[8]
                                                    : form.Text1[1];
        if (label != form.Label3 && label != form.Label6) {
            EXPECT_EQ(FrmMainForm::twipsGeometry(box).left() -
                          FrmMainForm::twipsGeometry(label).right() - 1,
                      frame == form.Frame4 ? 20 : 50)
                << label->objectName().toStdString();
        }
    }
    EXPECT_EQ(FrmMainForm::twipsGeometry(form.Label3).left(), 7080);
}

// Only Chinese of the People's Republic gives Chinese; another Chinese locale does not.
INSTANTIATE_TEST_SUITE_P(Locales, Language,
                         ::testing::Values(std::pair{0x0804u, qint16{2}},
                                           std::pair{0x0404u, qint16{1}}));

} // namespace
