#include "link/Diagnosis.h"

#include "Texts.h"
#include "link/Frames.h"
#include "link/LinkTypes.h"
#include "settings/ImageLayout.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace tavrik {
namespace {

using namespace texts;

QString memoryPart(int address, Language language) {
    struct Part {
        int from;
        const char* english;
        const char* chineseText;
    };
    static constexpr std::array<Part, 6> kParts{{
        {layout::kModelWord.address, "the radio type and band", "机型和频段"},
        {layout::kFlags.address, "the radio settings and password", "机器设置和编程密码"},
        {layout::kSerialNumber.address, "the factory information", "出厂信息"},
        {layout::kDealerCode.address, "the dealer information", "经销商信息"},
        {layout::kMaintainedDescription.address, "the maintenance description", "维修原因"},
        {layout::kMaintainedDescription.address + layout::kMaintainedDescription.length,
         "the last part of the memory", "存储区的最后一部分"},
    }};
    const Part* part = &kParts.front();
    for (const Part& p : kParts) {
        if (address >= p.from) {
            part = &p;
        }
    }
    return pick(language, part->english, part->chineseText);
}

// The step of the last request, for the box: "while writing the dealer information".
QString lastStep(const LineRecord& r, Language language) {
    return r.exchanges.empty() ? pick(language, "connecting to the radio", "连接对讲机")
                               : DescribeStep(r.exchanges.back().request, language);
}

// The same step for support, with its block address: "writing block 3B60 (3 of 7)".
QString lastStepForSupport(const LineRecord& r, Language language) {
    if (r.exchanges.empty()) {
        return pick(language, "(no request sent)", "（未发送请求）");
    }
    const Request& request = r.exchanges.back().request;
    switch (request.kind) {
    case Request::Kind::Handshake:
        return pick(language, "the first request (PROGRAM)", "第一个请求（PROGRAM）");
    case Request::Kind::End:
        return pick(language, "the end request (END)", "结束请求（END）");
    case Request::Kind::Read:
        return pick(language, "reading block %1", "读数据块 %1").arg(blockName(request.address));
    case Request::Kind::BlockWrite:
        break;
    }
    return pick(language, "writing block %1", "写数据块 %1").arg(blockName(request.address));
}

QString lineCause(const LineRecord& r, Language language) {
    const QString step = lastStep(r, language);
    switch (ClassifyLine(r)) {
    case LineCause::NothingCameBack:
        return pick(language,
                    "Nothing came back from the cable, not even the request it should return. "
                    "Most likely the programming cable is not connected to this port (the wrong "
                    "port is chosen), or the adapter is faulty.",
                    "写频线没有任何回应，连应返回的请求也没有。很可能写频线没有接在这个串口上"
                    "（选错了串口），或适配器有故障。");
    case LineCause::NoRadioAnswer:
        return pick(language,
                    "The cable returned the request, but the radio did not answer. Most likely "
                    "the radio is switched off, not connected to the cable, or not a radio this "
                    "program supports.",
                    "写频线返回了请求，但对讲机没有应答。很可能对讲机未开机、没有接到写频线上，"
                    "或不是本程序支持的机型。");
    case LineCause::NoEcho:
        return pick(language,
                    "Bytes came back, but never the request the cable should return. Most likely "
                    "the line is noisy or the adapter faulty, the cable is of the wrong kind (a "
                    "programming cable returns every request), or another device is connected "
                    "to this port.",
                    "串口上有数据返回，但始终不是写频线应返回的请求。很可能线路干扰严重、适配器有"
                    "故障、写频线类型不对（写频线会返回每个请求），或这个串口上接的是别的设备。");
    case LineCause::AnswerNotUnderstood:
        return pick(language,
                    "While %1, the radio answered, but the answer could not be understood. The "
                    "usual reasons are noise on the line, a faulty cable or another device on "
                    "the line. Try again.",
                    "在%1时，对讲机有应答，但应答无法识别。常见原因是线路干扰、写频线故障，"
                    "或线路上接有其他设备。请重试。")
            .arg(step);
    case LineCause::FellSilent:
        return pick(language,
                    "The radio answered at first, then stopped answering while %1. Most likely "
                    "the cable was pulled or the radio was switched off.",
                    "对讲机起初有应答，在%1时停止应答。很可能写频线被拔出，或对讲机已关机。")
            .arg(step);
    case LineCause::Refused:
        return pick(language,
                    "While %1, the radio refused the request three times in a row. Switch the "
                    "radio off and on, and try again.",
                    "在%1时，对讲机连续三次拒绝了请求。请将对讲机关机再开机后重试。")
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
                    "The port was lost while %1: most likely the adapter was unplugged, or the "
                    "device %2 stopped working. Plug it in again and choose its port under Com "
                    "Port.",
                    "在%1时串口丢失：很可能适配器被拔出，或设备 %2 停止工作。请重新插上，"
                    "并在“串口选择”中选择它的串口。")
            .arg(step, r.device);
    }
    return {};
}

// Where a multi-write's series stands: the radios written completely before the one in
// hand, so the dealer knows which to set aside.
QString seriesState(const LineRecord& r, Language language) {
    const int done = std::max(r.radioNumber - 1, 0);
    if (done == 0) {
        return pick(language,
                    "No radio of this series was written completely before the one in hand "
                    "(radio 1).",
                    "当前：第 1 台。本批在它之前尚无写完的对讲机。");
    }
    if (done == 1) {
        return pick(language,
                    "1 radio of this series was written completely before the one in hand "
                    "(radio 2): radio 1 is done.",
                    "当前：第 2 台。本批在它之前已完整写入 1 台：第 1 台已完成。");
    }
    if (done == 2) {
        return pick(language,
                    "2 radios of this series were written completely before the one in hand "
                    "(radio 3): radios 1 and 2 are done.",
                    "当前：第 3 台。本批在它之前已完整写入 2 台：第 1、2 台已完成。");
    }
    return pick(language,
                "%1 radios of this series were written completely before the one in hand "
                "(radio %2): radios 1 to %1 are done.",
                "当前：第 %2 台。本批在它之前已完整写入 %1 台：第 1 至 %1 台已完成。")
        .arg(done)
        .arg(done + 1);
}

// What a failed write left in the radio.
QString writeOutcome(const LineRecord& r, Language language) {
    if (r.kind != OpKind::Write && r.kind != OpKind::MulWrite) {
        return {};
    }
    const QString radio = r.kind == OpKind::MulWrite
                              ? pick(language, "The radio in hand", "当前这台对讲机")
                              : pick(language, "The radio", "对讲机");
    const auto blocks = static_cast<int>(layout::kWriteBlocks.size());
    if (r.blockWritesSent == 0) {
        return pick(language, "%1 was not written to: its settings are unchanged.",
                    "%1未被写入：其设置没有改变。")
            .arg(radio);
    }
    if (r.blocksAccepted == 0) {
        return pick(language,
                    "%1 did not confirm the part being written, but may already hold it: it "
                    "must be written again before it is used.",
                    "%1没有确认正在写入的部分，但可能已经存入：使用前必须重新写入。")
            .arg(radio);
    }
    if (r.blocksAccepted >= blocks && r.endAnswerNotUnderstood) {
        return pick(language,
                    "%1 accepted every block, but its answer to the end of the write could not "
                    "be understood, so it may still be in programming mode. Switch it off and "
                    "on, Read it to check, and write it again if anything differs.",
                    "%1已接受全部数据块，但对写入结束的应答无法识别，可能仍处于编程模式。请将它"
                    "关机再开机，读出检查，如有不同请重新写入。")
            .arg(radio);
    }
    if (r.blocksAccepted >= blocks) {
        return pick(language,
                    "%1 accepted every block, but did not confirm the end of the write, so it "
                    "may still be in programming mode. Switch it off and on, Read it to check, "
                    "and write it again if anything differs.",
                    "%1已接受全部数据块，但没有确认写入结束，可能仍处于编程模式。请将它关机"
                    "再开机，读出检查，如有不同请重新写入。")
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

// The details a dealer can copy for support: the program's version, the port, the
// time, the last step with its block, and the last requests with what came back, in
// hexadecimal, timed from the start of the operation.
QStringList recordDetails(const LineRecord& r, Language language) {
    QStringList lines;
    lines << QStringLiteral("VEL_TAVRIK_DovI %1, %2, %3")
                 .arg(QStringLiteral(TAVRIK_VERSION), operationName(r.kind, language),
                      timeText(r.startedAt));
    lines << portLine(r.portNumber, r.device, language);
    if (r.kind == OpKind::MulWrite) {
        lines << pick(language, "Radio in hand: %1", "当前：第 %1 台").arg(r.radioNumber);
    }
    if (r.kind == OpKind::Write || r.kind == OpKind::MulWrite) {
        lines << pick(language, "Block writes sent: %1, accepted: %2 of 7, end confirmed: %3",
                      "已发送数据块：%1，已接受：%2 / 7，结束已确认：%3")
                     .arg(r.blockWritesSent)
                     .arg(r.blocksAccepted)
                     .arg(r.endAcknowledged ? pick(language, "yes", "是")
                                            : pick(language, "no", "否"));
    }
    lines << pick(language, "Last step: %1", "最后一步：%1").arg(lastStepForSupport(r, language));
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
                       e.bytes);
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
    return lines;
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
    if (r.answerNotUnderstood) {
        return LineCause::AnswerNotUnderstood;
    }
    if (r.radioAnswered) {
        return LineCause::FellSilent;
    }
    if (r.echoSeen) {
        return LineCause::NoRadioAnswer;
    }
    return r.anyBytes ? LineCause::NoEcho : LineCause::NothingCameBack;
}

QString DescribeStep(const Request& request, Language language) {
    switch (request.kind) {
    case Request::Kind::Handshake:
        return pick(language, "connecting to the radio", "连接对讲机");
    case Request::Kind::End:
        return pick(language, "ending the programming", "结束编程");
    case Request::Kind::Read:
        return pick(language, "reading %1", "读取%1").arg(memoryPart(request.address, language));
    case Request::Kind::BlockWrite:
        break;
    }
    // "(block 3 of 7)", in the order a write sends its blocks.
    const auto& blocks = layout::kWriteBlocks;
    const auto n = std::find(blocks.begin(), blocks.end(), request.address) - blocks.begin();
    return pick(language, "writing %1 (block %2 of %3)", "写入%1（第 %2 块，共 %3 块）")
        .arg(memoryPart(request.address, language))
        .arg(n + 1)
        .arg(blocks.size());
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

platform::MessageDetails ExplainLineFailure(const LineRecord& record, Language language) {
    QStringList parts;
    if (record.kind == OpKind::MulWrite) {
        parts << seriesState(record, language);
    }
    parts << lineCause(record, language);
    if (ClassifyLine(record) != LineCause::NoNextRadio) {
        const QString outcome = writeOutcome(record, language);
        if (!outcome.isEmpty()) {
            parts << outcome;
        }
    }
    return {parts.join(QStringLiteral("\n\n")),
            recordDetails(record, language).join(QLatin1Char('\n'))};
}

platform::MessageDetails ExplainModelError(const LineRecord& record, const QByteArray& modelWord,
                                           Language language) {
    QStringList parts;
    if (record.kind == OpKind::MulWrite) {
        parts << seriesState(record, language);
    }
    parts << pick(language,
                  "The radio reports its model as \"%1\"; this program works only with radios "
                  "that report \"TAVRIK\". Check that the radio in hand is a TAVRIK.",
                  "对讲机报告的机型标识为“%1”；本程序只支持机型标识为“TAVRIK”的对讲机。"
                  "请确认当前这台对讲机是 TAVRIK。")
                 .arg(ModelWordText(modelWord));
    const QString outcome = writeOutcome(record, language);
    if (!outcome.isEmpty()) {
        parts << outcome;
    }
    QStringList details = recordDetails(record, language);
    details.insert(1, pick(language, "Model identification: %1 (%2)", "机型标识：%1（%2）")
                          .arg(ModelWordText(modelWord), hexBytes(modelWord)));
    return {parts.join(QStringLiteral("\n\n")), details.join(QLatin1Char('\n'))};
}

} // namespace tavrik
