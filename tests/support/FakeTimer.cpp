#include "FakeTimer.h"

namespace tavrik::test {

FakeTimer::FakeTimer(VirtualClock& clock, std::chrono::milliseconds interval)
    : m_clock(clock), m_interval(interval) {}

FakeTimer::~FakeTimer() {
    setEnabled(false);
}

void FakeTimer::arm() {
    m_pending = m_clock.schedule(m_clock.now() + m_interval, [this] {
        m_pending.reset();
        arm(); // a window timer keeps ticking until switched off
        fire();
    });
}

void FakeTimer::setEnabled(bool enabled) {
    if (m_pending) {
        m_clock.cancel(*m_pending);
        m_pending.reset();
    }
    if (enabled) {
        arm();
    }
}

void FakeTimer::setHandler(std::function<void()> handler) {
    m_handler = std::move(handler);
}

void FakeTimer::fire() {
    ++m_ticks;
    if (m_handler) {
        m_handler();
    }
}

} // namespace tavrik::test
