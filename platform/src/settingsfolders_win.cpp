#include "platform/SettingsFile.h"

#include <QDir>
#include <QTemporaryFile>

namespace tavrik::platform {

SettingsFolders systemSettingsFolders(const QString& programFolder) {
    // File attributes do not tell whether this user may write a folder (Program Files
    // looks writable and is not): try it.
    QTemporaryFile probe(programFolder + QStringLiteral("/mysetup-XXXXXX.tmp"));
    const bool writable = probe.open();
    const QString appData = qEnvironmentVariable("APPDATA");
    const QString user = appData.isEmpty()
                             ? QString()
                             : QDir::cleanPath(QDir::fromNativeSeparators(appData) + u'/' +
                                               QLatin1String(kSettingsFolderName));
    // No package installs the program into a shared folder of its own on Windows.
    return settingsFoldersFor(programFolder, writable, user, QString());
}

} // namespace tavrik::platform
