#pragma once

#include "platform/CodePage.h"
#include "platform/SystemCalendar.h"
#include "platform/SystemLocale.h"

#include <memory>

namespace tavrik::platform {

/// The system's locale, the code page of its programs that are not Unicode, and its
/// calendar, made together because the last two follow the first.
struct TextServices {
    std::unique_ptr<SystemLocale> locale;
    std::unique_ptr<CodePage> codePage;
    std::unique_ptr<SystemCalendar> calendar;
};

/// The text services of the running system. The code page is the system locale's;
/// when this build cannot convert it, Windows-1252, and failing that ISO 8859-1, so
/// that every member is always set. Its converter is made at its first use.
[[nodiscard]] TextServices makeSystemTextServices();

/// The same, for a given locale (the code page and calendar follow its identifier);
/// a null locale means the running system's.
[[nodiscard]] TextServices makeTextServices(std::unique_ptr<SystemLocale> locale);

} // namespace tavrik::platform
