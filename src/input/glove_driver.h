// The data glove's driver as P5InputDevice uses it: detection, the mouse-pointer switch, the
// position re-zeroing and one reading per poll (filtered hand position and five raw finger
// bends, 0 to 63). There is no P5 driver on this platform, so the default driver reports no
// glove; ScriptedGloveDriver plays readings a test sets.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

namespace kt {

struct GloveReading {
  std::array<float, 3> position{};  // hand position relative to the calibrated origin
  std::array<uint8_t, 5> bends{};   // thumb to little finger, 0 (open) to 63 (closed)
};

class GloveDriver {
 public:
  virtual ~GloveDriver() = default;
  // True when at least one glove is attached and opened.
  virtual bool Init() = 0;
  // Whether glove 0 drives the system mouse pointer.
  virtual void SetMouseState(bool drives_pointer) = 0;
  // Glove 0's current hand position becomes the origin of later readings.
  virtual void CalibratePosition() = 0;
  // Glove 0's latest reading.
  virtual GloveReading Read() = 0;
  virtual void Close() = 0;
};

// The platform's driver: no glove here.
std::unique_ptr<GloveDriver> CreateDefaultGloveDriver();

// A glove whose hand a test moves and bends. Positions are reported relative to the position
// at the last calibration.
class ScriptedGloveDriver : public GloveDriver {
 public:
  struct Script {
    bool attached = true;
    std::array<float, 3> hand{};  // absolute hand position
    std::array<uint8_t, 5> bends{};
    int calibrations = 0;
    bool drives_pointer = true;
    bool closed = false;
  };
  // The script outlives the driver, so a test keeps steering the hand after handing the
  // driver to the device.
  explicit ScriptedGloveDriver(Script& script) : script_(script) {}

  bool Init() override { return script_.attached; }
  void SetMouseState(bool drives_pointer) override { script_.drives_pointer = drives_pointer; }
  void CalibratePosition() override {
    origin_ = script_.hand;
    ++script_.calibrations;
  }
  GloveReading Read() override {
    GloveReading r;
    for (int i = 0; i < 3; ++i) r.position[i] = script_.hand[i] - origin_[i];
    r.bends = script_.bends;
    return r;
  }
  void Close() override { script_.closed = true; }

 private:
  Script& script_;
  std::array<float, 3> origin_{};
};

}  // namespace kt
