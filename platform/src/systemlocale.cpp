#include "platform/SystemLocale.h"

#include <QFile>

#include <optional>
#include <utility>

namespace tavrik::platform {
namespace {

struct NamedLcid {
    const char* name; // language_TERRITORY, or language alone for its main territory
    std::uint32_t lcid;
};

// The common locales. A language alone stands for the territory Windows treats as
// its main one.
constexpr NamedLcid kLcids[] = {
    {"zh_CN", 0x0804}, {"zh_TW", 0x0404}, {"zh_HK", 0x0C04}, {"zh_SG", 0x1004}, {"zh_MO", 0x1404},
    {"zh", 0x0804},    {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009},
    {"en_NZ", 0x1409}, {"en_IE", 0x1809}, {"en_ZA", 0x1C09}, {"en_IN", 0x4009}, {"en_SG", 0x4809},
    {"en_HK", 0x3C09}, {"en_PH", 0x3409}, {"en", 0x0409},    {"de_DE", 0x0407}, {"de_CH", 0x0807},
    {"de_AT", 0x0C07}, {"de_LU", 0x1007}, {"de", 0x0407},    {"fr_FR", 0x040C}, {"fr_BE", 0x080C},
    {"fr_CA", 0x0C0C}, {"fr_CH", 0x100C}, {"fr_LU", 0x140C}, {"fr", 0x040C},    {"es_ES", 0x0C0A},
    {"es_MX", 0x080A}, {"es_AR", 0x2C0A}, {"es_CO", 0x240A}, {"es_CL", 0x340A}, {"es_US", 0x540A},
    {"es", 0x0C0A},    {"it_IT", 0x0410}, {"it_CH", 0x0810}, {"it", 0x0410},    {"pt_BR", 0x0416},
    {"pt_PT", 0x0816}, {"pt", 0x0816},    {"nl_NL", 0x0413}, {"nl_BE", 0x0813}, {"nl", 0x0413},
    {"ja_JP", 0x0411}, {"ja", 0x0411},    {"ko_KR", 0x0412}, {"ko", 0x0412},    {"ru_RU", 0x0419},
    {"ru", 0x0419},    {"uk_UA", 0x0422}, {"uk", 0x0422},    {"be_BY", 0x0423}, {"bg_BG", 0x0402},
    {"pl_PL", 0x0415}, {"pl", 0x0415},    {"cs_CZ", 0x0405}, {"sk_SK", 0x041B}, {"hu_HU", 0x040E},
    {"ro_RO", 0x0418}, {"sl_SI", 0x0424}, {"hr_HR", 0x041A}, {"sr_RS", 0x281A}, {"sq_AL", 0x041C},
    {"el_GR", 0x0408}, {"tr_TR", 0x041F}, {"he_IL", 0x040D}, {"ar_SA", 0x0401}, {"ar_EG", 0x0C01},
    {"ar_AE", 0x3801}, {"fa_IR", 0x0429}, {"ur_PK", 0x0420}, {"et_EE", 0x0425}, {"lv_LV", 0x0426},
    {"lt_LT", 0x0427}, {"th_TH", 0x041E}, {"vi_VN", 0x042A}, {"id_ID", 0x0421}, {"ms_MY", 0x043E},
    {"hi_IN", 0x0439}, {"sv_SE", 0x041D}, {"sv_FI", 0x081D}, {"da_DK", 0x0406}, {"nb_NO", 0x0414},
    {"nn_NO", 0x0814}, {"fi_FI", 0x040B}, {"is_IS", 0x040F}, {"kk_KZ", 0x043F},
};

// Serbian is written in two scripts; the modifier says which.
constexpr std::uint32_t kSerbianLatin = 0x241A;

std::uint32_t lookUp(const QString& key) {
    for (const NamedLcid& named : kLcids) {
        if (key == QLatin1String(named.name)) {
            return named.lcid;
        }
    }
    return 0;
}

// The blanks of the shell: space, tab, and the line-break characters.
bool isBlank(QChar c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

QStringView skipBlanks(QStringView text) {
    while (!text.isEmpty() && isBlank(text.front())) {
        text = text.mid(1);
    }
    return text;
}

// The value of a shell assignment: a quoted text, or a word ended by a blank or a comment.
QString shellValue(QStringView raw) {
    const QStringView value = raw.trimmed();
    if (!value.isEmpty() && (value.front() == u'"' || value.front() == u'\'')) {
        const qsizetype end = value.indexOf(value.front(), 1);
        return (end < 0 ? value.mid(1) : value.mid(1, end - 1)).toString();
    }
    qsizetype end = 0;
    while (end < value.size() && !isBlank(value[end]) && value[end] != u'#') {
        ++end;
    }
    return value.left(end).toString();
}

struct Assignment {
    QStringView name;
    QStringView value;
};

// A line "[export ]LC_ALL=value" or "[export ]LANG=value", blanks allowed before the
// name and around it; empty for any other line.
std::optional<Assignment> localeAssignment(QStringView line) {
    line = skipBlanks(line);
    constexpr QStringView kExport = u"export";
    if (line.startsWith(kExport) && line.size() > kExport.size() && isBlank(line[kExport.size()])) {
        line = skipBlanks(line.mid(kExport.size()));
    }
    for (const QStringView name : {QStringView(u"LC_ALL"), QStringView(u"LANG")}) {
        if (!line.startsWith(name)) {
            continue;
        }
        const QStringView rest = skipBlanks(line.mid(name.size()));
        if (rest.startsWith(u'=')) {
            return Assignment{name, rest.mid(1)};
        }
    }
    return std::nullopt;
}

// LC_ALL, else LANG, as set in one shell-style file; empty when it sets neither.
QString localeNameFromFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return {};
    }
    QString lang;
    QString all;
    const QString content = QString::fromUtf8(file.readAll());
    for (const QStringView line : QStringView(content).split(u'\n')) {
        if (const auto assignment = localeAssignment(line)) {
            (assignment->name == QStringView(u"LC_ALL") ? all : lang) =
                shellValue(assignment->value);
        }
    }
    return all.isEmpty() ? lang : all;
}

} // namespace

std::uint32_t lcidForPosixLocale(const QString& posixName) {
    QString name = posixName.trimmed();
    QString modifier;
    const qsizetype at = name.indexOf(u'@');
    if (at >= 0) {
        modifier = name.mid(at + 1).toLower();
        name.truncate(at);
    }
    const qsizetype dot = name.indexOf(u'.');
    if (dot >= 0) {
        name.truncate(dot);
    }
    // Names are language_TERRITORY; accept the other spellings of case and separator.
    name.replace(u'-', u'_');
    const qsizetype underscore = name.indexOf(u'_');
    const QString language = name.left(underscore < 0 ? name.size() : underscore).toLower();
    const QString territory = underscore < 0 ? QString() : name.mid(underscore + 1).toUpper();

    if (language == QLatin1String("sr") && modifier == QLatin1String("latin")) {
        return kSerbianLatin;
    }
    if (!territory.isEmpty()) {
        if (const std::uint32_t lcid = lookUp(language + u'_' + territory)) {
            return lcid;
        }
    }
    if (const std::uint32_t lcid = lookUp(language)) {
        return lcid;
    }
    return kLcidEnglishUs;
}

LocaleSources systemLocaleSources() {
    return {{QStringLiteral("/etc/locale.conf"), QStringLiteral("/etc/default/locale")},
            [](const QString& name) { return qEnvironmentVariable(name.toLatin1().constData()); }};
}

QString systemLocaleName(const LocaleSources& sources) {
    for (const QString& path : sources.files) {
        const QString name = localeNameFromFile(path);
        if (!name.isEmpty()) {
            return name;
        }
    }
    if (sources.environment) {
        for (const char* variable : {"LC_ALL", "LANG"}) {
            const QString name = sources.environment(QLatin1String(variable)).trimmed();
            if (!name.isEmpty()) {
                return name;
            }
        }
    }
    return {};
}

PosixSystemLocale::PosixSystemLocale(LocaleSources sources) : m_sources(std::move(sources)) {}

std::uint32_t PosixSystemLocale::systemDefaultLcid() const {
    if (!m_lcid) {
        m_lcid = lcidForPosixLocale(systemLocaleName(m_sources));
    }
    return *m_lcid;
}

} // namespace tavrik::platform
