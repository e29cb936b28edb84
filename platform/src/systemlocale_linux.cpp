#include "platform/SystemLocale.h"

namespace tavrik::platform {

std::unique_ptr<SystemLocale> makeSystemLocale() {
    return std::make_unique<PosixSystemLocale>(systemLocaleSources());
}

} // namespace tavrik::platform
