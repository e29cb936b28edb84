// Moving values between the window and the settings record, and the band question.
#include "AppBench.h"

#include <QCheckBox>
#include <QComboBox>

#include <gtest/gtest.h>

namespace tavrik::apptest {
namespace {

TEST(ShowByData, FillsEveryControlFromTheRecord) {
    Bench bench;
    app::FrmMain& w = bench.open();
    RadioSettings& s = w.data().settings();
    s.FactoryMode = 1;
    s.FreqSetEnabled = 1;
    s.StunEnabled = 0;
    s.KillEnabled = 1;
    s.BandIndex = 2;
    s.AreaCode = QStringLiteral("A1 ");
    s.SerialNumber = QStringLiteral("2026030500000009");
    s.ProductionDate = QStringLiteral("2026/1/2");
    s.MaintainedDate = QStringLiteral("2026/2/3");
    s.MaintainedDescription = QStringLiteral("new antenna");
    s.RfFirmwareVersion = QStringLiteral("V3.07");
    s.LcdFirmwareVersion = QStringLiteral("V1.05");
    s.ManufactureCode = QStringLiteral("03-1-E-1");
    s.UserCode = QStringLiteral("USR1");
    s.DealerCode = QStringLiteral("AB") + QChar(0) + QStringLiteral("CD");
    s.StockDate = QStringLiteral("2026/3/4");
    s.SellDate = QStringLiteral("2026/5/6");
    s.Seller = QStringLiteral("Li   ");
    s.ProgramPassword = QStringLiteral("12") + QChar(0);
    w.ShowByData();

    EXPECT_TRUE(w.Check1->isChecked());
    EXPECT_TRUE(w.Check8->isChecked());
    EXPECT_FALSE(w.Check2->isChecked());
    EXPECT_TRUE(w.Check3->isChecked());
    EXPECT_EQ(w.Combo1[1]->currentIndex(), 2);
    EXPECT_EQ(w.Combo1[0]->currentText(), QStringLiteral("TAVRIK"));
    const std::pair<int, const char*> texts[] = {
        {0, "A1 "},         {1, "2026030500000009"},
        {2, "2026/1/2"},    {3, "2026/2/3"},
        {4, "new antenna"}, {5, "V3.07"},
        {13, "V1.05"},      {6, "03-1-E-1"},
        {7, "USR1"},        {8, "AB"},
        {9, "2026/3/4"},    {10, "2026/5/6"},
        {11, "Li"},         {12, "12"},
    };
    for (const auto& [index, text] : texts) {
        SCOPED_TRACE(index);
        EXPECT_EQ(w.Text1Text(index), QString::fromUtf8(text));
    }
}

TEST(GetDataByShow, TakesTheFieldsRightTrimmedAndLeavesTheRestAlone) {
    Bench bench;
    app::FrmMain& w = bench.open();
    w.Check8->setChecked(true);
    w.Check2->setChecked(true);
    w.Check3->setChecked(false);
    w.SetText1Text(0, QStringLiteral("A1  "));
    w.SetText1Text(8, QStringLiteral(" D1  "));
    w.SetText1Text(9, QString());
    w.SetText1Text(11, QStringLiteral("Seller Name"));
    w.SetText1Text(12, QStringLiteral("99  "));
    w.SetText1Text(4, QStringLiteral("line one  "));
    w.GetDataByShow();
    const RadioSettings& s = w.data().settings();
    EXPECT_EQ(s.FreqSetEnabled, 1);
    EXPECT_EQ(s.StunEnabled, 1);
    EXPECT_EQ(s.KillEnabled, 0);
    EXPECT_EQ(s.AreaCode, QStringLiteral("A1"));
    EXPECT_EQ(s.DealerCode.text(), QStringLiteral(" D1"));
    EXPECT_EQ(s.DealerCode.raw(), QStringLiteral(" D1             "));
    EXPECT_EQ(s.StockDate.text(), QString());
    EXPECT_EQ(s.Seller.text(), QStringLiteral("Seller Name"));
    EXPECT_EQ(s.ProgramPassword.raw(), QStringLiteral("99  "));
    EXPECT_EQ(s.MaintainedDescription.text(), QStringLiteral("line one"));
    // The unchanged fields come back as they were shown.
    EXPECT_EQ(s.SerialNumber.text(), QStringLiteral("2026120700000001"));
    EXPECT_EQ(s.UserCode.text(), QStringLiteral("WOLP"));
    EXPECT_TRUE(bench.messageTexts().empty());
}

struct VersionCase {
    const char* shown;
    const char* taken;
};

class VersionTexts : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionTexts, AreNormalisedInTheRecordOnly) {
    Bench bench;
    app::FrmMain& w = bench.open();
    w.SetText1Text(5, QString::fromUtf8(GetParam().shown));
    w.SetText1Text(13, QString::fromUtf8(GetParam().shown));
    w.GetDataByShow();
    EXPECT_EQ(w.data().settings().RfFirmwareVersion, QString::fromUtf8(GetParam().taken));
    EXPECT_EQ(w.data().settings().LcdFirmwareVersion, QString::fromUtf8(GetParam().taken));
    EXPECT_EQ(w.Text1Text(5), QString::fromUtf8(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(Texts, VersionTexts,
                         ::testing::Values(VersionCase{"V1.00", "V1.00"},
                                           VersionCase{"V2.10", "V2.10"},
                                           VersionCase{"V2.10  ", "V2.10"},
                                           VersionCase{"VA.05", "V1.00"},
                                           VersionCase{"", "V1.00"}));

struct BandCase {
    const char* name;
    qint16 radioBand; // BandIndex as the radio reported it
    int picked;       // the operator's pick in Combo1(1); -1 leaves what ShowByData showed
    std::deque<bool> answers;
    bool asked;
    qint16 bandAfter;
    int shownAfter;
};

// Failures name the row.
void PrintTo(const BandCase& row, std::ostream* out) {
    *out << row.name;
}

class BandQuestion : public ::testing::TestWithParam<BandCase> {};

TEST_P(BandQuestion, SettlesADisagreementBetweenRadioAndWindow) {
    const BandCase& c = GetParam();
    Bench bench;
    app::FrmMain& w = bench.open();
    w.data().settings().BandIndex = c.radioBand;
    w.ShowByData();
    if (c.picked >= 0) {
        w.Combo1[1]->setCurrentIndex(c.picked);
    }
    bench.messages.scriptAnswers(c.answers);
    w.GetDataByShow();
    if (c.asked) {
        ASSERT_EQ(bench.messages.shown().size(), 1u);
        EXPECT_EQ(bench.messages.shown()[0].text,
                  QStringLiteral("Frequencys is different. Overwrite?"));
        EXPECT_EQ(bench.messages.shown()[0].icon, platform::MessageIcon::Exclamation);
        EXPECT_TRUE(bench.messages.shown()[0].question);
    } else {
        EXPECT_TRUE(bench.messages.shown().empty());
    }
    EXPECT_EQ(w.data().settings().BandIndex, c.bandAfter);
    EXPECT_EQ(w.Combo1[1]->currentIndex(), c.shownAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, BandQuestion,
    ::testing::Values(BandCase{"SameBandNoQuestion", 1, -1, {}, false, 1, 1},
                      BandCase{"OkTakesTheWindowsBand", 1, 2, {true}, true, 2, 2},
                      BandCase{"CancelPutsTheRadiosBandBack", 1, 2, {false}, true, 1, 1},
                      BandCase{"UnknownBandShowsNoneAndIsKept", 5, -1, {}, false, 5, -1},
                      BandCase{"UnknownBandThenPickAndOk", 5, 0, {true}, true, 0, 0},
                      BandCase{"UnknownBandThenPickAndCancel", 5, 0, {false}, true, 5, -1}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(BandQuestionLanguage, IsAskedInChineseOnAChineseSystem) {
    Bench bench;
    app::FrmMain& w = bench.open(0x0804);
    w.Combo1[1]->setCurrentIndex(1);
    w.GetDataByShow();
    ASSERT_EQ(bench.messages.shown().size(), 1u);
    EXPECT_EQ(bench.messages.shown()[0].text, QStringLiteral("频段类型不同。是否覆盖？"));
}

} // namespace
} // namespace tavrik::apptest
