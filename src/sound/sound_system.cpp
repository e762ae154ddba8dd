// The sound singleton.
#include "sound/sound_system.h"

namespace kt {
namespace {

SoundSystem*& Instance() {
  static SoundSystem* sound = nullptr;
  return sound;
}

}  // namespace

SoundSystem::SoundSystem() { Instance() = this; }

SoundSystem::~SoundSystem() {
  if (Instance() == this) Instance() = nullptr;
}

SoundSystem* GetSound() { return Instance(); }

void PlaySoundEffect(const std::string& file) {
  if (SoundSystem* sound = GetSound()) sound->PlaySound(file);
}

void PlayMusicTrack(const std::string& file, float start_seconds) {
  if (SoundSystem* sound = GetSound()) sound->PlayMusic(file, start_seconds);
}

}  // namespace kt
