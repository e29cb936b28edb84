#pragma once

#include <QIcon>
#include <QImage>

namespace tavrik::ui {

/// The application's icon: a handheld radio, drawn at 16 and 32 pixels.
[[nodiscard]] QIcon AppIcon();

/// The same drawing at any size, without a window system (the installed icons are
/// made from it at build time).
[[nodiscard]] QImage AppIconImage(int size);

} // namespace tavrik::ui
