// Coded synthetic motions for transition-graph tests.
#include "graph_fixtures.h"

#include "motion/bone_table.h"

namespace kt::test {

std::vector<int> UniqueCodes(int n) {
  std::vector<int> codes(n);
  for (int i = 0; i < n; ++i) codes[i] = i;
  return codes;
}

void PlantTwin(std::vector<int>& codes, int from, int to, int window) {
  for (int k = 0; k < window; ++k) codes[to + k] = codes[from + k];
}

std::vector<int> TwoCycleCodes() {
  std::vector<int> codes = UniqueCodes(120);
  PlantTwin(codes, 10, 30, 4);
  PlantTwin(codes, 60, 100, 4);
  return codes;
}

Posture CodedPosture(int code, const CVector& root) {
  static const int kCodeJoints[4] = {kLFemur, kRFemur, kLHumerus, kRHumerus};
  Posture p;
  p.root_position = root;
  for (int digit = 0; digit < 4; ++digit) {
    p.rotations[kCodeJoints[digit]] = CQuaternion::FromEuler(60.0f * float(code % 6), 0, 0);
    code /= 6;
  }
  return p;
}

std::vector<Posture> CodedFrames(const std::vector<int>& codes, float step) {
  std::vector<Posture> frames;
  frames.reserve(codes.size());
  for (size_t f = 0; f < codes.size(); ++f)
    frames.push_back(CodedPosture(codes[f], CVector(step * float(f), 40.0f, 0.0f)));
  return frames;
}

}  // namespace kt::test
