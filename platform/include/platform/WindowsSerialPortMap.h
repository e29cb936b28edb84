#pragma once

#include "platform/SerialPortMap.h"

namespace tavrik::platform {

/// The registry key HARDWARE\DEVICEMAP\SERIALCOMM under HKEY_LOCAL_MACHINE, opened,
/// enumerated in its own order and closed on each call. An entry's name is the
/// value's data ("COM3"), its device the value's name ("\Device\Serial0"). The
/// enumeration stops at the first value that cannot be read. Windows only.
class WindowsSerialPortMap final : public SerialPortMap {
public:
    [[nodiscard]] std::optional<std::vector<PortMapEntry>> entries() const override;
    [[nodiscard]] QString deviceFor(int portNumber) const override;
};

} // namespace tavrik::platform
