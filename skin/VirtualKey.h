#pragma once

#include <cstdint>

class QKeyEvent;
class QWidget;

// The system's virtual-key code of a Qt key, as the key mapping and the owners of the skinned
// controls expect it in WM_KEYDOWN / WM_KEYUP:
// - letters 'A'..'Z' (0x41..0x5A) and digits '0'..'9' (0x30..0x39) as their upper-case
//   characters; on the keypad the digits are 0x60..0x69 and * + - . / are 0x6A..0x6F;
// - the shifted symbols of a US keyboard give the code of their key (Shift+1 '!' gives '1');
// - Backspace 0x08, Tab 0x09, Return/Enter 0x0D, Shift 0x10, Control 0x11, Alt 0x12, Pause 0x13,
//   Caps Lock 0x14, Escape 0x1B, Space 0x20, Page Up 0x21, Page Down 0x22, End 0x23, Home 0x24,
//   Left 0x25, Up 0x26, Right 0x27, Down 0x28, Print 0x2C, Insert 0x2D, Delete 0x2E, Meta 0x5B,
//   Menu 0x5D, F1..F24 0x70..0x87, Num Lock 0x90, Scroll Lock 0x91;
// - the media keys: Mute 0xAD, Volume Down 0xAE, Volume Up 0xAF, Next 0xB0, Previous 0xB1,
//   Stop 0xB2, Play/Pause (and Play, Pause) 0xB3;
// - ; = , - . / ` [ \ ] ' as the OEM keys 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xC0, 0xDB..0xDE.
// Any other key gives 0 (none).
uint32_t VirtualKeyFromQt(int qtKey, bool keypad);
uint32_t VirtualKeyFromQt(const QKeyEvent& event);

// The lParam of a key message for the event: repeat count in bits 0..15, bit 30 set when the key
// was already down (an auto-repeat, and every release), bit 31 set on release.
intptr_t KeyMessageLParam(const QKeyEvent& event);

// Posts the key event to the control's parent as WM_KEYDOWN or WM_KEYUP with the virtual-key
// code. Keys without a code are not posted. Answers whether it posted.
bool ForwardKeyToParent(QWidget* control, const QKeyEvent& event);
