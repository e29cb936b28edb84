#include "FakeSerialPort.h"

#include <memory>

namespace tavrik::test {

FakeSerialPort::FakeSerialPort(VirtualClock& clock) : m_clock(clock) {}

bool FakeSerialPort::open(int portNumber) {
    close();
    const bool listed = m_available.empty() || m_available.count(portNumber) != 0;
    m_device = listed ? QStringLiteral("/dev/ttyFAKE%1").arg(portNumber) : QString();
    if (m_unplugged || !listed) {
        // A port that is not available names no device; an unplugged one is gone.
        m_failure = platform::OpenFailure{};
        m_failure.reason =
            listed ? platform::OpenFailure::Reason::Gone : platform::OpenFailure::Reason::NoDevice;
        m_failure.device = m_device;
        return false;
    }
    m_open = true;
    m_threshold = 1;
    m_input.clear();
    m_opened.push_back(portNumber);
    return true;
}

void FakeSerialPort::close() {
    m_open = false;
    m_input.clear();
}

void FakeSerialPort::clearBuffers() {
    // Bytes still on their way from the radio are not in a buffer yet and still come.
    m_input.clear();
}

bool FakeSerialPort::send(const QByteArray& bytes) {
    if (!m_open) {
        return false;
    }
    ++m_sends;
    if (m_refuseFrom > 0 && m_sends >= m_refuseFrom) {
        close();
        return false;
    }
    m_sent.push_back(bytes);
    if (!m_peer) {
        return true;
    }
    // Bytes still on the line when the port is destroyed never arrive.
    for (Arrival& a : m_peer(bytes, m_clock.now())) {
        m_clock.schedule(a.at,
                         [alive = std::weak_ptr<bool>(m_alive), this, data = std::move(a.bytes)] {
                             if (!alive.expired() && m_open) {
                                 deliver(data);
                             }
                         });
    }
    return true;
}

void FakeSerialPort::deliver(const QByteArray& bytes) {
    m_input.append(bytes);
    if (m_handler && m_input.size() >= m_threshold) {
        m_handler();
    }
}

QByteArray FakeSerialPort::takeInput() {
    QByteArray out;
    out.swap(m_input);
    return out;
}

void FakeSerialPort::setReceiveHandler(std::function<void()> handler) {
    m_handler = std::move(handler);
}

void FakeSerialPort::unplug() {
    m_unplugged = true;
    const bool wasOpen = m_open;
    close();
    if (wasOpen && m_lostHandler) {
        m_lostHandler();
    }
}

} // namespace tavrik::test
