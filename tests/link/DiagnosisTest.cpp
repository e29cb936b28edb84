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

// True when `text` holds the pieces of `says` ("a|b|c") in that order.
::testing::AssertionResult saysInOrder(const QString& text, const char* says) {
    qsizetype from = 0;
    for (const QString& piece : QString::fromUtf8(says).split(QLatin1Char('|'))) {
        from = text.indexOf(piece, from);
        if (from < 0) {
            return ::testing::AssertionFailure() << "no \"" << piece.toStdString() << "\" in:\n"
                                                 << text.toStdString();
        }
    }
    return ::testing::AssertionSuccess();
}

TEST(Diagnosis, AnOpenFailureSaysWhyAndWhatToDo) {
    struct Case {
        Reason reason;
        const char* group;
        bool held; // ModemManager is seen holding the device
        qint16 language;
        const char* says;
    };
    const std::vector<Case> cases = {
        {Reason::NoPermission, "dialout", false, kLanguageEnglish,
         "Port: COM100 → /dev/ttyUSB0|not allowed to open /dev/ttyUSB0|group \"dialout\"|sudo "
         "usermod -aG dialout dealer|log out and back in"},
        {Reason::NoPermission, "uucp", false, kLanguageChinese,
         "串口：COM100 → /dev/ttyUSB0|用户组“uucp”|sudo usermod -aG uucp dealer|注销并重新登录"},
        {Reason::NoPermission, "root", false, kLanguageEnglish, // only its owner opens it
         "only its owner may open it|group \"dialout\"|sudo usermod -aG dialout dealer"},
        {Reason::Busy, "", true, kLanguageEnglish,
         "in use by ModemManager (process 812)|sudo systemctl stop ModemManager"},
        {Reason::Busy, "", false, kLanguageEnglish,
         "Another program is using /dev/ttyUSB0|as ModemManager and brltty do"},
        {Reason::Gone, "", false, kLanguageEnglish, "/dev/ttyUSB0 no longer exists|unplugged"},
        {Reason::Other, "", false, kLanguageEnglish,
         "The system reported: Input/output error|programming cable's port"},
        {Reason::NoDevice, "", false, kLanguageEnglish,
         "No device is listed as COM100 any more|unplugged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        OpenFailure f;
        f.reason = c.reason;
        f.device = c.reason == Reason::NoDevice ? QString() : QStringLiteral("/dev/ttyUSB0");
        f.systemText = QStringLiteral("Input/output error");
        f.group = QString::fromLatin1(c.group);
        f.groupMayOpen = f.group != QLatin1String("root");
        f.user = QStringLiteral("dealer");
        if (c.held) {
            f.holders = {{QStringLiteral("ModemManager"), 812}};
        }
        EXPECT_TRUE(saysInOrder(ExplainOpenFailure(f, 100, {}, c.language).informative, c.says));
    }
}

radiosim::SimOptions radio(const std::function<void(radiosim::SimOptions&)>& set) {
    radiosim::SimOptions options = pacedOptions();
    set(options);
    return options;
}

TEST(Diagnosis, ALineFailureSaysWhatTheLineShowed) {
    struct Case {
        OpKind kind;
        radiosim::SimOptions radio;
        std::function<void(LinkBench&)> line;
        const char* message;
        const char* says;
        qint16 language = kLanguageEnglish;
    };
    const auto silentAfter = [](int n) {
        return radio([n](auto& o) { o.faults.silentAfter = n; });
    };
    const char* error = "Communication Error!";
    const std::vector<Case> cases = {
        {OpKind::Read, pacedOptions(), [](LinkBench& b) { b.port.setPeer({}); }, error,
         "not even the echo|not connected to this port|wrong port"},
        {OpKind::Write,
         silentAfter(0),
         {},
         error,
         "echoed the request, but the radio never answered|switched off|was not written to: its "
         "settings are unchanged"},
        {OpKind::Read,
         radio([](auto& o) { o.echo = false; }),
         {},
         error,
         "never the echo of the request|wrong kind of cable|another device"},
        {OpKind::Write,
         silentAfter(6),
         {},
         error,
         "fell silent at writing block 3B60 (3 of 7)|cable was pulled|accepted 2 of the 7 "
         "blocks|write it again before the radio is used"},
        {OpKind::Write,
         silentAfter(6),
         {},
         error,
         "在写数据块 3B60（第 3 / 7 块）时中断|已接受 7 个数据块中的 2 个|使用前请重新写入",
         kLanguageChinese},
        {OpKind::Read, silentAfter(17), {}, error, "fell silent at the end request"},
        {OpKind::Write,
         radio([](auto& o) { o.faults.rejectWrite = o.faults.rejectWriteTimes = 3; }),
         {},
         error,
         "refused writing block 3B60 (3 of 7) three times|accepted 2 of the 7"},
        {OpKind::MulWrite, pacedOptions(), [](LinkBench& b) { b.port.refuseSendsFrom(9); }, error,
         "port was lost during the operation, at writing block 3B80 (5 of 7)|Radio 1 accepted 4 "
         "of the 7 blocks"},
        {OpKind::MulWrite,
         radio([](auto& o) {
             o.unplugAfter = {};
             o.gap = std::chrono::hours(10);
         }),
         {},
         error,
         "After radio 1, no next radio answered"},
        {OpKind::Write,
         radio([](auto& o) { o.faults.wrongModel = true; }),
         {},
         "Model Type Error!",
         "reported the model word \"TAVRIX<00>\" (54 41 56 52 49 58 00)|\"TAVRIK\"|was not written "
         "to"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        LinkBench bench(c.radio);
        if (c.line) {
            c.line(bench);
        }
        bench.window.language = c.language;
        bench.start(c.kind, 2);
        ASSERT_TRUE(
            bench.runUntil([&] { return !bench.boxes.shown().empty(); }, std::chrono::hours(5)));
        EXPECT_EQ(bench.boxes.shown().front().text, QString::fromUtf8(c.message));
        EXPECT_TRUE(saysInOrder(bench.boxes.shown().front().details.informative, c.says));
    }
}

// The details a dealer copies for support: the port, the time, and the last requests
// with what came back, in hexadecimal and timed.
TEST(Diagnosis, DetailsHoldTheLastExchangesInHex) {
    LinkBench bench(radio([](auto& o) { o.faults.silentAfter = 3; }));
    bench.start(OpKind::Write);
    bench.settle();
    ASSERT_EQ(bench.messages(), QStringList{"Communication Error!"});
    const QString details = bench.boxes.shown().front().details.detailed;
    EXPECT_TRUE(saysInOrder(details, "VEL_TAVRIK_DovI, Write, 2026-03-05 09:30:00\nPort: COM3 → "
                                     "/dev/ttyFAKE3\n|     0 ms  sent 50 52 4F 47 52 41 4D\n|came "
                                     "50 52 4F 47 52 41 4D 51 58 06\n"));
    // The echo alone, too short to raise a receive event, found at the time-out.
    EXPECT_TRUE(details.endsWith(QStringLiteral("\n   570 ms  time-out, had come 52 3B F0 10")));
}

} // namespace
} // namespace tavrik::test
