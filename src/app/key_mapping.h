// What a key-down event means to the console. The key codes the console's table is written in
// are an older toolkit numbering (Windows virtual keys for punctuation); this maps today's
// toolkit key codes onto them by meaning: only space, digits and letters are typed as they
// are, the keypad plus, decimal point and minus stand for "=", "." and "-"/"_", the quote key
// for an apostrophe, and the main keyboard's punctuation (whose old codes lay above 90) never
// reaches the console.
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

}  // namespace kt
