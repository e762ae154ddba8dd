// FMODSound over SDL2_mixer.
#include "sound/fmod_sound.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include "console/log.h"

namespace kt {
namespace {

constexpr int kMixRate = 44100;
constexpr int kChannels = 64;
constexpr int kOutputChannels = 2;
constexpr int kChunkBytes = 1024;

}  // namespace

FMODSound::FMODSound() {
  // Only the audio subsystem: the window belongs to the GUI toolkit.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    LogPrintf("FMODSound: Cannot initialize sound!!");
    return;
  }
  if (Mix_OpenAudio(kMixRate, MIX_DEFAULT_FORMAT, kOutputChannels, kChunkBytes) != 0) {
    LogPrintf("FMODSound: Cannot initialize sound!!");
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return;
  }
  // Decoders load on demand; a missing one only makes its files fail to open.
  Mix_Init(MIX_INIT_MP3 | MIX_INIT_OGG);
  Mix_AllocateChannels(kChannels);
  initialised_ = true;
}

FMODSound::~FMODSound() {
  if (initialised_) {
    Mix_HaltMusic();
    if (music_) Mix_FreeMusic(music_);
    Mix_HaltChannel(-1);
    for (auto& [path, chunk] : effects_)
      if (chunk) Mix_FreeChunk(chunk);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  music_ = nullptr;
  effects_.clear();
}

void FMODSound::PlayMusic(const std::string& file, float start_seconds) {
  if (!initialised_) return;
  if (music_) {
    Mix_HaltMusic();
    Mix_FreeMusic(music_);
    music_ = nullptr;
  }
  music_ = Mix_LoadMUS(file.c_str());
  if (!music_) {
    LogPrintf("FMODSound: Cannot load track - %s", file.c_str());
    return;
  }
  // Loops for ever; each loop starts at the beginning of the file.
  if (Mix_PlayMusic(music_, -1) != 0) return;
  if (start_seconds > 0.0f) Mix_SetMusicPosition(double(start_seconds));
}

void FMODSound::PlaySound(const std::string& file) {
  if (!initialised_) return;
  auto it = effects_.find(file);
  if (it == effects_.end()) {
    Mix_Chunk* chunk = Mix_LoadWAV(file.c_str());
    ++effect_loads_;
    if (!chunk) LogPrintf("FMODSound: Cannot load sound - %s", file.c_str());
    it = effects_.emplace(file, chunk).first;
  }
  if (!it->second) return;
  // Once, on the first free channel; when all are busy the effect is dropped.
  Mix_PlayChannel(-1, it->second, 0);
}

double FMODSound::MusicPosition() const {
  if (!initialised_ || !music_ || !Mix_PlayingMusic()) return -1.0;
  return Mix_GetMusicPosition(music_);
}

bool FMODSound::MusicPlaying() const { return initialised_ && music_ && Mix_PlayingMusic(); }

int FMODSound::PlayingChannels() const { return initialised_ ? Mix_Playing(-1) : 0; }

}  // namespace kt
