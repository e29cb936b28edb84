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

// What a dealer types must stand whole on a line of its own, with nothing after it.
::testing::AssertionResult commandsStandAlone(const QString& text) {
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const bool command = line.contains(QLatin1String("sudo")) ||
                             line.contains(QLatin1String("KERNEL==")) ||
                             line.contains(QLatin1String("usermod"));
        if (command && (!line.startsWith(QLatin1String("    sudo")) || line.back().isPunct()) &&
            !line.startsWith(QLatin1String("    KERNEL=="))) {
            return ::testing::AssertionFailure() << "a command not on a line of its own:\n"
                                                 << text.toStdString();
        }
    }
    return ::testing::AssertionSuccess();
}

TEST(Diagnosis, AnOpenFailureSaysWhyAndWhatToDo) {
    struct Case {
        Reason reason;
        const char* group;  // "dialout!" may not be opened by its group (mode 0600)
        const char* groups; // the user's groups in the database | in this session
        const char* holder; // seen holding the device
        bool windows;
        qint16 language;
        const char* says;
        const char* never = "usermod -aG root";
    };
    const qint16 en = kLanguageEnglish;
    const qint16 zh = kLanguageChinese;
    const std::vector<Case> cases = {
        {Reason::NoPermission, "dialout", "dealer|dealer", "", false, en,
         "Port: COM100 → /dev/ttyUSB0\n|the serial-port group \"dialout\", and the user is not in "
         "it|\n    sudo usermod -aG dialout dealer\nthen log out and back in"},
        {Reason::NoPermission, "uucp", "dealer|dealer", "", false, zh,
         "串口：COM100 → /dev/ttyUSB0\n|属于串口用户组“uucp”|\n    sudo usermod -aG uucp "
         "dealer\n然后注销并重新登录"},
        {Reason::NoPermission, "root", "dealer|dealer", "", false, en,
         "belongs to the group \"root\", which is not a serial-port group and may give far more "
         "than serial ports, so do not join it|\n    sudoedit "
         "/etc/udev/rules.d/70-serial-ports.rules\n|\n    "
         "KERNEL==\"ttyUSB[0-9]*\", GROUP=\"dialout\", MODE=\"0660\"\n|\n    sudo usermod -aG "
         "dialout dealer\nand restart the computer."},
        {Reason::NoPermission, "tty", "dealer,dialout|dealer,dialout", "", false, zh,
         "属于用户组“tty”，它不是串口用户组，可能带来远超串口的权限，所以不要加入它；|"
         "“dialout”。这台电脑的管理员|\n    "
         "KERNEL==\"ttyUSB[0-9]*\", "
         "GROUP=\"dialout\", MODE=\"0660\"\n然后重新启动电脑。",
         "usermod"},
        {Reason::NoPermission, "dialout!", "dealer|dealer", "", false, en,
         "only its owner may open it|\n    sudoedit /etc/udev/rules.d/70-serial-ports.rules\n"},
        {Reason::NoPermission, "dialout", "dealer,dialout|dealer", "", false, en,
         "You (user dealer) may not open /dev/ttyUSB0 yet|\"dialout\", and the user is already in "
         "it, but this session started before the user joined|Log out and back in",
         "usermod"},
        {Reason::NoPermission, "uucp", "dealer,uucp|dealer", "", false, zh,
         "当前用户 dealer 暂时无权打开 /dev/ttyUSB0。该设备属于用户组“uucp”，用户已在该组中|"
         "请注销后重新登录",
         "usermod"},
        {Reason::Busy, "", "", "minicom", false, en,
         "/dev/ttyUSB0 is in use by minicom (process 812). Close that program and try again.",
         "ModemManager"},
        {Reason::Busy, "", "", "", false, en,
         "Another program is using /dev/ttyUSB0, probably a program running as another user, "
         "such as ModemManager or brltty, which|\n    sudo systemctl stop ModemManager\n|\n    "
         "sudo apt remove brltty"},
        {Reason::Busy, "", "", "", false, zh,
         "另一个程序正在使用 /dev/ttyUSB0，可能是以其他用户身份运行的程序，例如 ModemManager "
         "或 brltty|\n    sudo systemctl stop ModemManager\n"},
        {Reason::Busy, "", "", "", true, en,
         "Port: COM100\n|COM100 is in use by another program: Windows lets only one program"},
        {Reason::Busy, "", "", "", true, zh, "串口：COM100\n|COM100 正被另一个程序占用"},
        {Reason::NoPermission, "", "", "", true, en, "COM100 is in use by another program"},
        {Reason::Gone, "", "", "", true, en, "COM100 no longer exists: its adapter was probably"},
        {Reason::NoDevice, "", "", "", true, en, "Windows lists no COM100 any more|Device Manager"},
        {Reason::Other, "", "", "", true, zh, "Windows 报告：Input/output error\n|设备管理器"},
        {Reason::Gone, "", "", "", false, en,
         "The device /dev/ttyUSB0 no longer exists: the adapter was probably unplugged"},
        {Reason::Other, "", "", "", false, en,
         "The system reported: Input/output error|programming cable's port"},
        {Reason::NoDevice, "", "", "", false, en,
         "No device is listed as COM100 any more|unplugged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        OpenFailure f;
        f.reason = c.reason;
        f.onWindows = c.windows;
        f.device = c.reason == Reason::NoDevice ? QString()
                   : c.windows                  ? QStringLiteral("COM100")
                                                : QStringLiteral("/dev/ttyUSB0");
        f.systemText = QStringLiteral("Input/output error");
        f.group = QString::fromLatin1(c.group);
        f.groupMayOpen = !f.group.endsWith(u'!');
        f.group.remove(u'!');
        const QStringList groups = QString::fromLatin1(c.groups).split(u'|');
        f.userGroups = groups.front().split(u',', Qt::SkipEmptyParts);
        f.sessionGroups = groups.back().split(u',', Qt::SkipEmptyParts);
        f.user = QStringLiteral("dealer");
        if (*c.holder != '\0') {
            f.holders = {{QString::fromLatin1(c.holder), 812}};
        }
        const QString text = ExplainOpenFailure(f, 100, {}, c.language).informative;
        EXPECT_TRUE(saysInOrder(text, c.says));
        EXPECT_TRUE(commandsStandAlone(text));
        const QStringList never = c.windows ? QStringList{"sudo", "systemctl", "apt ",   "usermod",
                                                          "/dev", "udev",      "log out"}
                                            : QStringList{QString::fromUtf8(c.never), "端口"};
        for (const QString& word : never) {
            EXPECT_FALSE(text.contains(word)) << word.toStdString() << " in:\n"
                                              << text.toStdString();
        }
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
