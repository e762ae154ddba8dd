// The default parts model: an armoured knight as a 3DS file with the thirteen part meshes the
// game's parts model looks for, each standing on its bone in the model's rest pose (y up,
// about 16.6 units tall, facing +z), and the two textures its materials name.
#pragma once

#include <string>
#include <vector>

#include "generated_file.h"

namespace kt::content {

inline constexpr const char* kKnightModel = "data/models/knight.3ds";

// The model and its textures (data/models/).
std::vector<GeneratedFile> MakeModelFiles();

// The model file alone.
Bytes KnightModel();

}  // namespace kt::content
