// What a key event means to the console and to the keyboard device. MapDikCode gives the
// DirectInput scan code of a toolkit key code (the keyboard device's table index), or nullopt
// for keys it has no code for; the console sees what that scan code means to it (see
// input/console_keys.h), so the program and the headless runner type alike.
#pragma once

#include <optional>

#include "input/console_keys.h"

namespace kt {

// nullopt for keys the console never sees.
std::optional<ConsoleKeyPress> MapConsoleKey(int key_code);

std::optional<int> MapDikCode(int key_code);

}  // namespace kt
