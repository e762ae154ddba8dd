// fontconfig + FreeType implementation of the font rasteriser.
#include "render/font_rasterizer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include "console/log.h"

namespace kt {

std::string FindFontFile(const std::string& face, bool bold, int* index) {
  int unused = 0;
  if (!index) index = &unused;
  std::string file;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcChar8* path = nullptr;
  if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
    file = reinterpret_cast<const char*>(path);
    if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch) *index = 0;
  }
  if (match) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return file;
}

namespace {

// Copies FreeType's top-first mono bitmap into a bottom-first one.
GlyphBitmap ConvertGlyph(const FT_GlyphSlot slot) {
  GlyphBitmap glyph;
  const FT_Bitmap& bitmap = slot->bitmap;
  glyph.width = int(bitmap.width);
  glyph.rows = int(bitmap.rows);
  glyph.left = slot->bitmap_left;
  glyph.top = slot->bitmap_top;
  glyph.advance = int((slot->advance.x + 32) >> 6);
  const int row_bytes = (glyph.width + 7) / 8;
  glyph.bits.assign(size_t(row_bytes) * glyph.rows, 0);
  for (int y = 0; y < glyph.rows; ++y) {
    const unsigned char* src = bitmap.buffer + ptrdiff_t(y) * bitmap.pitch;
    unsigned char* dst = &glyph.bits[size_t(glyph.rows - 1 - y) * row_bytes];
    for (int b = 0; b < row_bytes; ++b) dst[b] = src[b];
  }
  return glyph;
}

}  // namespace

bool RasterizeFont(const std::string& face, int pixel_height, bool bold, int first, int count,
                   std::vector<GlyphBitmap>& glyphs, std::string* file) {
  glyphs.assign(size_t(count), GlyphBitmap{});
  if (pixel_height <= 0) {
    LogPrintf("CreateFont: invalid height %d for '%s'", pixel_height, face.c_str());
    return false;
  }
  int index = 0;
  const std::string path = FindFontFile(face, bold, &index);
  if (path.empty()) {
    LogPrintf("CreateFont: no font matches '%s'", face.c_str());
    return false;
  }
  FT_Library library = nullptr;
  FT_Face ft_face = nullptr;
  if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, path.c_str(), index, &ft_face) != 0) {
    LogPrintf("CreateFont: cannot open font file '%s'", path.c_str());
    if (library) FT_Done_FreeType(library);
    return false;
  }
  FT_Set_Pixel_Sizes(ft_face, 0, FT_UInt(pixel_height));
  const bool embolden = bold && !(ft_face->style_flags & FT_STYLE_FLAG_BOLD);
  for (int i = 0; i < count; ++i) {
    if (FT_Load_Char(ft_face, FT_ULong(first + i), FT_LOAD_TARGET_MONO) != 0) continue;
    if (embolden) FT_GlyphSlot_Embolden(ft_face->glyph);
    if (FT_Render_Glyph(ft_face->glyph, FT_RENDER_MODE_MONO) != 0) continue;
    glyphs[size_t(i)] = ConvertGlyph(ft_face->glyph);
  }
  FT_Done_Face(ft_face);
  FT_Done_FreeType(library);
  if (file) *file = path;
  return true;
}

}  // namespace kt

#if defined(__SANITIZE_ADDRESS__)
// fontconfig keeps its default configuration until FcFini, which must not run while other code
// of the process (the toolkit) may still use fontconfig; the leak checker is told so. Mesa's
// software rasteriser likewise keeps its feedback-mode buffers past the context's end.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:swrast_dri.so\n";
}
#endif
