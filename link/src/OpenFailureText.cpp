#include "link/Diagnosis.h"

#include "Texts.h"

#include <QStringList>

#include <algorithm>
#include <array>

// Why a port would not open, and what to do about it, in the window's language.

namespace tavrik {
namespace {

using namespace texts;

// What the system said of a failure, or that it said nothing.
QString systemWords(const platform::OpenFailure& f, Language language) {
    return f.systemText.isEmpty() ? pick(language, "no reason given", "未给出原因") : f.systemText;
}

QString holdersText(const std::vector<platform::OpenFailure::Holder>& holders, Language language) {
    QStringList names;
    for (const platform::OpenFailure::Holder& h : holders) {
        names << pick(language, "%1 (process %2)", "%1（进程 %2）").arg(h.program).arg(h.pid);
    }
    return names.join(pick(language, ", ", "、"));
}

// The groups that give serial ports and nothing more: the only ones a user is ever
// told to join.
bool serialPortGroup(const QString& group) {
    return group == QLatin1String("dialout") || group == QLatin1String("uucp");
}

// A udev rule's device pattern for the device's kind: "ttyUSB[0-9]*" for /dev/ttyUSB0.
QString devicePattern(const QString& device) {
    QString name = device.section(QLatin1Char('/'), -1);
    if (!name.startsWith(QLatin1String("tty"))) {
        return QStringLiteral("ttyUSB[0-9]*");
    }
    while (!name.isEmpty() && name.back().isDigit()) {
        name.chop(1);
    }
    return name + QStringLiteral("[0-9]*");
}

// A user who may not open the device. Only the serial-port groups are ever to be
// joined; a device of any other group, or one that only its owner may open, is given
// to "dialout" by a udev rule instead.
QString permissionCause(const platform::OpenFailure& f, Language language) {
    const QString group = f.group.isEmpty() ? QStringLiteral("dialout") : f.group;
    const QString user = f.user.isEmpty() ? QStringLiteral("$USER") : f.user;
    if (serialPortGroup(group) && f.groupMayOpen && f.sessionGroups.contains(group)) {
        // The group would let us in: something other than the file's permissions refuses.
        return pick(language,
                    "You (user %2) may not open %1, although it belongs to the group \"%3\" "
                    "and this session has that group. Something else refuses it, probably "
                    "the system's security rules. The system reported: %4",
                    "当前用户 %2 无权打开 %1，尽管该设备属于用户组“%3”且本次登录已有该组。"
                    "拒绝来自其他原因，可能是系统的安全规则。系统报告：%4")
            .arg(f.device, user, group, f.systemText);
    }
    if (serialPortGroup(group) && f.groupMayOpen) {
        if (f.userGroups.contains(group)) {
            return pick(language,
                        "You (user %2) may not open %1 yet. The device belongs to the group "
                        "\"%3\", and the user is already in it, but this session started "
                        "before the user joined, so the group does not count yet. Log out and "
                        "back in (or restart the computer), then try again.",
                        "当前用户 %2 暂时无权打开 %1。该设备属于用户组“%3”，用户已在该组中，"
                        "但本次登录早于加入该组，所以它还没有生效。请注销后重新登录"
                        "（或重新启动电脑），然后重试。")
                .arg(f.device, user, group);
        }
        return pick(language,
                    "You (user %2) may not open %1: the device belongs to the serial-port group "
                    "\"%3\", and the user is not in it. Add the user to the group with\n"
                    "    sudo usermod -aG %3 %2\n"
                    "then log out and back in: the new group counts only from the next login.",
                    "当前用户 %2 无权打开 %1：该设备属于串口用户组“%3”，而该用户不在组中。"
                    "请用以下命令把用户加入该组：\n"
                    "    sudo usermod -aG %3 %2\n"
                    "然后注销并重新登录：新的用户组要在下次登录后才生效。")
            .arg(f.device, user, group);
    }
    const QString why =
        f.groupMayOpen
            ? pick(language,
                   "You (user %2) may not open %1. It belongs to the group \"%3\", which is "
                   "not a serial-port group and may give far more than serial ports, so do "
                   "not join it: the device should belong to the serial-port group "
                   "\"dialout\" instead.",
                   "当前用户 %2 无权打开 %1。该设备属于用户组“%3”，它不是串口用户组，"
                   "可能带来远超串口的权限，所以不要加入它；应当把该设备交给串口用户组"
                   "“dialout”。")
                  .arg(f.device, user, group)
            : pick(language,
                   "You (user %2) may not open %1: only its owner may open it, so joining a "
                   "group does not help. The device should belong to the serial-port group "
                   "\"dialout\" instead.",
                   "当前用户 %2 无权打开 %1：只有它的所有者能打开，加入用户组也无济于事。"
                   "应当把该设备交给串口用户组“dialout”。")
                  .arg(f.device, user);
    const QString rule =
        pick(language,
             "Whoever looks after this computer can do that with a udev rule. Open the rules "
             "file with\n"
             "    sudoedit /etc/udev/rules.d/70-serial-ports.rules\n"
             "add this line to it, and save it:\n"
             "    KERNEL==\"%1\", GROUP=\"dialout\", MODE=\"0660\"\n",
             "这台电脑的管理员可以用 udev 规则做到这一点。用以下命令打开规则文件：\n"
             "    sudoedit /etc/udev/rules.d/70-serial-ports.rules\n"
             "在其中加入下面这一行并保存：\n"
             "    KERNEL==\"%1\", GROUP=\"dialout\", MODE=\"0660\"\n")
            .arg(devicePattern(f.device));
    const QString then = f.userGroups.contains(QLatin1String("dialout"))
                             ? pick(language, "Then restart the computer.", "然后重新启动电脑。")
                             : pick(language,
                                    "Then add the user to that group with\n"
                                    "    sudo usermod -aG dialout %1\n"
                                    "and restart the computer.",
                                    "然后用以下命令把用户加入该组：\n"
                                    "    sudo usermod -aG dialout %1\n"
                                    "再重新启动电脑。")
                                   .arg(user);
    return why + pick(language, " ", "") + rule + then;
}

QString busyCause(const platform::OpenFailure& f, Language language) {
    if (f.holders.size() > 1) {
        return pick(language, "%1 is in use by %2. Close those programs and try again.",
                    "%1 正被 %2占用。请关闭这些程序后重试。")
            .arg(f.device, holdersText(f.holders, language));
    }
    if (!f.holders.empty()) {
        return pick(language, "%1 is in use by %2. Close that program and try again.",
                    "%1 正被 %2占用。请关闭该程序后重试。")
            .arg(f.device, holdersText(f.holders, language));
    }
    // A daemon of another user is invisible in /proc: name the usual ones, as likely.
    return pick(language,
                "Another program is using %1, probably a program running as another user, "
                "such as ModemManager or brltty, which take over USB serial adapters on many "
                "systems. Close the program that uses the port and try again. If it is one of "
                "those two and you do not need it, stop it with\n"
                "    sudo systemctl stop ModemManager\n"
                "or remove it with\n"
                "    sudo apt remove brltty",
                "另一个程序正在使用 %1，可能是以其他用户身份运行的程序，例如 ModemManager "
                "或 brltty，它们在许多系统上会占用 USB 串口适配器。请关闭占用该串口的程序后"
                "重试。如果是这两个之一且用不到它，可以用以下命令停止它：\n"
                "    sudo systemctl stop ModemManager\n"
                "或用以下命令卸载它：\n"
                "    sudo apt remove brltty")
        .arg(f.device);
}

// Windows: the port is its COM name, a port is never shared, and no Unix command
// applies.
QString windowsCause(const platform::OpenFailure& f, int portNumber, Language language) {
    using Reason = platform::OpenFailure::Reason;
    const QString port = QStringLiteral("COM%1").arg(portNumber);
    switch (f.reason) {
    case Reason::NoDevice:
        return pick(language,
                    "Windows lists no %1 any more: its adapter was probably unplugged. Plug "
                    "in the programming cable, or choose its port under Com Port (Device "
                    "Manager shows which COM number the cable has).",
                    "Windows 中已没有 %1：它的适配器可能已被拔出。请插上写频线，或在"
                    "“串口选择”中选择它的串口（设备管理器中可看到写频线的 COM 编号）。")
            .arg(port);
    case Reason::NoPermission:
    case Reason::Busy:
        return pick(language,
                    "%1 is in use by another program: Windows lets only one program at a "
                    "time use a serial port. Close the other program (another programming "
                    "tool, a terminal program, or a modem or phone tool) and try again.",
                    "%1 正被另一个程序占用：Windows 同一时间只允许一个程序使用串口。"
                    "请关闭另一个程序（其他写频软件、终端程序或调制解调器、手机工具）后重试。")
            .arg(port);
    case Reason::Gone:
        return pick(language,
                    "%1 no longer exists: its adapter was probably unplugged. Plug it in "
                    "again and choose its port under Com Port (it may come back under another "
                    "number).",
                    "%1 已不存在：它的适配器可能已被拔出。请重新插上，并在“串口选择”中选择它的"
                    "串口（它可能以另一个编号出现）。")
            .arg(port);
    case Reason::Other:
        break;
    }
    return pick(language,
                "Windows reported: %1\nCheck that this is the programming cable's port "
                "(Device Manager shows which COM number the cable has) and try again.",
                "Windows 报告：%1\n请确认这是写频线的串口（设备管理器中可看到写频线的 COM "
                "编号），然后重试。")
        .arg(systemWords(f, language));
}

QString openCause(const platform::OpenFailure& f, int portNumber, Language language) {
    using Reason = platform::OpenFailure::Reason;
    if (f.reason == Reason::NoDevice && portNumber <= 0) {
        return pick(language,
                    "No serial port was found, so none is chosen. Plug in the programming "
                    "cable; its port appears under Com Port within a second.",
                    "没有找到串口，因此未选择串口。请插上写频线，一秒内它的串口会出现在"
                    "“串口选择”列表中。");
    }
    if (f.onWindows) {
        return windowsCause(f, portNumber, language);
    }
    switch (f.reason) {
    case Reason::NoDevice:
        return pick(language,
                    "No device is listed as COM%1 any more: its adapter was probably "
                    "unplugged. Plug in the programming cable, or choose its port under Com "
                    "Port (hold the mouse over an entry to see its device).",
                    "COM%1 已不对应任何设备：它的适配器可能已被拔出。请插上写频线，或在"
                    "“串口选择”中选择它的串口（鼠标停在条目上可看到对应的设备）。")
            .arg(portNumber);
    case Reason::NoPermission:
        return permissionCause(f, language);
    case Reason::Busy:
        return busyCause(f, language);
    case Reason::Gone:
        return pick(language,
                    "The device %1 no longer exists: the adapter was probably unplugged. Plug "
                    "it in again and choose its port under Com Port (it may come back under "
                    "another number).",
                    "设备 %1 已不存在：适配器可能已被拔出。请重新插上，并在“串口选择”中选择它的"
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
        .arg(systemWords(f, language));
}

// The part of the memory a block belongs to, in the words of the window.
} // namespace

platform::MessageDetails ExplainOpenFailure(const platform::OpenFailure& failure, int portNumber,
                                            const QDateTime& when, Language language) {
    platform::MessageDetails d;
    // A Windows port's device is its COM name again.
    const QString port =
        portLine(portNumber, failure.onWindows ? QString() : failure.device, language);
    d.informative = port + QLatin1Char('\n') + openCause(failure, portNumber, language);
    QStringList lines{QStringLiteral("VEL_TAVRIK_DovI %1, %2")
                          .arg(QStringLiteral(TAVRIK_VERSION), timeText(when)),
                      port};
    if (!failure.systemText.isEmpty()) {
        lines << pick(language, "System: %1", "系统：%1").arg(failure.systemText);
    }
    if (!failure.holders.empty()) {
        lines << pick(language, "Held by: %1", "占用者：%1")
                     .arg(holdersText(failure.holders, language));
    }
    // The device and the user as the system reports them: owner, group and mode, and the
    // groups that the database and this session give the user.
    if (failure.permissions) {
        const unsigned mode = *failure.permissions;
        QString bits;
        for (int i = 8; i >= 0; --i) {
            bits += (mode >> i & 1U) != 0 ? QLatin1Char("xwr"[i % 3]) : QLatin1Char('-');
        }
        lines << pick(language, "Device: owner %1, group %2, mode %3 (%4)",
                      "设备：所有者 %1，用户组 %2，权限 %3（%4）")
                     .arg(failure.owner, failure.group)
                     .arg(mode, 4, 8, QLatin1Char('0'))
                     .arg(bits);
    }
    if (!failure.user.isEmpty()) {
        const auto names = [](const QStringList& groups) {
            return groups.isEmpty() ? QStringLiteral("-") : groups.join(QLatin1Char(' '));
        };
        lines << pick(language, "User: %1", "用户：%1").arg(failure.user)
              << pick(language, "Groups in the group database: %1", "组数据库中的用户组：%1")
                     .arg(names(failure.userGroups))
              << pick(language, "Groups of this session: %1", "本次登录的用户组：%1")
                     .arg(names(failure.sessionGroups));
    }
    d.detailed = lines.join(QLatin1Char('\n'));
    return d;
}

} // namespace tavrik
