#include "platform/TextServices.h"

#include <utility>

namespace tavrik::platform {
namespace {

constexpr int kWindowsLatin1 = 1252;
constexpr int kIso8859_1 = 28591;

} // namespace

TextServices makeTextServices(std::unique_ptr<SystemLocale> locale) {
    if (!locale) {
        locale = makeSystemLocale();
    }
    TextServices services;
    const std::uint32_t lcid = locale->systemDefaultLcid();
    services.locale = std::move(locale);
    for (const int number : {ansiCodePageForLcid(lcid), kWindowsLatin1, kIso8859_1}) {
        services.codePage = makeCodePage(number);
        if (services.codePage) {
            break;
        }
    }
    services.calendar = std::make_unique<ClockCalendar>(lcid);
    return services;
}

TextServices makeSystemTextServices() {
    return makeTextServices(makeSystemLocale());
}

} // namespace tavrik::platform
