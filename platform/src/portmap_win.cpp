#include "platform/SystemSerialPortMap.h"
#include "platform/WindowsSerialPortMap.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstring>

namespace tavrik::platform {
namespace {

// RegEnumValueA gets buffers of 255 characters and a NUL, and is told 256.
constexpr DWORD kBufferSize = 256;

QString textUpToNul(const char* buffer, DWORD length) {
    DWORD n = 0;
    while (n < length && n < kBufferSize && buffer[n] != '\0') {
        ++n;
    }
    return QString::fromLocal8Bit(buffer, static_cast<qsizetype>(n));
}

} // namespace

std::optional<std::vector<PortMapEntry>> WindowsSerialPortMap::entries() const {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::vector<PortMapEntry> result;
    for (DWORD index = 0;; ++index) {
        char name[kBufferSize];
        char data[kBufferSize];
        std::memset(name, 0, sizeof name);
        std::memset(data, 0, sizeof data);
        DWORD nameLength = kBufferSize;
        DWORD dataLength = kBufferSize;
        // Any failure ends the list: no more values, a value too long, or anything else.
        if (RegEnumValueA(key, index, name, &nameLength, nullptr, nullptr,
                          reinterpret_cast<LPBYTE>(data), &dataLength) != ERROR_SUCCESS) {
            break;
        }
        // The value's data is the port's name ("COM3"); its name is the driver's
        // device ("\Device\Serial0"), shown as the entry's detail.
        result.push_back({textUpToNul(data, dataLength), textUpToNul(name, nameLength)});
    }
    RegCloseKey(key);
    return result;
}

QString WindowsSerialPortMap::deviceFor(int portNumber) const {
    // The list shows "COM" and the characters 4 to 6 of each name; open the name
    // that the list shows under this number.
    const QString wanted = QString::number(portNumber);
    const auto list = entries();
    if (list) {
        for (const PortMapEntry& entry : *list) {
            if (entry.name.mid(3, 3).trimmed() == wanted) {
                return entry.name.trimmed();
            }
        }
    }
    return {};
}

std::unique_ptr<SerialPortMap> makeSystemSerialPortMap(const QStringList& /*aliasFolders*/) {
    return std::make_unique<WindowsSerialPortMap>();
}

} // namespace tavrik::platform
