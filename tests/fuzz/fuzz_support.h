// Shared by the fuzz targets and their seed maker: a private working folder (the program reads
// and writes "log.txt", "cvar.ini" and caches relative to it) and the tiny clip the motion
// cache targets read beside their input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "motion/posture.h"

namespace kt::fuzz {

// Makes a fresh folder under the temporary folder, enters it, removes it at exit and sends the
// log nowhere.
void EnterScratchDir(const std::string& target);

// Aborts when a float of the block is NaN or infinite: readers refuse such numbers before they
// reach positions or rotations.
void RequireFinite(const void* floats, size_t bytes);
template <typename T>
void RequireFinite(const std::vector<T>& values) {
  RequireFinite(values.data(), values.size() * sizeof(T));
}

void WriteBytes(const std::string& path, const uint8_t* data, size_t size);
void WriteText(const std::string& path, const std::string& text);

// The test skeleton as "MartialArts.asf" and its clip TinyClip() as "data/motions/tiny.amc",
// dated an hour back so that any cache written later counts as newer than it.
void InstallTinyClip();
inline constexpr const char* kTinyAmc = "tiny.amc";
inline constexpr const char* kTinyCache = "data/motions/tiny";  // + ".bin", ".mpos", ".mpos2"
std::vector<Posture> TinyClip();

}  // namespace kt::fuzz
