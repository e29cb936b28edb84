#include "settings/SettingsFields.h"

#include "platform/CodePage.h"

namespace tavrik {
namespace {

// Every window box shows one field, and only fields that have bytes to be written
// from are sent by a Write.
constexpr bool tableHolds() {
    std::array<bool, kSettingsFields.size()> boxes{};
    for (const SettingsField& field : kSettingsFields) {
        if (field.text1 < 0 || field.text1 >= static_cast<int>(boxes.size()) ||
            boxes[static_cast<std::size_t>(field.text1)]) {
            return false;
        }
        boxes[static_cast<std::size_t>(field.text1)] = true;
        if (field.sentByWrite && field.encoding == FieldEncoding::VersionBytes) {
            return false;
        }
    }
    return true;
}
static_assert(tableHolds());

} // namespace

QString FieldText(const RadioSettings& settings, const SettingsField& field) {
    if (const auto* fixed = std::get_if<FixedText RadioSettings::*>(&field.member)) {
        return (settings.*(*fixed)).text();
    }
    return settings.*std::get<QString RadioSettings::*>(field.member);
}

void SetFieldText(RadioSettings& settings, const SettingsField& field, const QString& text) {
    if (const auto* fixed = std::get_if<FixedText RadioSettings::*>(&field.member)) {
        (settings.*(*fixed)).assign(text);
    } else {
        settings.*std::get<QString RadioSettings::*>(field.member) = text;
    }
}

bool HasWidth(const SettingsField& field) {
    return std::holds_alternative<FixedText RadioSettings::*>(field.member);
}

qsizetype StoredSize(const SettingsField& field, const QString& text,
                     const platform::CodePage& codePage) {
    return field.encoding == FieldEncoding::CodePageText ? codePage.fromUnicode(text).size()
                                                         : text.size();
}

} // namespace tavrik
