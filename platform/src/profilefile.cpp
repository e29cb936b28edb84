#include "platform/IniProfileFile.h"

#include <QFile>
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

std::vector<Line> splitLines(const QByteArray& bytes) {
    std::vector<Line> lines;
    qsizetype begin = 0;
    while (begin < bytes.size()) {
        qsizetype newline = bytes.indexOf('\n', begin);
        const qsizetype next = newline < 0 ? bytes.size() : newline + 1;
        qsizetype end = newline < 0 ? bytes.size() : newline;
        if (end > begin && bytes.at(end - 1) == '\r') {
            --end;
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

QByteArray lineBreakOf(const QByteArray& bytes) {
    const qsizetype newline = bytes.indexOf('\n');
    if (newline > 0 && bytes.at(newline - 1) == '\r') {
        return QByteArrayLiteral("\r\n");
    }
    if (newline >= 0) {
        return QByteArrayLiteral("\n");
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

QString IniProfileFile::read(const QString& section, const QString& key,
                             const QString& fallback) const {
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        return fallback;
    }
    const QByteArray bytes = file.readAll();
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
    QByteArray bytes;
    QFile existing(m_path);
    const bool exists = existing.exists();
    if (exists) {
        // A file that cannot be read must not be replaced by one that lacks its lines.
        if (!existing.open(QIODevice::ReadOnly)) {
            return false;
        }
        bytes = existing.readAll();
        existing.close();
    }
    const QByteArray original = bytes;
    const QByteArray eol = lineBreakOf(bytes);
    const QByteArray keyLine = key.toUtf8() + '=' + value.toUtf8();
    const auto lines = splitLines(bytes);
    const Found found = find(bytes, lines, section, key);

    if (found.key) {
        const Line& line = lines[*found.key];
        bytes.replace(line.begin, line.end - line.begin, keyLine);
    } else if (found.section) {
        const Line& last = lines[found.lastContent];
        const bool broken = last.next > last.end;
        bytes.insert(last.next, broken ? keyLine + eol : eol + keyLine + eol);
    } else {
        if (!bytes.isEmpty() && !bytes.endsWith('\n')) {
            bytes.append(eol);
        }
        bytes.append('[' + section.toUtf8() + ']' + eol + keyLine + eol);
    }
    if (exists && bytes == original) {
        return true;
    }

    QSaveFile file(m_path);
    // A folder that refuses the temporary file may still allow the file itself.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        return false; // the old file stays as it was
    }
    return file.commit();
}

} // namespace tavrik::platform
