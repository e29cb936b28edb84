#pragma once

#include "settings/RadioImage.h"
#include "settings/RadioSettings.h"
#include "settings/SettingsFields.h"

#include <QDate>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace tavrik {
namespace platform {
class CodePage;
class SystemCalendar;
} // namespace platform

/// The model word: the only model this program serves.
inline constexpr char kModelWord[] = "TAVRIK";

/// True when `bytes`, the radio's model word field, hold the model word: its text ends
/// at the first 0x00 or 0xFF, trailing spaces and anything from a NUL on not counted.
[[nodiscard]] bool IsModelWord(const QByteArray& bytes);

/// The name shown for a model text: TrimAtNul of it, "TAVRIK" for the model word.
[[nodiscard]] QString ModelDisplayName(const QString& modelText);

/// The settings model: the one settings record and the one image of the radio's
/// memory, their start-up values, the model test, the serial-number rule and the
/// encoding of the record into and out of the image.
class ModData {
public:
    ModData(const platform::CodePage& codePage, const platform::SystemCalendar& calendar);

    [[nodiscard]] RadioSettings& settings() { return m_settings; }
    [[nodiscard]] const RadioSettings& settings() const { return m_settings; }
    [[nodiscard]] RadioImage& image() { return m_image; }
    [[nodiscard]] const RadioImage& image() const { return m_image; }

    /// Fills the record with its start-up values (today's date from the calendar).
    void LoadDefaults();
    /// True when the image's bytes 0x3B00..0x3B06 hold the model word.
    [[nodiscard]] bool IsExpectedModel() const;
    /// Advances the numeric part of the serial number by one after a completed write.
    /// A serial number without a numeric part, or whose numeric part plus one does not
    /// fit a 32-bit signed integer (9E99), is left unchanged.
    void NextSerialNumber();
    /// The image into the record, after a Read. Texts end at their first 0x00 or 0xFF.
    /// In the character-byte fields (user code, password, area code) a byte that is
    /// not a character on its own in the code page, such as the lead byte of a
    /// double-byte character, reads as U+FFFD: visibly not text, never dropped. In
    /// the code-page fields, half a double-byte character left at the end by a cut at
    /// the field's length is not shown. A band byte outside the band list is kept.
    /// The text fields are those of kSettingsFields.
    void ParseImage();
    /// The writable fields of the record into the image, before a Write: the band,
    /// flag bits 1..3 (bit 0 and bits 4..7 as held), the password and the four dealer
    /// fields, zero-filled. A band index that is no byte value leaves the band as held.
    /// A password that still reads as the last Read left it goes back as the four bytes
    /// that Read found, whatever the code page makes of them. Walks kSettingsFields.
    void BuildWriteImage();

    /// Stores a text one character per byte at address..address+n-1, zero-filled.
    /// A character that is not one byte in the system code page (a double-byte
    /// character, or one the code page lacks) is stored as kUnstorableChar: the
    /// radio's byte field cannot hold it.
    void PutCharBytes(int address, const QString& text, int n);
    /// Stores a text in the system code page at address..address+n-1, zero-filled;
    /// bytes beyond n are dropped, even where that splits a double-byte character.
    void PutAnsiBytes(int address, const QString& text, int n);

    /// What PutCharBytes stores for a character that is not one byte: '?'.
    static constexpr std::uint8_t kUnstorableChar = 0x3F;

private:
    /// A field's start-up value, before the NUL of a fixed-width field.
    [[nodiscard]] QString startValue(const SettingsField& field, const QDate& today) const;
    [[nodiscard]] QChar charFromByte(std::uint8_t byte) const;
    [[nodiscard]] std::uint8_t byteFromChar(QChar character) const;
    /// Character bytes from `address`, ending before the first 0x00 or 0xFF.
    [[nodiscard]] QString charBytesText(int address, int length) const;
    /// Code-page text from `address`, ending before the first 0x00 or 0xFF, then NUL.
    [[nodiscard]] QString codePageText(int address, int length) const;

    /// A character-byte field that a Write sends, as a Read found it: the radio's bytes,
    /// and the text they read as.
    struct CharBytesAsRead {
        QByteArray bytes;
        QString text;
    };

    const platform::CodePage& m_codePage;
    const platform::SystemCalendar& m_calendar;
    RadioSettings m_settings;
    RadioImage m_image;
    /// By row of kSettingsFields: the sent character-byte fields (the password) as the
    /// last Read found them; none before a Read.
    std::array<std::optional<CharBytesAsRead>, kSettingsFields.size()> m_asRead;
};

} // namespace tavrik
