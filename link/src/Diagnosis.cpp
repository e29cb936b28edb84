#include "link/Diagnosis.h"

#include "link/Frames.h"
#include "link/ModComm.h"
#include "settings/ImageLayout.h"

#include <QStringList>

#include <algorithm>

namespace tavrik {
namespace {

bool chinese(qint16 language) {
    return language == kLanguageChinese;
}

// The text in the window's language.
QString pick(qint16 language, const char* english, const char* chineseText) {
    return chinese(language) ? QString::fromUtf8(chineseText) : QString::fromUtf8(english);
}

QString hexBytes(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString blockName(int address) {
    return QStringLiteral("%1").arg(address, 4, 16, QLatin1Char('0')).toUpper();
}

// "COM3 → /dev/ttyUSB0", or the port alone when no device is behind it.
QString portLine(int portNumber, const QString& device, qint16 language) {
    const QString port = portNumber > 0 ? QStringLiteral("COM%1").arg(portNumber)
                                        : pick(language, "(none chosen)", "（未选择）");
    return pick(language, "Port: %1", "串口：%1")
        .arg(device.isEmpty() ? port : port + QStringLiteral(" → ") + device);
}

QString operationName(OpKind kind, qint16 language) {
    switch (kind) {
    case OpKind::Read:
        return pick(language, "Read", "读出");
    case OpKind::Write:
        return pick(language, "Write", "写入");
    case OpKind::MulWrite:
        return pick(language, "MulWrite", "写入多台");
    case OpKind::Idle:
        break;
    }
    return {};
}

QString timeText(const QDateTime& when) {
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString holdersText(const std::vector<platform::OpenFailure::Holder>& holders, qint16 language) {
    QStringList names;
    for (const platform::OpenFailure::Holder& h : holders) {
        names << pick(language, "%1 (process %2)", "%1（进程 %2）").arg(h.program).arg(h.pid);
    }
    return names.join(pick(language, ", ", "、"));
}

QString openCause(const platform::OpenFailure& f, int portNumber, qint16 language) {
    using Reason = platform::OpenFailure::Reason;
    switch (f.reason) {
    case Reason::NoDevice:
        if (portNumber <= 0) {
            return pick(language,
                        "No serial port was found, so none is chosen. Plug in the programming "
                        "cable; its port appears under Com Port within a second.",
                        "没有找到串口，因此未选择串口。请插上写频线，一秒内它的串口会出现在"
                        "“串口选择”列表中。");
        }
        return pick(language,
                    "No device is listed as COM%1 any more: its adapter was probably "
                    "unplugged. Plug in the programming cable, or choose its port under Com "
                    "Port (hold the mouse over an entry to see its device).",
                    "COM%1 已不对应任何设备：它的适配器可能已被拔出。请插上写频线，或在"
                    "“串口选择”中选择它的串口（鼠标停在条目上可看到对应的设备）。")
            .arg(portNumber);
    case Reason::NoPermission: {
        const QString group = f.group.isEmpty() ? QStringLiteral("dialout") : f.group;
        const QString user = f.user.isEmpty() ? QStringLiteral("$USER") : f.user;
        if (!f.groupMayOpen) {
            // Joining the device's group would not help: only its owner may open it.
            return pick(language,
                        "You (user %2) are not allowed to open %1, and only its owner may "
                        "open it, so joining a group does not help. Ask whoever looks after "
                        "this computer to give the serial ports to the group \"dialout\" "
                        "(usually a udev rule), then join that group with\n"
                        "    sudo usermod -aG dialout %2\n"
                        "and log out and back in.",
                        "当前用户 %2 无权打开 %1，而且只有它的所有者能打开，加入用户组也无济于事。"
                        "请让这台电脑的管理员把串口交给用户组“dialout”（通常用 udev 规则），"
                        "然后用以下命令加入该组：\n"
                        "    sudo usermod -aG dialout %2\n"
                        "并注销后重新登录。")
                .arg(f.device, user);
        }
        return pick(language,
                    "You are not allowed to open %1: the device belongs to the group \"%2\", "
                    "and the user %3 is not in it. Add the user to the group with\n"
                    "    sudo usermod -aG %2 %3\n"
                    "then log out and back in: the new group counts only from the next login.",
                    "当前用户无权打开 %1：该设备属于用户组“%2”，而用户 %3 不在该组中。"
                    "请用以下命令把用户加入该组：\n"
                    "    sudo usermod -aG %2 %3\n"
                    "然后注销并重新登录：新的用户组要在下次登录后才生效。")
            .arg(f.device, group, user);
    }
    case Reason::Busy: {
        const QString who =
            f.holders.empty()
                ? pick(language,
                       "Another program is using %1. It could not be named: it runs as "
                       "another user, as ModemManager and brltty do. Close the program that "
                       "uses the port and try again.",
                       "另一个程序正在使用 %1。无法确定是哪个程序：它以其他用户身份运行，"
                       "ModemManager 和 brltty 就是这样。请关闭占用该串口的程序后重试。")
                      .arg(f.device)
                : pick(language, "%1 is in use by %2. Close that program and try again.",
                       "%1 正被 %2 占用。请关闭该程序后重试。")
                      .arg(f.device, holdersText(f.holders, language));
        return who + QLatin1Char('\n') +
               pick(language,
                    "ModemManager and brltty are known to seize USB serial adapters. If you do "
                    "not need them: sudo systemctl stop ModemManager, or sudo apt remove brltty.",
                    "ModemManager 和 brltty 常会占用 USB 串口适配器。如不需要它们，可执行："
                    "sudo systemctl stop ModemManager，或 sudo apt remove brltty。");
    }
    case Reason::Gone:
        return pick(language,
                    "The device %1 no longer exists: the adapter was unplugged. Plug it in "
                    "again and choose its port under Com Port (it may come back under another "
                    "number).",
                    "设备 %1 已不存在：适配器已被拔出。请重新插上，并在“串口选择”中选择它的"
                    "串口（它可能以另一个编号出现）。")
            .arg(f.device);
    case Reason::Other:
        break;
    }
    return pick(language,
                "The system reported: %1\nCheck that this is the programming cable's port "
                "(hold the mouse over an entry of Com Port to see its device) and try again.",
                "系统报告：%1\n请确认这是写频线的串口（鼠标停在“串口选择”的条目上可看到对应的"
                "设备），然后重试。")
        .arg(f.systemText.isEmpty() ? pick(language, "no reason given", "未给出原因")
                                    : f.systemText);
}

QString lineCause(const LineRecord& r, qint16 language) {
    const QString step =
        r.exchanges.empty() ? QString() : DescribeStep(r.exchanges.back().request, language);
    switch (ClassifyLine(r)) {
    case LineCause::NothingCameBack:
        return pick(language,
                    "Nothing came back from the line, not even the echo of the request. The "
                    "programming cable is not connected to this port, the wrong port is chosen, "
                    "or the adapter is faulty.",
                    "线路上没有任何回应，连请求的回显也没有。写频线没有接在这个串口上，"
                    "或选错了串口，或适配器有故障。");
    case LineCause::NoRadioAnswer:
        return pick(language,
                    "The cable echoed the request, but the radio never answered. The radio is "
                    "switched off, not connected to the cable, or not a radio this program "
                    "supports.",
                    "写频线回显了请求，但对讲机始终没有应答。对讲机未开机、没有接到写频线上，"
                    "或不是本程序支持的机型。");
    case LineCause::NoEcho:
        return pick(language,
                    "Bytes came back, but never the echo of the request. The cable or adapter "
                    "does not echo what it is sent (the wrong kind of cable), or another device "
                    "is connected to this port.",
                    "线路上有数据返回，但不是请求的回显。写频线或适配器不回显所发的数据"
                    "（写频线类型不对），或这个串口上接的是别的设备。");
    case LineCause::FellSilent:
        return pick(language,
                    "The radio answered, then fell silent at %1. The cable was pulled or the "
                    "radio was switched off.",
                    "对讲机起初有应答，在%1时中断。写频线被拔出，或对讲机被关机。")
            .arg(step);
    case LineCause::Refused:
        return pick(language,
                    "The radio refused %1 three times in a row. Switch the radio off and on, "
                    "and try again.",
                    "对讲机连续三次拒绝了%1。请将对讲机关机再开机后重试。")
            .arg(step);
    case LineCause::NoNextRadio:
        return pick(language,
                    "After radio %1, no next radio answered while the program waited for it. "
                    "Connect the next radio and start the multi-write again.",
                    "第 %1 台写完后，等待期间没有下一台对讲机应答。请接上下一台对讲机，"
                    "重新开始写入多台。")
            .arg(r.radioNumber - 1);
    case LineCause::PortLost:
        return pick(language,
                    "The port was lost during the operation, at %1: the device %2 was removed "
                    "(the adapter was unplugged) or stopped working. Plug it in again and choose "
                    "its port.",
                    "操作中串口丢失（%1时）：设备 %2 被移除（适配器被拔出）或停止工作。"
                    "请重新插上并选择它的串口。")
            .arg(step, r.device);
    }
    return {};
}

// What a failed write left in the radio.
QString writeOutcome(const LineRecord& r, qint16 language) {
    if (r.kind != OpKind::Write && r.kind != OpKind::MulWrite) {
        return {};
    }
    const QString radio = r.kind == OpKind::MulWrite
                              ? pick(language, "Radio %1", "第 %1 台对讲机").arg(r.radioNumber)
                              : pick(language, "The radio", "对讲机");
    if (r.blocksAccepted == 0) {
        return pick(language, "%1 was not written to: its settings are unchanged.",
                    "%1未被写入：其设置没有改变。")
            .arg(radio);
    }
    return pick(language,
                "The write stopped part-way. %1 accepted %2 of the 7 blocks and may now hold "
                "part of the new settings: write it again before the radio is used.",
                "写入中途停止。%1已接受 7 个数据块中的 %2 个，现在可能只有部分新设置："
                "使用前请重新写入。")
        .arg(radio)
        .arg(r.blocksAccepted);
}

// The details a dealer can copy for support: the port, the time, and the last
// requests with what came back, in hexadecimal, timed from the start of the operation.
QString recordDetails(const LineRecord& r, qint16 language) {
    QStringList lines;
    lines << QStringLiteral("VEL_TAVRIK_DovI, %1, %2")
                 .arg(operationName(r.kind, language), timeText(r.startedAt));
    lines << portLine(r.portNumber, r.device, language);
    if (r.kind == OpKind::MulWrite) {
        lines << pick(language, "Radio: %1", "当前台数：%1").arg(r.radioNumber);
    }
    if (r.kind == OpKind::Write || r.kind == OpKind::MulWrite) {
        lines << pick(language, "Blocks accepted: %1 of 7", "已接受数据块：%1 / 7")
                     .arg(r.blocksAccepted);
    }
    lines << pick(language, "Last requests and what came back (ms from the start):",
                  "最近的请求及返回数据（自开始起的毫秒数）：");
    // "   570 ms  came 52 3B F0 10"
    const auto timed = [](qint64 ms, const QString& what, const QByteArray& bytes) {
        return QStringLiteral("%1 ms  %2 %3").arg(ms, 6).arg(what, hexBytes(bytes));
    };
    for (const LineRecord::Exchange& e : r.exchanges) {
        lines << timed(e.sentAtMs,
                       e.sent ? pick(language, "sent", "发送")
                              : pick(language, "NOT SENT", "未发出"),
                       e.request);
        for (const LineRecord::Arrival& a : e.arrivals) {
            lines << timed(a.atMs,
                           a.atTimeOut ? pick(language, "time-out, had come", "超时，已收到")
                                       : pick(language, "came", "收到"),
                           a.bytes);
        }
        if (e.arrivals.empty()) {
            lines << QStringLiteral("         %1")
                         .arg(pick(language, "(nothing came back)", "（没有返回数据）"));
        }
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

LineCause ClassifyLine(const LineRecord& r) {
    if (r.portLost) {
        return LineCause::PortLost;
    }
    if (r.waitingForNextRadio) {
        return LineCause::NoNextRadio;
    }
    if (r.refusedTooOften) {
        return LineCause::Refused;
    }
    if (r.radioAnswered) {
        return LineCause::FellSilent;
    }
    if (r.echoSeen) {
        return LineCause::NoRadioAnswer;
    }
    return r.anyBytes ? LineCause::NoEcho : LineCause::NothingCameBack;
}

QString DescribeStep(const QByteArray& request, qint16 language) {
    if (request == frames::HandshakeRequest()) {
        return pick(language, "the handshake", "握手");
    }
    if (request == frames::EndRequest()) {
        return pick(language, "the end request", "结束请求");
    }
    const int address = frames::AddressOf(request);
    if (frames::IsReadRequest(request)) {
        return pick(language, "reading block %1", "读数据块 %1").arg(blockName(address));
    }
    if (frames::IsDataFrame(request)) {
        // The step "writing block 3B60 (3 of 7)", in the order a write sends its blocks.
        const auto& blocks = layout::kWriteBlocks;
        const auto n = std::find(blocks.begin(), blocks.end(), address) - blocks.begin();
        return pick(language, "writing block %1 (%2 of %3)", "写数据块 %1（第 %2 / %3 块）")
            .arg(blockName(address))
            .arg(n + 1)
            .arg(blocks.size());
    }
    return hexBytes(request);
}

QString ModelWordText(const QByteArray& bytes) {
    QString out;
    for (char c : bytes) {
        const int b = static_cast<std::uint8_t>(c);
        out += b >= 0x20 && b < 0x7F
                   ? QString(QChar(b))
                   : QStringLiteral("<%1>").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    }
    return out;
}

platform::MessageDetails ExplainOpenFailure(const platform::OpenFailure& failure, int portNumber,
                                            const QDateTime& when, qint16 language) {
    platform::MessageDetails d;
    d.informative = portLine(portNumber, failure.device, language) + QLatin1Char('\n') +
                    openCause(failure, portNumber, language);
    QStringList lines{QStringLiteral("VEL_TAVRIK_DovI, %1").arg(timeText(when)),
                      portLine(portNumber, failure.device, language)};
    if (!failure.systemText.isEmpty()) {
        lines << pick(language, "System: %1", "系统：%1").arg(failure.systemText);
    }
    if (!failure.holders.empty()) {
        lines << pick(language, "Held by: %1", "占用者：%1")
                     .arg(holdersText(failure.holders, language));
    }
    d.detailed = lines.join(QLatin1Char('\n'));
    return d;
}

platform::MessageDetails ExplainLineFailure(const LineRecord& record, qint16 language) {
    platform::MessageDetails d;
    QStringList parts{lineCause(record, language)};
    if (ClassifyLine(record) != LineCause::NoNextRadio) {
        const QString outcome = writeOutcome(record, language);
        if (!outcome.isEmpty()) {
            parts << outcome;
        }
    }
    d.informative = parts.join(QStringLiteral("\n\n"));
    d.detailed = recordDetails(record, language);
    return d;
}

platform::MessageDetails ExplainModelError(const LineRecord& record, const QByteArray& modelWord,
                                           qint16 language) {
    platform::MessageDetails d;
    QStringList parts{pick(language,
                           "The radio reported the model word \"%1\" (%2); this program works "
                           "only with radios that report \"TAVRIK\".",
                           "对讲机报告的机型字为“%1”（%2）；本程序只支持报告“TAVRIK”的对讲机。")
                          .arg(ModelWordText(modelWord), hexBytes(modelWord))};
    if (record.kind == OpKind::Write || record.kind == OpKind::MulWrite) {
        parts << writeOutcome(record, language);
    }
    d.informative = parts.join(QStringLiteral("\n\n"));
    d.detailed = recordDetails(record, language);
    return d;
}

} // namespace tavrik
