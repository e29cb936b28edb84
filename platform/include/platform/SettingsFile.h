#pragma once

#include "platform/IniProfileFile.h"
#include "platform/ProfileFile.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace tavrik::platform {

/// The name of the user's own folder for this program's settings.
inline constexpr char kSettingsFolderName[] = "VEL_TAVRIK_DovI";

/// Where the program keeps mysetup.ini and looks for its "ports" alias folder.
struct SettingsFolders {
    /// The program's own folder; empty for a program installed in the system's folder
    /// for programs, which keeps nothing beside itself.
    QString program;
    /// The user's configuration folder for this program; empty when the system names none.
    QString user;
    /// mysetup.ini is kept beside the program (its folder, and the file if there is one,
    /// can be written).
    bool besideProgram = false;
};

/// The folders for a program in `programFolder`. Settings stay beside the program while
/// `programFolderWritable` (the folder can be written, and so can its mysetup.ini if it
/// has one), so that a copy run from a USB stick keeps them with it; otherwise they go
/// to `userFolder`. A program in `installedFolder` (where the package
/// installs it) uses only `userFolder`, even when run by someone who may write there, so
/// that the system's folder for programs holds only what the package put there.
[[nodiscard]] SettingsFolders settingsFoldersFor(const QString& programFolder,
                                                 bool programFolderWritable,
                                                 const QString& userFolder,
                                                 const QString& installedFolder);

/// The folders of the running program in `programFolder`.
[[nodiscard]] SettingsFolders systemSettingsFolders(const QString& programFolder);

/// The user's configuration folder for this program, by the XDG rule:
/// `xdgConfigHome`/VEL_TAVRIK_DovI when it is an absolute path, else
/// `home`/.config/VEL_TAVRIK_DovI; empty when neither is usable.
[[nodiscard]] QString xdgSettingsFolder(const QString& xdgConfigHome, const QString& home);

/// The alias folders ("ports") to look in, the one that wins a clash of names first:
/// the user's folder, then the program's.
[[nodiscard]] QStringList aliasFolders(const SettingsFolders& folders);

/// mysetup.ini, kept where SettingsFolders says:
/// - beside the program: that file is read and stored; if a store fails there, the
///   user's folder takes it and is the file's place from then on;
/// - in the user's folder: that file is read and stored (the folder is created by the
///   first store); while it does not exist, the file beside the program, if any, gives
///   the starting values.
/// The first store that fails in every place is reported once, through the handler.
class SettingsFile final : public ProfileFile {
public:
    explicit SettingsFile(SettingsFolders folders);

    [[nodiscard]] QString read(const QString& section, const QString& key,
                               const QString& fallback) const override;
    bool write(const QString& section, const QString& key, const QString& value) override;

    /// Called once, at the first store that fails in every place (those of folders(),
    /// beside the program first); a failure before the handler is set calls it as soon as
    /// it is set.
    void setStoreFailedHandler(std::function<void()> handler);

    [[nodiscard]] const SettingsFolders& folders() const { return m_folders; }

private:
    void storeFailed();

    SettingsFolders m_folders;
    // mysetup.ini beside the program and in the user's folder; each is read once and
    // again only when it changes.
    IniProfileFile m_besideProgram;
    IniProfileFile m_inUserFolder;
    std::function<void()> m_onStoreFailed;
    bool m_failed = false;
    bool m_reported = false;
};

} // namespace tavrik::platform
