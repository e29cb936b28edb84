#pragma once

#include "link/LinkTypes.h"

#include <QString>

namespace tavrik::app {

/// The port chosen could not be stored in mysetup.ini in either of its folders: the
/// program's own and the user's (either may be empty, for none). In the window's
/// language.
[[nodiscard]] QString StoreFailedMessage(Language language, const QString& programFolder,
                                         const QString& userFolder);

} // namespace tavrik::app
