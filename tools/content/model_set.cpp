// The knight: every part is a tapered, eight-sided shell around the segment between its two
// rest-pose joints (or a box, for the hands and feet), so loading normalises it onto its bone.
// Sides share a smoothing group and so shade round; caps are flat.
#include "model_set.h"

#include <array>
#include <cmath>

#include "painter.h"
#include "render/image_writer.h"
#include "render/l3ds_writer.h"

namespace kt::content {

namespace {

using V3 = std::array<float, 3>;

using Mesh = L3DSWriterMesh;

V3 Add(V3 a, V3 b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
V3 Scale(V3 a, float s) { return {a[0] * s, a[1] * s, a[2] * s}; }
V3 Sub(V3 a, V3 b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
V3 Cross(V3 a, V3 b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
V3 Unit(V3 a) {
  const float l = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
  return Scale(a, 1.0f / l);
}

// An eight-sided shell from `from` to `to`; its cross-section is an ellipse of half widths
// (wide, deep) at the base and `taper` times that at the tip. `side` is the direction of the
// wide half width (made square to the segment).
void Shell(Mesh& m, V3 from, V3 to, float wide, float deep, float taper, V3 side) {
  const V3 u = Unit(Sub(to, from));
  const float along = side[0] * u[0] + side[1] * u[1] + side[2] * u[2];
  const V3 a = Unit(Sub(side, Scale(u, along)));
  const V3 b = Cross(a, u);
  const uint16_t first = uint16_t(m.vertices.size());
  constexpr int kSides = 8;
  for (int ring = 0; ring < 2; ++ring) {
    const V3 centre = ring ? to : from;
    const float k = ring ? taper : 1.0f;
    for (int s = 0; s <= kSides; ++s) {  // the seam column twice, for the mapping
      const double t = 2 * M_PI * (s + 0.5) / kSides;
      const V3 p = Add(centre, Add(Scale(a, float(std::cos(t) * wide * k)),
                                   Scale(b, float(std::sin(t) * deep * k))));
      m.vertices.push_back(p);
      m.uvs.push_back({float(s) / kSides, float(ring)});
    }
  }
  for (int s = 0; s < kSides; ++s) {
    const uint16_t p0 = uint16_t(first + s), p1 = uint16_t(p0 + 1);
    const uint16_t q0 = uint16_t(p0 + kSides + 1), q1 = uint16_t(q0 + 1);
    m.faces.push_back({p0, q0, p1});
    m.faces.push_back({p1, q0, q1});
    m.smoothing.push_back(1);
    m.smoothing.push_back(1);
  }
  // Caps: a fan around each ring's centre, with their own vertices so they shade flat.
  for (int ring = 0; ring < 2; ++ring) {
    const uint16_t centre = uint16_t(m.vertices.size());
    m.vertices.push_back(ring ? to : from);
    m.uvs.push_back({0.5f, 0.5f});
    for (int s = 0; s < kSides; ++s) {
      m.vertices.push_back(m.vertices[first + ring * (kSides + 1) + s]);
      const double t = 2 * M_PI * (s + 0.5) / kSides;
      m.uvs.push_back({float(0.5 + 0.5 * std::cos(t)), float(0.5 + 0.5 * std::sin(t))});
    }
    for (int s = 0; s < kSides; ++s) {
      const uint16_t p = uint16_t(centre + 1 + s), q = uint16_t(centre + 1 + (s + 1) % kSides);
      if (ring)
        m.faces.push_back({centre, q, p});
      else
        m.faces.push_back({centre, p, q});
      m.smoothing.push_back(2);
    }
  }
}

// An axis-aligned box, each side flat.
void Block(Mesh& m, V3 lo, V3 hi) {
  static const int kSide[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                  {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  for (const auto& side : kSide) {
    const uint16_t first = uint16_t(m.vertices.size());
    for (int k = 0; k < 4; ++k) {
      const int i = side[k];
      m.vertices.push_back({i & 1 ? hi[0] : lo[0], i & 2 ? hi[1] : lo[1], i & 4 ? hi[2] : lo[2]});
      m.uvs.push_back({float(k == 1 || k == 2), float(k >= 2)});
    }
    m.faces.push_back({first, uint16_t(first + 1), uint16_t(first + 2)});
    m.faces.push_back({first, uint16_t(first + 2), uint16_t(first + 3)});
    m.smoothing.push_back(0);
    m.smoothing.push_back(0);
  }
}

// Rest-pose joints of the parts model (model units).
constexpr V3 kPelvis = {0, 9.86f, 0}, kCrown = {0, 15.88f, 0};
constexpr V3 kLShoulder = {1.86f, 14.55f, 0.15f}, kLElbow = {2.61f, 11.97f, -0.45f},
             kLWrist = {3.13f, 8.8f, -0.34f};
constexpr V3 kRShoulder = {-1.86f, 14.55f, 0.15f}, kRElbow = {-2.47f, 11.99f, -0.36f},
             kRWrist = {-3.029f, 8.8f, -0.232f};
constexpr V3 kRHip = {-1.2f, 8.5f, 0.1f}, kRKnee = {-1.2f, 5.0f, 0},
             kRAnkle = {-1.45f, 0.34f, -0.831f}, kRToe = {-1.531f, 0, 0.64f};
constexpr V3 kLHip = {1.2f, 8.5f, 0.1f}, kLKnee = {1.25f, 5.0f, 0},
             kLAnkle = {1.57f, 0.37f, -0.83f}, kLToe = {1.62f, 0, 0.64f};
constexpr V3 kSide = {1, 0, 0};

std::vector<Mesh> KnightMeshes() {
  std::vector<Mesh> parts;
  auto part = [&](const char* name, const char* material) -> Mesh& {
    Mesh& mesh = parts.emplace_back();
    mesh.name = name;
    mesh.material = material;
    return mesh;
  };
  // Helmet: a rounded pot with a flat top, a visor band and a crest.
  Mesh& head = part("head", "steel");
  Shell(head, {0, 14.85f, 0.05f}, {0, 16.35f, 0.0f}, 0.72f, 0.8f, 0.85f, kSide);
  Shell(head, {0, 15.25f, 0.25f}, {0, 15.5f, 0.25f}, 0.78f, 0.78f, 1.0f, kSide);
  Block(head, {-0.07f, 16.2f, -0.7f}, {0.07f, 16.6f, 0.6f});
  // Breastplate over a narrower waist, a gorget and the fauld over the hips.
  Mesh& torso = part("torso", "steel");
  Shell(torso, {0, 11.3f, 0}, {0, 14.6f, 0.05f}, 1.35f, 0.95f, 1.3f, kSide);
  Shell(torso, {0, 9.4f, 0}, {0, 11.4f, 0}, 1.5f, 1.0f, 0.9f, kSide);
  Shell(torso, {0, 14.5f, 0.05f}, {0, 15.0f, 0.05f}, 0.7f, 0.6f, 0.85f, kSide);
  // Arms: pauldron and rerebrace, vambrace with a flared cuff, a gauntlet.
  Mesh& lua = part("leftuppera", "steel");
  Shell(lua, Add(kLShoulder, {-0.1f, 0.35f, 0}), Add(kLShoulder, {0.25f, -0.7f, 0}), 0.75f, 0.75f,
        0.9f, {0, 0, 1});
  Shell(lua, kLShoulder, kLElbow, 0.42f, 0.42f, 0.9f, {0, 0, 1});
  Mesh& lla = part("leftlowera", "steel");
  Shell(lla, kLElbow, kLWrist, 0.36f, 0.36f, 1.15f, {0, 0, 1});
  Mesh& lh = part("lefthand", "leather");
  Block(lh, Add(kLWrist, {-0.25f, -1.0f, -0.3f}), Add(kLWrist, {0.25f, 0.0f, 0.3f}));
  Mesh& rua = part("rightuarm", "steel");
  Shell(rua, Add(kRShoulder, {0.1f, 0.35f, 0}), Add(kRShoulder, {-0.25f, -0.7f, 0}), 0.75f, 0.75f,
        0.9f, {0, 0, 1});
  Shell(rua, kRShoulder, kRElbow, 0.42f, 0.42f, 0.9f, {0, 0, 1});
  Mesh& rla = part("rightlarm", "steel");
  Shell(rla, kRElbow, kRWrist, 0.36f, 0.36f, 1.15f, {0, 0, 1});
  // Legs: leather cuisses, steel greaves with a knee cop, sabatons.
  Mesh& lul = part("leftupperl", "leather");
  Shell(lul, kLHip, kLKnee, 0.62f, 0.62f, 0.8f, kSide);
  Mesh& lll = part("leftlowerl", "steel");
  Shell(lll, Add(kLKnee, {0, 0.35f, 0}), kLAnkle, 0.5f, 0.5f, 0.75f, kSide);
  Shell(lll, Add(kLKnee, {0, 0.3f, 0.25f}), Add(kLKnee, {0, -0.4f, 0.25f}), 0.45f, 0.35f, 0.8f,
        kSide);
  Mesh& lf = part("leftfoot", "steel");
  Block(lf, {kLAnkle[0] - 0.38f, 0.0f, kLAnkle[2] - 0.3f},
        {kLToe[0] + 0.38f, 0.62f, kLToe[2] + 0.3f});
  Mesh& rul = part("rightuleg", "leather");
  Shell(rul, kRHip, kRKnee, 0.62f, 0.62f, 0.8f, kSide);
  Mesh& rll = part("rightlleg", "steel");
  Shell(rll, Add(kRKnee, {0, 0.35f, 0}), kRAnkle, 0.5f, 0.5f, 0.75f, kSide);
  Shell(rll, Add(kRKnee, {0, 0.3f, 0.25f}), Add(kRKnee, {0, -0.4f, 0.25f}), 0.45f, 0.35f, 0.8f,
        kSide);
  Mesh& rf = part("rightfoot", "steel");
  Block(rf, {kRToe[0] - 0.38f, 0.0f, kRAnkle[2] - 0.3f},
        {kRAnkle[0] + 0.38f, 0.62f, kRToe[2] + 0.3f});
  (void)kPelvis;
  (void)kCrown;
  return parts;
}

// --- the file ------------------------------------------------------------------------------

void WriteMaterial(L3DSWriter& w, const char* name, V3 diffuse, int shine, const char* texture) {
  const size_t block = w.Open(0xAFFF);
  size_t c = w.Open(0xA000);
  w.Str(name);
  w.Close(c);
  w.Colour(0xA010, Scale(diffuse, 0.3f));
  w.Colour(0xA020, diffuse);
  w.Colour(0xA030, {0.9f, 0.9f, 0.9f});
  w.Percent(0xA040, shine);
  w.Percent(0xA050, 0);
  const size_t map = w.Open(0xA200);
  w.Percent(0x0030, 100);
  c = w.Open(0xA300);
  w.Str(texture);
  w.Close(c);
  w.Close(map);
  w.Close(block);
}

// --- the textures --------------------------------------------------------------------------

// Polished plates: a cool sheen across, seams between plates and a rivet at each corner.
Image Steel() {
  Image im = Canvas(128, 128);
  FillGradient(im, 0, 0, 128, 128, Color{0.86, 0.88, 0.92}, Color{0.48, 0.5, 0.56});
  Glow(im, 40, 40, 60, 30, Color{1, 1, 1, 0.35});
  for (int y = 0; y < 128; y += 32) FillRect(im, 0, y, 128, y + 2, Color{0.25, 0.26, 0.3});
  FillRect(im, 63, 0, 65, 128, Color{0.3, 0.31, 0.35});
  for (int y = 6; y < 128; y += 32)
    for (int x : {8, 56, 72, 120}) {
      Glow(im, x, y, 3, 3, Color{0.2, 0.2, 0.22});
      Glow(im, x - 1, y - 1, 1.5, 1.5, Color{1, 1, 1, 0.8});
    }
  Grain(im, 4, 11);
  return im;
}

// Dark leather with a stitched border.
Image Leather() {
  Image im = Canvas(64, 64);
  FillGradient(im, 0, 0, 64, 64, Color{0.42, 0.27, 0.15}, Color{0.28, 0.17, 0.09});
  for (int x = 2; x < 62; x += 6) {
    FillRect(im, x, 3, x + 3, 4, Color{0.8, 0.7, 0.45});
    FillRect(im, x, 60, x + 3, 61, Color{0.8, 0.7, 0.45});
  }
  Grain(im, 10, 5);
  return im;
}

}  // namespace

Bytes KnightModel() {
  L3DSWriter w;
  const size_t main = w.OpenMain();
  const size_t editor = w.OpenEditor();
  WriteMaterial(w, "steel", {0.78f, 0.8f, 0.85f}, 70, "knight_steel.jpg");
  WriteMaterial(w, "leather", {0.5f, 0.33f, 0.2f}, 15, "knight_leather.jpg");
  for (const Mesh& m : KnightMeshes()) w.Mesh(m);
  w.Close(editor);
  w.Close(main);
  return Bytes(w.bytes().begin(), w.bytes().end());
}

std::vector<GeneratedFile> MakeModelFiles() {
  std::vector<GeneratedFile> files = {{kKnightModel, KnightModel()}};
  for (const auto& [path, image] : {std::pair("data/models/knight_steel.jpg", Steel()),
                                    std::pair("data/models/knight_leather.jpg", Leather())}) {
    std::vector<unsigned char> jpeg;
    EncodeJPEG(image, 90, jpeg);
    files.push_back({path, Bytes(jpeg.begin(), jpeg.end())});
  }
  return files;
}

}  // namespace kt::content
