#pragma once

#include "VirtualClock.h"
#include "platform/SerialPort.h"
#include "radiosim/RadioSim.h"

#include <QByteArray>

#include <functional>
#include <memory>
#include <set>
#include <vector>

namespace tavrik::test {

/// Bytes arriving at the computer's end of the line at a given virtual time (as the
/// simulated radio gives them back).
using Arrival = radiosim::Output;

/// A serial port on a VirtualClock, joined to whatever sits at the other end of
/// the line (a simulated radio): each send is handed to the peer, and the bytes the
/// peer returns arrive at their times. Bytes that arrive while the port is closed
/// are lost; the receive handler runs when bytes arrive and at least the threshold
/// is waiting. Never calls the handler from inside send().
class FakeSerialPort final : public platform::SerialPort {
public:
    using Peer =
        std::function<std::vector<Arrival>(const QByteArray& sent, VirtualClock::Micros now)>;

    explicit FakeSerialPort(VirtualClock& clock);
    FakeSerialPort(const FakeSerialPort&) = delete;
    FakeSerialPort& operator=(const FakeSerialPort&) = delete;

    bool open(int portNumber) override;
    void close() override;
    [[nodiscard]] bool isOpen() const override { return m_open; }
    [[nodiscard]] QString device() const override { return m_device; }
    [[nodiscard]] platform::OpenFailure lastOpenFailure() const override { return m_failure; }
    void clearBuffers() override;
    void setReceiveThreshold(int bytes) override { m_threshold = bytes; }
    [[nodiscard]] int receiveThreshold() const override { return m_threshold; }
    bool send(const QByteArray& bytes) override;
    [[nodiscard]] QByteArray takeInput() override;
    void setReceiveHandler(std::function<void()> handler) override;
    void setLostHandler(std::function<void()> handler) override {
        m_lostHandler = std::move(handler);
    }

    void setPeer(Peer peer) { m_peer = std::move(peer); }
    /// Port numbers that open; every number opens when none is set. The device of a
    /// port is "/dev/ttyFAKE<n>".
    void setAvailablePorts(std::set<int> ports) { m_available = std::move(ports); }
    /// The device vanishes: the port closes (reported as lost when it was open) and
    /// nothing opens again.
    void unplug();
    /// From the `n`th send since the port was made (counting from 1) on, sends are refused and the
    /// port closes, as a port whose device went away during a write.
    void refuseSendsFrom(int n) { m_refuseFrom = n; }

    /// Puts bytes in the receive buffer now and raises the receive event if the
    /// threshold is reached.
    void deliver(const QByteArray& bytes);
    /// Puts bytes in the receive buffer now without raising the receive event, as a
    /// notification still queued behind a timer's tick.
    void park(const QByteArray& bytes) { m_input.append(bytes); }

    /// Every byte array sent while open, in order.
    [[nodiscard]] const std::vector<QByteArray>& sent() const { return m_sent; }
    /// Port numbers opened, in order.
    [[nodiscard]] const std::vector<int>& opened() const { return m_opened; }

private:
    VirtualClock& m_clock;
    Peer m_peer;
    std::function<void()> m_handler;
    std::function<void()> m_lostHandler;
    std::set<int> m_available;
    QString m_device;
    platform::OpenFailure m_failure;
    std::vector<QByteArray> m_sent;
    std::vector<int> m_opened;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    QByteArray m_input;
    int m_threshold = 1;
    int m_refuseFrom = 0;
    int m_sends = 0;
    bool m_open = false;
    bool m_unplugged = false;
};

} // namespace tavrik::test
