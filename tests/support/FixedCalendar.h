#pragma once

#include "platform/SystemCalendar.h"

#include <QDate>
#include <QString>

namespace tavrik::test {

/// A calendar stopped on one day, writing dates in a given short date format
/// (pattern letters d, dd, M, MM, yy, yyyy).
class FixedCalendar final : public platform::SystemCalendar {
public:
    explicit FixedCalendar(QDate today, QString format = QStringLiteral("yyyy/M/d"))
        : m_today(today), m_format(std::move(format)) {}
    [[nodiscard]] QDate today() const override { return m_today; }
    [[nodiscard]] QString shortDate(const QDate& date) const override {
        return date.toString(m_format);
    }

private:
    QDate m_today;
    QString m_format;
};

} // namespace tavrik::test
