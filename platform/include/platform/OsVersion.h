#pragma once

#include <cstdint>
#include <optional>

namespace tavrik::platform {

/// The operating system's version in Windows terms (platform 2 is the NT family).
struct OsVersionInfo {
    std::uint32_t platformId = 0;
    std::uint32_t majorVersion = 0;
    std::uint32_t minorVersion = 0;
};

class OsVersion {
public:
    virtual ~OsVersion() = default;
    /// Empty when the version cannot be read.
    [[nodiscard]] virtual std::optional<OsVersionInfo> query() const = 0;
};

} // namespace tavrik::platform
