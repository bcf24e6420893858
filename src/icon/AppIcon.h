#pragma once
// The application icon for windows and dialogs.

#include <QIcon>

namespace quillon {

/// The icon at every rendered size (16 … 256 px); the window system picks the one it needs.
QIcon AppIcon();

} // namespace quillon
