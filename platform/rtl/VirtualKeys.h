// Virtual key codes: the numbers key messages, shortcuts and scripts use for keys. See
// Consts.h for the shortcut texts built on them.
#pragma once

#include "platform/rtl/Types.h"

inline constexpr Word VK_LBUTTON = 1;
inline constexpr Word VK_RBUTTON = 2;
inline constexpr Word VK_CANCEL = 3;
inline constexpr Word VK_MBUTTON = 4;
inline constexpr Word VK_BACK = 8;
inline constexpr Word VK_TAB = 9;
inline constexpr Word VK_CLEAR = 12;
inline constexpr Word VK_RETURN = 13;
inline constexpr Word VK_SHIFT = 16;
inline constexpr Word VK_CONTROL = 17;
inline constexpr Word VK_MENU = 18;
inline constexpr Word VK_PAUSE = 19;
inline constexpr Word VK_CAPITAL = 20;
inline constexpr Word VK_ESCAPE = 27;
inline constexpr Word VK_SPACE = 32;
inline constexpr Word VK_PRIOR = 33;
inline constexpr Word VK_NEXT = 34;
inline constexpr Word VK_END = 35;
inline constexpr Word VK_HOME = 36;
inline constexpr Word VK_LEFT = 37;
inline constexpr Word VK_UP = 38;
inline constexpr Word VK_RIGHT = 39;
inline constexpr Word VK_DOWN = 40;
inline constexpr Word VK_SELECT = 41;
inline constexpr Word VK_PRINT = 42;
inline constexpr Word VK_EXECUTE = 43;
inline constexpr Word VK_SNAPSHOT = 44;
inline constexpr Word VK_INSERT = 45;
inline constexpr Word VK_DELETE = 46;
inline constexpr Word VK_HELP = 47;
inline constexpr Word VK_LWIN = 91;
inline constexpr Word VK_RWIN = 92;
inline constexpr Word VK_APPS = 93;
inline constexpr Word VK_NUMPAD0 = 96;
inline constexpr Word VK_NUMPAD1 = 97;
inline constexpr Word VK_NUMPAD2 = 98;
inline constexpr Word VK_NUMPAD3 = 99;
inline constexpr Word VK_NUMPAD4 = 100;
inline constexpr Word VK_NUMPAD5 = 101;
inline constexpr Word VK_NUMPAD6 = 102;
inline constexpr Word VK_NUMPAD7 = 103;
inline constexpr Word VK_NUMPAD8 = 104;
inline constexpr Word VK_NUMPAD9 = 105;
inline constexpr Word VK_MULTIPLY = 106;
inline constexpr Word VK_ADD = 107;
inline constexpr Word VK_SEPARATOR = 108;
inline constexpr Word VK_SUBTRACT = 109;
inline constexpr Word VK_DECIMAL = 110;
inline constexpr Word VK_DIVIDE = 111;
inline constexpr Word VK_F1 = 112;
inline constexpr Word VK_F2 = 113;
inline constexpr Word VK_F3 = 114;
inline constexpr Word VK_F4 = 115;
inline constexpr Word VK_F5 = 116;
inline constexpr Word VK_F6 = 117;
inline constexpr Word VK_F7 = 118;
inline constexpr Word VK_F8 = 119;
inline constexpr Word VK_F9 = 120;
inline constexpr Word VK_F10 = 121;
inline constexpr Word VK_F11 = 122;
inline constexpr Word VK_F12 = 123;
inline constexpr Word VK_NUMLOCK = 144;
inline constexpr Word VK_SCROLL = 145;
// Left and right modifier keys, the punctuation keys of the main block (US layout shown)
// and the key an input method reports while it composes.
inline constexpr Word VK_LSHIFT = 0xA0;
inline constexpr Word VK_RSHIFT = 0xA1;
inline constexpr Word VK_LCONTROL = 0xA2;
inline constexpr Word VK_RCONTROL = 0xA3;
inline constexpr Word VK_LMENU = 0xA4;
inline constexpr Word VK_RMENU = 0xA5;
inline constexpr Word VK_OEM_1 = 0xBA;      // ;:
inline constexpr Word VK_OEM_PLUS = 0xBB;   // =+
inline constexpr Word VK_OEM_COMMA = 0xBC;  // ,<
inline constexpr Word VK_OEM_MINUS = 0xBD;  // -_
inline constexpr Word VK_OEM_PERIOD = 0xBE; // .>
inline constexpr Word VK_OEM_2 = 0xBF;      // /?
inline constexpr Word VK_OEM_3 = 0xC0;      // `~
inline constexpr Word VK_OEM_4 = 0xDB;      // [{
inline constexpr Word VK_OEM_5 = 0xDC;      // \|
inline constexpr Word VK_OEM_6 = 0xDD;      // ]}
inline constexpr Word VK_OEM_7 = 0xDE;      // '"
inline constexpr Word VK_PROCESSKEY = 0xE5; // a key the input method is composing with
