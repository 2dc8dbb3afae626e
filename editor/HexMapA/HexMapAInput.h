#pragma once
// Mouse and keyboard in the terms the editor's handlers are written in:
// the shift state as a set of keys and buttons held, the button of a
// press or release, and the platform's virtual-key numbers. Other widgets
// of the editor use the same conversions.
#include <Qt>

namespace tolv {

enum TShiftStateItem : unsigned {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
    ssDouble = 1u << 6,
};
using TShiftState = unsigned;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// Virtual-key numbers.
enum : int {
    VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
    VK_MENU = 0x12, VK_PAUSE = 0x13, VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21,
    VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26,
    VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_F1 = 0x70,
};

// Buttons held and modifier keys as a shift state.
TShiftState ShiftStateOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
// The button a press or release names; mbLeft for buttons without a number.
TMouseButton MouseButtonOf(Qt::MouseButton button);
// A Qt key as a virtual-key number: letters and digits as their upper-case
// character, F1..F24, the cursor block and the common control keys; 0 for
// keys without one.
int VirtualKeyOf(int qtKey);

} // namespace tolv
