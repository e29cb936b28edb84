#include "platform/SettingsFile.h"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace tavrik::platform {
namespace {

// access() answers for this user and also says no on a read-only file system.
bool mayWrite(const QString& path) {
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

} // namespace

SettingsFolders systemSettingsFolders(const QString& programFolder) {
    // A store replaces mysetup.ini through the folder, but one this user may not write
    // (left by a run as root) must not be replaced: it would be read again at every start.
    const QFileInfo file(settingsFilePath(programFolder));
    const bool fileWritable =
        (!file.exists() && !file.isSymLink()) || (file.isFile() && mayWrite(file.filePath()));
    return settingsFoldersFor(
        programFolder, mayWrite(programFolder) && fileWritable,
        xdgSettingsFolder(qEnvironmentVariable("XDG_CONFIG_HOME"), qEnvironmentVariable("HOME")),
        QStringLiteral(TAVRIK_INSTALL_BINDIR));
}

} // namespace tavrik::platform
