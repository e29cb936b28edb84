#pragma once

#include <QDateTime>

#include <chrono>

namespace tavrik::platform {

/// Time for the record an operation keeps of the line: a steady count that only moves
/// forward (for the timing of requests and answers) and the local date and time.
class Clock {
public:
    virtual ~Clock() = default;
    /// Time since a fixed point of this clock; never goes back.
    [[nodiscard]] virtual std::chrono::microseconds steady() const = 0;
    [[nodiscard]] virtual QDateTime now() const = 0;
};

/// The system's clocks.
class SystemClock final : public Clock {
public:
    [[nodiscard]] std::chrono::microseconds steady() const override;
    [[nodiscard]] QDateTime now() const override;
};

} // namespace tavrik::platform
