#pragma once

// The key codes and shift states key handlers receive: Windows virtual-key codes, as the
// templates' programs were written for them (see Component's key events).
namespace tillora::virtual_key {

constexpr int kBackspace = 0x08;
constexpr int kTab = 0x09;
constexpr int kEnter = 0x0D;
constexpr int kShift = 0x10;
constexpr int kControl = 0x11;
constexpr int kAlt = 0x12;
constexpr int kEscape = 0x1B;
constexpr int kSpace = 0x20;
constexpr int kPageUp = 0x21;
constexpr int kPageDown = 0x22;
constexpr int kEnd = 0x23;
constexpr int kHome = 0x24;
constexpr int kLeft = 0x25;
constexpr int kUp = 0x26;
constexpr int kRight = 0x27;
constexpr int kDown = 0x28;
constexpr int kInsert = 0x2D;
constexpr int kDelete = 0x2E;
constexpr int kF1 = 0x70;
constexpr int kF10 = kF1 + 9;

// The shift state beside the key: a bit for each key held.
constexpr int kControlHeld = 1;
constexpr int kShiftHeld = 2;
constexpr int kAltHeld = 4;

}  // namespace tillora::virtual_key
