// Why an operation failed: each cause, found from what the serial port said or from
// what the line showed against the simulated radio, gets its own explanation and remedy
// below the unchanged first line; a write that stopped says what the radio holds.

#include "link/Diagnosis.h"
#include "LinkBench.h"

#include <gtest/gtest.h>

namespace tavrik::test {
namespace {

using platform::OpenFailure;
using Reason = OpenFailure::Reason;

// True when `text` holds `pieces` in that order; says what is missing otherwise.
::testing::AssertionResult saysInOrder(const QString& text, const QStringList& pieces) {
    qsizetype from = 0;
    for (const QString& piece : pieces) {
        const qsizetype at = text.indexOf(piece, from);
        if (at < 0) {
            return ::testing::AssertionFailure() << "no \"" << piece.toStdString() << "\" in:\n"
                                                 << text.toStdString();
        }
        from = at;
    }
    return ::testing::AssertionSuccess();
}

TEST(Diagnosis, AnOpenFailureSaysWhyAndWhatToDo) {
    struct Case {
        Reason reason;
        const char* group;
        std::vector<OpenFailure::Holder> holders;
        qint16 language;
        QStringList says;
    };
    const std::vector<Case> cases = {
        {Reason::NoPermission,
         "dialout",
         {},
         kLanguageEnglish,
         {"Port: COM100 → /dev/ttyUSB0", "not allowed to open /dev/ttyUSB0", "group \"dialout\"",
          "sudo usermod -aG dialout dealer", "log out and back in"}},
        {Reason::NoPermission,
         "uucp",
         {},
         kLanguageChinese,
         {"串口：COM100 → /dev/ttyUSB0", "用户组“uucp”", "sudo usermod -aG uucp dealer",
          "注销并重新登录"}},
        {Reason::NoPermission,
         "root",
         {},
         kLanguageEnglish, // a device only its owner opens
         {"only its owner may open it", "group \"dialout\"", "sudo usermod -aG dialout dealer"}},
        {Reason::Busy,
         "",
         {{"ModemManager", 812}},
         kLanguageEnglish,
         {"in use by ModemManager (process 812)", "sudo systemctl stop ModemManager"}},
        {Reason::Busy,
         "",
         {},
         kLanguageEnglish,
         {"Another program is using /dev/ttyUSB0", "as ModemManager and brltty do"}},
        {Reason::Gone, "", {}, kLanguageEnglish, {"/dev/ttyUSB0 no longer exists", "unplugged"}},
        {Reason::Other, "", {}, kLanguageEnglish, {"The system reported: Input/output error"}},
        {Reason::NoDevice,
         "",
         {},
         kLanguageEnglish,
         {"No device is listed as COM100 any more", "unplugged"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says.front().toStdString());
        OpenFailure f;
        f.reason = c.reason;
        f.device = c.reason == Reason::NoDevice ? QString() : QStringLiteral("/dev/ttyUSB0");
        f.systemText = QStringLiteral("Input/output error");
        f.group = QString::fromLatin1(c.group);
        f.groupMayOpen = f.group != QLatin1String("root");
        f.user = QStringLiteral("dealer");
        f.holders = c.holders;
        EXPECT_TRUE(saysInOrder(ExplainOpenFailure(f, 100, {}, c.language).informative, c.says));
    }
}

TEST(Diagnosis, ALineFailureSaysWhatTheLineShowed) {
    struct Case {
        const char* name;
        OpKind kind;
        std::function<void(radiosim::SimOptions&, LinkBench*)> set; // before, then after building
        QString message;
        QStringList says;
        qint16 language = kLanguageEnglish;
    };
    const auto silentAfter = [](int n) {
        return [n](radiosim::SimOptions& o, LinkBench*) { o.faults.silentAfter = n; };
    };
    const QString error = QStringLiteral("Communication Error!");
    const std::vector<Case> cases = {
        {"nothing came back",
         OpKind::Read,
         [](radiosim::SimOptions&, LinkBench* b) {
             if (b != nullptr) {
                 b->port.setPeer({});
             }
         },
         error,
         {"not even the echo", "not connected to this port", "wrong port"}},
        {"the radio never answered",
         OpKind::Write,
         silentAfter(0),
         error,
         {"echoed the request, but the radio never answered", "switched off",
          "was not written to: its settings are unchanged"}},
        {"a cable without echo",
         OpKind::Read,
         [](radiosim::SimOptions& o, LinkBench*) { o.echo = false; },
         error,
         {"never the echo of the request", "wrong kind of cable", "another device"}},
        {"silent part-way through a write",
         OpKind::Write,
         silentAfter(6),
         error,
         {"fell silent at writing block 3B60 (3 of 7)", "cable was pulled",
          "accepted 2 of the 7 blocks", "write it again before the radio is used"}},
        {"silent part-way, in Chinese",
         OpKind::Write,
         silentAfter(6),
         error,
         {"在写数据块 3B60（第 3 / 7 块）时中断", "已接受 7 个数据块中的 2 个", "使用前请重新写入"},
         kLanguageChinese},
        {"silent at the end of a read",
         OpKind::Read,
         silentAfter(17),
         error,
         {"fell silent at the end request"}},
        {"a block refused three times",
         OpKind::Write,
         [](radiosim::SimOptions& o, LinkBench*) {
             o.faults.rejectWrite = 1;
             o.faults.rejectWriteTimes = 3;
         },
         error,
         {"refused writing block 3B00 (1 of 7) three times", "was not written to"}},
        {"the port lost mid multi-write",
         OpKind::MulWrite,
         [](radiosim::SimOptions&, LinkBench* b) {
             if (b != nullptr) {
                 b->port.refuseSendsFrom(9); // the fifth block write: four blocks are in
             }
         },
         error,
         {"port was lost during the operation, at writing block 3B80 (5 of 7)",
          "Radio 1 accepted 4 of the 7 blocks"}},
        {"no next radio",
         OpKind::MulWrite,
         [](radiosim::SimOptions& o, LinkBench*) {
             o.unplugAfter = std::chrono::milliseconds(0);
             o.gap = std::chrono::hours(10);
         },
         error,
         {"After radio 1, no next radio answered"}},
        {"another model",
         OpKind::Write,
         [](radiosim::SimOptions& o, LinkBench*) { o.faults.wrongModel = true; },
         "Model Type Error!",
         {"reported the model word \"TAVRIX<00>\" (54 41 56 52 49 58 00)", "\"TAVRIK\"",
          "was not written to"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        radiosim::SimOptions options = pacedOptions();
        c.set(options, nullptr);
        LinkBench bench(options);
        c.set(options, &bench);
        bench.window.language = c.language;
        bench.start(c.kind, 2);
        ASSERT_TRUE(
            bench.runUntil([&] { return !bench.boxes.shown().empty(); }, std::chrono::hours(5)));
        EXPECT_EQ(bench.boxes.shown().front().text, c.message);
        EXPECT_TRUE(saysInOrder(bench.boxes.shown().front().details.informative, c.says));
    }
}

// The details a dealer copies for support: the port, the time, and the last requests
// with what came back, in hexadecimal and timed. The link passes the port's own reason
// on when it cannot open it; a success says nothing more.
TEST(Diagnosis, DetailsHoldTheLastExchangesInHex) {
    radiosim::SimOptions options = pacedOptions();
    options.faults.silentAfter = 3;
    LinkBench bench(options);
    bench.start(OpKind::Write);
    bench.settle();
    ASSERT_EQ(bench.messages(), QStringList{"Communication Error!"});
    const QString details = bench.boxes.shown().front().details.detailed;
    const QStringList lines = details.split(QLatin1Char('\n'));
    EXPECT_EQ(lines.value(0), QStringLiteral("VEL_TAVRIK_DovI, Write, 2026-03-05 09:30:00"));
    EXPECT_EQ(lines.value(1), QStringLiteral("Port: COM3 → /dev/ttyFAKE3"));
    EXPECT_TRUE(details.contains(QStringLiteral("     0 ms  sent 50 52 4F 47 52 41 4D")));
    EXPECT_TRUE(details.contains(QStringLiteral("came 50 52 4F 47 52 41 4D 51 58 06\n")));
    // The echo alone, too short to raise a receive event, found at the time-out.
    EXPECT_EQ(lines.last(), QStringLiteral("   570 ms  time-out, had come 52 3B F0 10"));

    LinkBench good;
    OpenFailure busy;
    busy.reason = Reason::Busy;
    good.port.setOpenFailure(busy);
    good.start(OpKind::Read);
    good.port.setOpenFailure(std::nullopt);
    good.start(OpKind::Read);
    good.settle();
    ASSERT_EQ(good.messages(), (QStringList{"Cannot Open Communication Port.", "Read Complete!"}));
    EXPECT_TRUE(saysInOrder(good.boxes.shown().front().details.informative,
                            {"Port: COM3 → /dev/ttyFAKE3", "Another program is using"}));
    EXPECT_TRUE(good.boxes.shown().back().details.informative.isEmpty());
    EXPECT_TRUE(good.boxes.shown().back().details.detailed.isEmpty());
}

} // namespace
} // namespace tavrik::test
