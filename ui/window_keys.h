// The desktop's keyboard conventions for a secondary window: Esc closes it
// as the title bar's close control does, and Enter presses its default
// button (or the button that has the focus) when the control with the focus
// has no use for Enter itself.
#pragma once

class QWidget;

namespace quorvel {

struct WindowKeys {
  bool escape_closes = true;  // false where the window handles Esc itself
};

void AddWindowKeys(QWidget& window, WindowKeys keys = {});

// Esc closes `window`, or only the drop-down list or menu open over it.
void EscapeCloses(QWidget& window);

}  // namespace quorvel
