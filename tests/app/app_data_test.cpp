// The band question, and one Read then Write through the window against the in-process
// simulated radio.
#include "AppBench.h"

#include <tuple>

namespace tavrik::apptest {
namespace {

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
            {5, 0, {false}, overwrite, 5, -1, 0x0409},
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

TEST(ReadThenWrite, ShowsTheRadiosValuesAndWritesExactlyTheWindowsDealerFields) {
    Bench bench;
    bench.codePage = platform::makeCodePage(936); // the seller is in GBK
    radiosim::Memory original = radiosim::DefaultMemory();
    // A password with a lone lead byte and a byte after its end: untouched in the
    // window, it must go back as these bytes.
    test::Put(original, 0x18, QByteArray::fromHex("E931007F"));
    bench.attachRadios({original});
    app::FrmMain& w = bench.open();
    w.Command1_Click();
    ASSERT_TRUE(bench.runUntilMessages());
    EXPECT_EQ(bench.messages.texts(), std::vector<QString>{QStringLiteral("Read Complete!")});
    QStringList shown;
    for (int index = 0; index <= 13; ++index) {
        shown << w.Text1Text(index);
    }
    EXPECT_EQ(shown, (QStringList{"0571", "2025110300000042", "2025-11-03", "2026-01-15",
                                  "Replaced battery contacts", "V1.05", "11-1-E-1", "WOLP",
                                  "D-0042", "2025-12-01", "", "王记通讯", "\uFFFD1", "V1.02"}));
    EXPECT_EQ(w.Combo1[0]->currentText(), QStringLiteral("TAVRIK"));
    EXPECT_EQ(w.Combo1[1]->currentIndex(), 1);
    EXPECT_EQ((std::vector{w.Check1->isChecked(), w.Check8->isChecked(), w.Check2->isChecked(),
                           w.Check3->isChecked()}),
              (std::vector{true, true, false, false})); // factory and Freq. Set

    // The dealer edits what a Write sends.
    w.SetText1Text(8, QStringLiteral("NEWDEALER"));
    w.SetText1Text(10, QStringLiteral("2026/12/2"));
    w.Check8->setChecked(false);
    w.Check2->setChecked(true);
    w.Combo1[1]->setCurrentIndex(2);
    bench.messages.clear();
    bench.messages.scriptAnswers({true});
    w.Command2_Click();
    ASSERT_TRUE(bench.runUntilMessages(2));
    EXPECT_EQ(bench.messages.texts(),
              (std::vector<QString>{QStringLiteral("Frequencys is different. Overwrite?"),
                                    QStringLiteral("Write Complete!")}));
    radiosim::Memory expected = original;
    expected[0x0F] = 2;
    expected[0x10] = 0x35; // Stun only; the factory bit and bits 4-5 as held
    test::Put(expected, 0x60, QByteArray("NEWDEALER\0\0\0\0\0\0\0", 16));
    test::Put(expected, 0x80, QByteArray("2026/12/2\0\0\0\0\0\0\0", 16)); // was erased
    const radiosim::Memory& written = bench.radio->memory(0);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(written[i], expected[i]) << "offset 0x" << std::hex << i;
    }
    // The serial number shown moves on for the next radio.
    EXPECT_EQ(w.Text1Text(1), QStringLiteral("2025110300000043"));
    EXPECT_FALSE(bench.port.isOpen());
}

} // namespace
} // namespace tavrik::apptest
