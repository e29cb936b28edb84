#include "settings/ModData.h"

#include "settings/ImageLayout.h"
#include "settings/ModVersion.h"
#include "settings/Numeric.h"
#include "settings/SettingsFields.h"

#include "platform/CodePage.h"
#include "platform/SystemCalendar.h"

#include <limits>

namespace tavrik {
namespace {

constexpr QChar kNul{u'\0'};
constexpr int kSerialHeadLength = 8;
constexpr int kSerialDigits = 8;

bool endsText(std::uint8_t byte) {
    return byte == layout::kTextEndZero || byte == layout::kTextEndErased;
}

QString zeroPadded(int value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 10, QChar(u'0'));
}

// The number format "00000000": at least eight digits, a minus sign in front of them.
QString eightDigits(qint32 value) {
    const QString digits = QString::number(qAbs(qint64{value})).rightJustified(kSerialDigits, u'0');
    return value < 0 ? u'-' + digits : digits;
}

// The numeric text plus one, or nothing when it is not numeric or would overflow.
std::optional<QString> incremented(const QString& text) {
    const std::optional<qint32> value = ToInt32(text);
    if (!value || *value == std::numeric_limits<qint32>::max()) {
        return std::nullopt;
    }
    return eightDigits(*value + 1);
}

} // namespace

QString ModelDisplayName(const QString& modelText) {
    const QString model = TrimAtNul(modelText);
    if (model == QLatin1String(kModelWord)) {
        return QLatin1String(kModelWord);
    }
    return model;
}

ModData::ModData(const platform::CodePage& codePage, const platform::SystemCalendar& calendar)
    : m_codePage(codePage), m_calendar(calendar) {}

void ModData::LoadDefaults() {
    RadioSettings& s = m_settings;
    s.FactoryMode = 0;
    s.FreqSetEnabled = 0;
    s.StunEnabled = 0;
    s.KillEnabled = 0;
    s.StunCode = QStringLiteral("370512");
    s.KillCode = QStringLiteral("481623");
    s.Reserved1 = 0;
    s.Reserved2 = 0;
    s.BandIndex = 0;
    s.ModelName = QLatin1String(kModelWord);
    const QDate today = m_calendar.today();
    for (const SettingsField& field : kSettingsFields) {
        // A fixed-width field holds its start value then one NUL; one that the value
        // fills has no room left for the NUL.
        SetFieldText(s, field,
                     startValue(field, today) + (HasWidth(field) ? QString(kNul) : QString()));
    }
    m_asRead = {};
}

QString ModData::startValue(const SettingsField& field, const QDate& today) const {
    const QString month = zeroPadded(today.month(), 2);
    switch (field.start) {
    case StartValue::SerialOfToday:
        return zeroPadded(today.year(), 4) + month + zeroPadded(today.day(), 2) +
               QStringLiteral("00000001");
    case StartValue::DateOfToday:
        return m_calendar.shortDate(today);
    case StartValue::BatchOfMonth:
        return month + QStringLiteral("-1-E-1");
    case StartValue::Text:
        break;
    }
    return QString::fromLatin1(field.startText);
}

QChar ModData::charFromByte(std::uint8_t byte) const {
    const QString text = m_codePage.toUnicode(QByteArray(1, static_cast<char>(byte)));
    return text.size() == 1 ? text.front() : QChar(QChar::ReplacementCharacter);
}

std::uint8_t ModData::byteFromChar(QChar character) const {
    const QByteArray bytes = m_codePage.fromUnicode(QString(character));
    return bytes.size() == 1 ? static_cast<std::uint8_t>(bytes.front()) : kUnstorableChar;
}

QString ModData::charBytesText(int address, int length) const {
    QString text;
    for (int i = 0; i < length; ++i) {
        const std::uint8_t byte = m_image.at(address + i);
        if (endsText(byte)) {
            break;
        }
        text += charFromByte(byte);
    }
    return text;
}

QString ModData::codePageText(int address, int length) const {
    QByteArray bytes;
    for (int i = 0; i < length; ++i) {
        const std::uint8_t byte = m_image.at(address + i);
        if (endsText(byte)) {
            break;
        }
        bytes.append(static_cast<char>(byte));
    }
    return TrimAtNul(m_codePage.toUnicode(bytes)) + kNul;
}

bool ModData::IsExpectedModel() const {
    return IsModelWord(m_image.bytes(layout::kModelWord.address, layout::kModelWord.length));
}

// The model word is ASCII, which reads the same in every code page the program knows.
bool IsModelWord(const QByteArray& bytes) {
    QByteArray text = bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (endsText(static_cast<std::uint8_t>(text.at(i)))) {
            text.truncate(i);
            break;
        }
    }
    return TrimAtNul(QString::fromLatin1(text)) == QLatin1String(kModelWord);
}

void ModData::NextSerialNumber() {
    QString serial = m_settings.SerialNumber.text();
    if (serial.size() > kSerialHeadLength) {
        if (const std::optional<QString> tail = incremented(serial.mid(kSerialHeadLength))) {
            serial = serial.left(kSerialHeadLength) + *tail;
        }
    } else if (const std::optional<QString> whole = incremented(serial)) {
        serial = *whole;
    }
    m_settings.SerialNumber = serial + kNul;
}

void ModData::ParseImage() {
    using namespace layout;
    RadioSettings& s = m_settings;
    s.BandIndex = m_image.at(kBand.address);

    const std::uint8_t flags = m_image.at(kFlags.address);
    s.FactoryMode = (flags & kFactoryModeBit) ? 1 : 0;
    s.FreqSetEnabled = (flags & kFreqSetBit) ? 1 : 0;
    s.StunEnabled = (flags & kStunBit) ? 1 : 0;
    s.KillEnabled = (flags & kKillBit) ? 1 : 0;

    for (std::size_t i = 0; i < kSettingsFields.size(); ++i) {
        const SettingsField& field = kSettingsFields[i];
        const ImageField& at = field.bytes;
        switch (field.encoding) {
        case FieldEncoding::CharBytes:
            SetFieldText(s, field, charBytesText(at.address, at.length));
            if (field.sentByWrite) {
                m_asRead[i] =
                    CharBytesAsRead{m_image.bytes(at.address, at.length), FieldText(s, field)};
            }
            break;
        case FieldEncoding::CodePageText:
            SetFieldText(s, field, codePageText(at.address, at.length));
            break;
        case FieldEncoding::VersionBytes:
            SetFieldText(s, field,
                         VersionTextFromBytes(m_image.at(at.address), m_image.at(at.address + 1)));
            break;
        }
    }
}

void ModData::BuildWriteImage() {
    using namespace layout;
    const RadioSettings& s = m_settings;

    // A band index that is not a byte value (nothing the radio or the band list can
    // give) leaves the radio's band as held rather than writing a wrapped value.
    if (s.BandIndex >= 0 && s.BandIndex <= 0xFF) {
        m_image.set(kBand.address, static_cast<std::uint8_t>(s.BandIndex));
    }

    std::uint8_t flags = m_image.at(kFlags.address) & static_cast<std::uint8_t>(~kWritableFlagBits);
    if (s.FreqSetEnabled != 0) {
        flags |= kFreqSetBit;
    }
    if (s.StunEnabled != 0) {
        flags |= kStunBit;
    }
    if (s.KillEnabled != 0) {
        flags |= kKillBit;
    }
    m_image.set(kFlags.address, flags);

    for (std::size_t i = 0; i < kSettingsFields.size(); ++i) {
        const SettingsField& field = kSettingsFields[i];
        if (!field.sentByWrite) {
            continue;
        }
        const QString text = FieldText(s, field);
        switch (field.encoding) {
        case FieldEncoding::CharBytes:
            // A byte that is no character of its own in the code page (a lone lead byte
            // of code page 936) reads as U+FFFD and would be stored back as '?', and
            // bytes after the text's end would become zeros: a field nobody changed
            // since the Read goes back as the bytes that Read found.
            if (m_asRead[i] && text == m_asRead[i]->text) {
                m_image.setBytes(field.bytes.address, m_asRead[i]->bytes);
            } else {
                PutCharBytes(field.bytes.address, text, field.bytes.length);
            }
            break;
        case FieldEncoding::CodePageText:
            PutAnsiBytes(field.bytes.address, text, field.bytes.length);
            break;
        case FieldEncoding::VersionBytes:
            break; // never sent from the record (the table says so)
        }
    }
}

void ModData::PutCharBytes(int address, const QString& text, int n) {
    for (int i = 0; i < n; ++i) {
        const std::uint8_t byte = i < text.size() ? byteFromChar(text.at(i)) : 0;
        m_image.set(address + i, byte);
    }
}

void ModData::PutAnsiBytes(int address, const QString& text, int n) {
    const QByteArray bytes = m_codePage.fromUnicode(text);
    for (int i = 0; i < n; ++i) {
        const std::uint8_t byte = i < bytes.size() ? static_cast<std::uint8_t>(bytes.at(i)) : 0;
        m_image.set(address + i, byte);
    }
}

} // namespace tavrik
