// Why an operation failed: each cause, found from what the serial port said or from
// what the line showed, gets its own explanation and remedy below the unchanged first
// line; a write that stopped says what the radio holds, a multi-write where its series
// stands.

#include "link/Diagnosis.h"
#include "LinkBench.h"

#include <QRegularExpression>

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
        Language language;
        const char* says;
        const char* never = "usermod -aG root";
    };
    const Language en = Language::English;
    const Language zh = Language::Chinese;
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
        {Reason::Busy, "", "", "minicom,screen", false, en,
         "/dev/ttyUSB0 is in use by minicom (process 812), screen (process 813). Close those "
         "programs and try again."},
        {Reason::Busy, "", "", "minicom,screen", false, zh,
         "/dev/ttyUSB0 正被 minicom（进程 812）、screen（进程 813）占用。请关闭这些程序后重试。"},
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
        for (const QString& holder :
             QString::fromLatin1(c.holder).split(u',', Qt::SkipEmptyParts)) {
            f.holders.push_back({holder, 812 + static_cast<qint64>(f.holders.size())});
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

// The details for support: the program and its version, then the device and the user as
// the system reports them.
TEST(Diagnosis, AnOpenFailuresDetailsGiveTheVersionTheDeviceAndTheUsersGroups) {
    OpenFailure f;
    f.owner = QStringLiteral("root");
    f.group = QStringLiteral("dialout");
    f.permissions = 0640;
    f.user = QStringLiteral("dealer");
    f.userGroups = QStringList{"dealer", "dialout"};
    f.sessionGroups = QStringList{"dealer"};
    const QString english = ExplainOpenFailure(f, 100, {}, Language::English).detailed;
    EXPECT_TRUE(
        english.contains(QRegularExpression(QStringLiteral("^VEL_TAVRIK_DovI \\d+\\.\\d"))));
    EXPECT_TRUE(saysInOrder(english, "Device: owner root, group dialout, mode 0640 (rw-r-----)\n"
                                     "User: dealer\nGroups in the group database: dealer dialout\n"
                                     "Groups of this session: dealer"));
    EXPECT_TRUE(
        ExplainOpenFailure(f, 100, {}, Language::Chinese)
            .detailed.contains("设备：所有者 root，用户组 dialout，权限 0640（rw-r-----）"));
}

Request blockWrite(int address) {
    return {Request::Kind::BlockWrite, address};
}

Request read(int address) {
    return {Request::Kind::Read, address};
}

TEST(Diagnosis, ALineFailureSaysWhatHappenedAndWhatTheRadioHolds) {
    const Request program{Request::Kind::Handshake, 0};
    const Request end{Request::Kind::End, 0};
    struct Case {
        OpKind kind;
        std::function<void(LineRecord&)> line; // what the line showed
        Request lastRequest;
        Language language;
        const char* says;                // the explanation below the first line
        const char* details = "";        // and behind "Show Details..."
        const char* modelWord = nullptr; // a "Model Type Error!" box
    };
    const auto silentAfterAnswers = [](int sent, int accepted) {
        return [=](LineRecord& r) {
            r.anyBytes = r.echoSeen = r.radioAnswered = true;
            r.blockWritesSent = sent;
            r.blocksAccepted = accepted;
        };
    };
    const auto garbled = [](bool answeredBefore) {
        return [=](LineRecord& r) {
            r.anyBytes = r.echoSeen = r.answerNotUnderstood = true;
            r.radioAnswered = answeredBefore;
        };
    };
    const auto garbledWrite = [&](LineRecord& r) {
        silentAfterAnswers(3, 2)(r);
        r.answerNotUnderstood = true;
    };
    const auto radioInHand = [](int n, std::function<void(LineRecord&)> line) {
        return [=](LineRecord& r) {
            line(r);
            r.radioNumber = n;
        };
    };
    const std::vector<Case> cases = {
        // Silent after the 0x3BF0 read answer: the first block write went out.
        {OpKind::Write, silentAfterAnswers(1, 0), blockWrite(0x3B00), Language::English,
         "then stopped answering while writing the radio type and band (block 1 of 7). Most "
         "likely the cable was pulled|The radio did not confirm the part being written, but may "
         "already hold it: it must be written again before it is used.",
         "Block writes sent: 1, accepted: 0 of 7, end confirmed: no\nLast step: writing block "
         "3B00\n"},
        {OpKind::Write, silentAfterAnswers(1, 0), blockWrite(0x3B00), Language::Chinese,
         "对讲机起初有应答，在写入机型和频段（第 1 块，共 7 "
         "块）时停止应答。很可能写频线被拔出，或对"
         "讲机已关机。|对讲机没有确认正在"
         "写入的部分，但可能已经存入：使用前必须重新写入。"},
        {OpKind::Write, silentAfterAnswers(7, 7), end, Language::English,
         "stopped answering while ending the programming.|The radio accepted every block, but "
         "did not confirm the end of the write, so it may still be in programming mode. Switch "
         "it off and on, Read it to check, and write it again if anything differs."},
        {OpKind::Write, silentAfterAnswers(7, 7), end, Language::Chinese,
         "在结束编程时停止应答。|对讲机已接受全部数据块，但没有确认写入结束，可能仍处于编程模式"
         "。请将它关机再开机，读出检查，如有不同请重新写入。",
         "已发送数据块：7，已接受：7 / 7，结束已确认：否\n最后一步：结束请求（END）\n"},
        // A multi-write says first where its series stands.
        {OpKind::MulWrite, radioInHand(4, garbledWrite), blockWrite(0x3B60), Language::English,
         "3 radios of this series were written completely before the one in hand (radio 4): "
         "radios 1 to 3 are done.\n\nWhile writing the dealer information (block 3 of 7), the "
         "radio answered, but the answer could not be understood.|The write stopped part-way. "
         "The radio in hand accepted 2 of the 7 blocks and may now hold part of the new "
         "settings: write it again before the radio is used.",
         "Radio in hand: 4\n"},
        {OpKind::MulWrite,
         radioInHand(4, [](LineRecord& r) { r.portLost = r.radioAnswered = true; }),
         blockWrite(0x3B70), Language::Chinese,
         "当前：第 4 台。本批在它之前已完整写入 3 台：第 1 至 3 台已完成。|在写入经销商信息（第 4 "
         "块，共 7 块）时串口丢失：很可能适配器被拔出，或设备 /dev/ttyUSB0 停止工作。",
         "当前：第 4 台\n"},
        {OpKind::MulWrite, radioInHand(1, garbled(false)), program, Language::Chinese,
         "当前：第 1 台。本批在它之前尚无写完的对讲机。|在连接对讲机时，对讲机有应答|当前这台对讲"
         "机未被写入：其设置没有改变。"},
        {OpKind::MulWrite,
         radioInHand(3, [](LineRecord& r) { r.waitingForNextRadio = r.echoSeen = true; }), program,
         Language::English,
         "2 radios of this series were written completely before the one in hand (radio 3): "
         "radios 1 and 2 are done.\n\nAfter radio 2, no next radio answered"},
        {OpKind::MulWrite, radioInHand(2, silentAfterAnswers(0, 0)), read(0x3B00),
         Language::Chinese,
         "当前：第 2 台。本批在它之前已完整写入 1 台：第 1 台已完成。|对讲机报告的机型标识为“<DD"
         ">IX<00>”；本程序只支持机型标识为“TAVRIK”的对讲机。|当前这台对讲机未被写入",
         "机型标识：<DD>IX<00>（3C 44 44 3E 49 58 00）\n", "<DD>IX\0"},
        {OpKind::Read, silentAfterAnswers(0, 0), read(0x3B00), Language::English,
         "The radio reports its model as \"TAVRIX<00>\"; this program works only with radios "
         "that report \"TAVRIK\". Check that the radio in hand is a TAVRIK.",
         "Model identification: TAVRIX<00> (54 41 56 52 49 58 00)\n", "TAVRIX\0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        LineRecord r;
        r.kind = c.kind;
        r.device = QStringLiteral("/dev/ttyUSB0");
        c.line(r);
        r.exchanges.push_back({c.lastRequest, {}, 0, true, {}, 0});
        const platform::MessageDetails d =
            c.modelWord ? ExplainModelError(r, QByteArray(c.modelWord, 7), c.language)
                        : ExplainLineFailure(r, c.language);
        EXPECT_TRUE(saysInOrder(d.informative, c.says));
        EXPECT_TRUE(saysInOrder(d.detailed, c.details));
        // Plain words: the block address stays in the details.
        for (const char* word : {"echo", "handshake", "model word", "3B", "端口", "握手"}) {
            EXPECT_FALSE(d.informative.contains(QString::fromUtf8(word), Qt::CaseInsensitive))
                << word;
        }
    }
}

// Each cause as the link really records it, turned into words in both languages: the
// link is driven into the failure on a simulated radio and line. The details a dealer
// copies for support give the version, the operation, the port and the time, then the
// last requests and what came back, in hexadecimal and timed (an echo too short to raise
// a receive event is found at the time-out).
TEST(Diagnosis, EachCauseIsToldFromTheRecordTheLinkKept) {
    using namespace std::chrono_literals;
    struct Case {
        const char* cause;
        OpKind kind;
        std::function<void(radiosim::SimOptions&)> radio;
        std::function<void(LinkBench&)> line; // before the start; after it for `afterStart`
        const char* english;
        const char* chinese;
        bool afterStart = false;
    };
    const auto silentLine = [](LinkBench& b) {
        b.port.setPeer(
            [](const QByteArray&, VirtualClock::Micros) { return std::vector<Arrival>{}; });
    };
    const auto noisyLine = [](LinkBench& b) {
        b.port.setPeer([](const QByteArray&, VirtualClock::Micros now) {
            return std::vector<Arrival>{{now + 5ms, QByteArray(40, '\x55')}};
        });
    };
    const std::vector<Case> cases = {
        {"nothing came back",
         OpKind::Read,
         {},
         silentLine,
         "Nothing came back from the cable",
         "写频线没有任何回应"},
        {"no answer behind the echo",
         OpKind::Read,
         [](auto& o) { o.faults.silentAfter = 0; },
         {},
         "The cable returned the request, but the radio did not answer",
         "写频线返回了请求"},
        {"noise, never the echo", OpKind::Read, {}, noisyLine, "the line is noisy", "线路干扰严重"},
        {"a byte behind the acknowledge of END",
         OpKind::Write,
         [](auto& o) {
             o.faults.noiseExchange = 12; // END: its echo and answer are positions 0..3
             o.faults.noisePosition = 4;
         },
         {},
         "While ending the programming, the radio answered, but the answer could not be "
         "understood.|accepted every block, but its answer to the end of the write could not be "
         "understood",
         "在结束编程时，对讲机有应答，但应答无法识别|对写入结束的应答无法识别"},
        {"a take-back, then silence",
         OpKind::Read,
         [](auto& o) {
             o.faults.silentAfter = 3;   // PROGRAM, R3B00, R3B10
             o.faults.noiseExchange = 4; // a byte ahead of R3B20's echo takes R3B10's answer back
         },
         {},
         "While reading the radio settings and password, the radio answered, but the answer "
         "could not be understood.",
         "在读取机器设置和编程密码时，对讲机有应答，但应答无法识别。"},
        {"the first block write refused by the port",
         OpKind::Write,
         {},
         [](LinkBench& b) { b.port.refuseSendsFrom(5); },
         "The port was lost while writing the radio type and band (block 1 of 7)|The radio was "
         "not written to: its settings are unchanged.",
         "在写入机型和频段（第 1 块，共 7 块）时串口丢失|对讲机未被写入：其设置没有改变。"},
        {"fell silent",
         OpKind::Write,
         [](auto& o) { o.faults.silentAfter = 6; },
         {},
         "then stopped answering while writing the dealer information (block 3 of 7).|accepted 2 "
         "of the 7 blocks",
         "在写入经销商信息（第 3 块，共 7 块）时停止应答|已接受 7 个数据块中的 2 个"},
        {"refused three times",
         OpKind::Write,
         [](auto& o) {
             o.faults.rejectWrite = 3;
             o.faults.rejectWriteTimes = 3;
         },
         {},
         "refused the request three times in a row.|accepted 2 of the 7 blocks",
         "连续三次拒绝了请求|已接受 7 个数据块中的 2 个"},
        {"the second radio of a series fell silent",
         OpKind::MulWrite,
         [](auto& o) {
             o.faults.onlyRadio = 1;
             o.faults.silentAfter = 3;
         },
         {},
         "radio 1 is done.|stopped answering while reading the radio settings and password",
         "第 1 台已完成。|在读取机器设置和编程密码时停止应答"},
        {"the port lost while the next radio was awaited",
         OpKind::MulWrite,
         {},
         [](LinkBench& b) {
             ASSERT_TRUE(b.runUntil([&] { return b.comm.state().MulWriteNo == 2; }));
             b.port.unplug();
         },
         "radio 1 is done.|The port was lost while connecting to the radio",
         "第 1 台已完成。|在连接对讲机时串口丢失",
         true},
        {"no next radio",
         OpKind::MulWrite,
         [](auto& o) { o.gap = std::chrono::hours(5); },
         {},
         "After radio 1, no next radio answered",
         "第 1 台写完后，等待期间没有下一台对讲机应答"},
    };
    for (const Case& c : cases) {
        for (Language language : {Language::English, Language::Chinese}) {
            SCOPED_TRACE(c.cause);
            radiosim::SimOptions options = pacedOptions();
            if (c.radio) {
                c.radio(options);
            }
            radiosim::Memory second = radiosim::DefaultMemory();
            Put(second, 0x2F, "3"); // its serial number
            LinkBench bench({radiosim::DefaultMemory(), second}, options);
            bench.window.windowLanguage = language;
            if (c.line && !c.afterStart) {
                c.line(bench);
            }
            bench.start(c.kind);
            if (c.line && c.afterStart) {
                c.line(bench);
            }
            bench.settle(std::chrono::hours(6));
            ASSERT_EQ(bench.messages(), QStringList{"Communication Error!"});
            const platform::MessageDetails& d = bench.boxes.shown().front().details;
            EXPECT_TRUE(
                saysInOrder(d.informative, language == Language::English ? c.english : c.chinese));
            if (QByteArray(c.cause) == "fell silent" && language == Language::English) {
                EXPECT_TRUE(d.detailed.contains(QRegularExpression(QStringLiteral(
                    "^VEL_TAVRIK_DovI \\d+\\.\\d+[.\\d]*, Write, 2026-03-05 09:30:00\n"))));
                EXPECT_TRUE(saysInOrder(d.detailed, "Port: COM3 → /dev/ttyFAKE3\n|     0 ms  sent "
                                                    "50 52 4F 47 52 41 4D\n|came 50 52 4F 47 52 "
                                                    "41 4D 51 58 06\n|time-out, had come 57 3B "
                                                    "60 10"));
            }
        }
    }
}

} // namespace
} // namespace tavrik::test
