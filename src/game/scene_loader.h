// Scene loader: reads ".sce" scene description files block by block and creates each block's
// objects as soon as the block ends, so later blocks can refer to what earlier ones made
// (motion clips, data sets, graph descriptions, characters, the level and its shaders, placed
// entities and the camera's first view).
//
// One per process: the constructor makes it the loader GetSceneLoader() answers, the
// destructor clears that. The loader owns everything its blocks create; the world's lists
// and the name registries only refer to it, so objects stay alive when a later load empties
// the lists.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace kt {

class Character;
class Entity;
class MotionController;
class MotionData;
class PartsModel;

class SceneLoader {
 public:
  SceneLoader();
  ~SceneLoader();
  SceneLoader(const SceneLoader&) = delete;
  SceneLoader& operator=(const SceneLoader&) = delete;

  // Reads one scene file. True when the whole file was read; false when it cannot be opened
  // (nothing logged, the world untouched) or a block fails ("SceneLoader: failed file parsing"
  // with the block's start line; objects of earlier blocks stay).
  bool Load(const std::string& file);

  // The file given to the last Load.
  const std::string& file_name() const { return file_name_; }

  // The models of every "Model" key of every "Level" block read by this loader; nullptr
  // outside the list.
  PartsModel* Model(int index) const;
  int model_count() const { return int(models_.size()); }

  // Takes over what is made outside a scene file (a character created at the console and the
  // controller it plays), so it is destroyed with the scene's own objects.
  Character* Adopt(std::unique_ptr<Character> character);
  MotionController* Adopt(std::unique_ptr<MotionController> controller);

 private:
  class Reader;

  std::string file_name_;
  // Destroyed in reverse order: characters and entities first, then the controllers they
  // play, then the motions, then the models the characters draw with.
  std::vector<std::unique_ptr<PartsModel>> models_;
  std::vector<std::unique_ptr<MotionData>> motions_;
  std::vector<std::unique_ptr<MotionController>> controllers_;
  std::vector<std::unique_ptr<Entity>> entities_;
  std::vector<std::unique_ptr<Character>> characters_;
};

// The process's loader; nullptr before the world's start-up and after its shutdown.
SceneLoader* GetSceneLoader();

}  // namespace kt
