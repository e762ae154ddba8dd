// Scene description files.
//
// Contents: instance - value parsing - the line reader - block readers - Load.
#include "game/scene_loader.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <locale>
#include <sstream>

#include "character/character.h"
#include "character/entity.h"
#include "character/game_world.h"
#include "character/motion_controller.h"
#include "console/cvar.h"
#include "console/log.h"
#include "game/camera.h"
#include "graph/graph_kinds.h"
#include "level/bsp_level.h"
#include "motion/motion_data.h"
#include "motion/skeleton.h"
#include "render/parts_model.h"

namespace kt {
namespace {

SceneLoader*& Instance() {
  static SceneLoader* loader = nullptr;
  return loader;
}

// ---- value parsing ----

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string SkipBlanks(const std::string& s, size_t from = 0) {
  while (from < s.size() && IsBlank(s[from])) ++from;
  return s.substr(from);
}

// The leading decimal integer: leading white space and a sign allowed, reading stops at the
// first non-digit, 0 without digits. Values beyond the int range saturate.
int ParseInt(const std::string& v) {
  size_t i = 0;
  while (i < v.size() && std::isspace(static_cast<unsigned char>(v[i]))) ++i;
  bool negative = false;
  if (i < v.size() && (v[i] == '+' || v[i] == '-')) negative = v[i++] == '-';
  int64_t n = 0;
  for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i)
    n = std::min<int64_t>(n * 10 + (v[i] - '0'), int64_t(INT_MAX) + 1);
  if (negative) n = -n;
  return int(std::clamp<int64_t>(n, INT_MIN, INT_MAX));
}

std::istringstream ValueStream(const std::string& v) {
  std::istringstream s(v);
  s.imbue(std::locale::classic());
  return s;
}

// Up to `count` numbers by stream extraction; the first one that is missing or unreadable
// (out of range included) and every one after it keep their defaults.
void ParseFloats(const std::string& v, float* out, int count) {
  std::istringstream s = ValueStream(v);
  for (int i = 0; i < count; ++i) {
    float f = 0.0f;
    if (!(s >> f)) return;
    out[i] = f;
  }
}

float ParseFloat(const std::string& v, float fallback) {
  ParseFloats(v, &fallback, 1);
  return fallback;
}

// "word integer": the integer keeps `number`'s value when it is missing or out of range.
void ParseWordAndInt(const std::string& v, std::string& word, int& number) {
  std::istringstream s = ValueStream(v);
  word.clear();
  s >> word;
  int n = 0;
  if (s >> n) number = n;
}

// "a.amc, b.amc,c.amc": the part before the first comma goes to `first`; the rest, blanks
// after the comma removed, stays in `list` (empty without a comma).
void SplitFirstFile(std::string& list, std::string& first) {
  const size_t comma = list.find(',');
  if (comma == std::string::npos) {
    first = list;
    list.clear();
    return;
  }
  first = list.substr(0, comma);
  list = SkipBlanks(list, comma + 1);
}

bool Contains(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }

// An empty name or one that names a folder reads as the motion folder itself, which the
// motion reader cannot take.
bool NamesAFile(const std::string& amc_file) {
  std::error_code error;
  if (!std::filesystem::is_directory(ToFilePath(MotionFolder() + amc_file), error)) return true;
  LogPrintf("SceneLoader: AMC file \"%s\" names a folder", amc_file.c_str());
  return false;
}

}  // namespace

// ---- the line reader and the block readers ----

class SceneLoader::Reader {
 public:
  Reader(SceneLoader& loader, std::istream& in, GameWorld& world)
      : loader_(loader), in_(in), world_(world) {}

  // Reads blocks to the end of the file; false when one fails.
  bool ReadBlocks();

 private:
  enum class Next { kKey, kEnd, kBad };

  // The next line that is not a comment; false at the end of the file.
  bool ReadLine(std::string& line);
  // The next line of a block: a key line (key and value filled), the end line, or a line
  // that fails the block (no colon, end of file).
  Next NextKey(std::string& key, std::string& value);
  // Hands every key line of the block to on_key (false: a key the block does not know, or
  // a key that failed). The number of key lines, or -1 when the block failed.
  template <typename OnKey>
  int ReadKeys(OnKey&& on_key);

  bool MotionDataBlock();
  bool MotionDataSetBlock();
  bool TransitionGraphBlock();
  struct CharacterKeys;
  bool CharacterBlock();
  // The default motions and graph descriptions of a character without a gameplay controller.
  bool AttachMotions(Character& character, const CharacterKeys& keys);
  // The loader keeps the controller; the skeleton controller plays it.
  MotionController* Adopt(std::unique_ptr<MotionController> controller);
  bool LevelBlock();
  bool ShaderBlock();
  bool EntityBlock();

  SceneLoader& loader_;
  std::istream& in_;
  GameWorld& world_;
};

bool SceneLoader::Reader::ReadLine(std::string& line) {
  while (std::getline(in_, line)) {
    // Files written on Windows end their lines with CR LF.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!Contains(line, "//")) return true;
  }
  return false;
}

SceneLoader::Reader::Next SceneLoader::Reader::NextKey(std::string& key, std::string& value) {
  std::string line;
  if (!ReadLine(line)) return Next::kBad;
  // Whatever else the line holds, so a value containing either word ends the block too.
  if (Contains(line, "END") || Contains(line, "End")) return Next::kEnd;
  line = SkipBlanks(line);
  const size_t colon = line.find(':');
  if (colon == std::string::npos) return Next::kBad;
  key = line.substr(0, colon);
  value = SkipBlanks(line, colon + 1);
  return Next::kKey;
}

template <typename OnKey>
int SceneLoader::Reader::ReadKeys(OnKey&& on_key) {
  int keys = 0;
  std::string key, value;
  for (;;) {
    switch (NextKey(key, value)) {
      case Next::kEnd:
        return keys;
      case Next::kBad:
        return -1;
      case Next::kKey:
        ++keys;
        if (!on_key(key, value)) return -1;
        break;
    }
  }
}

bool SceneLoader::Reader::MotionDataBlock() {
  std::string name, files;
  int body_weights = 0;  // the table with every weight 1
  int frame_rate = -1;
  const int keys = ReadKeys([&](const std::string& key, const std::string& value) {
    if (key == "MotionName") {
      name = value;
    } else if (key == "AMCFiles") {
      files = value;
    } else if (key == "BodyWeights") {
      body_weights = ParseInt(value);
    } else if (key == "FrameRate") {
      frame_rate = ParseInt(value);
    } else {
      return false;
    }
    return true;
  });
  if (keys < 3) return false;

  std::string file;
  SplitFirstFile(files, file);
  if (!NamesAFile(file)) return false;
  auto motion = std::make_unique<MotionData>(name, file, kMotionScale, body_weights,
                                             frame_rate == -1 ? 120 : frame_rate);
  if (motion->frame_count() == -1) return false;
  while (!files.empty()) {
    SplitFirstFile(files, file);
    if (NamesAFile(file)) motion->AppendClip(file, kMotionScale);
  }
  world_.motions.push_back(motion.get());
  loader_.motions_.push_back(std::move(motion));
  return true;
}

bool SceneLoader::Reader::MotionDataSetBlock() {
  static const char* const kRoleMotionKeys[kRoleCount] = {
      "AttackMotion", "DefensiveMotion", "IdleMotion", "MoveMotion", "ExtraMotion"};
  static const char* const kRoleGraphKeys[kRoleCount] = {
      "AttackGraphID", "DefensiveGraphID", "IdleGraphID", "MoveGraphID", "ExtraGraphID"};
  std::string clips[kRoleCount];
  int graph_ids[kRoleCount] = {-1, -1, -1, -1, -1};
  int id = -1;
  const int keys = ReadKeys([&](const std::string& key, const std::string& value) {
    if (key == "ID") {
      id = ParseInt(value);
      return true;
    }
    for (int r = 0; r < kRoleCount; ++r) {
      if (key == kRoleMotionKeys[r]) {
        clips[r] = value;
        return true;
      }
      if (key == kRoleGraphKeys[r]) {
        graph_ids[r] = ParseInt(value);
        return true;
      }
    }
    return false;
  });
  if (keys < 2) return false;

  MotionDataSet set;
  set.id = id;
  // A role whose clip is not named or not loaded simply stays empty.
  for (int r = 0; r < kRoleCount; ++r) {
    MotionData* motion = clips[r].empty() ? nullptr : FindMotion(LowerCase(clips[r]));
    if (!motion) continue;
    set.roles[r].motion = motion;
    set.roles[r].graph_id = graph_ids[r];
  }
  world_.data_sets.push_back(set);
  return true;
}

bool SceneLoader::Reader::TransitionGraphBlock() {
  std::string clip;
  GraphDescription graph;
  const int keys = ReadKeys([&](const std::string& key, const std::string& value) {
    if (key == "Motion") {
      clip = value;
    } else if (key == "ID") {
      graph.id = ParseInt(value);
    } else if (key == "GraphType") {
      graph.graph_type = ParseInt(value);
    } else if (key == "EvalType") {
      graph.eval_type = ParseInt(value);
    } else if (key == "TransitionTime") {
      graph.transition_time = ParseFloat(value, graph.transition_time);
    } else if (key == "EvalThresh") {
      graph.eval_threshold = ParseFloat(value, graph.eval_threshold);
    } else {
      return false;
    }
    return true;
  });
  if (keys < 5) return false;

  graph.motion = FindMotion(LowerCase(clip));
  if (!graph.motion || graph.graph_type == kNoGraph) return false;
  // Taken now: a later change of the variable leaves this graph's blend time alone.
  if (graph.transition_time == -1.0f) {
    static CVar<float> transition_time("motionctrl.transition_time", 0.15f);
    graph.transition_time = transition_time;
  }
  world_.graphs.push_back(graph);
  return true;
}

// The values of a "Character" block, with the defaults of keys it does not give.
struct SceneLoader::Reader::CharacterKeys {
  std::string name;
  float position[3] = {0, 0, 0};
  int controller_kind = -1, data_set = -1, model = -1, root_graph = -1, blend_graph = -1;
  int enabled = 1;
  float hit_points = -1.0f;
  std::string root_clip, blend_clip;
  int root_type = -1, blend_type = -1;
  bool has_zone = false;
  float zone[4] = {0, 0, 0, 0};
};

bool SceneLoader::Reader::CharacterBlock() {
  CharacterKeys c;
  const int keys = ReadKeys([&](const std::string& key, const std::string& value) {
    if (key == "CharacterName") {
      c.name = value;
    } else if (key == "Position") {
      ParseFloats(value, c.position, 3);
    } else if (key == "GameplayController") {
      c.controller_kind = ParseInt(value);
    } else if (key == "DatasetID") {
      c.data_set = ParseInt(value);
    } else if (key == "HitPoints") {
      c.hit_points = ParseFloat(value, c.hit_points);
    } else if (key == "DefaultRootMotion") {
      ParseWordAndInt(value, c.root_clip, c.root_type);
    } else if (key == "DefaultBlendMotion") {
      ParseWordAndInt(value, c.blend_clip, c.blend_type);
    } else if (key == "Enabled") {
      c.enabled = ParseInt(value);
    } else if (key == "RootGraphID") {
      c.root_graph = ParseInt(value);
    } else if (key == "BlendGraphID") {
      c.blend_graph = ParseInt(value);
    } else if (key == "Model") {
      c.model = ParseInt(value);
    } else if (key == "ZoneRect") {
      c.has_zone = true;
      ParseFloats(value, c.zone, 4);
    } else {
      return false;
    }
    return true;
  });
  if (keys < 2) return false;

  // From here on the character stays registered by name even when the block fails.
  loader_.characters_.push_back(std::make_unique<Character>(c.name));
  Character& character = *loader_.characters_.back();
  character.SetPosition(CVector(c.position[0], c.position[1], c.position[2]));
  if (c.has_zone) character.zone = ZoneRect(c.zone[0], c.zone[1], c.zone[2], c.zone[3]);
  if (c.model != -1) {
    if (c.model >= 0 && c.model < loader_.model_count()) {
      character.model = loader_.Model(c.model);
    } else {
      LogPrintf("model %i not valid", c.model);
    }
  }
  if (c.hit_points != -1.0f) {
    LogPrintf("char %s hitpoints set to: %f", character.name().c_str(), double(c.hit_points));
    character.hit_points = c.hit_points;
  }
  if (c.data_set != -1 && c.controller_kind != -1) {
    // The controller plays the data set's motions: the default motions, graphs and
    // "Enabled" are not for such a character.
    MotionDataSet set;
    if (world_.FindDataSet(c.data_set, set))
      character.SetGameplayController(c.controller_kind, set);
  } else if (!AttachMotions(character, c)) {
    return false;
  }
  world_.entities.push_back(&character);
  return true;
}

MotionController* SceneLoader::Reader::Adopt(std::unique_ptr<MotionController> controller) {
  loader_.controllers_.push_back(std::move(controller));
  return loader_.controllers_.back().get();
}

bool SceneLoader::Reader::AttachMotions(Character& character, const CharacterKeys& c) {
  SkeletonController* skeleton = character.skeleton_controller();
  if (!c.root_clip.empty()) {
    MotionData* motion = FindMotion(LowerCase(c.root_clip));
    if (!motion) return false;
    skeleton->SetRootMotion(Adopt(std::make_unique<MotionController>(motion, c.root_type)));
  }
  if (!c.blend_clip.empty()) {
    MotionData* motion = FindMotion(LowerCase(c.blend_clip));
    if (!motion) return false;
    skeleton->SetBlendMotion(Adopt(std::make_unique<MotionController>(motion, c.blend_type)));
  }
  // A graph description replaces the default motion of its slot.
  GraphDescription graph;
  if (c.root_graph != -1) {
    if (!world_.FindGraph(c.root_graph, graph)) return false;
    if (auto controller = graph.CreateController())
      skeleton->SetRootMotion(Adopt(std::move(controller)));
  }
  if (c.blend_graph != -1) {
    if (!world_.FindGraph(c.blend_graph, graph)) return false;
    if (auto controller = graph.CreateController())
      skeleton->SetBlendMotion(Adopt(std::move(controller)));
  }
  if (c.enabled == 0 && character.RootMotion()) character.RootMotion()->Stop();
  return true;
}

bool SceneLoader::Reader::LevelBlock() {
  std::string map, sky;
  bool has_sky = false;
  std::vector<int> brushes;
  const int keys = ReadKeys([&](const std::string& key, const std::string& value) {
    if (key == "MapFile") {
      map = value;
    } else if (key == "SkyBox") {
      sky = value;
      has_sky = true;
    } else if (key == "Brush") {
      brushes.push_back(ParseInt(value));
    } else if (key == "Model") {
      // Loaded at once: the model stays in the list even when the block fails later.
      loader_.models_.push_back(PartsModel::Load(value));
    } else {
      return false;
    }
    return true;
  });
  if (keys < 0) return false;

  BspLevel* level = CurrentLevel();
  if (!level) {
    LogPrintf("SceneLoader: no level to load %s into", map.c_str());
    return false;
  }
  if (has_sky) level->LoadSkyBox(sky);
  if (!level->Load(map)) {
    LogPrintf("Loaded Quake 3 BSP %s UNSUCCESSFULLY", map.c_str());
    return false;
  }
  for (int texture : brushes) level->MarkCollidable(texture);
  return true;
}

bool SceneLoader::Reader::ShaderBlock() {
  LevelShader shader;
  int blend = 0;
  std::vector<int> textures;
  BspLevel* level = CurrentLevel();
  const int keys = ReadKeys([&](const std::string& key, const std::string& value) {
    if (key == "Texture") {
      textures.push_back(ParseInt(value));
    } else if (key == "Blend") {
      blend = ParseInt(value);
    } else if (key == "Scroll") {
      float speeds[2] = {shader.scroll_s, shader.scroll_t};
      ParseFloats(value, speeds, 2);
      shader.scroll_s = speeds[0];
      shader.scroll_t = speeds[1];
      shader.flags |= kShaderScroll;
    } else if (key == "Animate") {
      // The frames are loaded now, as the key is read.
      std::istringstream s = ValueStream(value);
      float rate = 0.0f;
      int first = 0, last = 0;
      std::string pattern;
      if (!(s >> rate >> first >> last >> pattern)) {
        LogPrintf(
            "SceneLoader: Animate needs a rate, a first and last frame and a file pattern: %s",
            value.c_str());
        return false;
      }
      if (!level) {
        LogPrintf("SceneLoader: no level for the animation %s", pattern.c_str());
        return false;
      }
      // Refuses a last frame before the first and ranges too long to load (logged).
      if (!level->LoadShaderAnimation(shader, rate, first, last, pattern)) return false;
    } else {
      return false;
    }
    return true;
  });
  if (keys < 2) return false;
  if (!level) {
    LogPrintf("SceneLoader: no level for the shader");
    return false;
  }
  shader.flags |= uint32_t(blend);
  const int index = level->AddShader(shader);
  for (int texture : textures) level->AssignShader(index, texture);
  return true;
}

bool SceneLoader::Reader::EntityBlock() {
  std::string name;
  float position[3] = {0, 0, 0};
  float rotation[4] = {0, 0, 0, 1};
  bool has_rotation = false;
  const int keys = ReadKeys([&](const std::string& key, const std::string& value) {
    if (key == "Name") {
      name = value;
    } else if (key == "Position") {
      ParseFloats(value, position, 3);
    } else if (key == "Rotation") {
      has_rotation = true;
      ParseFloats(value, rotation, 4);
    } else {
      return false;
    }
    return true;
  });
  if (keys < 2) return false;

  const CVector p(position[0], position[1], position[2]);
  const CQuaternion q(rotation[0], rotation[1], rotation[2], rotation[3]);
  if (name == "camera") {
    // The first view. Without "Rotation" the camera keeps the way it faces.
    if (Camera* camera = GetCamera()) {
      camera->SetMode(kCameraFreeRoam);
      camera->SetPosition(p);
      if (has_rotation) camera->SetOrientation(q);
    }
    return true;
  }
  loader_.entities_.push_back(std::make_unique<Entity>(name, kEntityCamera));
  Entity& entity = *loader_.entities_.back();
  entity.SetPosition(p);
  if (has_rotation) entity.SetOrientation(q);
  return true;
}

bool SceneLoader::Reader::ReadBlocks() {
  std::string line;
  while (ReadLine(line)) {
    if (line.empty() || line[0] != '*') continue;
    // The character after the asterisk is a separator, whatever it is.
    const std::string keyword = line.size() > 2 ? line.substr(2) : std::string();
    bool ok = true;
    if (keyword == "MotionData") {
      ok = MotionDataBlock();
    } else if (keyword == "MotionDataSet") {
      ok = MotionDataSetBlock();
    } else if (keyword == "TransitionGraph") {
      ok = TransitionGraphBlock();
    } else if (keyword == "Character") {
      ok = CharacterBlock();
    } else if (keyword == "Level") {
      ok = LevelBlock();
    } else if (keyword == "Shader") {
      ok = ShaderBlock();
    } else if (keyword == "Entity") {
      ok = EntityBlock();
    } else if (keyword == "Sound") {
      ok = false;  // no reader: recognised and rejected
    } else {
      continue;
    }
    if (!ok) {
      LogPrintf("SceneLoader: failed file parsing %s", line.c_str());
      return false;
    }
  }
  return true;
}

// ---- the loader ----

SceneLoader::SceneLoader() { Instance() = this; }

SceneLoader::~SceneLoader() {
  if (Instance() == this) Instance() = nullptr;
}

SceneLoader* GetSceneLoader() { return Instance(); }

Character* SceneLoader::Adopt(std::unique_ptr<Character> character) {
  characters_.push_back(std::move(character));
  return characters_.back().get();
}

MotionController* SceneLoader::Adopt(std::unique_ptr<MotionController> controller) {
  controllers_.push_back(std::move(controller));
  return controllers_.back().get();
}

PartsModel* SceneLoader::Model(int index) const {
  return index >= 0 && index < model_count() ? models_[size_t(index)].get() : nullptr;
}

bool SceneLoader::Load(const std::string& file) {
  file_name_ = file;
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  GameWorld* world = GetGameWorld();
  if (!world) {
    LogPrintf("SceneLoader: no game world to load %s into", file.c_str());
    return false;
  }
  // Line 1 is the header: never content, whatever it holds.
  std::string header;
  std::getline(in, header);
  world->ClearLists();
  Reader reader(*this, in, *world);
  return reader.ReadBlocks();
}

}  // namespace kt
