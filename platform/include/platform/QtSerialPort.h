#pragma once

#include "platform/SerialPort.h"

#include <QObject>
#include <QSerialPort>

#include <functional>

namespace tavrik::platform {

class SerialPortMap;

/// The serial line on QSerialPort. Port numbers are resolved through the system's
/// serial-port map. The receive notification follows readyRead: it comes on the
/// owner's thread as soon as the threshold of bytes is waiting, with no polling.
/// A device that vanishes, or a read or write that fails, closes the port and is
/// reported through the lost handler.
class QtSerialPort final : public SerialPort {
public:
    explicit QtSerialPort(const SerialPortMap& map);
    ~QtSerialPort() override;
    QtSerialPort(const QtSerialPort&) = delete;
    QtSerialPort& operator=(const QtSerialPort&) = delete;

    [[nodiscard]] bool open(int portNumber) override;
    void close() override;
    [[nodiscard]] bool isOpen() const override;
    [[nodiscard]] QString device() const override { return m_device; }
    [[nodiscard]] OpenFailure lastOpenFailure() const override { return m_failure; }
    /// The line settings the port is given, as baud rate, parity, data bits and stop
    /// bits: "9600,N,8,1".
    [[nodiscard]] QString lineSettings() const;
    void clearBuffers() override;
    void setReceiveThreshold(int bytes) override;
    [[nodiscard]] int receiveThreshold() const override;
    bool send(const QByteArray& bytes) override;
    [[nodiscard]] QByteArray takeInput() override;
    void setReceiveHandler(std::function<void()> handler) override;
    void setLostHandler(std::function<void()> handler) override;

private:
    [[nodiscard]] bool openDevice(int portNumber);
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);

    const SerialPortMap& m_map;
    QSerialPort m_port;
    QString m_device;
    OpenFailure m_failure;
    int m_threshold = 1;
    bool m_opening = false;
    std::function<void()> m_handler;
    std::function<void()> m_lostHandler;
};

} // namespace tavrik::platform
