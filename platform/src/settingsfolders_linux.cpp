#include "platform/SettingsFile.h"

#include <QFile>

#include <unistd.h>

namespace tavrik::platform {

SettingsFolders systemSettingsFolders(const QString& programFolder) {
    // access() answers for this user and also says no on a read-only file system.
    const bool writable = ::access(QFile::encodeName(programFolder).constData(), W_OK) == 0;
    return settingsFoldersFor(
        programFolder, writable,
        xdgSettingsFolder(qEnvironmentVariable("XDG_CONFIG_HOME"), qEnvironmentVariable("HOME")),
        QStringLiteral(TAVRIK_INSTALL_BINDIR));
}

} // namespace tavrik::platform
