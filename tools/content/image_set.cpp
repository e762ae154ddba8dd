// Screen images. Sizes follow the screen layout for an 800 x 600 view: full screens 800 x 600,
// banners over the upper half 800 x 300, panels across the bottom 0.164 of the height
// 800 x 98, digit cells 0.0625 of the width and height (64 x 48, drawn left-aligned to each
// digit's advance), menu items at their on-screen aspect for a 4:3 view.
#include "image_set.h"

#include <algorithm>
#include <cmath>

#include "painter.h"
#include "render/image_writer.h"

namespace kt::content {

namespace {

const Color kBlack{0, 0, 0};
const Color kGoldTop{1.0, 0.93, 0.62};
const Color kGoldBottom{0.78, 0.5, 0.12};
const Color kOutline{0.12, 0.06, 0.02};

struct Fonts {
  Font serif{"Liberation Serif", "Bold"};
  Font sans{"Liberation Sans", "Bold"};
  bool ok() const { return serif.ok() && sans.ok(); }
};

// Dusk sky with the castle's walls and towers in silhouette along the bottom.
void CastleScene(Image& im, Color sky_top, Color sky_low, Color stone, double horizon) {
  const int w = im.width, h = im.height;
  const int base = int(h * horizon);
  FillGradient(im, 0, 0, w, base, sky_top, sky_low);
  FillGradient(im, 0, base, w, h, Mix(stone, kBlack, 0.4), Mix(stone, kBlack, 0.85));
  Glow(im, w * 0.78, h * 0.22, h * 0.09, h * 0.09, Color{1, 0.97, 0.85});
  Glow(im, w * 0.78, h * 0.22, h * 0.3, h * 0.3, Color{1, 0.85, 0.6, 0.35});
  const Color wall = Mix(stone, kBlack, 0.7);
  const int wall_top = base - int(h * 0.12);
  FillRect(im, 0, wall_top, w, base, wall);
  for (int x = 0; x < w; x += int(h * 0.05))
    FillRect(im, x, wall_top - int(h * 0.025), x + int(h * 0.028), wall_top, wall);
  const double towers[][2] = {{0.08, 0.26}, {0.3, 0.2}, {0.55, 0.3}, {0.86, 0.24}};
  for (const auto& t : towers) {
    const int cx = int(w * t[0]), tw = int(h * 0.09), top = base - int(h * t[1]);
    FillRect(im, cx - tw / 2, top, cx + tw / 2, base, wall);
    for (int k = -2; k <= 1; ++k)
      FillRect(im, cx + k * tw / 4 + 2, top - int(h * 0.022), cx + (k + 1) * tw / 4 - 4, top, wall);
    FillRect(im, cx - 3, top + int(h * 0.05), cx + 3, top + int(h * 0.075),
             Color{1, 0.75, 0.35, 0.9});
  }
}

// A sword drawn as a bright blade, cross guard and grip.
void Sword(Image& im, double x0, double y0, double x1, double y1, double width) {
  const double dx = x1 - x0, dy = y1 - y0, len = std::hypot(dx, dy);
  const double ux = dx / len, uy = dy / len;
  const double gx = x0 + ux * len * 0.22, gy = y0 + uy * len * 0.22;
  Line(im, x0, y0, gx, gy, width * 0.8, Color{0.3, 0.18, 0.1});
  Line(im, gx - uy * width * 2.2, gy + ux * width * 2.2, gx + uy * width * 2.2,
       gy - ux * width * 2.2, width * 0.9, Color{0.8, 0.65, 0.3});
  Line(im, gx, gy, x1, y1, width, Color{0.85, 0.88, 0.95});
  Line(im, gx, gy, x1, y1, width * 0.3, Color{1, 1, 1});
  Glow(im, x0, y0, width * 0.9, width * 0.9, Color{0.9, 0.75, 0.35});
}

Image Splash(const Fonts& f) {
  Image im = Canvas(480, 320);
  FillGradient(im, 0, 0, 480, 320, Color{0.08, 0.07, 0.12}, Color{0.02, 0.02, 0.03});
  Glow(im, 240, 150, 260, 120, Color{0.5, 0.3, 0.12, 0.5});
  Sword(im, 120, 250, 380, 70, 9);
  f.serif.DrawTitle(im, "KINETROPE", 240, 175, 64, kGoldTop, kGoldBottom, kOutline);
  f.sans.Draw(im, "loading the castle...", 168, 290, 18, Color{0.7, 0.7, 0.75},
              Color{0.5, 0.5, 0.55});
  FrameRect(im, 0, 0, 480, 320, 3, Color{0.6, 0.45, 0.2});
  Grain(im, 3, 1);
  return im;
}

Image Cursor() {
  return Canvas(32, 32);  // fully transparent: the full-screen game hides the pointer
}

// The main frame's icon: a sword across a dark red disc.
Image FrameIcon() {
  Image im = Canvas(32, 32);
  Glow(im, 16, 16, 18, 18, Color{0.45, 0.08, 0.08});
  Sword(im, 7, 25, 27, 5, 2.5);
  return im;
}

Image TitleScreen(const Fonts& f) {
  Image im = Canvas(800, 600);
  CastleScene(im, Color{0.1, 0.08, 0.25}, Color{0.85, 0.45, 0.25}, Color{0.35, 0.3, 0.3}, 0.86);
  f.serif.DrawTitle(im, "KINETROPE", 250, 140, 78, kGoldTop, kGoldBottom, kOutline);
  f.serif.DrawTitle(im, "swordplay in motion", 250, 185, 30, Color{0.95, 0.9, 0.85},
                    Color{0.75, 0.7, 0.65}, kOutline);
  // A dark plate behind the menu, whose items are drawn over it.
  FillRect(im, 470, 200, 760, 390, Color{0, 0, 0, 0.45});
  FrameRect(im, 470, 200, 760, 390, 2, Color{0.8, 0.6, 0.25, 0.8});
  Sword(im, 90, 520, 430, 290, 8);
  Vignette(im, 0.5);
  Grain(im, 3, 2);
  return im;
}

// A menu item: gold text on pure black, filling the image's height.
Image MenuItem(const Fonts& f, const std::string& text, int width) {
  Image im = Canvas(width, 64);
  FillRect(im, 0, 0, width, 64, kBlack);
  int size = 50;
  while (size > 12 && f.serif.Measure(text, size) > width - 8) --size;
  f.serif.Draw(im, text, 4, 50, size, kGoldTop, kGoldBottom);
  return im;
}

Image Banner(const Fonts& f, const std::string& title, const std::string& line, Color tint) {
  Image im = Canvas(800, 300);
  FillGradient(im, 0, 0, 800, 300, Mix(tint, kBlack, 0.75), Mix(tint, kBlack, 0.95));
  Glow(im, 400, 130, 420, 110, Mix(tint, Color{1, 1, 1}, 0.2));
  FillRect(im, 0, 0, 800, 6, Color{0.8, 0.6, 0.25});
  FillRect(im, 0, 294, 800, 300, Color{0.8, 0.6, 0.25});
  int size = 72;
  while (size > 20 && f.serif.Measure(title, size) > 740) --size;
  f.serif.DrawTitle(im, title, 400, 150, size, kGoldTop, kGoldBottom, kOutline);
  f.serif.DrawTitle(im, line, 400, 215, 30, Color{0.95, 0.92, 0.88}, Color{0.72, 0.7, 0.66},
                    kOutline);
  Grain(im, 3, 3);
  return im;
}

// The bottom panel: labels above where the game draws the numbers (pen positions as shares
// of the width; the digits fill 0.46 to 0.85 of the panel's height).
Image Panel(const Fonts& f, const std::vector<std::pair<std::string, double>>& labels) {
  Image im = Canvas(800, 98);
  FillGradient(im, 0, 0, 800, 98, Color{0.28, 0.25, 0.24}, Color{0.1, 0.09, 0.09});
  FillRect(im, 0, 0, 800, 4, Color{0.85, 0.65, 0.28});
  for (const auto& [text, share] : labels) {
    const int x = int(share * 800);
    f.sans.Draw(im, text, x, 36, 22, kGoldTop, kGoldBottom);
    FillRect(im, x - 6, 42, x + 150, 90, Color{0.02, 0.02, 0.02, 0.85});
    FrameRect(im, x - 6, 42, x + 150, 90, 1, Color{0.6, 0.45, 0.2});
  }
  Grain(im, 2, 4);
  return im;
}

// Digit advances as shares of the 0.0625-wide cell: the game steps its pen by these.
constexpr double kDigitAdvance[10] = {0.050781, 0.023438, 0.037109, 0.039062, 0.044922,
                                      0.037109, 0.041016, 0.039062, 0.041016, 0.041016};
constexpr double kColonAdvance = 0.0234375;

// One glyph stretched into the left `share` of a 64 x 48 cell.
Image DigitCell(const Fonts& f, const std::string& glyph, double share) {
  Image big = Canvas(160, 160);
  f.sans.Draw(big, glyph, 20, 130, 140, Color{1, 1, 1}, Color{1, 1, 1});
  int x0 = big.width, y0 = big.height, x1 = -1, y1 = -1;
  for (int y = 0; y < big.height; ++y)
    for (int x = 0; x < big.width; ++x)
      if (PixelFromTop(big, x, y)[3] > 8)
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
  Image cell = Canvas(64, 48);
  FillRect(cell, 0, 0, 64, 48, kBlack);
  if (x1 < 0) return cell;
  const double box_w = std::max(4.0, 64 * share - 4), box_h = 40;
  const double top = glyph == ":" ? 12 : 4, height = glyph == ":" ? 30 : box_h;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) {
      const double u = (x + 0.5 - 2) / box_w, v = (y + 0.5 - top) / height;
      if (u < 0 || u > 1 || v < 0 || v > 1) continue;
      const int sx = x0 + int(u * (x1 - x0 + 1)), sy = y0 + int(v * (y1 - y0 + 1));
      const double k = PixelFromTop(big, std::min(sx, x1), std::min(sy, y1))[3] / 255.0;
      Blend(cell, x, y, Mix(Color{1, 0.97, 0.8}, Color{0.95, 0.6, 0.15}, v), k);
    }
  return cell;
}

Image EndScreen(const Fonts& f, bool won) {
  Image im = Canvas(800, 600);
  if (won)
    CastleScene(im, Color{0.35, 0.55, 0.9}, Color{0.95, 0.85, 0.6}, Color{0.45, 0.42, 0.38}, 0.8);
  else
    CastleScene(im, Color{0.05, 0.02, 0.04}, Color{0.4, 0.05, 0.04}, Color{0.2, 0.15, 0.15}, 0.8);
  const Color top = won ? kGoldTop : Color{1, 0.45, 0.35};
  const Color bottom = won ? kGoldBottom : Color{0.55, 0.05, 0.05};
  f.serif.DrawTitle(im, won ? "VICTORY" : "DEFEAT", 400, 260, 120, top, bottom, kOutline);
  f.serif.DrawTitle(im, won ? "The castle is free once more" : "The castle remains in darkness",
                    400, 330, 34, Color{0.97, 0.94, 0.9}, Color{0.75, 0.72, 0.68}, kOutline);
  if (won) Sword(im, 300, 470, 520, 380, 7);
  Vignette(im, won ? 0.35 : 0.7);
  Grain(im, 3, won ? 5 : 6);
  return im;
}

Image SwordGlow() {
  Image im = Canvas(64, 128);
  FillRect(im, 0, 0, 64, 128, kBlack);
  Glow(im, 32, 64, 32, 64, Color{1, 1, 1});
  Glow(im, 32, 64, 10, 56, Color{1, 1, 1, 0.8});
  return im;
}

struct Entry {
  const char* path;
  Image (*make)(const Fonts&);
  enum Format { kBmp, kIco } format;
};

const std::vector<Entry>& Entries() {
  static const std::vector<Entry> entries = {
      {"data/images/SplashScreen1.BMP", Splash, Entry::kBmp},
      {"data/images/pixel.ico", [](const Fonts&) { return Cursor(); }, Entry::kIco},
      {"data/images/wxSkeleton.ico", [](const Fonts&) { return FrameIcon(); }, Entry::kIco},
      {"data/images/NoText_TitleScreen4.BMP", TitleScreen, Entry::kBmp},
      {"data/images/Title_StartGame.bmp",
       [](const Fonts& f) { return MenuItem(f, "Start Game", 472); }, Entry::kBmp},
      {"data/images/Title_Input.bmp",
       [](const Fonts& f) { return MenuItem(f, "Configure Input", 619); }, Entry::kBmp},
      {"data/images/Title_Quit.bmp", [](const Fonts& f) { return MenuItem(f, "Quit", 163); },
       Entry::kBmp},
      {"data/images/Title_BackToGame.bmp",
       [](const Fonts& f) { return MenuItem(f, "Back to Game", 472); }, Entry::kBmp},
      {"data/images/Opening.BMP",
       [](const Fonts& f) {
         return Banner(f, "THE CASTLE HAS FALLEN", "Drive the guards from the courtyard",
                       Color{0.3, 0.35, 0.6});
       },
       Entry::kBmp},
      {"data/images/Opening2.BMP",
       [](const Fonts& f) {
         return Banner(f, "THE CLOCK IS RUNNING", "Defeat them before the time runs out",
                       Color{0.55, 0.4, 0.2});
       },
       Entry::kBmp},
      {"data/images/NoTextUI.BMP",
       [](const Fonts& f) {
         return Panel(f, {{"HEALTH", 0.0976562}, {"TIME", 0.8125}});
       },
       Entry::kBmp},
      {"data/images/BossUI.BMP",
       [](const Fonts& f) {
         return Panel(f, {{"YOU", 0.287109}, {"DARK KNIGHT", 0.708984}});
       },
       Entry::kBmp},
      {"data/images/BossScreen.BMP",
       [](const Fonts& f) {
         return Banner(f, "THE DARK KNIGHT", "He will not fall as easily", Color{0.6, 0.1, 0.1});
       },
       Entry::kBmp},
      {"data/images/colon.bmp",
       [](const Fonts& f) { return DigitCell(f, ":", kColonAdvance / 0.0625); }, Entry::kBmp},
      {"data/images/WinScreen.BMP", [](const Fonts& f) { return EndScreen(f, true); }, Entry::kBmp},
      {"data/images/LoseScreen.BMP", [](const Fonts& f) { return EndScreen(f, false); },
       Entry::kBmp},
      {"data/images/SwordGlow.BMP", [](const Fonts&) { return SwordGlow(); }, Entry::kBmp},
  };
  return entries;
}

Bytes ToBytes(const std::vector<unsigned char>& bytes) { return Bytes(bytes.begin(), bytes.end()); }

std::string DigitPath(int d) { return "data/images/" + std::to_string(d) + ".bmp"; }

}  // namespace

std::vector<std::string> ImageNames() {
  std::vector<std::string> names;
  for (const Entry& e : Entries()) names.push_back(e.path);
  for (int d = 0; d < 10; ++d) names.push_back(DigitPath(d));
  return names;
}

std::vector<GeneratedFile> MakeImages(bool* fonts_ok) {
  const Fonts fonts;
  if (fonts_ok) *fonts_ok = fonts.ok();
  std::vector<GeneratedFile> files;
  for (const Entry& e : Entries()) {
    const Image im = e.make(fonts);
    files.push_back({e.path, ToBytes(e.format == Entry::kIco ? EncodeICO(im) : EncodeBMP(im))});
  }
  for (int d = 0; d < 10; ++d)
    files.push_back({DigitPath(d), ToBytes(EncodeBMP(DigitCell(fonts, std::to_string(d),
                                                               kDigitAdvance[d] / 0.0625)))});
  return files;
}

}  // namespace kt::content
