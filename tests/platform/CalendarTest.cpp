#include "platform/SystemCalendar.h"
#include "platform/TextServices.h"

#include <gtest/gtest.h>

namespace tavrik::platform {
namespace {

TEST(ShortDate, WrittenAsWindowsWritesItForTheLocale) {
    struct Row {
        std::uint32_t lcid;
        const char *format, *fifthOfMarch, *twentyThirdOfNovember;
    };
    const Row rows[] = {{0x0409, "M/d/yyyy", "3/5/2026", "11/23/2026"},
                        {0x0804, "yyyy/M/d", "2026/3/5", "2026/11/23"},
                        {0x0809, "dd/MM/yyyy", "05/03/2026", "23/11/2026"},
                        {0x0407, "dd.MM.yyyy", "05.03.2026", "23.11.2026"},
                        {0x0411, "yyyy/MM/dd", "2026/03/05", "2026/11/23"},
                        {0x0C09, "d/MM/yyyy", "5/03/2026", "23/11/2026"},
                        {0x040E, "yyyy. MM. dd.", "2026. 03. 05.", "2026. 11. 23."},
                        // Not in the table: year first, four digits.
                        {0x0439, "yyyy/M/d", "2026/3/5", "2026/11/23"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.lcid);
        EXPECT_EQ(shortDateFormatForLcid(row.lcid), QLatin1String(row.format));
        const ClockCalendar calendar(row.lcid);
        EXPECT_EQ(calendar.shortDate(QDate(2026, 3, 5)), QLatin1String(row.fifthOfMarch));
        EXPECT_EQ(calendar.shortDate(QDate(2026, 11, 23)),
                  QLatin1String(row.twentyThirdOfNovember));
        EXPECT_EQ(calendar.shortDate(QDate()), QString());
    }
}

class FixedLocale final : public SystemLocale {
public:
    explicit FixedLocale(std::uint32_t lcid) : m_lcid(lcid) {}
    std::uint32_t systemDefaultLcid() const override { return m_lcid; }

private:
    std::uint32_t m_lcid;
};

TEST(TextServices, CodePageAndCalendarFollowTheLocale) {
    const std::tuple<std::uint32_t, int, const char*> rows[] = {
        {0x0804, 936, "2026/3/5"}, {0x0409, 1252, "3/5/2026"}, {0x0419, 1251, "05.03.2026"}};
    for (const auto& [lcid, codePage, fifthOfMarch] : rows) {
        SCOPED_TRACE(lcid);
        const TextServices services = makeTextServices(std::make_unique<FixedLocale>(lcid));
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
