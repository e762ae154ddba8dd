// The sound singleton: one music track at a time, streamed and looped, and fire-and-forget
// effects. SoundSystem is the interface every caller plays through (GetSound()); FMODSound
// (fmod_sound.h) is the one on this platform, and tests record calls with a subclass.
#pragma once

#include <string>

namespace kt {

class SoundSystem {
 public:
  // Becomes the process's sound singleton; the destructor clears it.
  SoundSystem();
  virtual ~SoundSystem();
  SoundSystem(const SoundSystem&) = delete;
  SoundSystem& operator=(const SoundSystem&) = delete;

  // Replaces the current music track, starting `start_seconds` into the file.
  virtual void PlayMusic(const std::string& file, float start_seconds) = 0;
  // Starts one effect on a free channel.
  virtual void PlaySound(const std::string& file) = 0;
};

// The live sound system, or nullptr (then nothing plays).
SoundSystem* GetSound();

// Plays through the singleton when there is one.
void PlaySoundEffect(const std::string& file);
void PlayMusicTrack(const std::string& file, float start_seconds = 0.0f);

}  // namespace kt
