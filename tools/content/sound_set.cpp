// Sound synthesis. Sections:
//   1. file encodings (WAV, MP3)
//   2. signal building blocks: noise, filters, resonators, reverb
//   3. formant voice: shouts, groans, laughs, the announcer
//   4. effects: swings, teleports, the death thud
//   5. music: instruments, drums, songs
//   6. the file list
#include "sound_set.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>

namespace kt::content {

namespace {

constexpr double kTau = 6.283185307179586;
constexpr double kDt = 1.0 / kSoundRate;

// Little-endian integers of a WAV file's header and samples.
void Put16(Bytes& b, uint32_t v) {
  b += char(v & 0xff);
  b += char((v >> 8) & 0xff);
}

void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xffff);
  Put16(b, v >> 16);
}

}  // namespace

// ---- 1. file encodings ------------------------------------------------------------------------

Bytes EncodeWav(const Samples& samples, int rate) {
  Bytes out = "RIFF";
  Put32(out, uint32_t(36 + samples.size() * 2));
  out += "WAVEfmt ";
  Put32(out, 16);
  Put16(out, 1);
  Put16(out, 1);
  Put32(out, uint32_t(rate));
  Put32(out, uint32_t(rate * 2));
  Put16(out, 2);
  Put16(out, 16);
  out += "data";
  Put32(out, uint32_t(samples.size() * 2));
  for (float s : samples)
    Put16(out, uint16_t(int16_t(std::lround(std::clamp(s, -1.0f, 1.0f) * 32000))));
  return out;
}

Bytes EncodeMp3(const Samples& samples, int rate, int kbps) {
  lame_t lame = lame_init();
  if (!lame) return {};
  lame_set_in_samplerate(lame, rate);
  lame_set_out_samplerate(lame, rate);
  lame_set_num_channels(lame, 1);
  lame_set_mode(lame, MONO);
  lame_set_brate(lame, kbps);
  lame_set_quality(lame, 5);
  Bytes out;
  if (lame_init_params(lame) < 0) {
    lame_close(lame);
    return {};
  }
  constexpr int kChunk = 8192;
  std::vector<unsigned char> buffer(kChunk * 5 / 4 + 7200);
  for (size_t at = 0; at < samples.size(); at += kChunk) {
    const int n = int(std::min<size_t>(kChunk, samples.size() - at));
    const int written = lame_encode_buffer_ieee_float(lame, &samples[at], &samples[at], n,
                                                      buffer.data(), int(buffer.size()));
    if (written < 0) {
      lame_close(lame);
      return {};
    }
    out.append(reinterpret_cast<char*>(buffer.data()), size_t(written));
  }
  const int tail = lame_encode_flush(lame, buffer.data(), int(buffer.size()));
  if (tail > 0) out.append(reinterpret_cast<char*>(buffer.data()), size_t(tail));
  lame_close(lame);
  return out;
}

namespace {

// ---- 2. signal building blocks ----------------------------------------------------------------

class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed * 2654435761u + 1) {}
  double operator()() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_ / 2147483648.0 - 1.0;
  }

 private:
  uint32_t state_;
};

struct OnePole {
  double y = 0;
  double Low(double x, double cutoff) {
    const double a = 1 - std::exp(-kTau * cutoff * kDt);
    return y += a * (x - y);
  }
};

// Two-pole resonator with unity gain at its centre (a formant or a band-pass).
struct Resonator {
  double y1 = 0, y2 = 0;
  double operator()(double x, double freq, double bandwidth) {
    const double c = -std::exp(-kTau * bandwidth * kDt);
    const double b = 2 * std::exp(-M_PI * bandwidth * kDt) * std::cos(kTau * freq * kDt);
    const double y = (1 - b - c) * x + b * y1 + c * y2;
    y2 = y1;
    y1 = y;
    return y;
  }
};

double Envelope(double t, double attack, double decay, double length) {
  if (t < 0 || t > length) return 0;
  if (t < attack) return t / attack;
  return std::exp(-(t - attack) / decay) * std::min(1.0, (length - t) / 0.01);
}

// A few feedback combs and an all-pass: enough room for shouts and music.
void Reverb(Samples& s, double mix, double size) {
  const int combs[4] = {1116, 1188, 1277, 1356};
  Samples wet(s.size(), 0.0f);
  for (int c : combs) {
    const size_t delay = size_t(c * size * kSoundRate / 44100);
    std::vector<float> line(delay, 0.0f);
    size_t at = 0;
    for (size_t i = 0; i < s.size(); ++i) {
      const float out = line[at];
      line[at] = s[i] + out * 0.78f;
      wet[i] += out * 0.25f;
      at = (at + 1) % delay;
    }
  }
  for (size_t i = 0; i < s.size(); ++i) s[i] = float(s[i] * (1 - mix) + wet[i] * mix);
}

void Normalize(Samples& s, double peak) {
  double m = 1e-9;
  for (float v : s) m = std::max(m, double(std::abs(v)));
  for (float& v : s) v = float(v * peak / m);
}

Samples Silence(double seconds) { return Samples(size_t(seconds * kSoundRate), 0.0f); }

// ---- 3. formant voice -------------------------------------------------------------------------

// One sound of speech. Voiced sounds glide from the previous formants over the first third.
struct Phone {
  double seconds;
  double f1, f2, f3;  // formants, Hz (0 0 0: unvoiced)
  double voice;       // voicing amplitude
  double hiss;        // noise amplitude
  double hiss_freq;   // centre of the noise band (0: noise through the formants, as in "h")
};

Phone Vowel(double s, double f1, double f2, double f3) { return {s, f1, f2, f3, 1.0, 0.04, 0}; }
Phone Nasal(double s) { return {s, 260, 1000, 2300, 0.35, 0.0, 0}; }
Phone Breath(double s) { return {s, 0, 0, 0, 0.0, 0.5, 0}; }
Phone Sibilant(double s) { return {s, 0, 0, 0, 0.0, 0.55, 5200}; }
Phone Stop(double s) { return {s, 0, 0, 0, 0.0, 0.0, 0}; }
Phone Burst() { return {0.02, 0, 0, 0, 0.0, 0.8, 2500}; }

// Speaks the phones with a pitch gliding from `f0_start` to `f0_end` (Hz).
Samples Speak(const std::vector<Phone>& phones, double f0_start, double f0_end, double roughness,
              uint32_t seed) {
  double total = 0;
  for (const Phone& p : phones) total += p.seconds;
  Samples out(size_t((total + 0.05) * kSoundRate), 0.0f);
  Noise noise(seed);
  Resonator r1, r2, r3, r4, band;
  OnePole tilt;
  double phase = 0, previous_flow = 0, t = 0;
  double f[3] = {500, 1500, 2500};
  double amp_voice = 0, amp_hiss = 0;
  size_t n = 0;
  for (const Phone& p : phones) {
    const double from[3] = {f[0], f[1], f[2]};
    const int count = int(p.seconds * kSoundRate);
    for (int i = 0; i < count && n < out.size(); ++i, ++n, t += kDt) {
      const double u = double(i) / count;
      if (p.f1 > 0) {
        const double g = std::min(1.0, u * 3);
        const double to[3] = {p.f1, p.f2, p.f3};
        for (int k = 0; k < 3; ++k) f[k] = from[k] + (to[k] - from[k]) * g;
      }
      amp_voice += (p.voice - amp_voice) * 0.004;
      amp_hiss += (p.hiss - amp_hiss) * 0.02;
      const double progress = t / total;
      const double f0 = (f0_start + (f0_end - f0_start) * progress) *
                        (1 + 0.02 * std::sin(kTau * 5.5 * t) + roughness * 0.03 * noise());
      phase += f0 * kDt;
      if (phase >= 1) phase -= 1;
      const double flow = phase < 0.6 ? 0.5 * (1 - std::cos(M_PI * phase / 0.6))
                                      : std::cos(M_PI * (phase - 0.6) / 0.8);
      const double source = (flow - previous_flow) * 12 * amp_voice;
      previous_flow = flow;
      const double breath = noise() * amp_hiss;
      double x = source + (p.hiss_freq > 0 ? 0 : breath * 0.6);
      x = r1(x, f[0], 90);
      x = r2(x, f[1], 110);
      x = r3(x, f[2], 170);
      x = 0.7 * x + 0.3 * r4(x, 3300, 250);
      if (p.hiss_freq > 0) x += band(breath, p.hiss_freq, 2200) * 0.3;
      out[n] = float(tilt.Low(x, 6000));
    }
  }
  Normalize(out, 0.8);
  return out;
}

Samples Announcer(bool good) {
  // "Who wants some?" and "Damn, I'm good." in a deep, roomy voice.
  std::vector<Phone> line;
  if (!good)
    line = {Breath(0.07),
            Vowel(0.17, 310, 870, 2240),
            Vowel(0.05, 300, 610, 2150),
            Vowel(0.17, 710, 1100, 2540),
            Nasal(0.06),
            Stop(0.03),
            Sibilant(0.1),
            Stop(0.05),
            Sibilant(0.1),
            Vowel(0.2, 640, 1190, 2390),
            Nasal(0.22)};
  else
    line = {Stop(0.03),
            Burst(),
            Vowel(0.22, 660, 1720, 2410),
            Nasal(0.09),
            Vowel(0.14, 730, 1090, 2440),
            Vowel(0.16, 300, 2200, 2900),
            Nasal(0.1),
            Stop(0.05),
            Burst(),
            Vowel(0.2, 450, 1030, 2380),
            Stop(0.06),
            Burst()};
  Samples s = Speak(line, good ? 105 : 120, good ? 80 : 95, 0.3, good ? 7 : 8);
  s.resize(s.size() + size_t(0.6 * kSoundRate), 0.0f);
  Reverb(s, 0.3, 1.6);
  Normalize(s, 0.85);
  return s;
}

Samples Laugh(int kind) {
  const double vowels[3][3] = {{730, 1090, 2440}, {570, 840, 2410}, {530, 1840, 2480}};
  const double* v = vowels[kind];
  std::vector<Phone> phones;
  const int syllables = 5 + kind;
  for (int i = 0; i < syllables; ++i) {
    phones.push_back(Breath(0.05));
    phones.push_back(Vowel(0.11 + 0.01 * (i % 2), v[0], v[1], v[2]));
    phones.push_back(Stop(0.05));
  }
  const double pitch[3] = {95, 80, 130};
  Samples s = Speak(phones, pitch[kind] * 1.25, pitch[kind] * 0.85, 0.5, 20 + kind);
  Reverb(s, 0.35, 1.4);
  Normalize(s, 0.85);
  return s;
}

Samples Groan(double seconds, double f0_start, double f0_end, const double* vowel, double rough,
              uint32_t seed) {
  return Speak({Breath(0.03), Vowel(seconds, vowel[0], vowel[1], vowel[2]), Breath(0.08)}, f0_start,
               f0_end, rough, seed);
}

// ---- 4. effects -------------------------------------------------------------------------------

// A blade through the air: noise in a band that sweeps up and down.
Samples Swing(double seconds, double low, double high, bool ring, uint32_t seed) {
  Samples s(size_t(seconds * kSoundRate), 0.0f);
  Noise noise(seed);
  Resonator band, band2;
  for (size_t i = 0; i < s.size(); ++i) {
    const double u = double(i) / s.size();
    const double sweep = std::sin(M_PI * std::pow(u, 0.7));
    const double f = low + (high - low) * sweep;
    const double amp = std::pow(sweep, 1.5);
    const double n = noise();
    s[i] = float(amp * (band(n, f, f * 0.6) + 0.5 * band2(n, f * 2.1, f)));
    if (ring) {
      const double t = i * kDt;
      const double e = Envelope(t - 0.05, 0.005, 0.18, seconds);
      s[i] += float(0.08 * e *
                    (std::sin(kTau * 2250 * t) + 0.6 * std::sin(kTau * 3470 * t) +
                     0.3 * std::sin(kTau * 5130 * t)));
    }
  }
  Normalize(s, 0.8);
  return s;
}

Samples Teleport(bool away) {
  Samples s(size_t(1.2 * kSoundRate), 0.0f);
  double phase[3] = {0, 0, 0};
  for (size_t i = 0; i < s.size(); ++i) {
    const double u = double(i) / s.size();
    const double k = away ? u : 1 - u;
    const double f = 180 * std::pow(10.0, k);  // 180 Hz to 1.8 kHz
    const double trem = 0.6 + 0.4 * std::sin(kTau * 14 * i * kDt);
    double v = 0;
    for (int h = 0; h < 3; ++h) {
      phase[h] += f * (1 + 0.007 * h) * (1 + h) * kDt;
      v += std::sin(kTau * phase[h]) / (1 + h);
    }
    s[i] = float(v * trem * std::sin(M_PI * u));
  }
  Reverb(s, 0.4, 1.2);
  Normalize(s, 0.75);
  return s;
}

void AddThud(Samples& s, double at) {
  Noise noise(99);
  OnePole low;
  for (size_t i = size_t(at * kSoundRate); i < s.size(); ++i) {
    const double t = i * kDt - at;
    const double f = 40 + 60 * std::exp(-t * 20);
    s[i] += float(0.9 * std::exp(-t * 9) * (std::sin(kTau * f * t) + 0.3 * low.Low(noise(), 400)));
  }
}

// ---- 5. music ---------------------------------------------------------------------------------

double Midi(double note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

enum Instrument { kBass, kPad, kArp, kLead, kBrass, kKick, kSnare, kHat };

// Renders one note into the mix at `start` seconds.
void Note(Samples& mix, Instrument ins, double start, double length, double note, double amp,
          uint32_t seed) {
  const double tail = ins == kPad                                      ? 0.6
                      : (ins == kKick || ins == kSnare || ins == kHat) ? 0.3
                                                                       : 0.2;
  const size_t first = size_t(start * kSoundRate);
  const size_t count = size_t((length + tail) * kSoundRate);
  const double f = Midi(note);
  Noise noise(seed);
  OnePole lp, lp2;
  Resonator body;
  double p[3] = {0, 0.31, 0.67};
  for (size_t i = 0; i < count && first + i < mix.size(); ++i) {
    const double t = i * kDt;
    const double held = t < length ? 1.0 : std::exp(-(t - length) / (tail * 0.3));
    double v = 0;
    switch (ins) {
      case kBass: {
        p[0] += f * kDt;
        const double saw = 2 * (p[0] - std::floor(p[0])) - 1;
        v = lp.Low(saw, 180 + 900 * std::exp(-t * 14)) * std::min(1.0, t / 0.005) * held;
        break;
      }
      case kPad: {
        for (int k = 0; k < 3; ++k) {
          p[k] += f * (1 + (k - 1) * 0.004) * kDt;
          v += 2 * (p[k] - std::floor(p[k])) - 1;
        }
        v = lp.Low(v / 3, 1100) * std::min(1.0, t / 0.35) * held;
        break;
      }
      case kArp: {
        p[0] += f * kDt;
        const double sq = (p[0] - std::floor(p[0])) < 0.3 ? 1.0 : -1.0;
        v = lp.Low(sq, 2600) * std::exp(-t * 9) * held;
        break;
      }
      case kLead: {
        p[0] += f * (1 + 0.004 * std::sin(kTau * 5.5 * t) * std::min(1.0, t * 3)) * kDt;
        const double saw = 2 * (p[0] - std::floor(p[0])) - 1;
        const double sq = (p[0] - std::floor(p[0])) < 0.5 ? 1.0 : -1.0;
        v = lp.Low(0.6 * saw + 0.4 * sq, 2400) * std::min(1.0, t / 0.02) * held;
        break;
      }
      case kBrass: {
        p[0] += f * kDt;
        p[1] += f * 1.003 * kDt;
        const double saw = (p[0] - std::floor(p[0])) + (p[1] - std::floor(p[1])) - 1;
        const double open = 500 + 2500 * std::min(1.0, t / 0.08) * (0.6 + 0.4 * held);
        v = lp2.Low(lp.Low(saw, open), open) * std::min(1.0, t / 0.03) * held;
        break;
      }
      case kKick: {
        const double pitch = 45 + 90 * std::exp(-t * 30);
        p[0] += pitch * kDt;
        v = std::sin(kTau * p[0]) * std::exp(-t * 9);
        break;
      }
      case kSnare:
        p[0] += 185 * kDt;
        v = (0.5 * std::sin(kTau * p[0]) * std::exp(-t * 25) +
             body(noise(), 1800, 3000) * 2.2 * std::exp(-t * 16));
        break;
      case kHat: {
        const double n = noise();
        v = (n - lp.Low(n, 6000)) * std::exp(-t * 60);
        break;
      }
    }
    mix[first + i] += float(amp * v);
  }
}

// Seconds after the last bar, for the last notes and the room to ring out.
constexpr double kSongTail = 2.0;

struct Chord {
  int root;  // MIDI note of the chord's root in the bass register
  bool minor;
};

struct Song {
  uint32_t seed;
  double bpm;
  int bars;
  std::vector<Chord> progression;  // one chord per bar, repeated
  const char* kick;                // 16 steps per bar, 'x' plays
  const char* snare;
  const char* hat;
  int bass_steps;  // bass notes per bar (4, 8 or 16)
  bool arp;
  Instrument melody;
  double melody_density;  // chance a step of eight starts a note
  int intro_bars;         // bars before the drums come in
};

std::vector<int> ChordTones(const Chord& c) { return {0, c.minor ? 3 : 4, 7}; }

Samples Render(const Song& song) {
  const double beat = 60.0 / song.bpm, bar = 4 * beat, step = bar / 16;
  Samples mix(size_t((song.bars * bar + kSongTail) * kSoundRate), 0.0f);
  std::mt19937 rng(song.seed);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  // Two four-bar melodies (A and B) in the form A A B A, so the tune comes back.
  std::vector<std::pair<int, int>> phrase[2];  // (eighth within the phrase, scale step)
  for (auto& p : phrase) {
    int degree = 2;
    for (int e = 0; e < 32; ++e)
      if (u(rng) < song.melody_density || e % 8 == 0) {
        degree = std::clamp(degree + int(std::lround((u(rng) - 0.5) * 4)), 0, 7);
        p.push_back({e, degree});
      }
  }
  uint32_t seed = song.seed;
  for (int b = 0; b < song.bars; ++b) {
    const Chord& c = song.progression[size_t(b) % song.progression.size()];
    const double t0 = b * bar;
    const auto tones = ChordTones(c);
    for (int k = 0; k < 3; ++k)
      Note(mix, kPad, t0, bar * 0.98, c.root + 24 + tones[k], 0.08, ++seed);
    for (int s = 0; s < song.bass_steps; ++s) {
      const double len = bar / song.bass_steps;
      const int octave = (s % 4 == 2 && song.bass_steps >= 8) ? 12 : 0;
      Note(mix, kBass, t0 + s * len, len * 0.8, c.root + octave, 0.32, ++seed);
    }
    if (song.arp)
      for (int s = 0; s < 16; ++s)
        Note(mix, kArp, t0 + s * step, step * 0.9, c.root + 36 + tones[s % 3] + 12 * ((s / 3) % 2),
             0.06, ++seed);
    if (b >= song.intro_bars)
      for (int s = 0; s < 16; ++s) {
        if (song.kick[s] == 'x') Note(mix, kKick, t0 + s * step, 0.2, 0, 0.55, ++seed);
        if (song.snare[s] == 'x') Note(mix, kSnare, t0 + s * step, 0.15, 0, 0.3, ++seed);
        if (song.hat[s] == 'x') Note(mix, kHat, t0 + s * step, 0.05, 0, 0.12, ++seed);
      }
    // Melody over the chord: scale steps counted in the chord's key (natural minor or major).
    const int section = (b / 4) % 4 == 2 ? 1 : 0;
    const int scale_minor[8] = {0, 2, 3, 5, 7, 8, 10, 12},
              scale_major[8] = {0, 2, 4, 5, 7, 9, 11, 12};
    const int key_root = song.progression[0].root + 24;
    const bool minor_key = song.progression[0].minor;
    if (b >= song.intro_bars / 2) {
      const auto& p = phrase[section];
      for (size_t i = 0; i < p.size(); ++i) {
        const int eighth = p[i].first;
        if (eighth / 8 != b % 4) continue;
        const int next = i + 1 < p.size() ? p[i + 1].first : 32;
        const double len = std::min(next - eighth, 4) * step * 2;
        const int note = key_root + (minor_key ? scale_minor : scale_major)[p[i].second];
        Note(mix, song.melody, t0 + (eighth % 8) * step * 2, len * 0.92, note, 0.14, ++seed);
      }
    }
  }
  for (float& v : mix) v = float(std::tanh(v * 1.3));
  Reverb(mix, 0.18, 1.3);
  Normalize(mix, 0.9);
  return mix;
}

Song SongFor(const std::string& name) {
  const char* rock_kick = "x.......x.x.....";
  const char* back_snare = "....x.......x...";
  const char* eighth_hat = "x.x.x.x.x.x.x.x.";
  if (name == "opening")
    return {101,
            84,
            20,
            {{38, true}, {34, false}, {41, false}, {36, false}},
            "x...............",
            "................",
            "........x.......",
            4,
            true,
            kBrass,
            0.35,
            4};
  if (name == "castlevania")
    return {202,       138,        32,         {{45, true}, {41, false}, {43, false}, {40, false}},
            rock_kick, back_snare, eighth_hat, 8,
            true,      kLead,      0.55,       2};
  if (name == "boss")
    return {303,
            160,
            68,
            {{38, true}, {34, false}, {43, true}, {45, false}},
            "x.x...x.x.x...x.",
            "....x.......x..x",
            "xxxxxxxxxxxxxxxx",
            16,
            true,
            kLead,
            0.6,
            2};
  return {404,       120,        16,         {{36, false}, {41, false}, {43, false}, {36, false}},
          rock_kick, back_snare, eighth_hat, 4,
          false,     kBrass,     0.5,        0};
}

// ---- 6. files ---------------------------------------------------------------------------------

struct MusicEntry {
  const char* path;
  const char* song;
};
const MusicEntry kMusic[] = {{"data/sounds/opening.mp3", "opening"},
                             {"data/sounds/castlevania.mp3", "castlevania"},
                             {"data/sounds/boss.mp3", "boss"},
                             {"data/sounds/win.mp3", "win"}};

struct EffectEntry {
  const char* path;
  const char* effect;
};
const EffectEntry kEffects[] = {
    {"data/sounds/nukem_who_some.wav", "who_some"},
    {"data/sound/nukem_damnimgood.wav", "damnimgood"},
    {"data/sounds/hurt1.wav", "hurt1"},
    {"data/sounds/hurt2.wav", "hurt2"},
    {"data/sounds/hurt3.wav", "hurt3"},
    {"data/sounds/bosshurt.wav", "bosshurt"},
    {"data/sounds/death.wav", "death"},
    {"data/sounds/swordswing1.wav", "swordswing1"},
    {"data/sounds/swordswing2.wav", "swordswing2"},
    {"data/sounds/laugh1.wav", "laugh1"},
    {"data/sounds/laugh2.wav", "laugh2"},
    {"data/sounds/laugh3.wav", "laugh3"},
    {"data/sounds/teleport.wav", "teleport"},
    {"data/sounds/teleport2.wav", "teleport2"},
};

}  // namespace

Samples MakeMusic(const std::string& name) { return Render(SongFor(name)); }

double MusicSeconds(const std::string& name) {
  const Song song = SongFor(name);
  return song.bars * 4 * 60.0 / song.bpm + kSongTail;
}

Samples MakeEffect(const std::string& name) {
  static const double kUh[3] = {640, 1190, 2390}, kOo[3] = {450, 1030, 2380},
                      kAh[3] = {730, 1090, 2440}, kEh[3] = {530, 1840, 2480};
  if (name == "who_some") return Announcer(false);
  if (name == "damnimgood") return Announcer(true);
  if (name == "hurt1") return Groan(0.28, 190, 120, kUh, 0.5, 31);
  if (name == "hurt2") return Groan(0.22, 170, 130, kEh, 0.6, 32);
  if (name == "hurt3") return Groan(0.3, 210, 140, kAh, 0.4, 33);
  if (name == "bosshurt") return Groan(0.4, 95, 60, kOo, 1.2, 34);
  if (name == "death") {
    Samples s = Groan(0.85, 200, 70, kAh, 0.9, 35);
    s.resize(size_t(1.6 * kSoundRate), 0.0f);
    AddThud(s, 1.0);
    Normalize(s, 0.85);
    return s;
  }
  if (name == "swordswing1") return Swing(0.38, 500, 2600, false, 41);
  if (name == "swordswing2") return Swing(0.45, 400, 2200, true, 42);
  if (name == "laugh1") return Laugh(0);
  if (name == "laugh2") return Laugh(1);
  if (name == "laugh3") return Laugh(2);
  if (name == "teleport") return Teleport(true);
  if (name == "teleport2") return Teleport(false);
  return Silence(0.1);
}

std::vector<std::string> SoundNames() {
  std::vector<std::string> names;
  for (const MusicEntry& m : kMusic) names.push_back(m.path);
  for (const EffectEntry& e : kEffects) names.push_back(e.path);
  return names;
}

std::vector<GeneratedFile> MakeSounds() {
  std::vector<GeneratedFile> files;
  for (const MusicEntry& m : kMusic)
    files.push_back({m.path, EncodeMp3(MakeMusic(m.song), kSoundRate, 64)});
  for (const EffectEntry& e : kEffects)
    files.push_back({e.path, EncodeWav(MakeEffect(e.effect), kSoundRate)});
  return files;
}

}  // namespace kt::content
