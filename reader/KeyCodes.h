#pragma once

#include <QtCore/qnamespace.h>

namespace pagora {

// The virtual-key code of a Qt key: letters and digits keep their code, the cursor and editing
// keys get theirs (Left 37, Up 38, ...); 0 for keys without one.
int VirtualKeyCode(int qtKey);

// The shift state as a bit set: 1 Shift, 2 Ctrl, 4 Alt.
int ShiftState(Qt::KeyboardModifiers modifiers);

// Whether the key stands for a command of the main window (wherever the focus is).
bool IsCommandKey(int keyCode);

}  // namespace pagora
