#include "FixedCalendar.h"

#include <utility>

namespace tavrik::test {

FixedCalendar::FixedCalendar(QDate today, QString format)
    : m_today(today), m_format(std::move(format)) {}

QString FixedCalendar::shortDate(const QDate& date) const {
    return date.toString(m_format);
}

} // namespace tavrik::test
