#include "platform/QtSerialPort.h"

#include "platform/SerialPortMap.h"

#include "portdiagnosis.h"

#include <utility>

namespace tavrik::platform {

QtSerialPort::QtSerialPort(const SerialPortMap& map) : m_map(map) {
    QObject::connect(&m_port, &QSerialPort::readyRead, &m_port, [this] { onReadyRead(); });
    QObject::connect(&m_port, &QSerialPort::errorOccurred, &m_port,
                     [this](QSerialPort::SerialPortError error) { onError(error); });
}

QtSerialPort::~QtSerialPort() {
    m_handler = nullptr;
    m_lostHandler = nullptr;
    m_port.close();
}

bool QtSerialPort::open(int portNumber) {
    close();
    // Errors while opening are the open's result, not the loss of an open port.
    m_opening = true;
    const bool opened = openDevice(portNumber);
    m_opening = false;
    return opened;
}

bool QtSerialPort::openDevice(int portNumber) {
    const QString device = m_map.deviceFor(portNumber);
    m_device = device;
    m_failure = detail::openFailureFor(device);
    if (device.isEmpty()) {
        m_failure.reason = OpenFailure::Reason::NoDevice;
        return false;
    }
    m_port.setPortName(device);
    // 9600 baud, 8 data bits, no parity, 1 stop bit, no flow control.
    if (!m_port.setBaudRate(QSerialPort::Baud9600) || !m_port.setDataBits(QSerialPort::Data8) ||
        !m_port.setParity(QSerialPort::NoParity) || !m_port.setStopBits(QSerialPort::OneStop) ||
        !m_port.setFlowControl(QSerialPort::NoFlowControl)) {
        m_failure.systemText = m_port.errorString();
        m_port.clearError();
        return false;
    }
    if (!m_port.open(QIODevice::ReadWrite)) {
        // Qt's error alone cannot tell a busy device from a forbidden one.
        m_failure = detail::diagnoseOpenFailure(device, m_port.errorString());
        m_port.clearError();
        return false;
    }
    // The cable draws its power from DTR. Setting the lines is best effort: a
    // pseudo-terminal, for one, has no modem lines and refuses both.
    (void)m_port.setDataTerminalReady(true);
    (void)m_port.setRequestToSend(false);
    if (m_port.error() == QSerialPort::ResourceError) {
        // The device went away as it was being opened.
        const QString reason = m_port.errorString();
        m_port.close();
        m_port.clearError();
        m_failure = detail::diagnoseOpenFailure(device, reason);
        return false;
    }
    m_port.clearError();
    m_threshold = 1;
    return true;
}

QString QtSerialPort::lineSettings() const {
    QChar parity = u'?';
    switch (m_port.parity()) {
    case QSerialPort::NoParity:
        parity = u'N';
        break;
    case QSerialPort::EvenParity:
        parity = u'E';
        break;
    case QSerialPort::OddParity:
        parity = u'O';
        break;
    default:
        break;
    }
    return QStringLiteral("%1,%2,%3,%4")
        .arg(m_port.baudRate())
        .arg(parity)
        .arg(static_cast<int>(m_port.dataBits()))
        .arg(m_port.stopBits() == QSerialPort::OneStop ? 1 : 2);
}

void QtSerialPort::close() {
    if (m_port.isOpen()) {
        m_port.close();
    }
    m_port.clearError();
}

bool QtSerialPort::isOpen() const {
    return m_port.isOpen();
}

void QtSerialPort::clearBuffers() {
    if (m_port.isOpen()) {
        (void)m_port.clear(QSerialPort::AllDirections);
    }
}

void QtSerialPort::setReceiveThreshold(int bytes) {
    m_threshold = bytes < 1 ? 1 : bytes;
}

int QtSerialPort::receiveThreshold() const {
    return m_threshold;
}

bool QtSerialPort::send(const QByteArray& bytes) {
    if (!m_port.isOpen()) {
        return false;
    }
    if (m_port.write(bytes) != bytes.size()) {
        // The caller learns it from the result; no lost notification on top of it.
        close();
        return false;
    }
    return true;
}

QByteArray QtSerialPort::takeInput() {
    if (!m_port.isOpen()) {
        return {};
    }
    return m_port.readAll();
}

void QtSerialPort::setReceiveHandler(std::function<void()> handler) {
    m_handler = std::move(handler);
}

void QtSerialPort::setLostHandler(std::function<void()> handler) {
    m_lostHandler = std::move(handler);
}

void QtSerialPort::onReadyRead() {
    if (m_handler && m_port.bytesAvailable() >= m_threshold) {
        m_handler();
    }
}

void QtSerialPort::onError(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::ResourceError:
    case QSerialPort::WriteError:
    case QSerialPort::ReadError:
        // The device is gone (adapter unplugged) or no longer takes bytes: let go of
        // it and say so, so that the operation ends now rather than at a time-out.
        if (m_port.isOpen() && !m_opening) {
            close();
            if (m_lostHandler) {
                m_lostHandler();
            }
        }
        break;
    default:
        break;
    }
}

} // namespace tavrik::platform
