// Bitmap-font text: one display list per character code 32..127, each a glBitmap of the glyph
// that advances the raster position, so text is drawn by calling the lists for its bytes.
#pragma once

#include <string>
#include <string_view>

namespace kt {

struct BitmapFont {
  unsigned int base = 0;  // display list of character 32; 0 when no lists exist
  int height = 0;
};

inline constexpr int kFontFirstChar = 32;
inline constexpr int kFontCharCount = 96;

// Builds the 96 lists from the bold face at the given character height. A face that cannot be
// found still yields 96 (empty) lists, with a log line, so printing stays safe.
BitmapFont CreateBitmapFont(const std::string& face, int pixel_height);
void DeleteBitmapFont(BitmapFont& font);

// printf-style text at window pixel (x, y), origin bottom left, whatever the current matrices.
void PrintAtWindow(const BitmapFont& font, int x, int y, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
// printf-style text at (x, y) in the current projection and model-view.
void PrintAtRaster(const BitmapFont& font, float x, float y, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
// Calls the character lists for the text's bytes at the current raster position; bytes outside
// 32..127 are skipped.
void DrawFontText(const BitmapFont& font, std::string_view text);

}  // namespace kt
