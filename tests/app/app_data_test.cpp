// Moving values between the window and the settings record, and Read and Write
// through the window against the in-process simulated radio.
#include "AppBench.h"

namespace tavrik::apptest {
namespace {

using namespace std::chrono_literals;

TEST(ShowByData, FillsTheControlsAndGetDataByShowTakesTheFieldsBackTrimmed) {
    Bench bench;
    app::FrmMain& w = bench.open();
    RadioSettings& s = w.data().settings();
    s.FactoryMode = 1;
    s.FreqSetEnabled = 1;
    s.StunEnabled = 0;
    s.KillEnabled = 1;
    s.BandIndex = 2;
    s.AreaCode = QStringLiteral("A1 ");
    s.MaintainedDescription = QStringLiteral("new antenna");
    s.DealerCode = QStringLiteral("AB") + QChar(0) + QStringLiteral("CD");
    s.Seller = QStringLiteral("Li   ");
    s.ProgramPassword = QStringLiteral("12") + QChar(0);
    w.ShowByData();
    EXPECT_TRUE(w.Check1->isChecked());
    EXPECT_TRUE(w.Check8->isChecked());
    EXPECT_FALSE(w.Check2->isChecked());
    EXPECT_TRUE(w.Check3->isChecked());
    EXPECT_EQ(w.Combo1[1]->currentIndex(), 2);
    const QStringList shown = AllTexts(w);
    EXPECT_EQ(shown[0], QStringLiteral("A1 ")); // the area code keeps its spaces
    EXPECT_EQ(shown[4], QStringLiteral("new antenna"));
    EXPECT_EQ(shown[8], QStringLiteral("AB")); // up to the first NUL
    EXPECT_EQ(shown[11], QStringLiteral("Li"));
    EXPECT_EQ(shown[12], QStringLiteral("12"));

    w.Check8->setChecked(false);
    w.Check2->setChecked(true);
    w.Check3->setChecked(false);
    w.SetText1Text(0, QStringLiteral("A1  "));
    w.SetText1Text(8, QStringLiteral(" D1  "));
    w.SetText1Text(9, QString());
    w.SetText1Text(11, QStringLiteral("Seller Name"));
    w.SetText1Text(12, QStringLiteral("99  "));
    w.SetText1Text(4, QStringLiteral("line one  "));
    w.GetDataByShow();
    EXPECT_EQ(s.FreqSetEnabled, 0);
    EXPECT_EQ(s.StunEnabled, 1);
    EXPECT_EQ(s.KillEnabled, 0);
    EXPECT_EQ(s.AreaCode, QStringLiteral("A1"));
    EXPECT_EQ(s.DealerCode.raw(), QStringLiteral(" D1             "));
    EXPECT_EQ(s.StockDate.text(), QString());
    EXPECT_EQ(s.Seller.text(), QStringLiteral("Seller Name"));
    EXPECT_EQ(s.ProgramPassword.raw(), QStringLiteral("99  "));
    EXPECT_EQ(s.MaintainedDescription.text(), QStringLiteral("line one"));
    EXPECT_EQ(s.SerialNumber.text(), QStringLiteral("2026120700000001"));
    EXPECT_EQ(s.BandIndex, 2);
    EXPECT_TRUE(bench.messageTexts().empty());
}

TEST(GetDataByShow, NormalisesTheVersionsInTheRecordOnly) {
    const std::pair<const char*, const char*> rows[] = {
        {"V2.10", "V2.10"}, {"V2.10  ", "V2.10"}, {"VA.05", "V1.00"}, {"", "V1.00"}};
    Bench bench;
    app::FrmMain& w = bench.open();
    for (const auto& [shown, taken] : rows) {
        SCOPED_TRACE(shown);
        w.SetText1Text(5, QString::fromUtf8(shown));
        w.SetText1Text(13, QString::fromUtf8(shown));
        w.GetDataByShow();
        EXPECT_EQ(w.data().settings().RfFirmwareVersion, QString::fromUtf8(taken));
        EXPECT_EQ(w.data().settings().LcdFirmwareVersion, QString::fromUtf8(taken));
        EXPECT_EQ(w.Text1Text(5), QString::fromUtf8(shown));
    }
}

TEST(GetDataByShow, TheBandQuestionSettlesADisagreementBetweenRadioAndWindow) {
    const char* const overwrite = "Frequencys is different. Overwrite?";
    const struct {
        qint16 radioBand; // BandIndex as the radio reported it
        int picked;       // the operator's pick in Combo1(1); -1 leaves what ShowByData showed
        std::deque<bool> answers;
        const char* question; // nullptr when none is asked
        qint16 bandAfter;
        int shownAfter;
        std::uint32_t lcid = 0x0409;
    } rows[] = {
        {1, -1, {}, nullptr, 1, 1},
        {1, 2, {true}, overwrite, 2, 2},  // OK takes the window's band
        {1, 2, {false}, overwrite, 1, 1}, // Cancel puts the radio's band back
        {5, -1, {}, nullptr, 5, -1},      // a band the list lacks shows none and is kept
        {5, 0, {true}, overwrite, 0, 0},
        {5, 0, {false}, overwrite, 5, -1},
        {0, 1, {true}, "频段类型不同。是否覆盖？", 1, 1, 0x0804},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        Bench bench;
        app::FrmMain& w = bench.open(row.lcid);
        w.data().settings().BandIndex = row.radioBand;
        w.ShowByData();
        if (row.picked >= 0) {
            w.Combo1[1]->setCurrentIndex(row.picked);
        }
        bench.messages.scriptAnswers(row.answers);
        w.GetDataByShow();
        if (row.question != nullptr) {
            ASSERT_EQ(bench.messages.shown().size(), 1u);
            EXPECT_EQ(bench.messages.shown()[0].text, QString::fromUtf8(row.question));
            EXPECT_EQ(bench.messages.shown()[0].icon, platform::MessageIcon::Exclamation);
            EXPECT_TRUE(bench.messages.shown()[0].question);
        } else {
            EXPECT_TRUE(bench.messages.shown().empty());
        }
        EXPECT_EQ(w.data().settings().BandIndex, row.bandAfter);
        EXPECT_EQ(w.Combo1[1]->currentIndex(), row.shownAfter);
    }
}

void zeroFill(radiosim::Memory& m, int offset, int length, const char* text) {
    std::fill_n(m.begin() + offset, length, 0);
    PutText(m, offset, text);
}

TEST(ReadThenWrite, ShowsTheRadiosValuesAndWritesExactlyTheWindowsDealerFields) {
    Bench bench;
    const radiosim::Memory original = KnownRadio();
    bench.attachRadios({original});
    app::FrmMain& w = bench.open();
    w.Command1_Click();
    ASSERT_TRUE(bench.runUntilMessage());
    EXPECT_EQ(bench.messageTexts(), std::vector<QString>{QStringLiteral("Read Complete!")});
    EXPECT_EQ(AllTexts(w), (QStringList{"AR01", "2026030500000001", "2026/1/2", "2026/2/3",
                                        "Checked at the counter", "V2.10", "03-1-E-1", "USR1",
                                        "DLR-9", "2026/3/4", "2026/5/6", "Wang", "1234", "V1.05"}));
    EXPECT_EQ(w.Combo1[1]->currentIndex(), 1);
    EXPECT_TRUE(w.Check8->isChecked());
    EXPECT_TRUE(w.Check2->isChecked());
    EXPECT_FALSE(w.Check3->isChecked());
    EXPECT_FALSE(w.Check1->isChecked());
    EXPECT_FALSE(bench.port.isOpen());

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
    ASSERT_TRUE(bench.clock.runUntil([&] { return bench.messages.shown().size() == 2; }, 10s));
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

TEST(ReadThenWrite, NothingEditedWritesBackEveryByteOfTheCharacterFieldsAsRead) {
    const struct {
        int codePage;
        const char* bytes; // the user code, password and area code at 0x14..0x1F
    } rows[] = {
        {936, "55 E9 80 5A  41 E9 42 43  E9 31 00 7F"},  // lone lead bytes read as U+FFFD
        {1252, "55 53 52 31  41 42 00 7F  81 8D 8F 90"}, // a byte after the end; undefined ones
        {936, "FF FF FF FF  FF FF FF FF  FF FF FF FF"},  // erased
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        Bench bench;
        bench.codePage = platform::makeCodePage(row.codePage);
        radiosim::Memory radio = KnownRadio();
        const QByteArray fields = QByteArray::fromHex(row.bytes);
        std::copy(fields.begin(), fields.end(), radio.begin() + 0x14);
        bench.attachRadios({radio});
        bench.open();
        bench.window->Command1_Click();
        ASSERT_TRUE(bench.runUntilMessage());
        bench.window->Command2_Click();
        ASSERT_TRUE(bench.runUntilMessage());
        EXPECT_EQ(bench.messageTexts(), (std::vector<QString>{QStringLiteral("Read Complete!"),
                                                              QStringLiteral("Write Complete!")}));
        EXPECT_EQ(bench.radio->memory(0), radio);
    }
}

TEST(ReadThenWrite, ABandTheListDoesNotHoldShowsNoSelectionAndIsWrittenBackUnasked) {
    Bench bench;
    radiosim::Memory radio = KnownRadio();
    radio[0x0F] = 7;
    bench.attachRadios({radio});
    app::FrmMain& w = bench.open();
    w.Command1_Click();
    ASSERT_TRUE(bench.runUntilMessage());
    EXPECT_EQ(w.Combo1[1]->currentIndex(), -1);
    bench.messages.clear();
    w.Command2_Click();
    ASSERT_TRUE(bench.runUntilMessage());
    EXPECT_EQ(bench.messageTexts(), std::vector<QString>{QStringLiteral("Write Complete!")});
    EXPECT_EQ(bench.radio->memory(0)[0x0F], 7);
}

} // namespace
} // namespace tavrik::apptest
