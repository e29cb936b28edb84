#pragma once

#include <QDate>
#include <QString>

namespace tavrik::platform {

/// The system date and the system's short date format.
class SystemCalendar {
public:
    virtual ~SystemCalendar() = default;
    [[nodiscard]] virtual QDate today() const = 0;
    /// The date written as the system's short date format writes it.
    [[nodiscard]] virtual QString shortDate(const QDate& date) const = 0;
};

} // namespace tavrik::platform
