// Writes the whole default data tree into a game folder: "MartialArts.asf", data/motions/,
// data/levels/ (through the level builder), data/images/, data/sounds/ (and data/sound/),
// data/scenes/default.sce, and a "cvar.ini" where none exists. Idempotent: a file whose bytes would
// not change is left alone, and when a motion (or the skeleton, or the scene's graph settings)
// changes, the caches built from the old one (".bin", ".mpos", ".mpos2" beside the clip,
// "<motion>_graph.gra" in the game folder) are removed so the game rebuilds them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kt::content {

struct GenerateOptions {
  std::filesystem::path out = ".";  // the game folder (the game's working directory)
  bool motions = true;
  bool level = true;
  bool images = true;
  bool sounds = true;
  bool scene = true;
  bool settings = true;  // "cvar.ini", only where there is none
};

struct GenerateReport {
  int written = 0;
  int unchanged = 0;
  int caches_removed = 0;
  size_t bytes = 0;  // size of every generated file
  std::vector<std::string> errors;
};

bool Generate(const GenerateOptions& options, GenerateReport& report);

// The "cvar.ini" written into a game folder that has none.
const std::string& DefaultSettingsText();

// Texts built into the tool from content/ in the source tree.
const std::string& SceneText();
const std::string& CastleDescription();

// The motion name the scene gives each clip file ("idle.amc" -> "idle").
std::string MotionNameOf(const std::string& amc_file);

}  // namespace kt::content
