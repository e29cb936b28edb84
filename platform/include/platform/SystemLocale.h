#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace tavrik::platform {

/// The system default locale (not the user's), as a Windows locale identifier:
/// 0x0804 for Chinese (People's Republic of China), 0x0409 for English (United States).
class SystemLocale {
public:
    virtual ~SystemLocale() = default;
    [[nodiscard]] virtual std::uint32_t systemDefaultLcid() const = 0;
};

/// The locale identifier for English (United States), given to every locale name
/// that has no identifier of its own (C, POSIX, unknown names).
inline constexpr std::uint32_t kLcidEnglishUs = 0x0409;

/// The Windows locale identifier of a POSIX locale name such as "zh_CN.UTF-8",
/// "zh_TW.Big5", "de_DE@euro" or "en". Codeset and modifier are ignored (except
/// "@latin"/"@cyrillic" where they choose the script); a language without a
/// territory takes its main territory; C, POSIX and unknown names give 0x0409.
[[nodiscard]] std::uint32_t lcidForPosixLocale(const QString& posixName);

/// Where a Linux system keeps its system-wide locale, in the order they are read,
/// and the process environment, consulted only when no file names a locale.
struct LocaleSources {
    QStringList files;
    std::function<QString(const QString& name)> environment;
};

/// /etc/locale.conf, /etc/default/locale and the real environment.
[[nodiscard]] LocaleSources systemLocaleSources();

/// The system-wide locale name: LC_ALL, else LANG, of the first file that sets one
/// of them (lines NAME=value, optionally quoted, "export " and # comments allowed);
/// then the environment's LC_ALL, then LANG; empty when none is set.
[[nodiscard]] QString systemLocaleName(const LocaleSources& sources);

/// The system locale of a Linux system, read from its locale files when first asked
/// (the program chooses its language once).
class PosixSystemLocale final : public SystemLocale {
public:
    explicit PosixSystemLocale(LocaleSources sources);
    [[nodiscard]] std::uint32_t systemDefaultLcid() const override;

private:
    LocaleSources m_sources;
    mutable std::optional<std::uint32_t> m_lcid;
};

/// The system locale of the running system.
[[nodiscard]] std::unique_ptr<SystemLocale> makeSystemLocale();

} // namespace tavrik::platform
