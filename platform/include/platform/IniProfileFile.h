#pragma once

#include "platform/ProfileFile.h"

#include <QString>

namespace tavrik::platform {

/// The program's settings file, "mysetup.ini", in the given folder.
[[nodiscard]] QString settingsFilePath(const QString& folder);

/// An initialization file in plain text, read and written as Windows' profile-string
/// functions do:
/// - "[section]" lines start sections, "key=value" lines set keys; section and key
///   names match without regard to case; spaces around names and values are ignored,
///   and a value in matching double or single quotes loses them;
/// - the first matching section and the first matching key in it count;
/// - a store rewrites only the line of its key (or adds the key at the end of its
///   section, or the section at the end of the file) and keeps every other byte,
///   line endings included; a store that changes nothing does not touch the file;
/// - a file that cannot be written leaves the old one whole and the store returns false.
class IniProfileFile final : public ProfileFile {
public:
    explicit IniProfileFile(QString path);

    [[nodiscard]] QString read(const QString& section, const QString& key,
                               const QString& fallback) const override;
    bool write(const QString& section, const QString& key, const QString& value) override;

    [[nodiscard]] const QString& path() const { return m_path; }

private:
    QString m_path;
};

} // namespace tavrik::platform
