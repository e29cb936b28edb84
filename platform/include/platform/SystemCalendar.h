#pragma once

#include <QDate>
#include <QString>

#include <cstdint>

namespace tavrik::platform {

/// The system date and the system's short date format.
class SystemCalendar {
public:
    virtual ~SystemCalendar() = default;
    [[nodiscard]] virtual QDate today() const = 0;
    /// The date written as the system's short date format writes it.
    [[nodiscard]] virtual QString shortDate(const QDate& date) const = 0;
};

/// The short date format Windows gives the locale `lcid` by default, in the pattern
/// letters d, dd, M, MM, yyyy ("M/d/yyyy" for 0x0409, "yyyy/M/d" for 0x0804);
/// "yyyy/M/d" for a locale not in the table.
[[nodiscard]] QString shortDateFormatForLcid(std::uint32_t lcid);

/// Today's date from the system clock, written in the short date format of a locale.
class ClockCalendar final : public SystemCalendar {
public:
    explicit ClockCalendar(std::uint32_t lcid);
    [[nodiscard]] QDate today() const override;
    /// An invalid date gives the empty text.
    [[nodiscard]] QString shortDate(const QDate& date) const override;

private:
    QString m_format;
};

} // namespace tavrik::platform
