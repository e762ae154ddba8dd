// Parts model loading and drawing.
#include "render/parts_model.h"

#include <GL/gl.h>

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "console/cvar.h"
#include "console/log.h"
#include "render/l3ds.h"
#include "render/texture.h"

namespace kt {

namespace {

struct PartInfo {
  const char* mesh;
  int tip;
  int base;
  int axis;  // 1 = y, 2 = z
  float width;
};

constexpr PartInfo kParts[kModelParts] = {
    {"head", 1, 0, 2, 1.1f},         {"torso", 1, 0, 2, 1.1f},
    {"leftuppera", 3, 2, 2, 1.0f},   {"leftlowera", 4, 3, 2, 0.8f},
    {"lefthand", 4, 3, 2, 0.8f},     {"rightuarm", 6, 5, 2, 1.0f},
    {"rightlarm", 7, 6, 2, 0.8f},    {"leftupperl", 13, 12, 2, 0.7f},
    {"leftlowerl", 14, 13, 2, 1.0f}, {"leftfoot", 15, 14, 1, 0.5f},
    {"rightuleg", 9, 8, 2, 0.7f},    {"rightlleg", 10, 9, 2, 1.0f},
    {"rightfoot", 11, 10, 1, 0.5f},
};

// The model's rest pose and the skeleton joint each reference joint follows.
struct ReferenceJoint {
  CVector position;
  int joint;
};

const ReferenceJoint kReference[16] = {
    {{0, 9.86f, 0}, 0},
    {{0, 15.88f, 0}, 15},
    {{1.86f, 14.55f, 0.15f}, 17},
    {{2.61f, 11.97f, -0.45f}, 18},
    {{3.13f, 8.8f, -0.34f}, 20},
    {{-1.86f, 14.55f, 0.15f}, 24},
    {{-2.47f, 11.99f, -0.36f}, 25},
    {{-3.029f, 8.8f, -0.232f}, 27},
    {{-1.2f, 8.5f, 0.1f}, 6},
    {{-1.2f, 5.0f, 0}, 7},
    {{-1.45f, 0.34f, -0.831f}, 8},
    {{-1.531f, 0, 0.64f}, 10},
    {{1.2f, 8.5f, 0.1f}, 1},
    {{1.25f, 5.0f, 0}, 2},
    {{1.57f, 0.37f, -0.83f}, 3},
    {{1.62f, 0, 0.64f}, 5},
};

constexpr int kSkeletonJoints = 31;

std::array<std::array<CVector, 2>, kModelParts> g_scatter;

CVector AxisVector(int axis) { return axis == 1 ? CVector(0, 1, 0) : CVector(0, 0, 1); }

// rand × (8 / 32767) − 1, with rand kept to 0..32767 whatever the library's RAND_MAX.
float ScatterRandom() { return float(std::rand() % 32768) * (8.0f / 32767.0f) - 1.0f; }

void MakeScatterVectors() {
  for (int i = 0; i < kModelParts; ++i) {
    CVector first = kReference[kParts[i].tip].position;
    CVector second = kReference[kParts[i].base].position;
    first.Normalize();
    second.Normalize();
    first.y -= 0.5f;
    second.y -= 0.5f;
    float* a = &first.x;
    float* b = &second.x;
    for (int k = 0; k < 3; ++k) {
      b[k] += ScatterRandom();
      a[k] += ScatterRandom();
    }
    g_scatter[i] = {first, second};
  }
}

// The frame of a bone: x along d, y the part's axis made orthogonal to x, z = x × y. A bone
// that lies along the axis itself takes the next axis instead, so the frame never divides by 0.
bool BoneFrame(const CVector& d, int axis, CVector& x, CVector& y, CVector& z) {
  const float length = d.Length();
  if (!(length > 1e-6f) || !std::isfinite(length)) return false;
  x = d / length;
  const CVector candidates[3] = {AxisVector(axis), AxisVector(axis == 1 ? 2 : 1), {1, 0, 0}};
  for (const CVector& e : candidates) {
    y = e - x * Dot(e, x);
    const float ly = y.Length();
    if (ly > 1e-3f) {
      y = y / ly;
      z = Cross(x, y);
      return true;
    }
  }
  return false;
}

// v turned by the transpose of the column-vector rotation m (its inverse).
CVector InverseRotate(const CMatrix& m, const CVector& v) {
  return {m.At(0, 0) * v.x + m.At(1, 0) * v.y + m.At(2, 0) * v.z,
          m.At(0, 1) * v.x + m.At(1, 1) * v.y + m.At(2, 1) * v.z,
          m.At(0, 2) * v.x + m.At(1, 2) * v.y + m.At(2, 2) * v.z};
}

CVector RotateY(const CVector& v, float radians) {
  const double c = std::cos(radians), s = std::sin(radians);
  return {float(c * v.x + s * v.z), v.y, float(-s * v.x + c * v.z)};
}

bool SameNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

const std::array<std::array<CVector, 2>, kModelParts>& PartsModel::ScatterVectors() {
  return g_scatter;
}

std::string PartsModel::ResolveTexturePath(const std::string& dir, const std::string& name) {
  namespace fs = std::filesystem;
  const std::string exact = dir + name;
  std::error_code ec;
  if (name.empty() || fs::exists(exact, ec)) return exact;
  // Walk the name's components, matching each against the folder's entries in any case.
  fs::path current = dir.empty() ? fs::path(".") : fs::path(dir);
  fs::path relative;
  for (const fs::path& piece : fs::path(name).relative_path()) {
    const std::string wanted = piece.string();
    bool found = false;
    for (fs::directory_iterator it(current, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string entry = it->path().filename().string();
      if (SameNoCase(entry, wanted)) {
        current /= entry;
        relative /= entry;
        found = true;
        break;
      }
    }
    if (!found) return exact;
  }
  return dir + relative.string();
}

std::unique_ptr<PartsModel> PartsModel::Load(const std::string& path,
                                             const std::string& texture_dir) {
  std::unique_ptr<PartsModel> model(new PartsModel());
  MakeScatterVectors();

  L3DS reader;
  if (!reader.LoadFile(path)) {
    LogPrintf("ERROR Loading player model...");
    return model;
  }

  model->textures_.assign(reader.materials().size(), 0);
  for (size_t m = 0; m < reader.materials().size(); ++m) {
    const std::string& name = reader.materials()[m].texture;
    if (name.empty()) continue;
    LoadTexture(ResolveTexturePath(texture_dir, name), model->textures_[m], 0);
  }

  model->list_base_ = glGenLists(kModelParts);
  model->part_count_ = kModelParts;
  LogPrintf("Model loaded with %i parts", kModelParts);

  CVector lo(FLT_MAX, FLT_MAX, FLT_MAX), hi(-FLT_MAX, -FLT_MAX, -FLT_MAX);
  bool any_vertex = false;
  for (int i = 0; i < kModelParts; ++i) {
    const PartInfo& part = kParts[i];
    glNewList(model->list_base_ + i, GL_COMPILE);
    const L3DSMesh* mesh = reader.FindMesh(part.mesh);
    if (!mesh) {
      LogPrintf("Missing Part %s", part.mesh);
      glEndList();
      continue;
    }
    model->present_[i] = true;
    const CVector base = kReference[part.base].position;
    const CVector d = kReference[part.tip].position - base;
    const float length = d.Length();
    CVector x, y, z;
    BoneFrame(d, part.axis, x, y, z);  // the reference bones all have a length and a roll

    glPushMatrix();
    glScalef(1.0f / length, part.width / length, part.width / length);
    const float rows[16] = {x.x, y.x, z.x, 0, x.y, y.y, z.y, 0, x.z, y.z, z.z, 0, 0, 0, 0, 1};
    glMultMatrixf(rows);
    glTranslatef(-base.x, -base.y, -base.z);
    unsigned texture = 0;
    if (!mesh->triangle_material.empty()) {
      const int m = mesh->triangle_material[0];
      if (m >= 0 && size_t(m) < model->textures_.size()) texture = model->textures_[m];
    }
    if (texture) {
      glPushAttrib(GL_ENABLE_BIT);
      glEnable(GL_TEXTURE_2D);
      glBindTexture(GL_TEXTURE_2D, texture);
    }
    glBegin(GL_TRIANGLES);
    for (const L3DSTriangle& t : mesh->triangles) {
      for (uint32_t v : {t.a, t.b, t.c}) {
        const auto& p = mesh->vertices[v];
        glTexCoord2fv(mesh->uvs[v].data());
        glNormal3fv(mesh->normals[v].data());
        glVertex4fv(p.data());
      }
    }
    glEnd();
    if (texture) {
      glBindTexture(GL_TEXTURE_2D, 0);
      glPopAttrib();
    }
    glPopMatrix();
    glEndList();

    for (const auto& p : mesh->vertices) {
      if (p[3] != 1.0f) LogPrintf("w = %f", p[3]);
      any_vertex = true;
      lo = {std::min(lo.x, p[0]), std::min(lo.y, p[1]), std::min(lo.z, p[2])};
      hi = {std::max(hi.x, p[0]), std::max(hi.y, p[1]), std::max(hi.z, p[2])};
    }
  }
  if (!any_vertex) lo = hi = CVector();
  model->vertex_min_ = lo;
  model->vertex_max_ = hi;
  LogPrintf("Model Vertex Range: (%f, %f, %f) - (%f, %f, %f)", lo.x, lo.y, lo.z, hi.x, hi.y, hi.z);
  return model;
}

PartsModel::~PartsModel() {
  if (part_count_ > 0) glDeleteLists(list_base_, part_count_);
  for (unsigned texture : textures_)
    if (texture) glDeleteTextures(1, &texture);
}

void PartsModel::DrawParts(const CQuaternion& orientation, const CVector* joints,
                           const CVector* moves) const {
  parts_drawn_ = 0;
  static CVar<float> rot("zombie.rot", 90.0f);
  rot.Register("zombie.rot", 90.0f);
  const float turn = rot;  // radians
  const CMatrix r = orientation.ToMatrix();

  glPushMatrix();
  glMultMatrixf(r.Transposed().m);
  glRotatef(float(turn * 57.29577951308232), 0, 1, 0);
  for (int i = 0; i < part_count_; ++i) {
    if (!present_[i] || !joints) continue;
    const PartInfo& part = kParts[i];
    const int base_joint = kReference[part.base].joint, tip_joint = kReference[part.tip].joint;
    if (base_joint >= kSkeletonJoints || tip_joint >= kSkeletonJoints) continue;
    // Into the character's own frame, then back through the turn the matrix is about to apply.
    const CVector d = RotateY(InverseRotate(r, joints[tip_joint] - joints[base_joint]), -turn);
    CVector b = RotateY(InverseRotate(r, joints[base_joint]), -turn);
    if (moves) b += moves[i];
    CVector x, y, z;
    // Two joints in one place give no bone to stretch along: the part sits this frame out.
    if (!BoneFrame(d, part.axis, x, y, z)) continue;
    const float length = d.Length();
    const float frame[16] = {x.x, x.y, x.z, 0, y.x, y.y, y.z, 0,
                             z.x, z.y, z.z, 0, b.x, b.y, b.z, 1};
    glPushMatrix();
    glMultMatrixf(frame);
    glScalef(length, length, length);
    glCallList(list_base_ + i);
    glPopMatrix();
    ++parts_drawn_;
  }
  glPopMatrix();
}

void PartsModel::Draw(const CQuaternion& orientation, const CVector* joints) const {
  DrawParts(orientation, joints, nullptr);
}

void PartsModel::DrawDying(const CQuaternion& orientation, const CVector* joints, float blend,
                           float fall_acceleration, float time) const {
  if (g_scatter[0][1].x == g_scatter[1][1].x) LogPrintf("Two identical CVectors!");
  static CVar<float> rot("zombie.rot", 90.0f);
  static CVar<float> speed("zombie.death_speed", 15.0f);
  rot.Register("zombie.rot", 90.0f);
  speed.Register("zombie.death_speed", 15.0f);
  CVector moves[kModelParts];
  const float fall = fall_acceleration * time * time / 2.0f;
  for (int i = 0; i < kModelParts; ++i) {
    const CVector drift = g_scatter[i][0] * (1.0f - blend) + g_scatter[i][1] * blend;
    moves[i] = CVector(0, fall, 0) + drift * (float(speed) * time);
  }
  DrawParts(orientation, joints, moves);
}

}  // namespace kt
