#pragma once

#include <QString>

namespace tavrik::platform {

/// An initialization file of sections and "key=value" lines.
class ProfileFile {
public:
    virtual ~ProfileFile() = default;
    /// The value of key in section, or `fallback` when the file, section or key is missing.
    [[nodiscard]] virtual QString read(const QString& section, const QString& key,
                                       const QString& fallback) const = 0;
    /// Sets key in section, creating the file, section or key as needed and keeping
    /// every other line. False when the file cannot be written.
    virtual bool write(const QString& section, const QString& key, const QString& value) = 0;
};

} // namespace tavrik::platform
