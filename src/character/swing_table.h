// The swing table: the frame ranges of the attack clip that the sword swings are cut from,
// one list per attack kind (1 left, 2 right, 0 forward). One instance per process, made by
// the world's start-up and destroyed by its shutdown.
#pragma once

#include <utility>
#include <vector>

namespace kt {

class MotionController;

class SwingTable {
 public:
  using Range = std::pair<int, int>;  // first, last frame

  // Becomes the process's table (GetSwingTable); the destructor clears it.
  SwingTable();
  ~SwingTable();
  SwingTable(const SwingTable&) = delete;
  SwingTable& operator=(const SwingTable&) = delete;

  // The ranges of an attack kind; any kind other than 1 and 2 is the forward thrust.
  const std::vector<Range>& Ranges(int kind) const;

 private:
  std::vector<Range> lists_[3];
};

SwingTable* GetSwingTable();

struct SwingChoice {
  int first = 0;
  int last = 0;
  bool valid = false;
};

// One range of the kind's list, picked by rand() modulo the list length and logged. Valid when
// 0 <= first < last and last lies inside the attack clip. Without a table, or without an
// attack clip, nothing is picked and the choice is invalid.
SwingChoice ChooseSwing(int kind, const MotionController* attack);

}  // namespace kt
