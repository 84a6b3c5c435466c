#pragma once

// Virtual-key codes: the numbers step lines and hotkeys address keys by.
// Letters are their capital's code and digits their character's; the others
// are named here. Codes from 0x200 on are keys of the current layout that no
// code names (kLayoutKeyBase plus the key's number on the layout).

namespace rv::vk {

inline constexpr int Break = 3;
inline constexpr int Backspace = 8;
inline constexpr int Tab = 9;
inline constexpr int Enter = 13;
inline constexpr int Shift = 16;
inline constexpr int Control = 17;
inline constexpr int Alt = 18;
inline constexpr int Pause = 19;
inline constexpr int CapsLock = 20;
inline constexpr int Escape = 27;
inline constexpr int Space = 32;
inline constexpr int PageUp = 33;
inline constexpr int PageDown = 34;
inline constexpr int End = 35;
inline constexpr int Home = 36;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int PrintScreen = 44;
inline constexpr int Insert = 45;
inline constexpr int Delete = 46;
inline constexpr int Help = 47;
inline constexpr int F1 = 112;
inline constexpr int F12 = 123;
inline constexpr int NumLock = 144;
inline constexpr int ScrollLock = 145;
// The key that types nothing.
inline constexpr int NoKey = 255;

inline constexpr int kLayoutKeyBase = 0x200;

}  // namespace rv::vk
