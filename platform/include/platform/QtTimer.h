#pragma once

#include "platform/Timer.h"

#include <QTimer>

#include <chrono>

namespace tavrik::platform {

/// A window timer on QTimer: ticks arrive through the owner thread's event loop.
class QtTimer final : public Timer {
public:
    explicit QtTimer(std::chrono::milliseconds interval);

    void setEnabled(bool enabled) override;
    void setInterval(std::chrono::milliseconds interval) override;
    [[nodiscard]] bool isEnabled() const override;
    void setHandler(std::function<void()> handler) override;

private:
    QTimer m_timer;
    std::function<void()> m_handler;
};

} // namespace tavrik::platform
