#include "platform/SystemLocale.h"

#include <windows.h>

namespace tavrik::platform {
namespace {

class WindowsSystemLocale final : public SystemLocale {
public:
    std::uint32_t systemDefaultLcid() const override {
        return static_cast<std::uint32_t>(GetSystemDefaultLCID());
    }
};

} // namespace

std::unique_ptr<SystemLocale> makeSystemLocale() {
    return std::make_unique<WindowsSystemLocale>();
}

} // namespace tavrik::platform
