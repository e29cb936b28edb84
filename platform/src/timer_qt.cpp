#include "platform/QtTimer.h"

namespace tavrik::platform {

QtTimer::QtTimer(std::chrono::milliseconds interval) {
    m_timer.setInterval(interval);
    // The link's waits are a few milliseconds long: a coarse timer could stretch them.
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
        if (m_handler) {
            m_handler();
        }
    });
}

void QtTimer::setEnabled(bool enabled) {
    // Switching on always restarts the interval, as enabling a window timer does.
    if (enabled) {
        m_timer.start();
    } else {
        m_timer.stop();
    }
}

void QtTimer::setInterval(std::chrono::milliseconds interval) {
    m_timer.setInterval(interval);
}

bool QtTimer::isEnabled() const {
    return m_timer.isActive();
}

void QtTimer::setHandler(std::function<void()> handler) {
    m_handler = std::move(handler);
}

} // namespace tavrik::platform
