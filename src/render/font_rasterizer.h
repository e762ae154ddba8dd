// The platform font rasteriser: finds a font by face name (fontconfig, so "Courier New" resolves
// to its metric-compatible stand-in) and renders one-bit glyph bitmaps (FreeType). Nothing else
// in the program mentions fontconfig or FreeType.
#pragma once

#include <string>
#include <vector>

namespace kt {

// One character as glBitmap wants it: rows bottom first, each row padded to whole bytes, most
// significant bit leftmost.
struct GlyphBitmap {
  int width = 0;
  int rows = 0;
  int left = 0;     // pen position to the bitmap's left edge
  int top = 0;      // baseline to the bitmap's top row
  int advance = 0;  // pixels to the next character
  std::vector<unsigned char> bits;
};

// The font file fontconfig picks for `face` at regular or bold weight; empty when none. `index`,
// when given, receives the face's index inside the file.
std::string FindFontFile(const std::string& face, bool bold, int* index = nullptr);

// Renders characters first..first+count-1 of the best match for `face` with an em height of
// `pixel_height` pixels. Returns false (with a log line) when no font can be found or opened;
// `file` then stays empty.
bool RasterizeFont(const std::string& face, int pixel_height, bool bold, int first, int count,
                   std::vector<GlyphBitmap>& glyphs, std::string* file = nullptr);

}  // namespace kt
