#pragma once

#include <QtCore/qnamespace.h>

namespace pagora {

// The virtual-key code of a Qt key: letters and digits keep their code, the cursor, editing and
// a few punctuation keys get theirs (Left 37, Up 38, "=" 187, ...); 0 for keys without one. A
// key that gives no Latin letter (a non-Latin keyboard layout) is taken by its place on the
// keyboard instead, `nativeScanCode` as X11 and Wayland report it: the Z and X keys stay Z and X.
int VirtualKeyCode(int qtKey, unsigned nativeScanCode = 0);

// The shift state as a bit set: 1 Shift, 2 Ctrl, 4 Alt.
int ShiftState(Qt::KeyboardModifiers modifiers);

}  // namespace pagora
