#include "platform/SystemCalendar.h"

namespace tavrik::platform {
namespace {

struct LcidFormat {
    std::uint32_t lcid;
    const char* format;
};

// The short date formats Windows gives these locales out of the box.
constexpr LcidFormat kShortDateFormats[] = {
    {0x0409, "M/d/yyyy"},   {0x0804, "yyyy/M/d"},   {0x0404, "yyyy/M/d"},
    {0x0C04, "d/M/yyyy"},   {0x1004, "d/M/yyyy"},   {0x1404, "d/M/yyyy"},
    {0x0809, "dd/MM/yyyy"}, {0x0C09, "d/MM/yyyy"},  {0x1009, "yyyy-MM-dd"},
    {0x1409, "d/MM/yyyy"},  {0x1809, "dd/MM/yyyy"}, {0x4009, "dd-MM-yyyy"},
    {0x0407, "dd.MM.yyyy"}, {0x0807, "dd.MM.yyyy"}, {0x0C07, "dd.MM.yyyy"},
    {0x040C, "dd/MM/yyyy"}, {0x080C, "dd-MM-yy"},   {0x0C0C, "yyyy-MM-dd"},
    {0x100C, "dd.MM.yyyy"}, {0x0C0A, "dd/MM/yyyy"}, {0x080A, "dd/MM/yyyy"},
    {0x0410, "dd/MM/yyyy"}, {0x0416, "dd/MM/yyyy"}, {0x0816, "dd/MM/yyyy"},
    {0x0413, "d-M-yyyy"},   {0x0813, "d/MM/yyyy"},  {0x0411, "yyyy/MM/dd"},
    {0x0412, "yyyy-MM-dd"}, {0x0419, "dd.MM.yyyy"}, {0x0422, "dd.MM.yyyy"},
    {0x0415, "dd.MM.yyyy"}, {0x0405, "dd.MM.yyyy"}, {0x040E, "yyyy. MM. dd."},
    {0x041F, "d.MM.yyyy"},  {0x0408, "d/M/yyyy"},   {0x041D, "yyyy-MM-dd"},
    {0x0406, "dd-MM-yyyy"}, {0x0414, "dd.MM.yyyy"}, {0x040B, "d.M.yyyy"},
    {0x041E, "d/M/yyyy"},   {0x042A, "dd/MM/yyyy"},
};

constexpr char kFallbackFormat[] = "yyyy/M/d";

} // namespace

QString shortDateFormatForLcid(std::uint32_t lcid) {
    for (const LcidFormat& entry : kShortDateFormats) {
        if (entry.lcid == lcid) {
            return QLatin1String(entry.format);
        }
    }
    return QLatin1String(kFallbackFormat);
}

ClockCalendar::ClockCalendar(std::uint32_t lcid) : m_format(shortDateFormatForLcid(lcid)) {}

QDate ClockCalendar::today() const {
    return QDate::currentDate();
}

QString ClockCalendar::shortDate(const QDate& date) const {
    return date.isValid() ? date.toString(m_format) : QString();
}

} // namespace tavrik::platform
