#pragma once
// Centring a window on its screen, frame and all, the same way at every showing.
class QWidget;

namespace nimbrel {

/// Centres `window`'s frame on the available area of its screen. The inside is placed
/// directly, as far from the frame's corner as the window manager's frame puts it: a
/// move of the frame would be read by some window managers as a move of the inside
/// after the window was hidden, and it would open a title bar lower than the first time.
/// A window not framed yet is centred again when its frame arrives.
void CentreOnScreen(QWidget& window);

} // namespace nimbrel
