// Scene loader: reads ".sce" scene description files block by block.
#pragma once

#include <string>

namespace kt {

class SceneLoader {
 public:
  bool Load(const std::string& file);
};

}  // namespace kt
