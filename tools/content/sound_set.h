// The game's sounds under the names it plays them by: four music tracks (MP3, encoded with
// LAME) and the effects (16-bit WAV), all synthesised: a small subtractive synthesiser and
// drum kit for the music, filtered noise for swings, and a formant voice for the shouts,
// groans, laughs and the announcer's two lines.
#pragma once

#include <string>
#include <vector>

#include "generated_file.h"

namespace kt::content {

inline constexpr int kSoundRate = 22050;

// Mono samples in [-1, 1] at kSoundRate.
using Samples = std::vector<float>;

Bytes EncodeWav(const Samples& samples, int rate);
// MPEG layer III, mono, constant bit rate; empty when the encoder fails.
Bytes EncodeMp3(const Samples& samples, int rate, int kbps);

// Every sound file. Music lengths in seconds are at least those the game needs (the boss
// track is played from 60 s on).
std::vector<GeneratedFile> MakeSounds();
std::vector<std::string> SoundNames();

// Pieces, for tests.
Samples MakeMusic(const std::string& name);
// Length of a music track in seconds, without rendering it.
double MusicSeconds(const std::string& name);
Samples MakeEffect(const std::string& name);

}  // namespace kt::content
