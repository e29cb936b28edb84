// The window's fixed frame and what starts hidden, the language choice from the system
// locale, the caption table and the label alignment.
#include "ui/FrmMainForm.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

using tavrik::ui::FrmMainForm;

TEST(Layout, FixedFrameWrappingDescriptionAndHiddenControls) {
    FrmMainForm form;
    EXPECT_EQ(form.objectName(), QStringLiteral("FrmMain"));
    EXPECT_EQ(form.size(), QSize(642, 567));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(form.font().pointSize(), 9);
    EXPECT_EQ(form.Command1->font(), form.font());
    EXPECT_TRUE(form.windowIcon().availableSizes().contains(QSize(16, 16)));
    EXPECT_TRUE(form.windowIcon().availableSizes().contains(QSize(32, 32)));

    QPlainTextEdit* description = form.Text1Multi();
    ASSERT_EQ(form.Text1[4], description);
    EXPECT_EQ(description->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(description->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(description->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    form.SetText1Text(4, QString(100, QLatin1Char('d')));
    EXPECT_EQ(form.Text1Text(4), QString(80, QLatin1Char('d')));

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

struct Caption {
    const char* control;
    const char* english;
    const char* chinese;
};

const Caption kCaptions[] = {
    {"Label4", "Radio Count:", "写入台数："},
    {"Label5", "Radio No.:", "当前台数："},
    {"Command4", "&MulWrite", "写入多台(&M)"},
    {"Command1", "&Read", "读出(&R)"},
    {"Command2", "&Write", "写入(&W)"},
    {"Command3", "E&xit", "退出(&X)"},
    {"Label2", "Area Code", "销售区号"},
    {"Label3", "Com Port:", "串口选择:"},
    {"Label1_0", "Radio Type", "机型"},
    {"Label1_1", "Frequency", "频段"},
    {"Label1_2", "Serial Number", "序列号"},
    {"Label1_3", "Producted Date", "出厂日期"},
    {"Label1_4", "Maintained Date", "维修日期"},
    {"Label1_5", "Maintained Description", "维修原因"},
    {"Label1_6", "RF FW", "主板固件"},
    {"Label1_14", "LCD FW", "LCD固件"},
    {"Label1_7", "Manufacture Code", "生产批号"},
    {"Label1_8", "User Code", "客户代码"},
    {"Label1_9", "Dealer Code", "经销商代码"},
    {"Label1_10", "Stock Date", "入库时间"},
    {"Label1_11", "Sell Date", "销售时间"},
    {"Label1_12", "Seller", "经手人"},
    {"Label1_13", "Program PassWord", "编程密码"},
    {"Frame1", "Radio Setting", "机器设置"},
    {"Frame2", "Dealer Information", "经销商信息"},
    {"Check1", "Factory", "工厂模式"},
    {"Check2", "Stun", "遥晕"},
    {"Check3", "Kill", "遥毙"},
    {"Check8", "Freq. Set", "频段设置"},
};

QString captionOf(const FrmMainForm& form, const char* name) {
    const QWidget* control = form.findChild<QWidget*>(QLatin1String(name));
    return control ? control->property(qobject_cast<const QGroupBox*>(control) ? "title" : "text")
                         .toString()
                   : QStringLiteral("<no control %1>").arg(QLatin1String(name));
}

const struct {
    const char* label;
    const char* box;
    int gap;
} kAlignments[] = {
    {"Label4", "Text2_0", 20},     {"Label5", "Text2_1", 20},    {"Label2", "Text1_0", 50},
    {"Label1_0", "Text1_0", 50},   {"Label1_1", "Text1_0", 50},  {"Label1_2", "Text1_1", 50},
    {"Label1_5", "Text1_0", 50},   {"Label1_8", "Text1_0", 50},  {"Label1_9", "Text1_8", 50},
    {"Label1_10", "Text1_8", 50},  {"Label1_12", "Text1_8", 50}, {"Label1_13", "Text1_12", 50},
    {"Label1_14", "Text1_13", 50},
};

class Language : public ::testing::TestWithParam<std::pair<std::uint32_t, qint16>> {};

TEST_P(Language, EveryCaptionFollowsTheSystemLocaleAndEachLabelEndsShortOfItsBox) {
    FrmMainForm form;
    EXPECT_EQ(form.LanguageFlag(), 0);
    EXPECT_EQ(form.ApplyLanguage(GetParam().first), GetParam().second);
    EXPECT_EQ(form.LanguageFlag(), GetParam().second);
    for (const Caption& c : kCaptions) {
        SCOPED_TRACE(c.control);
        EXPECT_EQ(captionOf(form, c.control),
                  QString::fromUtf8(GetParam().second == 2 ? c.chinese : c.english));
    }
    // Both prompts are prepared whatever the language; the title never changes.
    EXPECT_EQ(form.BandChangePrompt()[0], QString());
    EXPECT_EQ(form.BandChangePrompt()[1], QStringLiteral("Frequencys is different. Overwrite?"));
    EXPECT_EQ(form.BandChangePrompt()[2], QStringLiteral("频段类型不同。是否覆盖？"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("VEL_TAVRIK_DovI"));
    EXPECT_EQ(captionOf(form, "Label6"), QString());
    EXPECT_EQ(captionOf(form, "Frame4"), QString());

    for (const auto& a : kAlignments) {
        SCOPED_TRACE(a.label);
        const auto* label = form.findChild<QLabel*>(QLatin1String(a.label));
        const auto* box = form.findChild<QWidget*>(QLatin1String(a.box));
        ASSERT_TRUE(label && box);
        const QRect labelTwips = FrmMainForm::twipsGeometry(label);
        // The label is as wide as its caption and ends `gap` twips before the box.
        EXPECT_EQ(labelTwips.width(), label->sizeHint().width() * 15);
        EXPECT_EQ(labelTwips.left() + labelTwips.width() + a.gap,
                  FrmMainForm::twipsGeometry(box).left());
        // On screen the caption never runs into the box.
        EXPECT_LE(label->geometry().left() + label->width(), box->geometry().left());
        EXPECT_GE(label->geometry().left(), 0);
    }
    EXPECT_EQ(FrmMainForm::twipsGeometry(form.Label3).left(), 7080); // Label3 keeps its place
}

INSTANTIATE_TEST_SUITE_P(
    Locales, Language,
    ::testing::Values(std::pair{0x0804u, qint16{2}}, std::pair{0x0409u, qint16{1}},
                      std::pair{0x0404u, qint16{1}}, std::pair{0x0C04u, qint16{1}},
                      std::pair{0x1004u, qint16{1}}, std::pair{0x0C09u, qint16{1}},
                      std::pair{0x0000u, qint16{1}}));

} // namespace

// Widget tests need an application object for the whole run.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
