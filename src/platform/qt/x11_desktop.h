#pragma once

#include <QPoint>
#include <optional>

class QWindow;

namespace calyxa {

// Asks an X11 window manager to keep `window` on every workspace, above other windows and out
// of the taskbar, the pager and the window switcher. Set before the window is mapped. Nothing
// on other platforms.
void applyOverlayDesktopHints(QWindow& window);

// The centre of the desktop's active window (_NET_ACTIVE_WINDOW) in global coordinates when it
// is larger than 100 × 100 points and not `except`; nothing elsewhere than on X11.
std::optional<QPoint> activeWindowCentre(const QWindow* except);

}  // namespace calyxa
