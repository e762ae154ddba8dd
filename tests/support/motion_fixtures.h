// Synthetic motion fixtures: a small 31-bone ASF skeleton and walking-like motions on it, so
// tests of motions, graphs and characters need no captured data.
#pragma once

#include <string>
#include <vector>

#include "motion/posture.h"

namespace kt::test {

// ASF text of a 31-bone figure laid out like the captured data: hip joints without degrees of
// freedom, 28 rotating bones, some bones with tilted axes.
std::string TestAsfText();

// Writes TestAsfText() as "MartialArts.asf" in the working directory and makes the shared
// motion skeletons rebuild from it. Call after entering a ScratchDir.
void InstallTestSkeleton();

// `frames` postures of a walk: the root advances `speed` units per frame along +z (starting at
// `start_z`, height 40) and turns slowly, legs and arms swing with period `period` frames.
// Only rotations the test skeleton carries are non-zero, so the postures survive an AMC round
// trip.
std::vector<Posture> WalkPostures(int frames, float speed = 1.0f, int period = 40,
                                  float phase = 0.0f, float start_z = 0.0f);

// AMC text for postures on the test skeleton (header, frame numbers, 29 bone lines per frame),
// written independently of the motion writer. Positions are divided by `scale`.
std::string AmcText(const std::vector<Posture>& postures, float scale = 2.5f);

}  // namespace kt::test
