// The data tree, piece by piece, each written only when its bytes change.
#include "content_generator.h"

#include <fstream>
#include <sstream>
#include <system_error>

#include "image_set.h"
#include "level/level_builder.h"
#include "model_set.h"
#include "motion_synth.h"
#include "rig.h"
#include "sound_set.h"

namespace kt::content {

namespace fs = std::filesystem;

namespace {

bool ReadAll(const fs::path& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  out = text.str();
  return true;
}

// Writes through a temporary file and a rename, so a reader never sees half a file.
// Returns whether the file changed.
bool WriteIfChanged(const fs::path& path, const std::string& bytes, GenerateReport& report) {
  report.bytes += bytes.size();
  std::string old;
  if (ReadAll(path, old) && old == bytes) {
    ++report.unchanged;
    return false;
  }
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  const fs::path temp = path.string() + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out.flush()) {
      report.errors.push_back("cannot write " + path.string());
      fs::remove(temp, ec);
      return false;
    }
  }
  fs::rename(temp, path, ec);
  if (ec) {
    report.errors.push_back("cannot write " + path.string() + ": " + ec.message());
    fs::remove(temp, ec);
    return false;
  }
  ++report.written;
  return true;
}

void RemoveCache(const fs::path& path, GenerateReport& report) {
  std::error_code ec;
  if (fs::remove(path, ec)) ++report.caches_removed;
}

// Caches of one clip: postures and markers beside it, its graphs in the game folder.
void RemoveClipCaches(const fs::path& out, const std::string& file, GenerateReport& report) {
  const fs::path clip = out / "data" / "motions" / file;
  for (const char* ext : {".bin", ".mpos", ".mpos2"})
    RemoveCache(fs::path(clip).replace_extension(ext), report);
  RemoveCache(out / (MotionNameOf(file) + "_graph.gra"), report);
}

void WriteMotions(const fs::path& out, bool scene_changed, GenerateReport& report) {
  const bool skeleton_changed = WriteIfChanged(out / "MartialArts.asf", AsfText(), report);
  for (const Clip& clip : MakeAllClips()) {
    const fs::path path = out / "data" / "motions" / clip.file;
    const bool changed =
        WriteIfChanged(path, AmcText(clip.poses.data(), int(clip.poses.size())), report);
    if (changed || skeleton_changed || scene_changed) RemoveClipCaches(out, clip.file, report);
  }
}

void WriteFiles(const fs::path& out, const std::vector<GeneratedFile>& files,
                GenerateReport& report) {
  for (const GeneratedFile& f : files) {
    if (f.bytes.empty())
      report.errors.push_back("could not encode " + f.path);
    else
      WriteIfChanged(out / f.path, f.bytes, report);
  }
}

void WriteLevel(const fs::path& out, GenerateReport& report) {
  LevelDescription description;
  std::string error;
  if (!ParseLevelDescription(CastleDescription(), description, error)) {
    report.errors.push_back("castle description: " + error);
    return;
  }
  const fs::path map = out / "data" / "levels" / "castle.bsp";
  std::error_code ec;
  fs::create_directories(map.parent_path(), ec);
  // The builder writes the map and its images every time; count it by whether the map moved.
  std::string before, after;
  ReadAll(map, before);
  if (!BuildLevel(description, map.string())) {
    report.errors.push_back("cannot build " + map.string());
    return;
  }
  ReadAll(map, after);
  report.bytes += after.size();
  ++(before == after ? report.unchanged : report.written);
}

// Code defaults leave characters unable to hit each other and suit a far smaller world; the
// default game is a fight in a castle courtyard. The player's own "cvar.ini" is never touched.
void WriteDefaultSettings(const fs::path& out, GenerateReport& report) {
  const fs::path path = out / "cvar.ini";
  std::error_code ec;
  if (fs::exists(path, ec) || ec) {
    ++report.unchanged;
    return;
  }
  WriteIfChanged(path, DefaultSettingsText(), report);
}

}  // namespace

const std::string& DefaultSettingsText() {
  // The castle is thousands of units across and its fighters some 75 tall: the code's clip
  // planes (0.1 to 50), chase distances (4.8 behind, 2.2 above) and sword (10) are far too
  // small for it.
  static const std::string text =
      "2 gl.nearclip 2.000000\n"
      "2 gl.farclip 8000.000000\n"
      "2 camera.hdist 170.000000\n"
      "2 camera.vdist 90.000000\n"
      "2 camera.max_velocity 260.000000\n"
      "2 character.sword_length 34.000000\n"
      "1 character.character_collisions 1\n";
  return text;
}

std::string MotionNameOf(const std::string& amc_file) {
  return amc_file.substr(0, amc_file.find('.'));
}

bool Generate(const GenerateOptions& options, GenerateReport& report) {
  const fs::path& out = options.out;
  // The graphs depend on the scene's settings: a changed scene invalidates them.
  bool scene_changed = false;
  if (options.scene)
    scene_changed = WriteIfChanged(out / "data" / "scenes" / "default.sce", SceneText(), report);
  if (options.motions) WriteMotions(out, scene_changed, report);
  if (options.level) WriteLevel(out, report);
  if (options.images) {
    bool fonts_ok = false;
    WriteFiles(out, MakeImages(&fonts_ok), report);
    if (!fonts_ok) report.errors.push_back("no Liberation font found: the images lack their text");
  }
  // The knight's parts model and its textures go with the images.
  if (options.images) WriteFiles(out, MakeModelFiles(), report);
  if (options.sounds) WriteFiles(out, MakeSounds(), report);
  if (options.settings) WriteDefaultSettings(out, report);
  return report.errors.empty();
}

}  // namespace kt::content
