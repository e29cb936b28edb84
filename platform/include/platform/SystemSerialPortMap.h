#pragma once

#include "platform/SerialPortMap.h"

#include <QString>

#include <memory>

namespace tavrik::platform {

/// The running system's serial-port map: the registry's SERIALCOMM key on Windows;
/// on Linux the serial devices plus the COM<n> aliases of `programFolder`/ports
/// (see LinuxSerialPortMap).
[[nodiscard]] std::unique_ptr<SerialPortMap> makeSystemSerialPortMap(const QString& programFolder);

} // namespace tavrik::platform
