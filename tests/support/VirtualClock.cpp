#include "VirtualClock.h"

#include <cstdio>
#include <cstdlib>

namespace tavrik::test {

VirtualClock::EventId VirtualClock::schedule(Micros at, std::function<void()> action) {
    const EventId id = m_next++;
    const Micros when = at < m_now ? m_now : at;
    m_events.emplace(Key{when, id}, std::move(action));
    m_times.emplace(id, when);
    return id;
}

void VirtualClock::cancel(EventId id) {
    const auto it = m_times.find(id);
    if (it == m_times.end()) {
        return;
    }
    m_events.erase(Key{it->second, id});
    m_times.erase(it);
}

bool VirtualClock::runUntil(const std::function<bool()>& done, Micros limit) {
    const Micros end = m_now + limit;
    if (done && done()) {
        return true;
    }
    Micros instant{-1};
    long atInstant = 0;
    while (!m_events.empty() && m_events.begin()->first.first <= end) {
        auto it = m_events.begin();
        if (it->first.first != instant) {
            instant = it->first.first;
            atInstant = 0;
        } else if (++atInstant > kMaxEventsAtOneInstant) {
            // Something answers itself at once, forever: fail loudly instead of hanging.
            std::fprintf(stderr,
                         "VirtualClock: more than %ld events at %lld us; time stands still\n",
                         kMaxEventsAtOneInstant, static_cast<long long>(instant.count()));
            std::abort();
        }
        m_now = it->first.first;
        std::function<void()> action = std::move(it->second);
        m_times.erase(it->first.second);
        m_events.erase(it);
        action();
        if (done && done()) {
            return true;
        }
    }
    m_now = end;
    return false;
}

void VirtualClock::advanceBy(Micros d) {
    (void)runUntil({}, d);
}

} // namespace tavrik::test
