#include "platform/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace tavrik::platform {

SettingsFolders systemSettingsFolders(const QString& programFolder) {
    // File attributes do not tell whether this user may write a folder (Program Files
    // looks writable and is not): try it.
    QTemporaryFile probe(programFolder + QStringLiteral("/mysetup-XXXXXX.tmp"));
    // Nor does a read-only mysetup.ini stop a store that renames a new file over it, and
    // such a file would be read again at every start: it must open for writing too.
    const QFileInfo file(settingsFilePath(programFolder));
    QFile existing(file.filePath());
    const bool fileWritable =
        !file.exists() ||
        (file.isFile() && existing.open(QIODevice::ReadWrite | QIODevice::ExistingOnly));
    const bool writable = probe.open() && fileWritable;
    const QString appData = qEnvironmentVariable("APPDATA");
    const QString user = appData.isEmpty()
                             ? QString()
                             : QDir::cleanPath(QDir::fromNativeSeparators(appData) + u'/' +
                                               QLatin1String(kSettingsFolderName));
    // No package installs the program into a shared folder of its own on Windows.
    return settingsFoldersFor(programFolder, writable, user, QString());
}

} // namespace tavrik::platform
