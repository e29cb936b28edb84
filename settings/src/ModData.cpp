#include "settings/ModData.h"

#include "settings/ImageLayout.h"
#include "settings/ModVersion.h"
#include "settings/Numeric.h"

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
    const QDate today = m_calendar.today();
    const QString month = zeroPadded(today.month(), 2);
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
    s.ProgramPassword = QString(kNul);
    s.SerialNumber = zeroPadded(today.year(), 4) + month + zeroPadded(today.day(), 2) +
                     QStringLiteral("00000001");
    s.ProductionDate = m_calendar.shortDate(today) + kNul;
    s.ManufactureCode = month + QStringLiteral("-1-E-1") + kNul;
    s.UserCode = QStringLiteral("WOLP");
    s.MaintainedDate = QString(kNul);
    s.DealerCode = QString(kNul);
    s.StockDate = QString(kNul);
    s.SellDate = QString(kNul);
    s.Seller = QString(kNul);
    s.MaintainedDescription = QString(kNul);
    s.RfFirmwareVersion = QStringLiteral("V1.00");
    s.LcdFirmwareVersion = QStringLiteral("V1.00");
    s.AreaCode.clear();
    s.ModelName = QLatin1String(kModelWord);
    m_passwordAsRead.reset();
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
    return TrimAtNul(charBytesText(layout::kModelWord.address, layout::kModelWord.length)) ==
           QLatin1String(kModelWord);
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
    s.RfFirmwareVersion =
        VersionTextFromBytes(m_image.at(kRfMajor.address), m_image.at(kRfMinor.address));
    s.LcdFirmwareVersion =
        VersionTextFromBytes(m_image.at(kLcdMajor.address), m_image.at(kLcdMinor.address));

    s.BandIndex = m_image.at(kBand.address);

    const std::uint8_t flags = m_image.at(kFlags.address);
    s.FactoryMode = (flags & kFactoryModeBit) ? 1 : 0;
    s.FreqSetEnabled = (flags & kFreqSetBit) ? 1 : 0;
    s.StunEnabled = (flags & kStunBit) ? 1 : 0;
    s.KillEnabled = (flags & kKillBit) ? 1 : 0;

    s.UserCode = charBytesText(kUserCode.address, kUserCode.length);
    s.AreaCode = charBytesText(kAreaCode.address, kAreaCode.length);
    s.ProgramPassword = charBytesText(kProgramPassword.address, kProgramPassword.length);
    m_passwordAsRead = CharBytesAsRead{
        m_image.bytes(kProgramPassword.address, kProgramPassword.length), s.ProgramPassword.text()};

    const auto field = [this](const ImageField& f) { return codePageText(f.address, f.length); };
    s.SerialNumber = field(kSerialNumber);
    s.ProductionDate = field(kProductionDate);
    s.ManufactureCode = field(kManufactureCode);
    s.MaintainedDate = field(kMaintainedDate);
    s.DealerCode = field(kDealerCode);
    s.StockDate = field(kStockDate);
    s.SellDate = field(kSellDate);
    s.Seller = field(kSeller);
    s.MaintainedDescription = field(kMaintainedDescription);
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

    // A byte that is no character of its own in the code page (a lone lead byte of
    // code page 936) reads as U+FFFD and would be stored back as '?', and bytes after
    // the password's end would become zeros: a password nobody changed since the Read
    // goes back as the bytes that Read found.
    if (m_passwordAsRead && s.ProgramPassword.text() == m_passwordAsRead->text) {
        m_image.setBytes(kProgramPassword.address, m_passwordAsRead->bytes);
    } else {
        PutCharBytes(kProgramPassword.address, s.ProgramPassword.text(), kProgramPassword.length);
    }
    PutAnsiBytes(kDealerCode.address, s.DealerCode.text(), kDealerCode.length);
    PutAnsiBytes(kStockDate.address, s.StockDate.text(), kStockDate.length);
    PutAnsiBytes(kSellDate.address, s.SellDate.text(), kSellDate.length);
    PutAnsiBytes(kSeller.address, s.Seller.text(), kSeller.length);
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
