// A fixed view of a level for tools, tests and benchmarks (the game has its own camera): a
// 45-degree perspective from an eye position looking along a yaw angle, with clip distances
// scaled to the level's size, and the state the game's frame sets before drawing the level.
#pragma once

#include "level/bsp_level.h"

namespace kt {

// yaw in degrees, counter-clockwise seen from above, 0 looking along +x (a map entity's
// "angle"). Needs a current GL context.
void SetUpLevelView(const BspLevel& level, const CVector& eye, float yaw, int width, int height);

// Clears to the game's background colour and draws the level from the eye.
void DrawLevelFrame(BspLevel& level, const CVector& eye);

}  // namespace kt
