#include "platform/TextServices.h"

#include <utility>

namespace tavrik::platform {
namespace {

constexpr int kWindowsLatin1 = 1252;
constexpr int kIso8859_1 = 28591;

/// The locale's code page, made when it is first used: its converter comes from ICU,
/// which nothing needs before the first Read or Write. The first of the locale's own
/// code page, Windows-1252 and ISO 8859-1 that this build can convert.
class CodePageOnFirstUse final : public CodePage {
public:
    explicit CodePageOnFirstUse(int number) : m_wanted(number) {}

    int number() const override { return page().number(); }
    QByteArray fromUnicode(const QString& text) const override { return page().fromUnicode(text); }
    QString toUnicode(const QByteArray& bytes) const override { return page().toUnicode(bytes); }

private:
    const CodePage& page() const {
        if (!m_page) {
            for (const int number : {m_wanted, kWindowsLatin1, kIso8859_1}) {
                m_page = makeCodePage(number);
                if (m_page) {
                    break;
                }
            }
        }
        return *m_page;
    }

    int m_wanted;
    mutable std::unique_ptr<CodePage> m_page;
};

} // namespace

TextServices makeTextServices(std::unique_ptr<SystemLocale> locale) {
    if (!locale) {
        locale = makeSystemLocale();
    }
    TextServices services;
    const std::uint32_t lcid = locale->systemDefaultLcid();
    services.locale = std::move(locale);
    services.codePage = std::make_unique<CodePageOnFirstUse>(ansiCodePageForLcid(lcid));
    services.calendar = std::make_unique<ClockCalendar>(lcid);
    return services;
}

TextServices makeSystemTextServices() {
    return makeTextServices(makeSystemLocale());
}

} // namespace tavrik::platform
