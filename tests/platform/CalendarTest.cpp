#include "ServiceFakes.h"
#include "platform/SystemCalendar.h"
#include "platform/TextServices.h"

#include <gtest/gtest.h>

namespace tavrik::platform {
namespace {

// Day and month with or without a leading zero, in the locale's order and with its
// separators; year first for a locale the table does not hold.
TEST(ShortDate, WrittenAsWindowsWritesItForTheLocale) {
    const std::pair<std::uint32_t, const char*> rows[] = {
        {0x0409, "3/5/2026"}, {0x0804, "2026/3/5"}, {0x0407, "05.03.2026"}, {0x0439, "2026/3/5"}};
    for (const auto& [lcid, fifthOfMarch] : rows) {
        EXPECT_EQ(ClockCalendar(lcid).shortDate(QDate(2026, 3, 5)), QLatin1String(fifthOfMarch))
            << std::hex << lcid;
    }
    EXPECT_EQ(ClockCalendar(0x0409).shortDate(QDate()), QString());
}

TEST(TextServices, CodePageAndCalendarFollowTheLocale) {
    const std::tuple<std::uint32_t, int, const char*> rows[] = {{0x0804, 936, "2026/3/5"},
                                                                {0x0409, 1252, "3/5/2026"}};
    for (const auto& [lcid, codePage, fifthOfMarch] : rows) {
        auto locale = std::make_unique<test::FakeLocale>();
        locale->lcid = lcid;
        const TextServices services = makeTextServices(std::move(locale));
        ASSERT_TRUE(services.locale && services.codePage && services.calendar);
        EXPECT_EQ(services.locale->systemDefaultLcid(), lcid);
        EXPECT_EQ(services.codePage->number(), codePage);
        EXPECT_EQ(services.calendar->shortDate(QDate(2026, 3, 5)), QLatin1String(fifthOfMarch));
    }

    const TextServices system = makeSystemTextServices();
    ASSERT_TRUE(system.locale && system.codePage && system.calendar);
    EXPECT_EQ(system.codePage->number(), ansiCodePageForLcid(system.locale->systemDefaultLcid()));
}

} // namespace
} // namespace tavrik::platform
