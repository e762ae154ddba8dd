// The game's screen images under the names the game loads them by: splash, cursor, title and
// its menu items, opening and boss banners, the level and boss panels, digits and colon, win
// and lose screens, the sword glow. Overlay pieces (menu items, digits, glow) stand on pure
// black, which the texture loader can make transparent and additive drawing ignores.
#pragma once

#include <string>
#include <vector>

#include "generated_file.h"

namespace kt::content {

// Every image; false in `fonts_ok` when no font could be opened (text is then missing).
std::vector<GeneratedFile> MakeImages(bool* fonts_ok = nullptr);

// The names alone, in the order MakeImages returns them.
std::vector<std::string> ImageNames();

}  // namespace kt::content
