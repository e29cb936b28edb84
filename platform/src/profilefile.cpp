#include "platform/IniProfileFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <optional>
#include <utility>
#include <vector>

namespace tavrik::platform {
namespace {

/// One line of the file as byte offsets: [begin, end) is its text without the line
/// break, `next` is where the following line starts.
struct Line {
    qsizetype begin;
    qsizetype end;
    qsizetype next;
};

// LF, CRLF and a lone CR each end a line (a CRLF file cut short ends in a lone CR).
std::vector<Line> splitLines(const QByteArray& bytes) {
    std::vector<Line> lines;
    const qsizetype size = bytes.size();
    qsizetype begin = 0;
    while (begin < size) {
        qsizetype end = begin;
        while (end < size && bytes.at(end) != '\n' && bytes.at(end) != '\r') {
            ++end;
        }
        qsizetype next = end;
        if (next < size) {
            next += bytes.at(next) == '\r' && next + 1 < size && bytes.at(next + 1) == '\n' ? 2 : 1;
        }
        lines.push_back({begin, end, next});
        begin = next;
    }
    return lines;
}

QString lineText(const QByteArray& bytes, const Line& line) {
    return QString::fromUtf8(bytes.constData() + line.begin, line.end - line.begin);
}

/// The name of a "[section]" line; empty optional for any other line.
std::optional<QString> sectionOf(const QString& text) {
    const QString t = text.trimmed();
    if (!t.startsWith(u'[')) {
        return std::nullopt;
    }
    const qsizetype close = t.indexOf(u']');
    return (close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed();
}

/// The key of a "key=value" line, and its value; empty optional for any other line.
std::optional<std::pair<QString, QString>> keyValueOf(const QString& text) {
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 0) {
        return std::nullopt;
    }
    return std::make_pair(text.left(equals).trimmed(), text.mid(equals + 1).trimmed());
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

struct Found {
    std::optional<std::size_t> section; ///< index of the section's header line
    std::optional<std::size_t> key;     ///< index of the key's line
    std::size_t lastContent = 0;        ///< last non-blank line of the section
};

Found find(const QByteArray& bytes, const std::vector<Line>& lines, const QString& section,
           const QString& key) {
    Found found;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QString text = lineText(bytes, lines[i]);
        if (const auto name = sectionOf(text)) {
            if (found.section) {
                break; // the next section starts: only the first match counts
            }
            if (sameName(*name, section)) {
                found.section = i;
                found.lastContent = i;
            }
            continue;
        }
        if (!found.section) {
            continue;
        }
        if (!text.trimmed().isEmpty()) {
            found.lastContent = i;
        }
        if (const auto kv = keyValueOf(text); kv && !found.key && sameName(kv->first, key)) {
            found.key = i;
        }
    }
    return found;
}

QString unquoted(const QString& value) {
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front()) {
        return value.mid(1, value.size() - 2);
    }
    return value;
}

/// The break that ends the file's first line; the system's own for a file without one.
QByteArray lineBreakOf(const QByteArray& bytes, const std::vector<Line>& lines) {
    if (!lines.empty() && lines.front().next > lines.front().end) {
        return bytes.mid(lines.front().end, lines.front().next - lines.front().end);
    }
#ifdef Q_OS_WIN
    return QByteArrayLiteral("\r\n");
#else
    return QByteArrayLiteral("\n");
#endif
}

bool hasLineBreak(const QString& text) {
    return text.contains(u'\n') || text.contains(u'\r');
}

} // namespace

QString settingsFilePath(const QString& folder) {
    return folder + QStringLiteral("/mysetup.ini");
}

IniProfileFile::IniProfileFile(QString path) : m_path(std::move(path)) {}

IniProfileFile::Contents IniProfileFile::load() const {
    const QFileInfo info(m_path);
    if (!info.exists() && !info.isSymLink()) {
        return {Contents::Kind::Missing, {}};
    }
    // Opening a FIFO would wait for a writer, and a device such as /dev/zero never
    // ends: only a regular file of sane size is opened at all.
    if (!info.isFile() || info.size() > kMaxFileBytes) {
        return {Contents::Kind::Unusable, {}};
    }
    const Stamp stamp{info.size(), info.lastModified(), info.metadataChangeTime()};
    if (m_seen && m_seen->first == stamp) {
        return {Contents::Kind::File, m_seen->second};
    }
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly) || file.isSequential()) {
        return {Contents::Kind::Unusable, {}};
    }
    // Never more than the limit, even if the file grew or was swapped since it was looked at.
    QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxFileBytes) {
        return {Contents::Kind::Unusable, {}};
    }
    m_seen.emplace(stamp, bytes);
    return {Contents::Kind::File, std::move(bytes)};
}

QString IniProfileFile::read(const QString& section, const QString& key,
                             const QString& fallback) const {
    const Contents contents = load();
    const QByteArray& bytes = contents.bytes;
    const auto lines = splitLines(bytes);
    const Found found = find(bytes, lines, section, key);
    if (!found.key) {
        return fallback;
    }
    return unquoted(keyValueOf(lineText(bytes, lines[*found.key]))->second);
}

bool IniProfileFile::write(const QString& section, const QString& key, const QString& value) {
    // A line break in a name or value would write lines of its own into the file.
    if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value) ||
        section.contains(u']') || key.contains(u'=') || key.trimmed().isEmpty()) {
        return false;
    }
    const Contents contents = load();
    // A file that cannot be read must not be replaced by one that lacks its lines, and
    // nothing is written through a link to a device or into a FIFO.
    if (contents.kind == Contents::Kind::Unusable) {
        return false;
    }
    const bool exists = contents.kind == Contents::Kind::File;
    QByteArray bytes = contents.bytes;
    const auto lines = splitLines(bytes);
    const QByteArray eol = lineBreakOf(bytes, lines);
    const QByteArray keyLine = key.toUtf8() + '=' + value.toUtf8();
    const Found found = find(bytes, lines, section, key);

    if (found.key) {
        const Line& line = lines[*found.key];
        bytes.replace(line.begin, line.end - line.begin, keyLine);
    } else if (found.section) {
        const Line& last = lines[found.lastContent];
        const bool broken = last.next > last.end;
        bytes.insert(last.next, broken ? keyLine + eol : eol + keyLine + eol);
    } else {
        if (!lines.empty() && lines.back().next == lines.back().end) {
            bytes.append(eol);
        }
        bytes.append('[' + section.toUtf8() + ']' + eol + keyLine + eol);
    }
    if (exists && bytes == contents.bytes) {
        return true;
    }

    // The new file is written beside the old one and renamed over it, never written in
    // place: a store cut short (a full disk, a pulled stick) leaves the old file whole. A
    // folder that refuses the new file refuses the store.
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        return false; // the old file stays as it was
    }
    if (!file.commit()) {
        return false;
    }
    const QFileInfo info(m_path);
    m_seen.emplace(Stamp{info.size(), info.lastModified(), info.metadataChangeTime()},
                   std::move(bytes));
    return true;
}

} // namespace tavrik::platform
