#pragma once

// Internal to the serial port: why the system refused to open a device. One
// implementation per operating system (portdiagnosis_linux.cpp, portdiagnosis_win.cpp).

#include "platform/SerialPort.h"

#include <QString>

namespace tavrik::platform::detail {

/// A failure to open `device` as this system reports one, its reason not yet known.
[[nodiscard]] OpenFailure openFailureFor(const QString& device);

/// Finds out why `device` could not be opened, once QSerialPort has refused it.
/// `qtErrorText` is QSerialPort's own account; it stays as the system's words where the
/// system gives none of its own. The device is only looked at: when nothing else tells,
/// it is opened once without taking it over and closed at once, and never configured.
/// Never lists the calling process among the holders.
[[nodiscard]] OpenFailure diagnoseOpenFailure(const QString& device, const QString& qtErrorText);

} // namespace tavrik::platform::detail
