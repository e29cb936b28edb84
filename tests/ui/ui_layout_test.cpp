// The window's fixed frame, its description box and what starts hidden.
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

TEST(Layout, TheFactoryBoxTheUserCodeRowAndThePanelStartHidden) {
    FrmMainForm form;
    form.show();
    for (const char* name : {"Check1", "Text1_7", "Label1_8", "Frame4", "Command4", "Text2_0"}) {
        SCOPED_TRACE(name);
        const auto* control = form.findChild<QWidget*>(QLatin1String(name));
        ASSERT_NE(control, nullptr);
        EXPECT_FALSE(control->isVisible());
    }
    // Greyed boxes show their values but take no focus.
    EXPECT_FALSE(form.Text1[1]->isEnabled());
    EXPECT_TRUE(form.Text1[8]->isEnabled());
    EXPECT_EQ(form.Label6->palette().color(QPalette::WindowText), QColor(Qt::red));
}

} // namespace
