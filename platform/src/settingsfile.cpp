// Where mysetup.ini lives, and the file itself over the folders it may live in.
#include "platform/SettingsFile.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

namespace tavrik::platform {
namespace {

QString aliasFolderIn(const QString& folder) {
    return folder + QStringLiteral("/ports");
}

// mysetup.ini in `folder`; no path at all for no folder.
QString settingsFileIn(const QString& folder) {
    return folder.isEmpty() ? QString() : settingsFilePath(folder);
}

bool sameFolder(const QString& a, const QString& b) {
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

} // namespace

SettingsFolders settingsFoldersFor(const QString& programFolder, bool programFolderWritable,
                                   const QString& userFolder, const QString& installedFolder) {
    SettingsFolders folders;
    folders.user = userFolder;
    if (installedFolder.isEmpty() || !sameFolder(programFolder, installedFolder)) {
        folders.program = programFolder;
        folders.besideProgram = programFolderWritable;
    }
    return folders;
}

QString xdgSettingsFolder(const QString& xdgConfigHome, const QString& home) {
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the XDG rule says.
    QString base;
    if (!xdgConfigHome.isEmpty() && QDir::isAbsolutePath(xdgConfigHome)) {
        base = xdgConfigHome;
    } else if (!home.isEmpty() && QDir::isAbsolutePath(home)) {
        base = home + QStringLiteral("/.config");
    } else {
        return {};
    }
    return QDir::cleanPath(base + u'/' + QLatin1String(kSettingsFolderName));
}

QStringList aliasFolders(const SettingsFolders& folders) {
    QStringList list;
    for (const QString* folder : {&folders.user, &folders.program}) {
        if (!folder->isEmpty()) {
            list.append(aliasFolderIn(*folder));
        }
    }
    return list;
}

SettingsFile::SettingsFile(SettingsFolders folders)
    : m_folders(std::move(folders)), m_besideProgram(settingsFileIn(m_folders.program)),
      m_inUserFolder(settingsFileIn(m_folders.user)) {}

QString SettingsFile::read(const QString& section, const QString& key,
                           const QString& fallback) const {
    if (m_folders.besideProgram) {
        return m_besideProgram.read(section, key, fallback);
    }
    if (!m_folders.user.isEmpty() && QFileInfo::exists(m_inUserFolder.path())) {
        return m_inUserFolder.read(section, key, fallback);
    }
    // The user has no file yet: one beside the program gives the starting values.
    if (!m_folders.program.isEmpty()) {
        return m_besideProgram.read(section, key, fallback);
    }
    return fallback;
}

bool SettingsFile::write(const QString& section, const QString& key, const QString& value) {
    if (m_folders.besideProgram && m_besideProgram.write(section, key, value)) {
        return true;
    }
    if (!m_folders.user.isEmpty() && QDir().mkpath(m_folders.user) &&
        m_inUserFolder.write(section, key, value)) {
        // The file is read from where it was stored.
        m_folders.besideProgram = false;
        return true;
    }
    storeFailed();
    return false;
}

void SettingsFile::setStoreFailedHandler(std::function<void()> handler) {
    m_onStoreFailed = std::move(handler);
    if (m_failed) {
        storeFailed();
    }
}

void SettingsFile::storeFailed() {
    m_failed = true;
    if (m_reported || !m_onStoreFailed) {
        return;
    }
    m_reported = true;
    m_onStoreFailed();
}

} // namespace tavrik::platform
