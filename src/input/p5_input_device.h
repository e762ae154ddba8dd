// The P5 data glove: detected at construction, polled once per frame while present, it keeps
// the hand position of the last two polls and the five finger bends (0 to 1), tells whether
// the hand is a fist and re-zeroes the hand position on request. The player controller turns
// fist-and-move gestures into swings.
//
//   P5InputDevice glove;                  // GlobalInputInit makes the process's one
//   if (glove.IsPresent()) glove.Poll();  // the per-frame input poll
//   if (glove.IsFist()) swing = glove.Motion().x > threshold;
#pragma once

#include <array>
#include <memory>

#include "console/cvar.h"
#include "input/glove_driver.h"
#include "input/input_devices.h"
#include "motion/vector.h"

namespace kt {

class P5InputDevice : public GloveDevice {
 public:
  // Becomes the process's glove. Logs "P5InputDevice: P5 SUCCESSFULLY detected..." or
  // "P5InputDevice: P5 NOT detected..."; a detected glove stops driving the mouse pointer.
  explicit P5InputDevice(std::unique_ptr<GloveDriver> driver = CreateDefaultGloveDriver());
  ~P5InputDevice() override;

  bool IsPresent() const { return present_; }
  bool Present() const override { return present_; }
  // Reads the driver: the position moves to the previous position, bends are raw / 63. With
  // `p5.debug` set logs the position and its change, the raw values and the bends.
  void Poll() override;
  // Every bend above `p5.fist_thresh`.
  bool IsFist() const;
  // Position minus previous position.
  CVector Motion() const;
  // The current hand position becomes the origin, and the kept positions read 0, so the next
  // poll's motion is the movement since now (only while a glove is present).
  void Calibrate();

  CVector position() const { return {position_[0], position_[1], position_[2]}; }
  const std::array<float, 5>& bends() const { return bends_; }
  // Raw bend units by which a finger must rise between polls to count as a click.
  const std::array<int, 5>& click_levels() const { return click_levels_; }

 private:
  void SetClickLevels();

  std::unique_ptr<GloveDriver> driver_;
  bool present_ = false;
  std::array<float, 3> position_{};
  std::array<float, 3> previous_position_{};
  std::array<float, 5> bends_{};
  std::array<int, 5> click_levels_{};
  CVar<float> finger_range_;
};

// The process's glove; nullptr while none exists.
P5InputDevice* GetP5InputDevice();

}  // namespace kt
