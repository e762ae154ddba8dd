// The P5 glove over its driver, and the platform's default driver (no glove).
#include "input/p5_input_device.h"

#include <algorithm>
#include <cmath>

#include "console/log.h"

namespace kt {
namespace {

P5InputDevice* g_glove = nullptr;

// Full bend of the driver's raw scale.
constexpr int kMaxRawBend = 63;
constexpr float kBendScale = 0.015873015873015872f;  // 1 / 63
constexpr float kClickUnitsPerRange = 30.0f;

// The raw values the glove module shows beside the position; nothing updates them.
float g_raw[3] = {0.0f, 0.0f, 0.0f};

class AbsentGloveDriver : public GloveDriver {
 public:
  bool Init() override { return false; }
  void SetMouseState(bool) override {}
  void CalibratePosition() override {}
  GloveReading Read() override { return {}; }
  void Close() override {}
};

}  // namespace

std::unique_ptr<GloveDriver> CreateDefaultGloveDriver() {
  return std::make_unique<AbsentGloveDriver>();
}

P5InputDevice* GetP5InputDevice() { return g_glove; }

P5InputDevice::P5InputDevice(std::unique_ptr<GloveDriver> driver) : driver_(std::move(driver)) {
  g_glove = this;
  if (!driver_) driver_ = CreateDefaultGloveDriver();
  finger_range_.Register("p5.fingerRange", 0.5f);
  if (!driver_->Init()) {
    LogPrintf("P5InputDevice: P5 NOT detected...");
    present_ = false;
    return;
  }
  LogPrintf("P5InputDevice: P5 SUCCESSFULLY detected...");
  present_ = true;
  SetClickLevels();
  driver_->SetMouseState(false);
}

P5InputDevice::~P5InputDevice() {
  driver_->Close();
  if (g_glove == this) g_glove = nullptr;
}

void P5InputDevice::SetClickLevels() {
  const float range = finger_range_;
  // A console value far outside the bend scale must not overflow the level.
  const float units = std::isfinite(range) ? range * kClickUnitsPerRange : 0.0f;
  const int level = int(std::clamp(units, -float(kMaxRawBend), float(kMaxRawBend)));
  click_levels_.fill(level);
}

void P5InputDevice::Poll() {
  static CVar<int> debug;
  if (!debug.Bound()) debug.Register("p5.debug", 1);

  const GloveReading reading = driver_->Read();
  previous_position_ = position_;
  for (int i = 0; i < 3; ++i) {
    // A driver hiccup must not poison the motion with NaN: keep the last good value.
    if (std::isfinite(reading.position[i])) position_[i] = reading.position[i];
  }
  SetClickLevels();
  for (int i = 0; i < 5; ++i)
    bends_[i] = float(std::min<int>(reading.bends[i], kMaxRawBend)) * kBendScale;

  if (debug != 0) {
    const CVector change = Motion();
    LogPrintf("P5 data: %f %f %f  change: %f %f %f", double(position_[0]), double(position_[1]),
              double(position_[2]), double(change.x), double(change.y), double(change.z));
    LogPrintf("P5 raw: %f %f %f", double(g_raw[0]), double(g_raw[1]), double(g_raw[2]));
    LogPrintf("p5 bend: fist- %d fingers- %f %f %f %f %f", IsFist() ? 1 : 0, double(bends_[0]),
              double(bends_[1]), double(bends_[2]), double(bends_[3]), double(bends_[4]));
  }
}

bool P5InputDevice::IsFist() const {
  const CVar<float> fist_thresh("p5.fist_thresh", 0.7f);
  const float t = fist_thresh;
  return std::all_of(bends_.begin(), bends_.end(), [t](float b) { return b > t; });
}

CVector P5InputDevice::Motion() const {
  return {float(double(position_[0]) - previous_position_[0]),
          float(double(position_[1]) - previous_position_[1]),
          float(double(position_[2]) - previous_position_[2])};
}

void P5InputDevice::Calibrate() {
  if (!present_) return;
  driver_->CalibratePosition();
  // The hand now sits at the origin. Without this the next poll would measure from the old
  // origin's reading, and a hand that stops as it closes would swing the opposite way.
  position_.fill(0.0f);
  previous_position_.fill(0.0f);
}

}  // namespace kt
