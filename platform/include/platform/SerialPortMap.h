#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace tavrik::platform {

/// One value of the system's serial-port map.
struct PortMapEntry {
    QString name;   ///< the port's name as the map holds it, such as "COM3"
    QString device; ///< what the name stands for, shown to the user ("/dev/ttyUSB0")
};

/// The system's ordered map of serial ports, read afresh on each call.
class SerialPortMap {
public:
    virtual ~SerialPortMap() = default;
    /// The map's values in the map's own order; empty optional when the map cannot be opened.
    [[nodiscard]] virtual std::optional<std::vector<PortMapEntry>> entries() const = 0;
    /// The device to open for port number n (3 for COM3); empty when the map has no such port.
    [[nodiscard]] virtual QString deviceFor(int portNumber) const = 0;
};

} // namespace tavrik::platform
