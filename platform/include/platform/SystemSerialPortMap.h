#pragma once

#include "platform/SerialPortMap.h"

#include <QStringList>

#include <memory>

namespace tavrik::platform {

/// The running system's serial-port map: the registry's SERIALCOMM key on Windows;
/// on Linux the serial devices plus the COM<n> aliases of the alias folders, the first
/// folder winning a clash of names (see LinuxSerialPortMap).
[[nodiscard]] std::unique_ptr<SerialPortMap>
makeSystemSerialPortMap(const QStringList& aliasFolders);

} // namespace tavrik::platform
