// The sword mesh: indexed triangles of a blade, a cross guard, a grip and a pommel laid along x,
// tip at x = 0.52 and the hand at x = -0.48, so that the sword transform (scaled by the sword
// length, moved by 0.48 along the blade) puts the hand on the hilt and the tip one sword length
// beyond it. Only character drawing compiles it.
#pragma once

#include <vector>

#include "motion/vector.h"

namespace kt {

struct SwordMesh {
  struct TexCoord {
    float s = 0.0f, t = 0.0f;
  };
  // Per corner: vertex, normal and texture-coordinate indices.
  struct Triangle {
    int v[3];
    int n[3];
    int t[3];
  };
  // A run of consecutive triangles drawn with one material.
  struct Run {
    int first = 0;
    int count = 0;
    float colour[4] = {1, 1, 1, 1};
    float specular[4] = {0, 0, 0, 1};
    float shininess = 0.0f;
  };

  std::vector<CVector> vertices;
  std::vector<CVector> normals;
  std::vector<TexCoord> texcoords;
  std::vector<Triangle> triangles;
  std::vector<Run> runs;
};

// Built once on first use.
const SwordMesh& GetSwordMesh();

// Where the hand holds the sword, in mesh coordinates.
inline constexpr float kSwordHiltX = -0.48f;

}  // namespace kt
