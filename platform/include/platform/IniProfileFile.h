#pragma once

#include "platform/ProfileFile.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>
#include <utility>

namespace tavrik::platform {

/// The program's settings file, "mysetup.ini", in the given folder.
[[nodiscard]] QString settingsFilePath(const QString& folder);

/// An initialization file in plain text, read and written as Windows' profile-string
/// functions do:
/// - "[section]" lines start sections, "key=value" lines set keys; section and key
///   names match without regard to case; spaces around names and values are ignored,
///   and a value in matching double or single quotes loses them;
/// - LF, CRLF and a lone CR each end a line, for reading and writing alike;
/// - the first matching section and the first matching key in it count;
/// - a store rewrites only the line of its key (or adds the key at the end of its
///   section, or the section at the end of the file) and keeps every other byte,
///   line endings included (a line it adds ends as the file's first line does); a
///   store that changes nothing does not touch the file;
/// - only a regular file of at most kMaxFileBytes is read (after following links);
///   anything else at the path (a FIFO, a device, a directory, a larger file) reads
///   as a file without the key, and a store leaves it alone and returns false;
/// - a store writes a new file in the same folder and renames it over the old one, so a
///   store that fails part-way leaves the old file whole; a file that cannot be written,
///   or a folder that refuses the new file, fails the store.
/// The file is read once and then again only when its size or times have changed.
class IniProfileFile final : public ProfileFile {
public:
    /// Far more than this program's one key needs; a larger file is not a settings file.
    static constexpr qint64 kMaxFileBytes = 1024 * 1024;

    explicit IniProfileFile(QString path);

    [[nodiscard]] QString read(const QString& section, const QString& key,
                               const QString& fallback) const override;
    bool write(const QString& section, const QString& key, const QString& value) override;

    [[nodiscard]] const QString& path() const { return m_path; }

private:
    /// The file's size and times, which any change to it moves.
    struct Stamp {
        qint64 size = -1;
        QDateTime modified;
        QDateTime metadataChanged;
        bool operator==(const Stamp& other) const {
            return size == other.size && modified == other.modified &&
                   metadataChanged == other.metadataChanged;
        }
    };
    /// What is at the path: nothing, something not to read, or a readable file's bytes.
    struct Contents {
        enum class Kind { Missing, Unusable, File } kind;
        QByteArray bytes;
    };

    [[nodiscard]] Contents load() const;

    QString m_path;
    /// The bytes last read or written, and the stamp the file had then.
    mutable std::optional<std::pair<Stamp, QByteArray>> m_seen;
};

} // namespace tavrik::platform
