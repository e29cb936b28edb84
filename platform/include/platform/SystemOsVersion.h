#pragma once

#include "platform/OsVersion.h"

#include <cstdint>

namespace tavrik::platform {

/// The platform id reported where the system is not Windows at all. Windows uses
/// 0 (Win32s), 1 (Windows 9x) and 2 (NT); this value is none of them, so such a
/// system always gets the enumerated port list, without the "unknown system" message.
inline constexpr std::uint32_t kPlatformNotWindows = 0xFFFFFFFFu;

/// The running system's version. On Windows: GetVersionExA (empty when the call
/// fails). Elsewhere the query always succeeds with platformId kPlatformNotWindows
/// and version 0.0.
class SystemOsVersion final : public OsVersion {
public:
    [[nodiscard]] std::optional<OsVersionInfo> query() const override;
};

} // namespace tavrik::platform
