// Drawing the console overlay: a translucent panel over the top of the window, slid in by the
// console's opening clock, with the input row and the newest lines above it. The console model
// (console/gl_console.h) decides what goes where; this only issues the OpenGL calls.
#pragma once

#include "render/bitmap_font.h"

namespace kt {

class GLConsole;

// Draws the console when it is open; reports the viewport to it first. Leaves the OpenGL state
// as it found it.
void DrawConsole(GLConsole& console, const BitmapFont& font);

}  // namespace kt
