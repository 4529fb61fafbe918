#include "reader/KeyCodes.h"

namespace pagora {

int VirtualKeyCode(int qtKey, unsigned nativeScanCode) {
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
        return qtKey;
    }
    // Keys of other scripts are letters beyond Latin-1; evdev codes plus 8 name the keys.
    if (qtKey > 0xFF && qtKey < Qt::Key_Escape) {
        constexpr unsigned kKeyZ = 52;
        constexpr unsigned kKeyX = 53;
        if (nativeScanCode == kKeyZ) {
            return Qt::Key_Z;
        }
        if (nativeScanCode == kKeyX) {
            return Qt::Key_X;
        }
        return 0;
    }
    switch (qtKey) {
        case Qt::Key_Equal:
        case Qt::Key_Plus:
            return 187;
        case Qt::Key_Minus:
            return 189;
        case Qt::Key_F11:
            return 122;
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
            return 9;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Space:
            return 32;
        case Qt::Key_PageUp:
            return 33;
        case Qt::Key_PageDown:
            return 34;
        case Qt::Key_End:
            return 35;
        case Qt::Key_Home:
            return 36;
        case Qt::Key_Left:
            return 37;
        case Qt::Key_Up:
            return 38;
        case Qt::Key_Right:
            return 39;
        case Qt::Key_Down:
            return 40;
        case Qt::Key_Insert:
            return 45;
        case Qt::Key_Delete:
            return 46;
        default:
            return 0;
    }
}

int ShiftState(Qt::KeyboardModifiers modifiers) {
    return (modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0) |
           (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0) |
           (modifiers.testFlag(Qt::AltModifier) ? 4 : 0);
}

}  // namespace pagora
