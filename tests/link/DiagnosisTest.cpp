// Why an operation failed: each failure of the line or the port, played out against the
// simulated radio, leads to its own cause and remedy below the unchanged first line,
// and a write that stopped says what the radio was left holding.

#include "LinkBench.h"

#include <gtest/gtest.h>

namespace tavrik::test {
namespace {

using platform::OpenFailure;
using Reason = platform::OpenFailure::Reason;

struct Case {
    const char* name;
    OpKind kind;
    std::function<void(radiosim::SimOptions&)> radio;
    std::function<void(LinkBench&)> line; // before the start: the port's behaviour
    QString message;                      // the box's first line
    QStringList says;                     // pieces of the explanation, in order
    qint16 language = kLanguageEnglish;
};

OpenFailure failure(Reason reason, const char* text = "", const char* group = "",
                    std::vector<OpenFailure::Holder> holders = {}) {
    OpenFailure f;
    f.reason = reason;
    f.groupMayOpen = QByteArray(group) != "root";
    f.systemText = QString::fromUtf8(text);
    f.group = QString::fromUtf8(group);
    f.user = QStringLiteral("dealer");
    f.holders = std::move(holders);
    return f;
}

TEST(Diagnosis, EachFailureSaysWhyAndWhatToDo) {
    const QString commError = QStringLiteral("Communication Error!");
    const QString cannotOpen = QStringLiteral("Cannot Open Communication Port.");
    const auto fault = [](auto set) { return [set](radiosim::SimOptions& o) { set(o.faults); }; };
    const auto refuse = [](Reason reason, const char* text = "", const char* group = "",
                           std::vector<OpenFailure::Holder> holders = {}) {
        return [=](LinkBench& b) { b.port.setOpenFailure(failure(reason, text, group, holders)); };
    };
    const std::vector<Case> cases = {
        {"no permission",
         OpKind::Read,
         {},
         refuse(Reason::NoPermission, "", "dialout"),
         cannotOpen,
         {"Port: COM3 → /dev/ttyFAKE3", "not allowed to open /dev/ttyFAKE3", "group \"dialout\"",
          "sudo usermod -aG dialout dealer", "log out and back in"}},
        {"no permission, in Chinese",
         OpKind::Read,
         {},
         refuse(Reason::NoPermission, "", "uucp"),
         cannotOpen,
         {"串口：COM3 → /dev/ttyFAKE3", "用户组“uucp”", "sudo usermod -aG uucp dealer",
          "注销并重新登录"},
         kLanguageChinese},
        {"no permission, only the owner may open it",
         OpKind::Read,
         {},
         refuse(Reason::NoPermission, "", "root"),
         cannotOpen,
         {"only its owner may open it", "group \"dialout\"", "sudo usermod -aG dialout dealer"}},
        {"busy",
         OpKind::Write,
         {},
         refuse(Reason::Busy, "", "", {{"ModemManager", 812}}),
         cannotOpen,
         {"in use by ModemManager (process 812)", "ModemManager and brltty",
          "sudo systemctl stop ModemManager"}},
        {"busy, holder unknown",
         OpKind::Read,
         {},
         refuse(Reason::Busy),
         cannotOpen,
         {"Another program is using /dev/ttyFAKE3", "as ModemManager and brltty do"}},
        {"gone",
         OpKind::Read,
         {},
         refuse(Reason::Gone),
         cannotOpen,
         {"/dev/ttyFAKE3 no longer exists", "unplugged"}},
        {"other",
         OpKind::Read,
         {},
         refuse(Reason::Other, "Input/output error"),
         cannotOpen,
         {"The system reported: Input/output error"}},
        {"no such port",
         OpKind::MulWrite,
         {},
         [](LinkBench& b) { b.port.setAvailablePorts({7}); },
         cannotOpen,
         {"Port: COM3", "No device is listed as COM3"}},

        {"nothing came back",
         OpKind::Read,
         {},
         [](LinkBench& b) { b.port.setPeer({}); },
         commError,
         {"not even the echo", "not connected to this port", "wrong port"}},
        {"the radio never answered",
         OpKind::Write,
         fault([](auto& f) { f.silentAfter = 0; }),
         {},
         commError,
         {"echoed the request, but the radio never answered", "switched off",
          "was not written to: its settings are unchanged"}},
        {"a cable without echo",
         OpKind::Read,
         [](auto& o) { o.echo = false; },
         {},
         commError,
         {"never the echo of the request", "wrong kind of cable", "another device"}},
        {"silent part-way through a write",
         OpKind::Write,
         fault([](auto& f) { f.silentAfter = 6; }),
         {},
         commError,
         {"fell silent at writing block 3B60 (3 of 7)", "cable was pulled",
          "accepted 2 of the 7 blocks", "write it again before the radio is used"}},
        {"silent part-way, in Chinese",
         OpKind::Write,
         fault([](auto& f) { f.silentAfter = 6; }),
         {},
         commError,
         {"在写数据块 3B60（第 3 / 7 块）时中断", "已接受 7 个数据块中的 2 个", "使用前请重新写入"},
         kLanguageChinese},
        {"silent at the end of a read",
         OpKind::Read,
         fault([](auto& f) { f.silentAfter = 17; }),
         {},
         commError,
         {"fell silent at the end request"}},
        {"a block refused three times",
         OpKind::Write,
         fault([](auto& f) {
             f.rejectWrite = 1;
             f.rejectWriteTimes = 3;
         }),
         {},
         commError,
         {"refused writing block 3B00 (1 of 7) three times", "was not written to"}},
        {"the port lost mid multi-write",
         OpKind::MulWrite,
         {},
         [](LinkBench& b) {
             b.port.refuseSendsFrom(9); // the fifth block write: four blocks are in
         },
         commError,
         {"port was lost during the operation, at writing block 3B80 (5 of 7)",
          "Radio 1 accepted 4 of the 7 blocks"}},
        {"no next radio",
         OpKind::MulWrite,
         [](auto& o) {
             o.unplugAfter = std::chrono::milliseconds(0);
             o.gap = std::chrono::hours(10);
         },
         {},
         commError,
         {"After radio 1, no next radio answered"}},

        {"another model",
         OpKind::Write,
         fault([](auto& f) { f.wrongModel = true; }),
         {},
         "Model Type Error!",
         {"reported the model word \"TAVRIX<00>\" (54 41 56 52 49 58 00)", "\"TAVRIK\"",
          "was not written to"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        radiosim::SimOptions options = pacedOptions();
        if (c.radio) {
            c.radio(options);
        }
        LinkBench bench(options);
        bench.window.language = c.language;
        if (c.line) {
            c.line(bench);
        }
        bench.start(c.kind, 2);
        ASSERT_TRUE(
            bench.runUntil([&] { return !bench.boxes.shown().empty(); }, std::chrono::hours(5)));
        const FakeMessageBoxes::Shown& box = bench.boxes.shown().front();
        EXPECT_EQ(box.text, c.message);
        qsizetype from = 0;
        for (const QString& piece : c.says) {
            const qsizetype at = box.details.informative.indexOf(piece, from);
            EXPECT_GE(at, 0) << piece.toStdString()
                             << "\n in: " << box.details.informative.toStdString();
            from = at < 0 ? from : at;
        }
    }
}

// The details a dealer copies for support: the port, the time, and the last requests
// with what came back, in hexadecimal and timed; a success says nothing more.
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
    EXPECT_TRUE(details.contains(QStringLiteral("sent 52 3B F0 10\n")));
    EXPECT_TRUE(details.contains(QStringLiteral("came 50 52 4F 47 52 41 4D 51 58 06\n")));
    // The echo alone, too short to raise a receive event, found at the time-out.
    EXPECT_EQ(lines.last(), QStringLiteral("   570 ms  time-out, had come 52 3B F0 10"));

    LinkBench good;
    good.start(OpKind::Read);
    good.settle();
    ASSERT_EQ(good.messages(), QStringList{"Read Complete!"});
    EXPECT_TRUE(good.boxes.shown().front().details.informative.isEmpty());
    EXPECT_TRUE(good.boxes.shown().front().details.detailed.isEmpty());
}

} // namespace
} // namespace tavrik::test
