// Level drawing: sky box around the eye, then the faces of every leaf that the eye's cluster
// can see and that lies in the view frustum, each face once per frame, texture on unit 0 and
// lightmap on unit 1; blended faces follow in a second pass, in the order they were met.
//
// The client arrays are pointed at the vertex records at the start of each frame and disabled
// at its end (rather than once at load), so other code that draws with client arrays between
// two frames cannot leave the level drawing from stale pointers.
#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <cstddef>

#include "console/log.h"
#include "level/bsp_level.h"
#include "motion/frustum.h"
#include "render/gl_extensions.h"

namespace kt {

namespace {

// Sky box: 300 units around the eye; corners per slot in drawing order.
constexpr float kSkyCorners[6][4][3] = {
    {{-300, -300, -300}, {-300, -300, 300}, {-300, 300, 300}, {-300, 300, -300}},
    {{300, -300, 300}, {300, -300, -300}, {300, 300, -300}, {300, 300, 300}},
    {{300, -300, -300}, {300, -300, 300}, {-300, -300, 300}, {-300, -300, -300}},
    {{300, 300, 300}, {300, 300, -300}, {-300, 300, -300}, {-300, 300, 300}},
    {{300, -300, -300}, {-300, -300, -300}, {-300, 300, -300}, {300, 300, -300}},
    {{-300, -300, 300}, {300, -300, 300}, {300, 300, 300}, {-300, 300, 300}},
};
constexpr float kSkyTexCoords[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};

void SelectUnit(GLenum unit) {
  const GLExtensions& gl = GetGLExtensions();
  if (gl.multitexture()) gl.ActiveTextureARB(unit);
}

void SelectClientUnit(GLenum unit) {
  const GLExtensions& gl = GetGLExtensions();
  if (gl.multitexture()) gl.ClientActiveTextureARB(unit);
}

}  // namespace

const std::vector<int>& BspLevel::CollectVisibleFaces(const CVector& eye, const Frustum& frustum) {
  std::vector<int>& opaque = opaque_faces_;
  opaque.clear();
  blended_faces_.clear();
  std::fill(drawn_faces_.begin(), drawn_faces_.end(), 0u);
  const int eye_cluster = LeafCluster(FindLeaf(eye));
  for (int l = int(leaves_.size()) - 1; l >= 0; --l) {
    const BspLeaf& leaf = leaves_[l];
    if (!ClusterVisible(eye_cluster, leaf.cluster)) continue;
    const CVector a(float(leaf.mins[0]), float(leaf.mins[1]), float(leaf.mins[2]));
    const CVector b(float(leaf.maxs[0]), float(leaf.maxs[1]), float(leaf.maxs[2]));
    if (!frustum.BoxInFrustum(a, b)) continue;
    for (int k = leaf.leaf_face_count - 1; k >= 0; --k) {
      const int f = leaf_faces_[leaf.leaf_face + k];
      const BspFace& face = faces_[f];
      if (face.type > kFaceMesh) {
        LogPrintf("Type %i other than polygon", face.type);
        continue;
      }
      if (FaceDrawn(f)) continue;
      drawn_faces_[f >> 5] |= 1u << (f & 31);
      if (face.shader >= 0 && shaders_[face.shader].blended())
        blended_faces_.push_back(f);
      else
        opaque.push_back(f);
    }
  }
  return opaque;
}

void BspLevel::Render(const CVector& eye) {
  if (!loaded_) return;
  float projection[16], modelview[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  Frustum frustum;
  frustum.ExtractPlanes(projection, modelview);
  const std::vector<int>& opaque = CollectVisibleFaces(eye, frustum);

  if (has_sky_box()) DrawSkyBox(eye);

  const bool multitexture = GetGLExtensions().multitexture();
  const char* base = reinterpret_cast<const char*>(vertices_.data());
  glVertexPointer(3, GL_FLOAT, sizeof(BspVertex), base + offsetof(BspVertex, position));
  glEnableClientState(GL_VERTEX_ARRAY);
  SelectClientUnit(GL_TEXTURE0_ARB);
  glTexCoordPointer(2, GL_FLOAT, sizeof(BspVertex), base + offsetof(BspVertex, texcoord));
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  if (multitexture) {
    SelectClientUnit(GL_TEXTURE1_ARB);
    glTexCoordPointer(2, GL_FLOAT, sizeof(BspVertex), base + offsetof(BspVertex, lmcoord));
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  }

  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, 0.5f);
  SelectUnit(GL_TEXTURE0_ARB);
  glEnable(GL_TEXTURE_2D);
  if (multitexture) {
    SelectUnit(GL_TEXTURE1_ARB);
    glEnable(GL_TEXTURE_2D);
  }
  for (int f : opaque) DrawFace(f);
  if (!blended_faces_.empty()) {
    glEnable(GL_BLEND);
    glAlphaFunc(GL_GREATER, 0.0f);
    glDepthMask(GL_FALSE);
    for (int f : blended_faces_) DrawFace(f);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
  }
  if (multitexture) {
    SelectUnit(GL_TEXTURE1_ARB);
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    SelectClientUnit(GL_TEXTURE1_ARB);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  }
  SelectUnit(GL_TEXTURE0_ARB);
  glDisable(GL_TEXTURE_2D);
  SelectClientUnit(GL_TEXTURE0_ARB);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  glAlphaFunc(GL_ALWAYS, 0.0f);
  glDisable(GL_ALPHA_TEST);
}

void BspLevel::DrawSkyBox(const CVector& eye) {
  glEnable(GL_TEXTURE_2D);
  glPushMatrix();
  glTranslatef(eye.x, eye.y, eye.z);
  glDepthMask(GL_FALSE);
  glDisable(GL_DEPTH_TEST);
  for (int slot = 0; slot < 6; ++slot) {
    glBindTexture(GL_TEXTURE_2D, sky_box_[slot] > 0 ? unsigned(sky_box_[slot]) : 0u);
    glBegin(GL_QUADS);
    for (int c = 0; c < 4; ++c) {
      glTexCoord2fv(kSkyTexCoords[c]);
      glVertex3fv(kSkyCorners[slot][c]);
    }
    glEnd();
  }
  glPopMatrix();
  glDepthMask(GL_TRUE);
  glEnable(GL_DEPTH_TEST);
}

unsigned BspLevel::FaceTexture(int f) {
  const BspFace& face = faces_[f];
  const LevelShader* shader = face.shader >= 0 ? &shaders_[face.shader] : nullptr;
  unsigned texture = unsigned(texture_names_[face.texture]);
  if (!shader || !(shader->flags & kShaderAnimate) || shader->anim_frame_count <= 0) return texture;
  const double time = level_clock_.Elapsed() + shader->anim_time_offset;
  const double frame = std::floor(time * shader->anim_speed);
  if (!std::isfinite(frame)) return texture;
  const long long k = static_cast<long long>(std::fmod(frame, shader->anim_frame_count + 1.0));
  if (k > 0 && k <= int(shader->anim_frames.size())) texture = shader->anim_frames[k - 1];
  return texture;
}

void BspLevel::DrawFace(int f) {
  const BspFace& face = faces_[f];
  if (texture_names_[face.texture] == -1) return;
  const bool multitexture = GetGLExtensions().multitexture();
  const LevelShader* shader = face.shader >= 0 ? &shaders_[face.shader] : nullptr;
  SelectUnit(GL_TEXTURE0_ARB);
  if (shader) {
    const uint32_t blend = shader->flags & kShaderBlendMask;
    if (blend == kShaderBlendAlpha) glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (blend == kShaderBlendAdd) glBlendFunc(GL_ONE, GL_ONE);
    if (shader->flags & kShaderScroll) {
      const double time = level_clock_.Elapsed();
      if (time == 0.0 || (shader->scroll_s == 0.0f && shader->scroll_t == 0.0f))
        LogPrintf("time=%f, tex_scroll=%f,%f", time, shader->scroll_s, shader->scroll_t);
      glMatrixMode(GL_TEXTURE);
      glLoadIdentity();
      glTranslatef(float(time * shader->scroll_s), float(time * shader->scroll_t), 0.0f);
      glMatrixMode(GL_MODELVIEW);
    }
  }
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, FaceTexture(f));
  if (multitexture) {
    SelectUnit(GL_TEXTURE1_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, face.lightmap >= 0 ? lightmap_textures_[face.lightmap] : 0u);
  }
  switch (face.type) {
    case kFacePolygon:
      glDrawArrays(GL_TRIANGLE_FAN, face.vertex, face.vertex_count);
      break;
    case kFacePatch:
      for (int r = 1; r < face.size[1]; ++r) {
        glBegin(GL_TRIANGLE_STRIP);
        for (int c = 0; c < face.size[0]; ++c) {
          glArrayElement(face.vertex + r * face.size[0] + c);
          glArrayElement(face.vertex + (r - 1) * face.size[0] + c);
        }
        glEnd();
      }
      break;
    case kFaceMesh:
      glDrawElements(GL_TRIANGLES, face.mesh_vertex_count, GL_UNSIGNED_INT,
                     mesh_indices_.data() + mesh_index_start_[f]);
      break;
    default:
      break;
  }
  if (shader && (shader->flags & kShaderScroll)) {
    SelectUnit(GL_TEXTURE0_ARB);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
  }
}

}  // namespace kt
