#pragma once

#include <cstdint>

namespace tavrik::platform {

/// The system default locale (not the user's), as a Windows locale identifier:
/// 0x0804 for Chinese (People's Republic of China), 0x0409 for English (United States).
class SystemLocale {
public:
    virtual ~SystemLocale() = default;
    [[nodiscard]] virtual std::uint32_t systemDefaultLcid() const = 0;
};

} // namespace tavrik::platform
