#include "platform/SystemOsVersion.h"

namespace tavrik::platform {

// Not Windows: no platform or version numbers to report, and no reason to warn the
// user about an unknown system either.
std::optional<OsVersionInfo> SystemOsVersion::query() const {
    OsVersionInfo info;
    info.platformId = kPlatformNotWindows;
    return info;
}

} // namespace tavrik::platform
