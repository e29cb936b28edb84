#include "platform/CodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace tavrik::platform {
namespace {

// Windows code page numbers and the converter names Qt knows them by.
struct NamedCodePage {
    int number;
    const char* name;
};

constexpr NamedCodePage kNamedCodePages[] = {
    {874, "windows-874"},   {932, "windows-932"},   {936, "windows-936"},   {949, "windows-949"},
    {950, "windows-950"},   {1250, "windows-1250"}, {1251, "windows-1251"}, {1252, "windows-1252"},
    {1253, "windows-1253"}, {1254, "windows-1254"}, {1255, "windows-1255"}, {1256, "windows-1256"},
    {1257, "windows-1257"}, {1258, "windows-1258"},
};

constexpr int kIso8859_1 = 28591;
constexpr char kDefaultChar = '?';

class QtCodePage final : public CodePage {
public:
    QtCodePage(int number, const char* name) : m_number(number), m_name(name) {}
    QtCodePage(int number, QStringConverter::Encoding encoding)
        : m_number(number), m_encoding(encoding) {}

    [[nodiscard]] bool isValid() const { return makeEncoder().isValid(); }

    int number() const override { return m_number; }

    QByteArray fromUnicode(const QString& text) const override {
        // One character at a time, so that a character without bytes in this code page
        // becomes the one default character, as Windows writes it, rather than the
        // converter's own substitute (0x1A in some code pages) or nothing at all.
        QByteArray out;
        out.reserve(text.size() * 2);
        qsizetype i = 0;
        while (i < text.size()) {
            const qsizetype length = (text.at(i).isHighSurrogate() && i + 1 < text.size() &&
                                      text.at(i + 1).isLowSurrogate())
                                         ? 2
                                         : 1;
            QStringEncoder encoder = makeEncoder();
            const QByteArray bytes = encoder.encode(QStringView(text).mid(i, length));
            if (encoder.hasError() || bytes.isEmpty()) {
                out.append(kDefaultChar);
            } else {
                out.append(bytes);
            }
            i += length;
        }
        return out;
    }

    QString toUnicode(const QByteArray& bytes) const override {
        // A fresh decoder that is never flushed: a lead byte left over at the end stays
        // in its state and does not reach the text (a text cut at a byte limit).
        QStringDecoder decoder = makeDecoder();
        return decoder.decode(bytes);
    }

private:
    [[nodiscard]] QStringEncoder makeEncoder() const {
        return m_name ? QStringEncoder(m_name) : QStringEncoder(m_encoding);
    }
    [[nodiscard]] QStringDecoder makeDecoder() const {
        return m_name ? QStringDecoder(m_name) : QStringDecoder(m_encoding);
    }

    int m_number;
    const char* m_name = nullptr;
    QStringConverter::Encoding m_encoding = QStringConverter::Latin1;
};

} // namespace

std::unique_ptr<CodePage> makeCodePage(int windowsCodePage) {
    if (windowsCodePage == kIso8859_1) {
        return std::make_unique<QtCodePage>(kIso8859_1, QStringConverter::Latin1);
    }
    for (const NamedCodePage& named : kNamedCodePages) {
        if (named.number == windowsCodePage) {
            auto codePage = std::make_unique<QtCodePage>(named.number, named.name);
            if (!codePage->isValid()) {
                return nullptr;
            }
            return codePage;
        }
    }
    return nullptr;
}

int ansiCodePageForLcid(std::uint32_t lcid) {
    const std::uint32_t language = lcid & 0x3FFu;
    switch (lcid) {
    // Chinese: simplified script in the PRC and Singapore, traditional elsewhere.
    case 0x0804:
    case 0x1004:
        return 936;
    // Serbian and Bosnian in Cyrillic script; Azeri and Uzbek in Cyrillic script.
    case 0x0C1A:
    case 0x1C1A:
    case 0x201A:
    case 0x281A:
    case 0x301A:
    case 0x082C:
    case 0x0843:
        return 1251;
    // Croatian and Serbian/Bosnian in Latin script.
    case 0x041A:
    case 0x081A:
    case 0x101A:
    case 0x141A:
    case 0x181A:
    case 0x241A:
    case 0x2C1A:
        return 1250;
    // Azeri and Uzbek in Latin script.
    case 0x042C:
    case 0x0443:
        return 1254;
    default:
        break;
    }
    switch (language) {
    case 0x04: // Chinese (Taiwan, Hong Kong, Macao)
        return 950;
    case 0x11: // Japanese
        return 932;
    case 0x12: // Korean
        return 949;
    case 0x02: // Bulgarian
    case 0x19: // Russian
    case 0x22: // Ukrainian
    case 0x23: // Belarusian
    case 0x28: // Tajik
    case 0x2F: // Macedonian
    case 0x3F: // Kazakh
    case 0x40: // Kyrgyz
    case 0x44: // Tatar
    case 0x50: // Mongolian
    case 0x6D: // Bashkir
    case 0x85: // Yakut
        return 1251;
    case 0x05: // Czech
    case 0x0E: // Hungarian
    case 0x15: // Polish
    case 0x18: // Romanian
    case 0x1B: // Slovak
    case 0x1C: // Albanian
    case 0x24: // Slovenian
    case 0x42: // Turkmen
        return 1250;
    case 0x08: // Greek
        return 1253;
    case 0x1F: // Turkish
        return 1254;
    case 0x0D: // Hebrew
        return 1255;
    case 0x01: // Arabic
    case 0x20: // Urdu
    case 0x29: // Persian
    case 0x80: // Uyghur
    case 0x8C: // Dari
        return 1256;
    case 0x25: // Estonian
    case 0x26: // Latvian
    case 0x27: // Lithuanian
        return 1257;
    case 0x1E: // Thai
        return 874;
    case 0x2A: // Vietnamese
        return 1258;
    default:
        return 1252;
    }
}

} // namespace tavrik::platform
