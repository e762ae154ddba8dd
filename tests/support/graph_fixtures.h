// Coded synthetic motions for transition-graph tests. Every frame carries a code; frames with
// different codes differ by at least 60 degrees in a heavily weighted joint, so two windows
// pass a tight joint-angle threshold (type 0, T = 0.999) exactly when their codes match frame
// by frame. Planting a copy of one window's codes elsewhere plants a pair of jumps.
#pragma once

#include <vector>

#include "motion/posture.h"

namespace kt::test {

// The joint-angle threshold that only identical windows pass.
inline constexpr float kCodedThreshold = 0.999f;

// Codes 0 .. n-1 (no two frames alike).
std::vector<int> UniqueCodes(int n);
// Makes the window at `to` a copy of the window at `from`: codes[to + k] = codes[from + k].
void PlantTwin(std::vector<int>& codes, int from, int to, int window);
// 120 frames whose only window-4 jumps close two cycles, 10..30 and the larger 60..100.
std::vector<int> TwoCycleCodes();

// Code 0..1295: four base-6 digits as 60-degree steps of both femurs and both humeri about x.
// The root advances `step` along +x per frame and faces +z unrotated.
Posture CodedPosture(int code, const CVector& root = {});
std::vector<Posture> CodedFrames(const std::vector<int>& codes, float step = 1.0f);

}  // namespace kt::test
