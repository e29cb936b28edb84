#pragma once

#include <QString>

#include <array>

namespace tavrik::ui {

/// One row of the caption table: the control's objectName and its two captions.
struct CaptionRow {
    const char* control;
    const char* english;
    const char* chinese;
};

/// The captions set at start-up, in both languages (UTF-8).
[[nodiscard]] const std::array<CaptionRow, 29>& CaptionTable();

/// The multi-write button's caption: "&MulWrite" in normal mode, the stop caption
/// while a run is under way. `languageFlag` 1 is English; anything else Chinese.
[[nodiscard]] QString MulWriteButtonCaption(qint16 languageFlag, bool running);
/// The status line when a run has opened the port. English unless the flag is 2.
[[nodiscard]] QString MulWriteWritingStatus(qint16 languageFlag);

/// The locale identifier of Chinese as used in the People's Republic of China.
inline constexpr std::uint32_t kLcidChinesePrc = 0x0804;

} // namespace tavrik::ui
