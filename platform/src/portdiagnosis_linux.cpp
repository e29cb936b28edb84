#include "portdiagnosis.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace tavrik::platform::detail {
namespace {

using Reason = OpenFailure::Reason;

// The folders where QSerialPort looks for its lock file, in its order. UUCP-style
// programs (minicom, for one) lock in /var/lock too.
constexpr std::array<const char*, 8> kLockFolders{
    "/var/lock", "/etc/locks", "/var/spool/locks",  "/var/spool/uucp",
    "/tmp",      "/var/tmp",   "/var/lock/lockdev", "/run/lock",
};

// The kernel keeps this many characters of a program's name in /proc/<pid>/comm.
constexpr int kCommLength = 15;

/// The name of a group or user entry, found by its number with a growing buffer.
template <typename Entry, typename Id, typename Lookup, typename Name>
QString accountName(Id id, Lookup lookup, Name name) {
    std::vector<char> buffer(1024);
    Entry entry{};
    Entry* found = nullptr;
    int result = 0;
    while ((result = lookup(id, &entry, buffer.data(), buffer.size(), &found)) == ERANGE &&
           buffer.size() < (1u << 20)) {
        buffer.resize(buffer.size() * 4);
    }
    if (result != 0 || found == nullptr) {
        return QString::number(id);
    }
    return QString::fromLocal8Bit(name(*found));
}

QString groupName(gid_t gid) {
    return accountName<group>(gid, ::getgrgid_r, [](const group& g) { return g.gr_name; });
}

QString userName(uid_t uid) {
    return accountName<passwd>(uid, ::getpwuid_r, [](const passwd& p) { return p.pw_name; });
}

QStringList groupNames(const std::vector<gid_t>& gids) {
    QStringList names;
    for (const gid_t gid : gids) {
        const QString name = groupName(gid);
        if (!names.contains(name)) {
            names.append(name);
        }
    }
    return names;
}

/// The groups the group database lists the user in, their login group first.
QStringList databaseGroups(uid_t uid) {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
        return {};
    }
    // Too small a list makes the call fail and say how many there are.
    std::vector<gid_t> gids(32);
    int count = static_cast<int>(gids.size());
    while (::getgrouplist(found->pw_name, found->pw_gid, gids.data(), &count) < 0) {
        if (count <= static_cast<int>(gids.size())) {
            return {};
        }
        gids.resize(static_cast<std::size_t>(count));
    }
    gids.resize(static_cast<std::size_t>(count));
    return groupNames(gids);
}

/// The groups this process runs with: its own group, then the supplementary ones.
QStringList sessionGroups() {
    std::vector<gid_t> gids{::getegid()};
    const int count = ::getgroups(0, nullptr);
    if (count > 0) {
        gids.resize(1 + static_cast<std::size_t>(count));
        gids.resize(1 + static_cast<std::size_t>(std::max(0, ::getgroups(count, &gids[1]))));
    }
    return groupNames(gids);
}

/// The device node's owner, group and permissions, and the user's groups.
void describeNode(OpenFailure& failure, const struct stat& node) {
    failure.owner = userName(node.st_uid);
    failure.group = groupName(node.st_gid);
    failure.permissions = static_cast<unsigned>(node.st_mode & 07777);
    failure.user = userName(::geteuid());
    failure.userGroups = databaseGroups(::geteuid());
    failure.sessionGroups = sessionGroups();
}

OpenFailure noPermission(OpenFailure failure, const struct stat& node, int error) {
    failure.reason = Reason::NoPermission;
    failure.systemText = qt_error_string(error);
    failure.groupMayOpen = (node.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    return failure;
}

bool isRunning(pid_t pid) {
    // EPERM: it runs, under another user.
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

/// The lock file names for a device: its path below /dev/ with slashes turned into
/// underscores ("LCK..ttyUSB0", "LCK..pts_3"), for the path as given and for the
/// device it leads to, since an alias and its device lock under different names.
QStringList lockFileNames(const QString& device, const QString& canonical) {
    QStringList names;
    for (const QString& path : {device, canonical}) {
        if (path.isEmpty()) {
            continue;
        }
        QString name = path.startsWith(QLatin1String("/dev/")) ? path.mid(5) : path;
        name.replace(QLatin1Char('/'), QLatin1Char('_'));
        name.prepend(QLatin1String("LCK.."));
        if (!names.contains(name)) {
            names.append(name);
        }
    }
    return names;
}

/// The process named in a lock file: the first number of its first line, as both
/// QLockFile ("<pid>\n<program>\n<host>...") and UUCP text locks ("      1234\n") write it.
pid_t lockOwner(const QString& lockPath) {
    QFile file(lockPath);
    if (!file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray firstLine = file.readLine(64).trimmed();
    bool ok = false;
    const qint64 pid = firstLine.split(' ').value(0).toLongLong(&ok);
    return ok && pid > 0 && pid <= INT_MAX ? static_cast<pid_t>(pid) : 0;
}

/// Where QSerialPort keeps the lock file of that name: in the first of its folders that
/// can be read and that holds the file already or can be written.
QString lockFilePath(const QString& name) {
    for (const char* folder : kLockFolders) {
        const QFileInfo info(QString::fromLatin1(folder));
        const QString path = info.filePath() + QLatin1Char('/') + name;
        if (info.isReadable() && (QFile::exists(path) || info.isWritable())) {
            return path;
        }
    }
    return {};
}

/// The processes that hold a lock file on the device and still run (this one included).
std::vector<pid_t> lockingProcesses(const QString& device, const QString& canonical) {
    std::vector<pid_t> pids;
    for (const QString& name : lockFileNames(device, canonical)) {
        const QString path = lockFilePath(name);
        const pid_t pid = path.isEmpty() ? 0 : lockOwner(path);
        if (pid != 0 && isRunning(pid)) {
            pids.push_back(pid);
        }
    }
    return pids;
}

/// Whether the process has the device open: one of its descriptors leads to a node of
/// the same device number. Processes of other users are not open to us and are skipped.
bool holdsDevice(const char* pidName, dev_t device) {
    const QByteArray folder = QByteArrayLiteral("/proc/") + pidName + QByteArrayLiteral("/fd");
    const int folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) {
        return false;
    }
    DIR* fds = ::fdopendir(folderFd);
    if (fds == nullptr) {
        ::close(folderFd);
        return false;
    }
    bool holds = false;
    while (!holds) {
        const dirent* entry = ::readdir(fds);
        if (entry == nullptr) {
            break;
        }
        // Look only where a device node can be, so that no descriptor of a hung
        // network file system is ever followed.
        char target[16];
        const ssize_t length = ::readlinkat(folderFd, entry->d_name, target, sizeof target);
        if (length < 5 || std::string_view(target, 5) != "/dev/") {
            continue;
        }
        struct stat node {};
        holds = ::fstatat(folderFd, entry->d_name, &node, 0) == 0 && S_ISCHR(node.st_mode) &&
                node.st_rdev == device;
    }
    ::closedir(fds);
    return holds;
}

/// The processes we may see that have the device open, from /proc.
std::vector<pid_t> processesHolding(dev_t device) {
    std::vector<pid_t> pids;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) {
        return pids;
    }
    while (const dirent* entry = ::readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || pid <= 0) {
            continue;
        }
        if (holdsDevice(entry->d_name, device)) {
            pids.push_back(static_cast<pid_t>(pid));
        }
    }
    ::closedir(proc);
    return pids;
}

/// A program's name as the system shows it: /proc/<pid>/comm, completed from its
/// command line when the kernel has cut it short.
QString programName(pid_t pid) {
    const QString base = QStringLiteral("/proc/%1/").arg(pid);
    QFile comm(base + QLatin1String("comm"));
    if (!comm.open(QIODevice::ReadOnly)) {
        return {};
    }
    QString name = QString::fromLocal8Bit(comm.readAll()).trimmed();
    if (name.size() == kCommLength) {
        QFile commandLine(base + QLatin1String("cmdline"));
        if (commandLine.open(QIODevice::ReadOnly)) {
            const QByteArray all = commandLine.read(4096);
            const QString program =
                QFileInfo(QString::fromLocal8Bit(all.left(all.indexOf('\0')))).fileName();
            if (program.startsWith(name)) {
                name = program;
            }
        }
    }
    return name;
}

OpenFailure busy(OpenFailure failure, std::vector<pid_t> pids, dev_t device) {
    failure.reason = Reason::Busy;
    const std::vector<pid_t> seen = processesHolding(device);
    pids.insert(pids.end(), seen.begin(), seen.end());
    std::sort(pids.begin(), pids.end());
    pids.erase(std::unique(pids.begin(), pids.end()), pids.end());
    const pid_t self = ::getpid();
    for (const pid_t pid : pids) {
        if (pid != self) {
            failure.holders.push_back({programName(pid), pid});
        }
    }
    return failure;
}

} // namespace

OpenFailure openFailureFor(const QString& device) {
    OpenFailure failure;
    failure.device = device;
    return failure;
}

OpenFailure diagnoseOpenFailure(const QString& device, const QString& qtErrorText) {
    OpenFailure failure = openFailureFor(device);
    failure.systemText = qtErrorText;
    const QByteArray path = QFile::encodeName(device);

    struct stat node {};
    if (::stat(path.constData(), &node) != 0) {
        const int error = errno;
        failure.reason = error == ENOENT || error == ENOTDIR ? Reason::Gone : Reason::Other;
        failure.systemText = qt_error_string(error);
        return failure;
    }
    describeNode(failure, node);
    // QSerialPort refuses a device whose lock file names a running process, and says
    // "permission error" for it. The device is not touched: its holder may be using it.
    const std::vector<pid_t> locking =
        lockingProcesses(device, QFileInfo(device).canonicalFilePath());
    if (!locking.empty()) {
        return busy(failure, locking, node.st_rdev);
    }
    // Nothing else tells: ask the kernel with an open that neither waits for the modem
    // lines, nor makes the device our terminal, nor takes exclusive use, closed at once.
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        // It opens: what failed was setting it up, and Qt's account is all there is.
        ::close(fd);
        return failure;
    }
    const int error = errno;
    failure.systemText = qt_error_string(error);
    switch (error) {
    case EBUSY: // another program has it in exclusive use (TIOCEXCL)
        return busy(failure, {}, node.st_rdev);
    case EACCES:
    case EPERM:
        return noPermission(failure, node, error);
    case ENOENT:
    case ENODEV:
    case ENXIO: // the node is left, but the adapter behind it is gone
        failure.reason = Reason::Gone;
        return failure;
    default:
        return failure;
    }
}

} // namespace tavrik::platform::detail
