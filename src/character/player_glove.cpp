// The player's view of the P5 glove: presence, fist, motion since the previous poll, and
// re-zeroing, each asked of the glove that exists at the time (start-up may replace it).
#include "character/player_glove.h"

#include "input/p5_input_device.h"

namespace kt {
namespace {

class P5GloveAdapter : public PlayerGlove {
 public:
  bool IsPresent() const override {
    const P5InputDevice* glove = GetP5InputDevice();
    return glove && glove->IsPresent();
  }
  bool IsFist() const override {
    const P5InputDevice* glove = GetP5InputDevice();
    return glove && glove->IsFist();
  }
  CVector Motion() const override {
    const P5InputDevice* glove = GetP5InputDevice();
    return glove ? glove->Motion() : CVector();
  }
  void Calibrate() override {
    if (P5InputDevice* glove = GetP5InputDevice()) glove->Calibrate();
  }
};

}  // namespace

PlayerGlove* P5PlayerGlove() {
  static P5GloveAdapter adapter;
  return GetP5InputDevice() ? &adapter : nullptr;
}

}  // namespace kt
