// Skeleton: ASF reading, local frames and forward kinematics; the shared motion skeletons.
#include "motion/skeleton.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "console/log.h"

namespace kt {
namespace {

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// Reads whole lines, dropping a trailing '\r' so CRLF files read like LF files.
class LineReader {
 public:
  explicit LineReader(std::istream& in) : in_(in) {}
  bool Next(std::string& line) {
    if (!std::getline(in_, line)) return false;
    ++number_;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
  }
  int number() const { return number_; }

 private:
  std::istream& in_;
  int number_ = 0;
};

std::string FirstWord(const std::string& line) {
  std::istringstream in(line);
  std::string w;
  in >> w;
  return w;
}

bool ParseFloats(const std::vector<std::string>& words, float* out, int count) {
  if (int(words.size()) < count + 1) return false;
  for (int i = 0; i < count; ++i) {
    const std::string& w = words[size_t(i) + 1];
    const auto [end, err] = std::from_chars(w.data(), w.data() + w.size(), out[i]);
    if (err != std::errc() || end != w.data() + w.size() || !std::isfinite(out[i])) return false;
  }
  return true;
}

// NaN fails the comparison inside PlausibleCoordinate, so this refuses it too.
bool PlausibleCoordinates(const float* v, int count) {
  return std::all_of(v, v + count, PlausibleCoordinate);
}

}  // namespace

Skeleton::Skeleton(const std::string& asf_path, float scale) {
  Clear();
  loaded_ = Read(asf_path, scale);
  if (!loaded_) Clear();
  ToLocalDirections();
  ComputeParentToBone();
  SetShapeWidths();
  ResetPose();
}

void Skeleton::Clear() {
  for (int i = 0; i < kBoneCount; ++i) {
    bones_[i] = Bone{};
    bones_[i].index = i;
  }
  Bone& root = bones_[kRoot];
  root.length = 0.05f;
  root.dof_count = 3;
  root.has_x = root.has_y = root.has_z = 1;
  dof_count_ = 6;
}

// The file's bones fill slots 1-30 in file order and the hierarchy addresses them by name, so
// names must be known and in table order; anything else is rejected with the reason.
bool Skeleton::Read(const std::string& path, float scale) {
  std::ifstream file(ToFilePath(path), std::ios::binary);
  if (!file) {
    LogPrintf("Skeleton: cannot open ASF file %s", path.c_str());
    return false;
  }
  LineReader lines(file);
  std::string line;
  auto fail = [&](const std::string& why) {
    LogPrintf("Skeleton: %s line %d: %s", path.c_str(), lines.number(), why.c_str());
    return false;
  };

  do {
    if (!lines.Next(line)) return fail("no :bonedata section");
  } while (FirstWord(line) != ":bonedata");
  lines.Next(line);  // "begin"

  std::string name;
  float length = 0.0f;
  for (int b = 1; b < kBoneCount; ++b) {
    Bone& bone = bones_[b];
    bone.dof_count = bone.has_x = bone.has_y = bone.has_z = 0;
    for (;;) {
      if (!lines.Next(line))
        return fail("file ends inside bone entry " + std::to_string(b) + " of 30");
      const std::vector<std::string> w = Words(line);
      if (w.empty()) continue;
      if (w[0] == "end") break;
      if (w[0] == "name" && w.size() >= 2) {
        name = w[1];
      } else if (w[0] == "direction") {
        float v[3];
        if (!ParseFloats(w, v, 3) || !PlausibleCoordinates(v, 3)) return fail("bad direction line");
        bone.direction = {v[0], v[1], v[2]};
      } else if (w[0] == "length") {
        if (!ParseFloats(w, &length, 1)) return fail("bad length line");
      } else if (w[0] == "axis") {
        float v[3];
        if (!ParseFloats(w, v, 3)) return fail("bad axis line");
        bone.axis_x = v[0];
        bone.axis_y = v[1];
        bone.axis_z = v[2];
      } else if (w[0] == "dof") {
        for (size_t i = 1; i < w.size(); ++i) {
          ++bone.dof_count;
          bone.has_x |= w[i] == "rx";
          bone.has_y |= w[i] == "ry";
          bone.has_z |= w[i] == "rz";
        }
        dof_count_ += int(w.size()) - 1;
      }
    }
    const int index = BoneIndex(name);
    if (index < 0) return fail("unknown bone name '" + name + "'");
    if (index != b)
      return fail("bone '" + name + "' is entry " + std::to_string(b) + ", expected '" +
                  kBoneNames[b] + "' (bones must follow the table order)");
    bone.index = index;
    bone.sibling = bone.child = -1;
    bone.length = length * scale;
    if (!PlausibleCoordinates(&bone.length, 1)) {
      char text[96];
      std::snprintf(text, sizeof text, "length %g of bone '%s' is out of range once scaled",
                    double(length), name.c_str());
      return fail(text);
    }
  }

  do {
    if (!lines.Next(line)) return fail("no :hierarchy section");
  } while (FirstWord(line) != ":hierarchy");
  lines.Next(line);  // "begin"

  bool linked[kBoneCount] = {true};  // the root is in the tree from the start
  for (;;) {
    if (!lines.Next(line)) return fail("no end of the :hierarchy section");
    const std::vector<std::string> w = Words(line);
    if (w.empty()) continue;
    if (w[0] == "end") break;
    const int parent = BoneIndex(w[0]);
    if (parent < 0) return fail("hierarchy names unknown bone '" + w[0] + "'");
    if (!linked[parent]) {
      std::fputs("inbord bone is undefined\n", stdout);
      return fail("hierarchy names '" + w[0] + "' before it has a parent");
    }
    for (size_t i = 1; i < w.size(); ++i) {
      const int child = BoneIndex(w[i]);
      if (child < 0) return fail("hierarchy names unknown bone '" + w[i] + "'");
      if (kBoneParents[child] != parent)
        return fail("hierarchy puts '" + w[i] + "' under '" + w[0] +
                    "'; the figure has it under '" +
                    (child == 0 ? "nothing" : kBoneNames[kBoneParents[child]]) + "'");
      if (linked[child]) return fail("hierarchy links '" + w[i] + "' twice");
      linked[child] = true;
      if (bones_[parent].child < 0) {
        bones_[parent].child = child;
      } else {
        int last = bones_[parent].child;
        while (bones_[last].sibling >= 0) last = bones_[last].sibling;
        bones_[last].sibling = child;
      }
    }
  }
  for (int b = 1; b < kBoneCount; ++b)
    if (!linked[b]) return fail(std::string("hierarchy leaves '") + kBoneNames[b] + "' unlinked");
  return true;
}

void Skeleton::ToLocalDirections() {
  for (int b = 1; b < kBoneCount; ++b) {
    Bone& bone = bones_[b];
    RotateVector(bone.direction, -bone.axis_x, -bone.axis_y, -bone.axis_z);
  }
}

// Every bone's matrix comes from its fixed parent. The file's hierarchy was checked against
// the fixed topology, so this covers the same (parent, child) pairs as walking the links.
void Skeleton::ComputeParentToBone() {
  auto frame = [&](int b) {
    const Bone& bone = bones_[b];
    return Multiply(Multiply(RotationZ(bone.axis_z), RotationY(bone.axis_y)),
                    RotationX(bone.axis_x));
  };
  auto inverse_frame = [&](int b) {
    const Bone& bone = bones_[b];
    return Multiply(Multiply(RotationX(-bone.axis_x), RotationY(-bone.axis_y)),
                    RotationZ(-bone.axis_z));
  };
  bones_[kRoot].parent_to_bone = Transpose(frame(kRoot));
  for (int c = 1; c < kBoneCount; ++c)
    bones_[c].parent_to_bone = Transpose(Multiply(inverse_frame(kBoneParents[c]), frame(c)));
}

void Skeleton::SetShapeWidths() {
  struct Width {
    int bone;
    float x, y;
  };
  static constexpr Width kWidths[] = {
      {kRoot, 1.0f, 1.0f},        {kLHipJoint, 0.75f, 0.75f}, {kRHipJoint, 0.75f, 0.75f},
      {kLFemur, 0.35f, 0.35f},    {kRFemur, 0.35f, 0.35f},    {kLTibia, 0.3f, 0.3f},
      {kRTibia, 0.3f, 0.3f},      {kLFoot, 0.25f, 0.25f},     {kRFoot, 0.25f, 0.25f},
      {kLToes, 0.1f, 0.5f},       {kRToes, 0.1f, 0.5f},       {kLowerBack, 2.0f, 1.5f},
      {kUpperBack, 2.5f, 1.5f},   {kThorax, 2.5f, 1.5f},      {kLowerNeck, 0.4f, 0.5f},
      {kUpperNeck, 0.4f, 0.5f},   {kHead, 1.2f, 1.2f},        {kLClavicle, 0.75f, 0.75f},
      {kRClavicle, 0.75f, 0.75f}, {kLHumerus, 0.55f, 0.55f},  {kRHumerus, 0.55f, 0.55f},
      {kLRadius, 0.5f, 0.5f},     {kRRadius, 0.5f, 0.5f},     {kLWrist, 0.5f, 0.5f},
      {kRWrist, 0.5f, 0.5f},      {kLHand, 0.2f, 0.2f},       {kRHand, 0.2f, 0.8f},
      {kLFingers, 0.2f, 0.75f},   {kRFingers, 0.2f, 0.75f},   {kLThumb, 0.25f, 0.25f},
      {kRThumb, 0.25f, 0.25f}};
  static_assert(std::size(kWidths) == kBoneCount);
  for (const Width& w : kWidths) {
    bones_[w.bone].shape_width_x = w.x;
    bones_[w.bone].shape_width_y = w.y;
  }
}

void Skeleton::ResetPose() {
  root_position_ = {};
  for (Bone& bone : bones_) bone.angle_x = bone.angle_y = bone.angle_z = 0.0f;
}

void BoneEuler(const Bone& bone, const CQuaternion& rotation, float out[3]) {
  rotation.ToEuler(out);
  if (bone.has_x && bone.has_y && bone.has_z) return;
  auto wrap = [](float a) { return a > 0.0f ? a - 180.0f : a + 180.0f; };
  const float other[3] = {wrap(out[0]), out[1] >= 0.0f ? 180.0f - out[1] : -180.0f - out[1],
                          wrap(out[2])};
  const int has[3] = {bone.has_x, bone.has_y, bone.has_z};
  float dropped = 0.0f, dropped_other = 0.0f;
  for (int i = 0; i < 3; ++i)
    if (!has[i]) {
      dropped += std::fabs(out[i]);
      dropped_other += std::fabs(other[i]);
    }
  if (dropped_other < dropped) std::copy(other, other + 3, out);
}

void Skeleton::SetPosture(const Posture& posture) {
  root_position_ = posture.root_position;
  for (int b = 0; b < kBoneCount; ++b) {
    float angles[3];
    BoneEuler(bones_[b], posture.rotations[b], angles);
    SetBoneAngles(b, angles);
  }
}

void Skeleton::SetBoneAngles(int index, const float angles[3]) {
  Bone& bone = bones_[index];
  if (bone.has_x) bone.angle_x = angles[0];
  if (bone.has_y) bone.angle_y = angles[1];
  if (bone.has_z) bone.angle_z = angles[2];
}

DMatrix Skeleton::LocalTransform(int b) const {
  const Bone& bone = bones_[b];
  const DMatrix pose =
      Multiply(Multiply(RotationZ(bone.angle_z), RotationY(bone.angle_y)), RotationX(bone.angle_x));
  return Multiply(Transpose(bone.parent_to_bone), pose);
}

CVector Skeleton::BoneEndPosition(int index) const {
  int chain[kBoneCount];
  int n = 0;
  for (int b = index; b >= 0; b = kBoneParents[b]) chain[n++] = b;
  CVector position = root_position_;
  DMatrix m;
  while (n > 0) {
    const int b = chain[--n];
    const Bone& bone = bones_[b];
    m = Multiply(m, LocalTransform(b));
    position += TransformPoint(m, bone.direction * bone.length);
  }
  return position;
}

void Skeleton::BoneEndPositions(CVector out[kBoneCount]) const {
  DMatrix frames[kBoneCount];
  for (int b = 0; b < kBoneCount; ++b) {
    const int parent = kBoneParents[b];
    frames[b] = parent < 0 ? LocalTransform(b) : Multiply(frames[parent], LocalTransform(b));
    const CVector start = parent < 0 ? root_position_ : out[parent];
    out[b] = start + TransformPoint(frames[b], bones_[b].direction * bones_[b].length);
  }
}

void Skeleton::GlobalMarkerPositions(const Posture& posture, CVector out[kBoneCount]) {
  SetPosture(posture);
  BoneEndPositions(out);
}

void Skeleton::RootRelativeMarkerPositions(const Posture& posture, CVector out[kBoneCount]) {
  Posture local = posture;
  local.root_position = {};
  local.rotations[kRoot] = {};
  GlobalMarkerPositions(local, out);
}

// ---- motion folder and shared skeletons ----

namespace {

std::string& FolderCell() {
  static std::string folder = "data\\motions\\";
  return folder;
}

struct SharedSkeletons {
  std::unique_ptr<Skeleton> motion;
  std::unique_ptr<Skeleton> marker;
};

SharedSkeletons& Shared() {
  static SharedSkeletons shared;
  return shared;
}

void EnsureShared() {
  if (!Shared().motion) UseMotionSkeletons("MartialArts.asf");
}

}  // namespace

const std::string& MotionFolder() { return FolderCell(); }
void SetMotionFolder(const std::string& folder) { FolderCell() = folder; }

std::string ToFilePath(const std::string& path) {
  std::string out = path;
  std::replace(out.begin(), out.end(), '\\', '/');
  return out;
}

Skeleton& MotionSkeleton() {
  EnsureShared();
  return *Shared().motion;
}

Skeleton& MarkerSkeleton() {
  EnsureShared();
  return *Shared().marker;
}

bool UseMotionSkeletons(const std::string& asf_path) {
  Shared().motion = std::make_unique<Skeleton>(asf_path, kMotionScale);
  Shared().marker = std::make_unique<Skeleton>(*Shared().motion);  // same file: read it once
  return Shared().motion->loaded();
}

void ResetMotionSkeletons() {
  Shared().motion.reset();
  Shared().marker.reset();
}

}  // namespace kt
