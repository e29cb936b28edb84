#pragma once

#include <QString>

namespace tavrik::app {

/// The port chosen could not be stored in mysetup.ini in either of its folders: the
/// program's own and the user's (either may be empty, for none). In the window's
/// language: 2 Chinese, anything else English.
[[nodiscard]] QString StoreFailedMessage(qint16 languageFlag, const QString& programFolder,
                                         const QString& userFolder);

} // namespace tavrik::app
