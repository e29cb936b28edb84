// The window's fixed layout: geometry in twips, containers, limits and initial states.
#include "ui/FrmMainForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

using tavrik::ui::FrmMainForm;

struct Placement {
    const char* name;
    const char* container;
    QRect twips;
};

// Positions within the containing frame, in twips.
const Placement kPlacements[] = {
    {"Frame1", "FrmMain", {0, 120, 9615, 8295}},
    {"Frame2", "Frame1", {120, 6360, 8535, 1815}},
    {"Frame4", "Frame1", {6960, 3480, 1935, 1815}},
    {"Text1_0", "Frame1", {2040, 1200, 4695, 330}},
    {"Text1_6", "Frame1", {2040, 1560, 4695, 330}},
    {"Text1_7", "Frame1", {2040, 1920, 4695, 330}},
    {"Combo1_0", "Frame1", {2040, 2280, 4695, 345}},
    {"Combo1_1", "Frame1", {2040, 2640, 4695, 345}},
    {"Text1_12", "Frame1", {2040, 3000, 4695, 330}},
    {"Text1_1", "Frame1", {2040, 3360, 4695, 330}},
    {"Text1_2", "Frame1", {2040, 3720, 4695, 330}},
    {"Text1_3", "Frame1", {2040, 4080, 4695, 330}},
    {"Text1_5", "Frame1", {2040, 4440, 4695, 330}},
    {"Text1_13", "Frame1", {2040, 4800, 4695, 330}},
    {"Text1_4", "Frame1", {2040, 5280, 4695, 1005}},
    {"Text1_8", "Frame2", {1920, 240, 4695, 330}},
    {"Text1_9", "Frame2", {1905, 600, 4695, 330}},
    {"Text1_10", "Frame2", {1905, 960, 4695, 330}},
    {"Text1_11", "Frame2", {1905, 1320, 4695, 330}},
    {"Text2_0", "Frame4", {1200, 720, 615, 240}},
    {"Text2_1", "Frame4", {1200, 960, 615, 240}},
    {"Check8", "Frame1", {480, 480, 1095, 255}},
    {"Check2", "Frame1", {2400, 480, 1095, 255}},
    {"Check3", "Frame1", {4200, 480, 1095, 255}},
    {"Check1", "Frame1", {7200, 360, 1095, 255}},
    {"Combo2", "Frame1", {7080, 1080, 1455, 345}},
    {"Command1", "Frame1", {7200, 1680, 1455, 375}},
    {"Command2", "Frame1", {7200, 2160, 1455, 375}},
    {"Command3", "Frame1", {7200, 5640, 1455, 375}},
    {"Command4", "Frame4", {120, 240, 1695, 375}},
};

TEST(Layout, ControlsSitInTheirContainersAtTheirTwips) {
    FrmMainForm form;
    for (const Placement& p : kPlacements) {
        SCOPED_TRACE(p.name);
        const auto* control = form.findChild<QWidget*>(QLatin1String(p.name));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->parentWidget()->objectName(), QLatin1String(p.container));
        EXPECT_EQ(FrmMainForm::twipsGeometry(control), p.twips);
        // 15 twips to the logical pixel.
        EXPECT_EQ(control->geometry(), QRect(p.twips.x() / 15, p.twips.y() / 15,
                                             p.twips.width() / 15, p.twips.height() / 15));
    }
}

TEST(Layout, LabelsSitBelowTheTopOfTheirBoxes) {
    FrmMainForm form;
    const struct {
        const char* label;
        const char* box;
        int drop;
    } rows[] = {{"Label2", "Text1_0", 45},     {"Label1_0", "Combo1_0", 45},
                {"Label1_5", "Text1_4", 45},   {"Label1_9", "Text1_8", 45},
                {"Label1_12", "Text1_11", 45}, {"Label4", "Text2_0", 0},
                {"Label5", "Text2_1", 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const auto* label = form.findChild<QLabel*>(QLatin1String(row.label));
        const auto* box = form.findChild<QWidget*>(QLatin1String(row.box));
        ASSERT_TRUE(label && box);
        EXPECT_EQ(FrmMainForm::twipsGeometry(label).top(),
                  FrmMainForm::twipsGeometry(box).top() + row.drop);
        EXPECT_EQ(FrmMainForm::twipsGeometry(label).height(), 225);
    }
}

TEST(Layout, WindowIsFixedSizeWithItsTitleAndFont) {
    FrmMainForm form;
    EXPECT_EQ(form.objectName(), QStringLiteral("FrmMain"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("VEL_TAVRIK_DovI"));
    EXPECT_EQ(form.size(), QSize(642, 567));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(form.font().pointSize(), 9);
    EXPECT_EQ(form.Command1->font(), form.font());
    EXPECT_FALSE(form.windowIcon().isNull());
    EXPECT_TRUE(form.windowIcon().availableSizes().contains(QSize(16, 16)));
    EXPECT_TRUE(form.windowIcon().availableSizes().contains(QSize(32, 32)));
}

TEST(Layout, CharacterLimitsOfTheBoxes) {
    FrmMainForm form;
    const int limits[14] = {4, 16, 16, 16, 80, 16, 8, 4, 16, 16, 16, 16, 4, 16};
    for (int i = 0; i < 14; ++i) {
        SCOPED_TRACE(i);
        if (i == 4) {
            continue;
        }
        ASSERT_NE(form.Text1Line(i), nullptr);
        EXPECT_EQ(form.Text1Line(i)->maxLength(), limits[i]);
    }
    EXPECT_EQ(form.Text2[0]->maxLength(), 3);
    EXPECT_EQ(form.Text2[1]->maxLength(), 3);
}

TEST(Layout, DescriptionWrapsWithoutScrollBarsAndHoldsEightyCharacters) {
    FrmMainForm form;
    QPlainTextEdit* description = form.Text1Multi();
    ASSERT_EQ(form.Text1[4], description);
    EXPECT_EQ(description->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(description->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(description->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    form.SetText1Text(4, QString(100, QLatin1Char('d')));
    EXPECT_EQ(form.Text1Text(4), QString(80, QLatin1Char('d')));
}

struct InitialState {
    const char* name;
    bool enabled;
    bool hidden;
};

TEST(Layout, InitialEnabledAndVisibleStates) {
    FrmMainForm form;
    const InitialState states[] = {
        {"Text1_0", false, false},  {"Label2", false, false},  {"Text1_1", false, false},
        {"Text1_2", false, false},  {"Text1_3", false, false}, {"Text1_4", false, false},
        {"Text1_5", false, false},  {"Text1_6", false, false}, {"Text1_13", false, false},
        {"Text1_7", true, true},    {"Label1_8", true, true},  {"Check1", true, true},
        {"Frame4", true, true},     {"Text1_8", true, false},  {"Text1_12", true, false},
        {"Combo1_1", true, false},  {"Label1_1", true, false}, {"Label1_13", true, false},
        {"Label1_2", false, false}, {"Text2_0", true, false},  {"Text2_1", false, false},
        {"Command1", true, false},  {"Command4", true, false}, {"Check8", true, false},
    };
    for (const InitialState& s : states) {
        SCOPED_TRACE(s.name);
        const auto* control = form.findChild<QWidget*>(QLatin1String(s.name));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->isEnabled(), s.enabled);
        EXPECT_EQ(control->isHidden(), s.hidden);
    }
    EXPECT_EQ(form.Text2[0]->text(), QStringLiteral("10"));
    EXPECT_EQ(form.Text2[1]->text(), QStringLiteral("0"));
    EXPECT_EQ(form.Combo1[0]->count(), 1);
    EXPECT_EQ(form.Combo1[0]->itemText(0), QStringLiteral("TAVRIK"));
    EXPECT_EQ(form.Combo1[1]->count(), 0);
    EXPECT_EQ(form.Label6->palette().color(QPalette::WindowText), QColor(Qt::red));
}

TEST(Layout, ThePanelShowsAndHidesWithAllItHolds) {
    FrmMainForm form;
    form.show();
    EXPECT_FALSE(form.Command4->isVisible());
    form.setMulWritePanelVisible(true);
    EXPECT_TRUE(form.Command4->isVisible());
    EXPECT_TRUE(form.Text2[0]->isVisible());
    form.setMulWritePanelVisible(false);
    EXPECT_FALSE(form.Command4->isVisible());
}

} // namespace
