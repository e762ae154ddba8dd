// The swing table and the swing choice.
#include "character/swing_table.h"

#include <cstdlib>

#include "character/motion_controller.h"
#include "console/log.h"

namespace kt {
namespace {
SwingTable* g_swing_table = nullptr;
}  // namespace

SwingTable::SwingTable() {
  lists_[0] = {{1083, 1110}};
  lists_[1] = {{806, 825}, {934, 952}, {445, 471}};
  lists_[2] = {{217, 236}, {907, 930}};
  g_swing_table = this;
}

SwingTable::~SwingTable() {
  if (g_swing_table == this) g_swing_table = nullptr;
}

const std::vector<SwingTable::Range>& SwingTable::Ranges(int kind) const {
  return lists_[kind == 1 || kind == 2 ? kind : 0];
}

SwingTable* GetSwingTable() { return g_swing_table; }

SwingChoice ChooseSwing(int kind, const MotionController* attack) {
  SwingChoice choice;
  const SwingTable* table = GetSwingTable();
  if (!table || !attack) return choice;
  const auto& ranges = table->Ranges(kind);
  if (ranges.empty()) return choice;
  const SwingTable::Range& range = ranges[size_t(std::rand()) % ranges.size()];
  choice.first = range.first;
  choice.last = range.second;
  LogPrintf("swing from: %d to: %d", choice.first, choice.last);
  choice.valid =
      choice.first >= 0 && choice.first < choice.last && choice.last < attack->FrameCount();
  return choice;
}

}  // namespace kt
