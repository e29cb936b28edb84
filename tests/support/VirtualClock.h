#pragma once

#include "platform/Clock.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <utility>

namespace tavrik::test {

/// Time that moves only when a test moves it. Events are run in time order (ties
/// in the order they were scheduled); an event may schedule further events.
class VirtualClock {
public:
    using Micros = std::chrono::microseconds;
    using EventId = std::uint64_t;

    [[nodiscard]] Micros now() const { return m_now; }

    /// Runs `action` when the clock reaches `at` (at once on the next advance when
    /// `at` is not in the future). Returns an id for cancel().
    EventId schedule(Micros at, std::function<void()> action);
    void cancel(EventId id);
    [[nodiscard]] bool hasPending() const { return !m_events.empty(); }

    /// Runs every event due up to now + d, then stands at now + d.
    void advanceBy(Micros d);
    /// Runs events in order until `done` holds (checked after each event) or the
    /// clock would pass now + limit. True when `done` held.
    bool runUntil(const std::function<bool()>& done, Micros limit);

    /// Events run at one instant before the clock gives up on a loop that never lets
    /// time move (aborting the test instead of hanging it).
    static constexpr long kMaxEventsAtOneInstant = 1'000'000;

private:
    using Key = std::pair<Micros, EventId>;
    Micros m_now{0};
    EventId m_next = 1;
    std::map<Key, std::function<void()>> m_events;
    std::map<EventId, Micros> m_times;
};

/// The program's clock on a VirtualClock: its steady time is the virtual time, and its
/// date and time start at 2026-03-05 09:30:00.
class VirtualTime final : public platform::Clock {
public:
    explicit VirtualTime(const VirtualClock& clock) : m_clock(clock) {}
    [[nodiscard]] std::chrono::microseconds steady() const override { return m_clock.now(); }
    [[nodiscard]] QDateTime now() const override {
        return QDateTime(QDate(2026, 3, 5), QTime(9, 30)).addMSecs(steady().count() / 1000);
    }

private:
    const VirtualClock& m_clock;
};

} // namespace tavrik::test
