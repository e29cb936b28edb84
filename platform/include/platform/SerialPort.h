#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace tavrik::platform {

/// Why a port could not be opened, as far as the system tells.
struct OpenFailure {
    enum class Reason {
        NoDevice,     ///< the port number names no device (no such port is listed)
        NoPermission, ///< the user may not open the device
        Busy,         ///< another program holds the device
        Gone,         ///< the device no longer exists (an adapter unplugged)
        Other,        ///< any other reason; systemText says which
    };
    /// A program that holds the device open.
    struct Holder {
        QString program; ///< its name, as the system shows it ("ModemManager")
        qint64 pid = 0;
    };

    Reason reason = Reason::Other;
    QString device;     ///< the device behind the port ("/dev/ttyUSB0"); empty for NoDevice
    QString systemText; ///< the system's own words for the error, when it gave any
    QString group;      ///< the group the device belongs to ("dialout"), where it exists
    QString user;       ///< the user the program runs as, where the device exists
    std::vector<Holder> holders; ///< Busy: the programs seen holding it (may be none)
    /// NoPermission: whether the device's group may read and write it, so that joining
    /// the group would help (false for a device only its owner may open, mode 0600).
    bool groupMayOpen = false;
    /// The groups the system's group database lists the user in, and the groups this
    /// program runs with, where the device exists. A group in the first list and not the second was
    /// joined after the user logged in, and counts only from the next login. Both are
    /// empty where the system does not tell.
    QStringList userGroups;
    QStringList sessionGroups;
    /// The port is a Windows one: no device files, groups or Unix commands apply to it,
    /// and the explanation words its remedies for Windows.
    bool onWindows = false;
    /// The device's owner and permission bits (0660) as the system reports them, where it
    /// exists: with its group and the user's groups, what support asks first.
    QString owner;
    std::optional<unsigned> permissions;
};

/// The serial line to the radio, as the programming link sees it: a numbered port
/// opened with fixed line settings, two buffers that can be emptied, a byte array
/// sent in one piece, and a receive notification that comes once at least the
/// receive threshold of bytes is waiting. Everything happens on the owner's thread.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    /// Opens port `portNumber` (3 for COM3) at 9600 baud, 8 data bits, no parity,
    /// 1 stop bit, no flow control, DTR on, RTS off, receive threshold 1.
    /// A port that is open already is closed first. False when it cannot be opened.
    [[nodiscard]] virtual bool open(int portNumber) = 0;
    /// Closes the port if it is open; does nothing otherwise.
    virtual void close() = 0;
    [[nodiscard]] virtual bool isOpen() const = 0;
    /// The device behind the port last opened or tried ("/dev/ttyUSB0"); empty when
    /// its number named none.
    [[nodiscard]] virtual QString device() const = 0;
    /// Why the last open() that returned false failed.
    [[nodiscard]] virtual OpenFailure lastOpenFailure() const = 0;

    /// Discards whatever is not yet sent and whatever was received and not yet taken.
    virtual void clearBuffers() = 0;
    virtual void setReceiveThreshold(int bytes) = 0;
    [[nodiscard]] virtual int receiveThreshold() const = 0;

    /// Sends the bytes as one piece. False when the port refused them (closed, device gone).
    virtual bool send(const QByteArray& bytes) = 0;
    /// Takes every byte waiting in the receive buffer, as one chunk.
    [[nodiscard]] virtual QByteArray takeInput() = 0;

    /// The handler runs on the owner's thread each time bytes arrive and at least
    /// receiveThreshold() of them are waiting; it is expected to call takeInput().
    virtual void setReceiveHandler(std::function<void()> handler) = 0;
    /// The handler runs on the owner's thread when the open port is lost: the device
    /// went away, or reading or writing failed. The port is closed by then.
    virtual void setLostHandler(std::function<void()> handler) = 0;
};

} // namespace tavrik::platform
