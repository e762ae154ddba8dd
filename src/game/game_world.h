// The game world: the one object that holds what the scene file fills in. Today it carries the
// started flag the title state reads; the motion, entity, data-set and graph lists join it with
// the types they hold.
#pragma once

namespace kt {

class GameWorld {
 public:
  // True from construction; the title state's start condition reads it, and the console's
  // game commands set it again.
  bool started = true;
};

}  // namespace kt
