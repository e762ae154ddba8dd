// What a key event means to the console and to the keyboard device. The key codes the
// console's table is written in are an older toolkit numbering (Windows virtual keys for
// punctuation); this maps today's toolkit key codes onto them by meaning: space, digits and
// letters are typed as they are, the keypad plus, decimal point and minus stand for "=", "."
// and "-"/"_", the quote key for an apostrophe. The main keyboard's ".", "=", "-" and "_" type
// the same characters as the keypad keys, so assignments can be typed either way; the rest of
// its punctuation never reaches the console.
//
// MapDikCode gives the DirectInput scan code of a toolkit key code (the keyboard device's
// table index), or nullopt for keys it has no code for.
#pragma once

#include <optional>

#include "console/gl_console.h"

namespace kt {

struct ConsoleKeyPress {
  ConsoleKey key;
  int code = 0;  // for ConsoleKey::kCode: the character, letters upper case
};

// nullopt for keys the console never sees.
std::optional<ConsoleKeyPress> MapConsoleKey(int key_code);

std::optional<int> MapDikCode(int key_code);

}  // namespace kt
