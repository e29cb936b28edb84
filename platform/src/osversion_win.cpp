#include "platform/SystemOsVersion.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace tavrik::platform {

std::optional<OsVersionInfo> SystemOsVersion::query() const {
    OSVERSIONINFOEXA version{};
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA); // 156 bytes
    static_assert(sizeof(OSVERSIONINFOEXA) == 156, "OSVERSIONINFOEXA is 156 bytes");
#ifdef _MSC_VER
#pragma warning(suppress : 4996) // deprecated, but it is the call that reports NT 6.0 plainly
#endif
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version))) {
        return std::nullopt;
    }
    OsVersionInfo info;
    info.platformId = version.dwPlatformId;
    info.majorVersion = version.dwMajorVersion;
    info.minorVersion = version.dwMinorVersion;
    return info;
}

} // namespace tavrik::platform
