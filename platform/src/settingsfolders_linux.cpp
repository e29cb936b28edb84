#include "platform/SettingsFile.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace tavrik::platform {
namespace {

// access() answers for this user and also says no on a read-only file system.
bool mayWrite(const QString& path) {
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

// In a sticky folder (a shared one, as /tmp) only the owner of a file or of the folder
// may rename another file over it: another user's file there can be written, but a
// store, which renames its new file over the old one, fails.
bool mayReplace(const QString& folder, const QString& file) {
    struct stat folderStat {};
    struct stat fileStat {};
    if (::stat(QFile::encodeName(folder).constData(), &folderStat) != 0 ||
        ::stat(QFile::encodeName(file).constData(), &fileStat) != 0) {
        return false;
    }
    const uid_t user = ::geteuid();
    return (folderStat.st_mode & S_ISVTX) == 0 || user == 0 || fileStat.st_uid == user ||
           folderStat.st_uid == user;
}

} // namespace

SettingsFolders systemSettingsFolders(const QString& programFolder) {
    // A store replaces mysetup.ini through the folder, but one this user may not write
    // (left by a run as root) or replace must not be stored to: it would be read again at
    // every start.
    const QFileInfo file(settingsFilePath(programFolder));
    const bool fileWritable =
        (!file.exists() && !file.isSymLink()) ||
        (file.isFile() && mayWrite(file.filePath()) && mayReplace(programFolder, file.filePath()));
    return settingsFoldersFor(
        programFolder, mayWrite(programFolder) && fileWritable,
        xdgSettingsFolder(qEnvironmentVariable("XDG_CONFIG_HOME"), qEnvironmentVariable("HOME")),
        QStringLiteral(TAVRIK_INSTALL_BINDIR));
}

} // namespace tavrik::platform
