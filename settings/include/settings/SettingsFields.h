#pragma once

#include "settings/ImageLayout.h"
#include "settings/ModVersion.h"
#include "settings/RadioSettings.h"

#include <QString>

#include <array>
#include <stdexcept>
#include <variant>

namespace tavrik {
namespace platform {
class CodePage;
} // namespace platform

/// How a text field of the record is held in the image.
enum class FieldEncoding {
    CharBytes,    ///< one byte per character, ending at the first 0x00 or 0xFF
    CodePageText, ///< the system code page, ending at the first 0x00 or 0xFF
    VersionBytes, ///< a major byte and a minor byte, shown as "V<major>.<minor>"
};

/// Where a field's start-up value comes from.
enum class StartValue {
    Text,          ///< the row's start text
    SerialOfToday, ///< today as yyyyMMdd, then "00000001"
    DateOfToday,   ///< today in the system's short date format
    BatchOfMonth,  ///< this month as MM, then "-1-E-1"
};

/// One text field of the settings record: where the image holds it and how, whether a
/// Write sends it from the record, the window box Text1(text1) that shows it, and its
/// start-up value. The fixed-width fields are FixedText members, the free ones QString.
struct SettingsField {
    std::variant<FixedText RadioSettings::*, QString RadioSettings::*> member;
    layout::ImageField bytes;
    FieldEncoding encoding;
    bool sentByWrite; ///< a Write takes its bytes from the record, not as held
    int text1;
    StartValue start;
    const char* startText;
};

/// The text fields of the record, in the order of their window boxes. Each is added,
/// moved or changed here alone: the defaults, the image's decoding and encoding and the
/// window's mapping all walk this table.
inline constexpr std::array<SettingsField, 14> kSettingsFields{{
    // clang-format off
    // record field                          image bytes                     encoding                     sent   Text1  start value
    {&RadioSettings::AreaCode,              layout::kAreaCode,              FieldEncoding::CharBytes,    false, 0,  StartValue::Text,          ""},
    {&RadioSettings::SerialNumber,          layout::kSerialNumber,          FieldEncoding::CodePageText, false, 1,  StartValue::SerialOfToday, ""},
    {&RadioSettings::ProductionDate,        layout::kProductionDate,        FieldEncoding::CodePageText, false, 2,  StartValue::DateOfToday,   ""},
    {&RadioSettings::MaintainedDate,        layout::kMaintainedDate,        FieldEncoding::CodePageText, false, 3,  StartValue::Text,          ""},
    {&RadioSettings::MaintainedDescription, layout::kMaintainedDescription, FieldEncoding::CodePageText, false, 4,  StartValue::Text,          ""},
    {&RadioSettings::RfFirmwareVersion,     layout::kRfVersion,             FieldEncoding::VersionBytes, false, 5,  StartValue::Text,          kDefaultVersionText},
    {&RadioSettings::ManufactureCode,       layout::kManufactureCode,       FieldEncoding::CodePageText, false, 6,  StartValue::BatchOfMonth,  ""},
    {&RadioSettings::UserCode,              layout::kUserCode,              FieldEncoding::CharBytes,    false, 7,  StartValue::Text,          "WOLP"},
    {&RadioSettings::DealerCode,            layout::kDealerCode,            FieldEncoding::CodePageText, true,  8,  StartValue::Text,          ""},
    {&RadioSettings::StockDate,             layout::kStockDate,             FieldEncoding::CodePageText, true,  9,  StartValue::Text,          ""},
    {&RadioSettings::SellDate,              layout::kSellDate,              FieldEncoding::CodePageText, true,  10, StartValue::Text,          ""},
    {&RadioSettings::Seller,                layout::kSeller,                FieldEncoding::CodePageText, true,  11, StartValue::Text,          ""},
    {&RadioSettings::ProgramPassword,       layout::kProgramPassword,       FieldEncoding::CharBytes,    true,  12, StartValue::Text,          ""},
    {&RadioSettings::LcdFirmwareVersion,    layout::kLcdVersion,            FieldEncoding::VersionBytes, false, 13, StartValue::Text,          kDefaultVersionText},
    // clang-format on
}};

/// The row of a record field (a compile error for a member the table does not hold).
template <typename T>
[[nodiscard]] constexpr const SettingsField& FieldOf(T RadioSettings::*member) {
    for (const SettingsField& field : kSettingsFields) {
        if (std::holds_alternative<T RadioSettings::*>(field.member) &&
            std::get<T RadioSettings::*>(field.member) == member) {
            return field;
        }
    }
    throw std::logic_error("not a text field of the settings record");
}

/// The field's text as its readers take it: TrimAtNul of a fixed-width field, a free
/// text as held.
[[nodiscard]] QString FieldText(const RadioSettings& settings, const SettingsField& field);
/// Assigns a text to the field: left-justified to its width where it has one.
void SetFieldText(RadioSettings& settings, const SettingsField& field, const QString& text);
/// True for the fixed-width fields.
[[nodiscard]] bool HasWidth(const SettingsField& field);
/// The bytes a text takes in the field's place in the image: its bytes in the code page
/// for code-page text, one a character for character bytes (a character that is not one
/// byte is stored as one '?'). A version is shown as text: its length in characters.
[[nodiscard]] qsizetype StoredSize(const SettingsField& field, const QString& text,
                                   const platform::CodePage& codePage);

/// The window boxes that mean one field to the code that handles typing and focus.
inline constexpr int kAreaCodeBox = FieldOf(&RadioSettings::AreaCode).text1;
inline constexpr int kSerialNumberBox = FieldOf(&RadioSettings::SerialNumber).text1;
inline constexpr int kMaintainedDateBox = FieldOf(&RadioSettings::MaintainedDate).text1;
inline constexpr int kMaintainedDescriptionBox =
    FieldOf(&RadioSettings::MaintainedDescription).text1;
inline constexpr int kUserCodeBox = FieldOf(&RadioSettings::UserCode).text1;
inline constexpr int kProgramPasswordBox = FieldOf(&RadioSettings::ProgramPassword).text1;

} // namespace tavrik
