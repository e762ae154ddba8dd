// Character drawing: bone ellipsoids, the sword, its glow and trail, state colours.
//
// Contents: shared resources (bone lists, sword list, glow texture) - DrawSkeleton -
// Character::Draw and its steps - DrawSwordGlow - DrawSwordTrail.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "character/character.h"
#include "character/game_world.h"
#include "character/sword_mesh.h"
#include "console/cvar.h"
#include "console/log.h"
#include "render/parts_model.h"
#include "render/renderer.h"
#include "render/texture.h"

namespace kt {

unsigned BuildBoneLists(const Skeleton& skeleton);
void DrawSkeleton(const Skeleton& skeleton, const Bone& root);

namespace {

CVar<float> g_sword_length("character.sword_length", 10.0f);
CVar<int> g_gameplay_debug("gameplay.debug", 1);

constexpr double kRadToDeg = 57.29577951308232;
constexpr float kMoveVectorScale = 2.5f * 16.666666666666668f;
constexpr char kGlowTexturePath[] = "data/images/SwordGlow.BMP";

// Shared by every character; see ResetCharacterDrawing.
struct DrawingResources {
  long bone_list_base = -1;
  unsigned sword_list = 0;
  unsigned glow_texture = 0;
  bool glow_loaded = false;
};

DrawingResources& Resources() {
  static DrawingResources resources;
  return resources;
}

// Display lists and textures need a current context; a character made without one (a test,
// a tool) gets its resources on its first draw instead.
bool HaveContext() { return glGetString(GL_VERSION) != nullptr; }

Character* WorldBoss() { return GetGameWorld() ? GetGameWorld()->boss : nullptr; }
Character* WorldPlayer() { return GetGameWorld() ? GetGameWorld()->player : nullptr; }

void DrawJoint(const Bone& bone) {
  // parent_to_bone is stored transposed, which is the column-major layout OpenGL reads.
  glMultMatrixd(&bone.parent_to_bone.m[0][0]);
  if (bone.has_z) glRotatef(bone.angle_z, 0.0f, 0.0f, 1.0f);
  if (bone.has_y) glRotatef(bone.angle_y, 0.0f, 1.0f, 0.0f);
  if (bone.has_x) glRotatef(bone.angle_x, 1.0f, 0.0f, 0.0f);
  glColor3f(1.0f, 1.0f, 0.1f);
  const CVector bone_vector = bone.direction * bone.length;
  const long base = Resources().bone_list_base;
  glPushMatrix();
  if (bone.index == kRoot) {
    if (base >= 0) glCallList(unsigned(base));
  } else {
    const CVector half = bone_vector * 0.5f;
    glTranslatef(half.x, half.y, half.z);
    // The ellipsoid's long axis is z; turn it onto the bone. A bone along -z has no cross
    // product to turn about, so it is turned half round x instead.
    const CVector z_axis{0.0f, 0.0f, 1.0f};
    const CVector axis = Cross(z_axis, bone.direction);
    if (axis.Length() > 1e-6f)
      glRotated(AngleFromCross(z_axis, bone.direction, axis) * kRadToDeg, axis.x, axis.y, axis.z);
    else if (bone.direction.z < 0.0f)
      glRotated(180.0, 1.0, 0.0, 0.0);
    if (base >= 0) glCallList(unsigned(base + bone.index));
  }
  glPopMatrix();
  glTranslatef(bone_vector.x, bone_vector.y, bone_vector.z);
}

// The world's up direction made perpendicular to the unit blade; any perpendicular for a
// vertical blade, where that is undefined.
CVector BladeUp(const CVector& b) {
  CVector u{-b.x * b.y, 1.0f - b.y * b.y, -b.z * b.y};
  if (u.Length() < 1e-5f) u = Cross(b, CVector{0.0f, 0.0f, 1.0f});
  u.Normalize();
  return u;
}

// Rodrigues' rotation of v about the unit axis by `radians`.
CVector RotateAbout(const CVector& v, const CVector& axis, double radians) {
  const double c = std::cos(radians), s = std::sin(radians);
  const CVector cross = Cross(axis, v);
  const double d = Dot(axis, v) * (1.0 - c);
  return {float(v.x * c + cross.x * s + axis.x * d), float(v.y * c + cross.y * s + axis.y * d),
          float(v.z * c + cross.z * s + axis.z * d)};
}

void DrawMoveVector(const GameplayController& controller) {
  const CVector end = controller.move_vector() * kMoveVectorScale;
  glDisable(GL_LIGHTING);
  glLineWidth(2.0f);
  glColor3f(1.0f, 0.0f, 0.0f);
  glBegin(GL_LINES);
  glVertex3f(0.0f, 0.0f, 0.0f);
  glVertex3f(end.x, end.y, end.z);
  glEnd();
  glEnable(GL_LIGHTING);
}

// The beam the boss appears and vanishes in. Its state changes stay local, so characters
// drawn after it in the opaque pass are lit and write depth as usual.
void DrawWarpBeam(const CVector& p, float phase) {
  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_LINE_BIT |
               GL_CURRENT_BIT);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_LIGHTING);
  glDepthMask(GL_FALSE);
  if (phase > -3.0f) {
    glLineWidth(30.0f);
    glColor4f(0.5f, 0.2f * phase + 0.8f, 1.0f, 1.0f - std::fabs((phase + 1.0f) * 0.5f));
    glBegin(GL_LINES);
    glVertex3f(p.x, p.y - 1000.0f, p.z);
    glVertex3f(p.x, p.y + 1000.0f, p.z);
    glEnd();
  }
  glPopAttrib();
}

}  // namespace

// ---- shared resources ----

unsigned BuildBoneLists(const Skeleton& skeleton) {
  static CVar<int> slices("character.bone_slices", 20);
  static CVar<int> stacks("character.bone_stacks", 20);
  const unsigned base = glGenLists(kBoneCount);
  if (base == 0) {
    LogPrintf("BuildBoneLists: no display lists available");
    return 0;
  }
  GLUquadric* quadric = gluNewQuadric();
  gluQuadricDrawStyle(quadric, GLU_FILL);
  gluQuadricNormals(quadric, GLU_SMOOTH);
  for (int j = 0; j < kBoneCount; ++j) {
    const Bone& bone = skeleton.bone(j);
    const float sx = bone.shape_width_x, sy = bone.shape_width_y;
    glNewList(base + unsigned(j), GL_COMPILE);
    if (j == kHead) {
      glScalef(1.3f * sx, 1.5f * sy, 1.6f);
      LogPrintf("head sx: %f sy: %f", sx, sy);
    } else {
      glScalef(sx, sy, 1.0f);
    }
    gluSphere(quadric, bone.length * 0.5, slices.Get(), stacks.Get());
    glEndList();
  }
  gluDeleteQuadric(quadric);
  return base;
}

unsigned BuildSwordList() {
  DrawingResources& r = Resources();
  if (r.sword_list != 0) return r.sword_list;
  const unsigned list = glGenLists(1);
  if (list == 0) return 0;
  const SwordMesh& mesh = GetSwordMesh();
  glNewList(list, GL_COMPILE);
  // The runs' materials stay inside the list; the character's own colour is set per draw.
  glPushAttrib(GL_LIGHTING_BIT | GL_CURRENT_BIT);
  glBegin(GL_TRIANGLES);
  for (const SwordMesh::Run& run : mesh.runs) {
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, run.colour);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, run.specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, run.shininess);
    glColor4fv(run.colour);
    for (int t = run.first; t < run.first + run.count; ++t) {
      const SwordMesh::Triangle& tri = mesh.triangles[size_t(t)];
      for (int k = 0; k < 3; ++k) {
        const CVector& n = mesh.normals[size_t(tri.n[k])];
        const SwordMesh::TexCoord& tc = mesh.texcoords[size_t(tri.t[k])];
        const CVector& v = mesh.vertices[size_t(tri.v[k])];
        glNormal3f(n.x, n.y, n.z);
        glTexCoord2f(tc.s, tc.t);
        glVertex3f(v.x, v.y, v.z);
      }
    }
  }
  glEnd();
  glPopAttrib();
  glEndList();
  r.sword_list = list;
  return list;
}

void EnsureCharacterDrawing(const Skeleton& skeleton) {
  if (!HaveContext()) return;
  DrawingResources& r = Resources();
  if (r.bone_list_base == -1) {
    const unsigned base = BuildBoneLists(skeleton);
    if (base != 0) r.bone_list_base = long(base);
  }
  if (!r.glow_loaded) r.glow_loaded = LoadTexture(kGlowTexturePath, r.glow_texture);
}

// The lists and the texture go with the context's other objects (the context stays when a
// world is started again).
void ResetCharacterDrawing() {
  DrawingResources& r = Resources();
  if (r.bone_list_base > 0) glDeleteLists(unsigned(r.bone_list_base), kBoneCount);
  if (r.sword_list) glDeleteLists(r.sword_list, 1);
  if (r.glow_texture) glDeleteTextures(1, &r.glow_texture);
  r = DrawingResources{};
}

// ---- skeleton ----

void DrawSkeleton(const Skeleton& skeleton, const Bone& root) {
  for (const Bone* bone = &root; bone;
       bone = bone->sibling >= 0 ? &skeleton.bone(bone->sibling) : nullptr) {
    glPushMatrix();
    DrawJoint(*bone);
    if (bone->child >= 0) DrawSkeleton(skeleton, skeleton.bone(bone->child));
    glPopMatrix();
  }
}

// ---- Character::Draw ----

void Character::Draw() {
  static CVar<int> render_glow("character.render_glow", 0);
  static CVar<float> damage_time("character.damage_time", 0.2f);
  static CVar<float> death_time("character.death_time", 1.0f);

  if (!skeleton_controller_ || !skeleton_) return;
  if (!enabled && !dying && !warping) return;
  // Made without a context: the lists come now (the glow texture is tried once with them).
  if (Resources().bone_list_base == -1) EnsureCharacterDrawing(*skeleton_);

  float colour[4] = {0.8f, 0.8f, 0.8f, 1.0f};
  if (this == WorldBoss()) colour[0] = colour[1] = colour[2] = 0.25f;

  glPushMatrix();
  glTranslatef(position.x, position.y, position.z);

  if (g_gameplay_debug.Get() != 0 && gameplay_controller_ && this == WorldPlayer())
    DrawMoveVector(*gameplay_controller_);

  if (hurt && !dying) {
    if (state_timer.Elapsed() > damage_time.Get())
      hurt = false;
    else
      colour[1] = colour[2] = 0.0f;
  }

  double death_elapsed = 0.0;
  if (dying) {
    death_elapsed = state_timer.Elapsed();
    if (death_elapsed > death_time.Get()) {
      // The fade is over: the character vanishes in this very frame.
      dying = false;
      glPopMatrix();
      return;
    }
    colour[3] = float(1.0 - death_elapsed / death_time.Get());
    glColor4f(1.0f, 1.0f, 1.0f, colour[3]);
  }

  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, colour);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, colour);

  const float p = warp_phase;
  const bool draw_body = !warping || p > 0.601f;
  if (warping && draw_body) {
    const float s = (p * p - 0.36f) * 2.7777777777777777f;
    glScalef(s, 1.0f / s, s);
  }

  if (!draw_body) {
    glPopMatrix();
  } else if (model) {
    glPopMatrix();
    CVector joints[kBoneCount];
    for (int j = 0; j < kBoneCount; ++j) joints[j] = JointPosition(j);
    if (dying)
      model->DrawDying(orientation, joints, death_parameter, 0.0f, float(death_elapsed));
    else
      model->Draw(orientation, joints);
  } else {
    DrawSkeleton(*skeleton_, skeleton_->RootBone());
    glPopMatrix();
  }

  if (warping) {
    DrawWarpBeam(position, p);
    return;
  }
  if (dying) return;

  // The sword: x along the blade, y the world's up made perpendicular to it, both scaled by
  // the sword length, placed at the hilt.
  const float length = g_sword_length.Get();
  const CVector& b = blade;
  const CVector u = BladeUp(b);
  const CVector w = Cross(b, u);
  const float sword[16] = {length * b.x, length * b.y, length * b.z, 0.0f,
                           length * u.x, length * u.y, length * u.z, 0.0f,
                           length * w.x, length * w.y, length * w.z, 0.0f,
                           hilt.x,       hilt.y,       hilt.z,       1.0f};
  if (render_glow.Get() != 0) DrawSwordGlow();
  const unsigned sword_list = BuildSwordList();
  glPushMatrix();
  glMultMatrixf(sword);
  glTranslatef(-kSwordHiltX, 0.0f, 0.0f);
  if (sword_list != 0) glCallList(sword_list);
  glPopMatrix();
}

// ---- glow and trail ----

void Character::DrawSwordGlow() {
  static CVar<float> glow_width("character.glow_width", 10.0f);
  static CVar<float> glow_height("character.glow_height", 30.0f);
  // No samples before the first update.
  if (sample_cursor < 0) return;
  const int newest = (sample_cursor + kSwordSamples - 1) % kSwordSamples;
  const CVector& hilt_sample = hilt_samples[newest];
  CVector d = tip_samples[newest] - hilt_sample;
  if (d.Length() < 1e-6f) return;
  d.Normalize();

  const float height = glow_height.Get();
  const CVector centre = hilt_sample + CVector{0.0f, height * 0.5f, 0.0f};
  CVector corners[4];
  BillboardCorners(GetRenderer().camera_right(), GetRenderer().camera_up(), centre,
                   glow_width.Get(), height, 5.0f, corners);
  GameWorld* world = GetGameWorld();
  const CQuaternion camera = world && world->camera ? world->camera->orientation : CQuaternion{};
  const CVector axis = camera.RowAxis(2);
  const double angle = std::acos(std::fmax(-1.0, std::fmin(1.0, double(d.y))));
  for (CVector& corner : corners) corner = centre + RotateAbout(corner - centre, axis, angle);

  glDepthMask(GL_FALSE);
  glEnable(GL_BLEND);
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glBlendFunc(GL_ONE, GL_ONE);
  glBindTexture(GL_TEXTURE_2D, Resources().glow_texture);
  static constexpr float kTexCoords[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
  glBegin(GL_QUADS);
  for (int i = 0; i < 4; ++i) {
    glTexCoord2fv(kTexCoords[i]);
    glVertex3f(corners[i].x, corners[i].y, corners[i].z);
  }
  glEnd();
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_LIGHTING);
  glDepthMask(GL_TRUE);
}

void Character::DrawSwordTrail() {
  if (!enabled || !gameplay_controller_ || !skeleton_controller_) return;
  // Walking and running swing the sword with the arms; only a stand, an attack or a swing
  // laid over the legs leaves a trail.
  const MotionController* root = skeleton_controller_->RootMotion();
  const bool moving = root && (root == gameplay_controller_->Motion(kRoleMove) ||
                               root == gameplay_controller_->Motion(kRoleExtra));
  if (moving && skeleton_controller_->BlendMotion() == nullptr) return;
  // Cursor 0 has just wrapped round (or there is one sample); -1: no samples yet.
  if (sample_cursor <= 0) return;
  glBegin(GL_TRIANGLE_STRIP);
  for (int i = 0; i < kSwordSamples; ++i) {
    const int k = (sample_cursor + i) % kSwordSamples;
    glColor4f(0.8f, 0.8f, 1.0f, 0.05f * float(i));
    glVertex3f(hilt_samples[k].x, hilt_samples[k].y, hilt_samples[k].z);
    glVertex3f(tip_samples[k].x, tip_samples[k].y, tip_samples[k].z);
  }
  glEnd();
}

}  // namespace kt
