#include "platform/LinuxSerialPortMap.h"
#include "platform/SystemSerialPortMap.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tavrik::platform {
namespace {

struct DeviceFamily {
    QStringView prefix;
    int firstNumber;
    int count;
};

// Keep in step with the table in LinuxSerialPortMap.h and the README.
constexpr std::array<DeviceFamily, 5> kFamilies{{
    {u"ttyS", 1, 99},
    {u"ttyUSB", 100, 100},
    {u"ttyACM", 200, 100},
    {u"ttyAMA", 300, 100},
    {u"rfcomm", 400, 100},
}};

// Devices without a number of their own are numbered by name from the first number no
// family uses up to LinuxSerialPortMap::kMaxPortNumber.
constexpr int kFirstNumberByName = kFamilies.back().firstNumber + kFamilies.back().count;
constexpr int kNumbersByName = LinuxSerialPortMap::kMaxPortNumber - kFirstNumberByName + 1;

/// Plain decimal text of at most `maxDigits` digits without leading zeros ("0" itself
/// allowed); empty otherwise.
std::optional<int> plainNumber(QStringView text, int maxDigits) {
    if (text.isEmpty() || text.size() > maxDigits || (text.size() > 1 && text.front() == u'0')) {
        return std::nullopt;
    }
    int value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

/// The alias number of a file name "COM<n>", n from 1 to 999.
std::optional<int> aliasNumber(const char* fileName) {
    if (std::strncmp(fileName, "COM", 3) != 0) {
        return std::nullopt;
    }
    const char* digits = fileName + 3;
    const std::size_t length = std::strlen(digits);
    if (length < 1 || length > 3 || digits[0] < '1' || digits[0] > '9') {
        return std::nullopt;
    }
    int value = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (digits[i] < '0' || digits[i] > '9') {
            return std::nullopt;
        }
        value = value * 10 + (digits[i] - '0');
    }
    return value;
}

/// The names in a folder, one after another in the folder's own order; empty optional
/// when the folder cannot be read.
std::optional<std::string> folderListing(const char* folder) {
    DIR* dir = ::opendir(folder);
    if (dir == nullptr) {
        return std::nullopt;
    }
    std::string listing;
    while (const dirent* e = ::readdir(dir)) {
        listing.append(e->d_name);
        listing.push_back('/');
    }
    ::closedir(dir);
    return listing;
}

/// The device number of a character device, following links; empty for anything else.
std::optional<dev_t> characterDevice(int folder, const char* path) {
    struct stat st {};
    if (::fstatat(folder, path, &st, 0) != 0 || !S_ISCHR(st.st_mode)) {
        return std::nullopt;
    }
    return st.st_rdev;
}

/// The path with every symbolic link resolved; empty when it leads nowhere.
QString resolvedPath(const QByteArray& path) {
    char* resolved = ::realpath(path.constData(), nullptr);
    if (resolved == nullptr) {
        return {};
    }
    QString result = QFile::decodeName(resolved);
    std::free(resolved);
    return result;
}

/// The device that alias `name` in `folder` points at: the link's own target when it
/// is absolute (one call, the usual case), else the path resolved in full.
QString aliasTarget(int folderFd, const QByteArray& folder, const char* name) {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlinkat(folderFd, name, buffer, sizeof buffer);
    if (length > 0 && length < static_cast<ssize_t>(sizeof buffer) && buffer[0] == '/') {
        return QFile::decodeName(QByteArray(buffer, static_cast<qsizetype>(length)));
    }
    return resolvedPath(folder + '/' + name);
}

struct NumberedPort {
    int number;
    QString device;
};

/// Adds the aliases of the folder to `aliases`, in no particular order, except those
/// whose numbers `taken` holds already; `taken` and `devices` get each one's number and
/// device number.
void readAliases(const QByteArray& folder, std::vector<NumberedPort>& aliases, std::set<int>& taken,
                 std::set<dev_t>& devices) {
    DIR* dir = ::opendir(folder.constData());
    if (dir == nullptr) {
        return;
    }
    const int fd = ::dirfd(dir);
    while (const dirent* e = ::readdir(dir)) {
        const auto n = aliasNumber(e->d_name);
        if (!n || taken.count(*n) != 0) {
            continue;
        }
        const auto device = characterDevice(fd, e->d_name);
        if (!device) {
            continue; // dangling, or not a device
        }
        QString target = aliasTarget(fd, folder, e->d_name);
        if (target.isEmpty()) {
            continue; // gone meanwhile
        }
        taken.insert(*n);
        devices.insert(*device);
        aliases.push_back({*n, std::move(target)});
    }
    ::closedir(dir);
}

/// The name of the driver bound to the device behind tty `name`; empty when none is.
std::string driverOf(int classFolder, const char* name) {
    char buffer[PATH_MAX];
    const std::string link = std::string(name) + "/device/driver";
    const ssize_t length = ::readlinkat(classFolder, link.c_str(), buffer, sizeof buffer);
    if (length <= 0 || length >= static_cast<ssize_t>(sizeof buffer)) {
        return {};
    }
    const std::string target(buffer, static_cast<std::size_t>(length));
    return target.substr(target.rfind('/') + 1);
}

/// A port of the serial core's 8250 family: "ttyS" and a number.
bool isTtyS(QStringView name) {
    if (!name.startsWith(u"ttyS") || name.size() == 4) {
        return false;
    }
    return std::all_of(name.begin() + 4, name.end(),
                       [](QChar c) { return c >= u'0' && c <= u'9'; });
}

/// Whether an 8250-style port really has a UART behind it: the driver makes a node
/// for every port it may have, and says which ones are real when asked.
bool isRealUart(const QString& devicePath) {
    const int fd = ::open(QFile::encodeName(devicePath).constData(),
                          O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    serial_struct info{};
    const bool real = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    ::close(fd);
    return real;
}

/// A serial node that has no device behind it: a Bluetooth link (rfcomm0 .. rfcomm255),
/// a null-modem pair (tnt*) or a USB gadget's port (ttyGS*).
bool isVirtualSerial(QStringView name) {
    if (name.startsWith(u"rfcomm")) {
        bool isNumber = false;
        const int index = name.mid(6).toInt(&isNumber);
        return isNumber && index >= 0 && index <= 255;
    }
    return name.startsWith(u"tnt") || name.startsWith(u"ttyGS");
}

} // namespace

QStringList serialDevicesInSysfs(const QString& ttyClassFolder, const QString& deviceFolder) {
    QStringList devices;
    DIR* dir = ::opendir(QFile::encodeName(ttyClassFolder).constData());
    if (dir == nullptr) {
        return devices;
    }
    const int fd = ::dirfd(dir);
    while (const dirent* e = ::readdir(dir)) {
        const QString name = QFile::decodeName(e->d_name);
        if (name.startsWith(u'.')) {
            continue;
        }
        // A name with "!" stands for a node in a subfolder of /dev.
        const QString path = deviceFolder + u'/' + QString(name).replace(u'!', u'/');
        struct stat st {};
        const std::string device = std::string(e->d_name) + "/device";
        if (::fstatat(fd, device.c_str(), &st, 0) == 0) {
            // From kernel 6.5 on a ttyS port's device is the serial core's "port", not
            // the 8250 driver: every ttyS port is asked, whatever its driver.
            if ((isTtyS(name) || driverOf(fd, e->d_name) == "serial8250") && !isRealUart(path)) {
                continue;
            }
        } else if (!isVirtualSerial(name)) {
            continue; // a console, a terminal: no serial port
        }
        devices.append(path);
    }
    ::closedir(dir);
    devices.sort();
    return devices;
}

SerialDeviceLister systemSerialDevices() {
    struct Cache {
        std::optional<std::string> ttys;
        QStringList devices;
        int sameAnswers = 0;
    };
    // A new device shows in sysfs a moment before udev has it ready, so after a change
    // the list is asked for again until it has given the same answer this often.
    constexpr int kSettled = 3;
    auto cache = std::make_shared<Cache>();
    return [cache]() -> QStringList {
        auto ttys = folderListing("/sys/class/tty");
        // Without sysfs there is nothing to tell a change by: ask every time.
        const bool changed = !ttys || ttys != cache->ttys;
        if (!changed && cache->sameAnswers >= kSettled) {
            return cache->devices;
        }
        QStringList devices = serialDevicesInSysfs();
        cache->sameAnswers = !changed && devices == cache->devices ? cache->sameAnswers + 1 : 1;
        cache->ttys = std::move(ttys);
        cache->devices = devices;
        return devices;
    };
}

std::optional<int> comNumberForDevice(QStringView devicePath) {
    const QStringView name = devicePath.mid(devicePath.lastIndexOf(u'/') + 1);
    for (const DeviceFamily& family : kFamilies) {
        if (!name.startsWith(family.prefix)) {
            continue;
        }
        const auto index = plainNumber(name.mid(family.prefix.size()), 2);
        if (index && *index < family.count) {
            return family.firstNumber + *index;
        }
    }
    return std::nullopt;
}

int comNumberByName(QStringView devicePath) {
    const QStringView name = devicePath.mid(devicePath.lastIndexOf(u'/') + 1);
    int h = 0;
    for (const QChar c : name) {
        h = (h * 31 + c.unicode()) % kNumbersByName;
    }
    return kFirstNumberByName + h;
}

LinuxSerialPortMap::LinuxSerialPortMap(QStringList aliasFolders, SerialDeviceLister devices)
    : m_aliasFolders(std::move(aliasFolders)), m_devices(std::move(devices)) {}

std::optional<std::vector<PortMapEntry>> LinuxSerialPortMap::entries() const {
    // Devices are told apart by their device numbers, whatever the path to them.
    std::set<dev_t> aliased;
    std::set<int> taken;
    std::vector<NumberedPort> aliases;
    // A number named in an earlier folder is not taken again from a later one.
    for (const QString& folder : m_aliasFolders) {
        readAliases(QFile::encodeName(folder), aliases, taken, aliased);
    }
    std::sort(aliases.begin(), aliases.end(),
              [](const NumberedPort& a, const NumberedPort& b) { return a.number < b.number; });

    std::vector<NumberedPort> devices;
    QStringList byName;
    const QStringList paths = m_devices ? m_devices() : QStringList{};
    for (const QString& path : paths) {
        const auto device = characterDevice(AT_FDCWD, QFile::encodeName(path).constData());
        if (device && aliased.count(*device) != 0) {
            continue;
        }
        const auto n = comNumberForDevice(path);
        if (n && taken.insert(*n).second) {
            devices.push_back({*n, path});
        } else {
            byName.append(path);
        }
    }
    // In name order, so that of two devices whose names give the same number the same
    // one keeps it whatever order the system lists them in.
    std::sort(byName.begin(), byName.end(), [](const QString& a, const QString& b) {
        return a.mid(a.lastIndexOf(u'/') + 1) < b.mid(b.lastIndexOf(u'/') + 1);
    });
    for (const QString& path : byName) {
        const int home = comNumberByName(path);
        for (int k = 0; k < kNumbersByName; ++k) {
            const int n = kFirstNumberByName + (home - kFirstNumberByName + k) % kNumbersByName;
            if (taken.insert(n).second) {
                devices.push_back({n, path});
                break;
            }
        }
    }
    std::sort(devices.begin(), devices.end(),
              [](const NumberedPort& a, const NumberedPort& b) { return a.number < b.number; });

    std::vector<PortMapEntry> result;
    result.reserve(aliases.size() + devices.size());
    for (const auto* list : {&aliases, &devices}) {
        for (const NumberedPort& port : *list) {
            result.push_back({QStringLiteral("COM") + QString::number(port.number), port.device});
        }
    }
    return result;
}

QString LinuxSerialPortMap::deviceFor(int portNumber) const {
    const QString name = QStringLiteral("COM") + QString::number(portNumber);
    const auto list = entries();
    if (list) {
        for (const PortMapEntry& entry : *list) {
            if (entry.name == name) {
                return entry.device;
            }
        }
    }
    return {};
}

std::unique_ptr<SerialPortMap> makeSystemSerialPortMap(const QStringList& aliasFolders) {
    return std::make_unique<LinuxSerialPortMap>(aliasFolders, systemSerialDevices());
}

} // namespace tavrik::platform
