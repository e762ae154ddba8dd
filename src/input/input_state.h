// The input record every device poll fills and every gameplay controller reads: two mouse
// motion counts, a move intent and 32 button bits. Plain value, copied freely.
#pragma once

#include <cstdint>

namespace kt {

// Attack bits of the buttons field.
enum InputBit : int {
  kInputAttackLeft = 4,
  kInputAttackRight = 5,
  kInputAttackForward = 6,
};

struct InputState {
  int32_t mouse_x = 0;  // whole counts since the last poll (mouse record only)
  int32_t mouse_y = 0;
  float x = 0.0f;  // sideways intent, -1 left ... +1 right
  float z = 0.0f;  // forward intent, +1 forward ... -1 back
  uint32_t buttons = 0;

  static constexpr int kBitCount = 32;

  // Bits outside 0..31 read as clear and ignore writes.
  bool Test(int bit) const { return bit >= 0 && bit < kBitCount && ((buttons >> bit) & 1u) != 0; }
  void Set(int bit, bool on) {
    if (bit < 0 || bit >= kBitCount) return;
    if (on)
      buttons |= 1u << bit;
    else
      buttons &= ~(1u << bit);
  }
};

}  // namespace kt
