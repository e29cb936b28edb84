#pragma once

#include <QString>

namespace tavrik::platform {

/// The folder that holds the running program (mysetup.ini and the ports folder live
/// there). Needs a QCoreApplication.
[[nodiscard]] QString programFolder();

} // namespace tavrik::platform
