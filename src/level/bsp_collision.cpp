// Sphere collision against the level's brushes: the leaves a sphere (or a swept sphere)
// reaches are collected first, then only their brushes are tested, each brush approximated by
// its planes pushed outwards by the radius. The tree is walked with an explicit stack, front
// subtree first, so a deep tree cannot exhaust the call stack.
#include <algorithm>

#include "console/log.h"
#include "level/bsp_level.h"

namespace kt {

namespace {

// Walks the tree from node 0, appending the leaves reached. side(node) answers 1 when the
// shape lies wholly in front of the node's plane, -1 when wholly behind it, 0 when across.
template <typename Side>
void WalkTree(const std::vector<BspNode>& nodes, size_t leaf_count, std::vector<int>& leaves,
              std::vector<int>& pending, Side side) {
  leaves.clear();
  if (nodes.empty()) {
    if (leaf_count) leaves.push_back(0);
    return;
  }
  pending.assign(1, 0);
  while (!pending.empty()) {
    int index = pending.back();
    pending.pop_back();
    while (index >= 0) {
      const BspNode& node = nodes[index];
      const int s = side(node);
      if (s == 0) pending.push_back(node.children[1]);
      index = s < 0 ? node.children[1] : node.children[0];
    }
    leaves.push_back(-(index + 1));
  }
}

}  // namespace

void BspLevel::CollectSphereLeaves(const CVector& centre, float radius) {
  WalkTree(nodes_, leaves_.size(), touched_leaves_, pending_nodes_, [&](const BspNode& node) {
    const float d = Dot(PlaneNormal(node.plane), centre) - planes_[node.plane].dist;
    return d >= radius ? 1 : d <= -radius ? -1 : 0;
  });
}

void BspLevel::CollectSweptLeaves(const CVector& start, const CVector& move, float radius) {
  WalkTree(nodes_, leaves_.size(), touched_leaves_, pending_nodes_, [&](const BspNode& node) {
    const CVector n = PlaneNormal(node.plane);
    const float d0 = Dot(n, start) - planes_[node.plane].dist;
    const float dm = Dot(n, move);
    const bool front = dm <= 0 ? d0 + dm >= radius : d0 >= radius;
    const bool back = dm <= 0 ? d0 <= -radius : d0 + dm <= -radius;
    return front ? 1 : back ? -1 : 0;
  });
}

float BspLevel::Trace(const CVector& start, const CVector& move, float radius) {
  CollectSweptLeaves(start, move, radius);
  float best = 1.0f;
  for (int leaf_index : touched_leaves_) {
    const BspLeaf& leaf = leaves_[leaf_index];
    for (int k = 0; k < leaf.leaf_brush_count; ++k) {
      const BspBrush& brush = brushes_[leaf_brushes_[leaf.leaf_brush + k]];
      if (!Solid(brush)) continue;
      float enter = 0.0f, exit = 1.0f;
      for (int i = 0; i < brush.side_count && enter < best && enter < exit; ++i) {
        const int plane = brush_sides_[brush.side + i].plane;
        const CVector n = PlaneNormal(plane);
        const float s = Dot(n, start) - (radius + planes_[plane].dist);
        const float q = Dot(n, move);
        if (q == 0.0f) {
          if (s >= 0.0f) {
            enter = 1.0f;
            break;
          }
          continue;
        }
        const float t = -s / q;
        if (q < 0.0f)
          enter = std::max(enter, t);
        else
          exit = std::min(exit, t);
      }
      if (exit > enter && enter < best) best = enter;
    }
  }
  return best;
}

float BspLevel::DeepestSide(const BspBrush& brush, const CVector& centre, float radius,
                            int& side) const {
  float largest = 0.0f;
  side = -1;
  for (int i = 0; i < brush.side_count; ++i) {
    const int plane = brush_sides_[brush.side + i].plane;
    const float s = Dot(PlaneNormal(plane), centre) - (radius + planes_[plane].dist);
    if (side < 0 || s > largest) {
      largest = s;
      side = brush.side + i;
    }
    if (s >= 0.0f) break;
  }
  return largest;
}

std::optional<CollisionPlane> BspLevel::Penetration(const CVector& centre, float radius) {
  CollectSphereLeaves(centre, radius);
  float deepest = 0.0f;
  std::optional<CollisionPlane> result;
  for (int leaf_index : touched_leaves_) {
    const BspLeaf& leaf = leaves_[leaf_index];
    for (int k = 0; k < leaf.leaf_brush_count; ++k) {
      const BspBrush& brush = brushes_[leaf_brushes_[leaf.leaf_brush + k]];
      if (!Solid(brush)) continue;
      int side = -1;
      const float s = DeepestSide(brush, centre, radius, side);
      if (side >= 0 && s < deepest) {
        deepest = s;
        const int plane = brush_sides_[side].plane;
        result = CollisionPlane{PlaneNormal(plane), planes_[plane].dist};
      }
    }
  }
  return result;
}

void BspLevel::ReportTouches(const CVector& centre, float radius) {
  CollectSphereLeaves(centre, radius);
  for (int leaf_index : touched_leaves_) {
    const BspLeaf& leaf = leaves_[leaf_index];
    for (int k = 0; k < leaf.leaf_brush_count; ++k) {
      const BspBrush& brush = brushes_[leaf_brushes_[leaf.leaf_brush + k]];
      int side = -1;
      if (DeepestSide(brush, centre, radius, side) < 0.0f && side >= 0)
        LogPrintf("Collision with brush %i", brush.texture);
    }
  }
}

}  // namespace kt
