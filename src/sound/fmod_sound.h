// The sound module on this platform: SDL2_mixer behind the FMODSound name the game knows.
// One music track at a time, streamed and looped; effects play once each on a free channel.
// Effect samples are loaded once per path and kept until destruction; a new music track frees
// the previous one.
#pragma once

#include <cstddef>
#include <map>
#include <string>

#include "sound/sound_system.h"

struct _Mix_Music;
struct Mix_Chunk;

namespace kt {

class FMODSound : public SoundSystem {
 public:
  // Opens audio at 44100 Hz with 64 channels; logs "FMODSound: Cannot initialize sound!!" on
  // failure, after which every call is silent.
  FMODSound();
  ~FMODSound() override;

  void PlayMusic(const std::string& file, float start_seconds) override;
  void PlaySound(const std::string& file) override;

  bool Initialised() const { return initialised_; }
  // Seconds into the current track, or -1 when no track is playing (or the decoder cannot
  // tell).
  double MusicPosition() const;
  bool MusicPlaying() const;
  // Effects in the cache (files that failed to load included) and file loads performed.
  std::size_t CachedEffects() const { return effects_.size(); }
  int EffectLoads() const { return effect_loads_; }
  // Channels currently playing an effect.
  int PlayingChannels() const;

 private:
  bool initialised_ = false;
  _Mix_Music* music_ = nullptr;
  // Path -> loaded sample; nullptr for a file that could not be loaded (logged once).
  std::map<std::string, Mix_Chunk*> effects_;
  int effect_loads_ = 0;
};

}  // namespace kt
