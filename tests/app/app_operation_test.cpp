// Read and Write through the window against the in-process simulated radio.
#include "AppBench.h"

#include <QCheckBox>
#include <QComboBox>

#include <gtest/gtest.h>

namespace tavrik::apptest {
namespace {

using namespace std::chrono_literals;

void zeroFill(radiosim::Memory& m, int offset, int length, const char* text) {
    for (int i = 0; i < length; ++i) {
        m.at(static_cast<std::size_t>(offset + i)) = 0;
    }
    PutText(m, offset, text);
}

TEST(Read, ShowsTheRadiosValues) {
    Bench bench;
    bench.attachRadios({KnownRadio()});
    app::FrmMain& w = bench.open();
    w.Command1_Click();
    ASSERT_TRUE(bench.runUntilMessage());
    EXPECT_EQ(bench.messageTexts(), std::vector<QString>{QStringLiteral("Read Complete!")});
    const std::pair<int, const char*> texts[] = {
        {0, "AR01"},
        {1, "2026030500000001"},
        {2, "2026/1/2"},
        {3, "2026/2/3"},
        {4, "Checked at the counter"},
        {5, "V2.10"},
        {13, "V1.05"},
        {6, "03-1-E-1"},
        {7, "USR1"},
        {8, "DLR-9"},
        {9, "2026/3/4"},
        {10, "2026/5/6"},
        {11, "Wang"},
        {12, "1234"},
    };
    for (const auto& [index, text] : texts) {
        SCOPED_TRACE(index);
        EXPECT_EQ(w.Text1Text(index), QString::fromUtf8(text));
    }
    EXPECT_EQ(w.Combo1[1]->currentIndex(), 1);
    EXPECT_TRUE(w.Check8->isChecked());
    EXPECT_TRUE(w.Check2->isChecked());
    EXPECT_FALSE(w.Check3->isChecked());
    EXPECT_FALSE(w.Check1->isChecked());
    EXPECT_EQ(w.comm().state().opKind, OpKind::Idle);
    EXPECT_FALSE(bench.port.isOpen());
}

TEST(Read, ABandTheListDoesNotHoldShowsNoSelectionAndIsKept) {
    Bench bench;
    radiosim::Memory radio = KnownRadio();
    radio[0x0F] = 7;
    bench.attachRadios({radio});
    app::FrmMain& w = bench.open();
    w.Command1_Click();
    ASSERT_TRUE(bench.runUntilMessage());
    EXPECT_EQ(bench.messageTexts(), std::vector<QString>{QStringLiteral("Read Complete!")});
    EXPECT_EQ(w.Combo1[1]->currentIndex(), -1);
    EXPECT_EQ(w.data().settings().BandIndex, 7);

    // A Write without a band picked sends the radio's own band back, unasked.
    bench.messages.clear();
    w.Command2_Click();
    ASSERT_TRUE(bench.runUntilMessage());
    EXPECT_EQ(bench.messageTexts(), std::vector<QString>{QStringLiteral("Write Complete!")});
    EXPECT_EQ(bench.radio->memory(0)[0x0F], 7);
}

TEST(Write, TheRadioHoldsExactlyTheWindowsDealerFields) {
    Bench bench;
    const radiosim::Memory original = KnownRadio();
    bench.attachRadios({original});
    app::FrmMain& w = bench.open();
    w.Command1_Click();
    ASSERT_TRUE(bench.runUntilMessage());

    // The dealer edits what a Write sends.
    w.SetText1Text(8, QStringLiteral("NEWDEALER"));
    w.SetText1Text(9, QStringLiteral("2026/12/1"));
    w.SetText1Text(10, QStringLiteral("2026/12/2"));
    w.SetText1Text(11, QStringLiteral("Zhang"));
    w.SetText1Text(12, QStringLiteral("98"));
    w.Check8->setChecked(false);
    w.Check2->setChecked(false);
    w.Check3->setChecked(true);
    w.Combo1[1]->setCurrentIndex(2);
    bench.messages.clear();
    bench.messages.scriptAnswers({true});
    w.Command2_Click();
    ASSERT_TRUE(bench.runUntil(
        [&] {
            const auto texts = bench.messageTexts();
            return !texts.empty() &&
                   texts.back() != QStringLiteral("Frequencys is different. Overwrite?");
        },
        10s));
    EXPECT_EQ(bench.messageTexts(),
              (std::vector<QString>{QStringLiteral("Frequencys is different. Overwrite?"),
                                    QStringLiteral("Write Complete!")}));

    radiosim::Memory expected = original;
    expected[0x0F] = 2;
    expected[0x10] = 0xA0 | 0x08; // Kill only; the foreign bits as held
    zeroFill(expected, 0x18, 4, "98");
    zeroFill(expected, 0x60, 16, "NEWDEALER");
    zeroFill(expected, 0x70, 16, "2026/12/1");
    zeroFill(expected, 0x80, 16, "2026/12/2");
    zeroFill(expected, 0x90, 16, "Zhang");
    const radiosim::Memory& written = bench.radio->memory(0);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(QStringLiteral("offset 0x%1").arg(i, 2, 16, QLatin1Char('0')).toStdString());
        EXPECT_EQ(written[i], expected[i]);
    }
    // The serial number shown moves on for the next radio.
    EXPECT_EQ(w.Text1Text(1), QStringLiteral("2026030500000002"));
    EXPECT_EQ(w.comm().state().opKind, OpKind::Idle);
    EXPECT_FALSE(bench.port.isOpen());
}

TEST(Write, ReadPressedTwiceRestartsFromTheHandshake) {
    Bench bench;
    radiosim::SimOptions paced;
    paced.pacing = true;
    bench.attachRadios({KnownRadio()}, paced);
    app::FrmMain& w = bench.open();
    w.Command1_Click();
    w.Command1_Click();
    EXPECT_EQ(w.comm().state().ReadStep, 1);
    EXPECT_EQ(w.comm().state().BlockAddr, 0x3AF0);
    EXPECT_EQ(bench.port.opened().size(), 2u);
    EXPECT_EQ(bench.port.sent().back(), QByteArrayLiteral("PROGRAM"));
}

TEST(Write, ASilentRadioEndsWithCommunicationError) {
    Bench bench;
    radiosim::SimOptions options;
    options.faults.silentAfter = 0;
    bench.attachRadios({KnownRadio()}, options);
    app::FrmMain& w = bench.open();
    w.Command2_Click();
    ASSERT_TRUE(bench.runUntilMessage());
    EXPECT_EQ(bench.messageTexts(), std::vector<QString>{QStringLiteral("Communication Error!")});
    EXPECT_EQ(w.comm().state().opKind, OpKind::Idle);
    // Nothing was taken from a radio that never answered.
    EXPECT_EQ(w.Text1Text(1), QStringLiteral("2026120700000001"));
}

} // namespace
} // namespace tavrik::apptest
