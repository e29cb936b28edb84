#pragma once

#include "settings/RadioImage.h"
#include "settings/RadioSettings.h"

#include <QString>

namespace tavrik {
namespace platform {
class CodePage;
class SystemCalendar;
} // namespace platform

/// The model word: the only model this program serves.
inline constexpr char kModelWord[] = "TAVRIK";

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
    /// Advances the serial number after a completed write.
    void NextSerialNumber();
    /// The image into the record, after a Read.
    void ParseImage();
    /// The writable fields of the record into the image, before a Write.
    void BuildWriteImage();

    /// Stores a text one character per byte at address..address+n-1, zero-filled.
    void PutCharBytes(int address, const QString& text, int n);
    /// Stores a text in the system code page at address..address+n-1, zero-filled.
    void PutAnsiBytes(int address, const QString& text, int n);

private:
    const platform::CodePage& m_codePage;
    const platform::SystemCalendar& m_calendar;
    RadioSettings m_settings;
    RadioImage m_image;
};

} // namespace tavrik
