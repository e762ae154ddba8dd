// The P5 glove as the player reads it: when no other glove is installed with SetPlayerGlove,
// the player controller reads the input devices' P5 glove through this adapter.
#pragma once

#include "character/player_controller.h"

namespace kt {

// The adapter over the process's P5 glove, or nullptr while no P5 glove exists.
PlayerGlove* P5PlayerGlove();

}  // namespace kt
