#pragma once

#include <QIcon>

namespace tavrik::ui {

/// The application's icon: a handheld radio, drawn at 16 and 32 pixels.
[[nodiscard]] QIcon AppIcon();

} // namespace tavrik::ui
