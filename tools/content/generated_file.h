// One file of the generated game: its path in the game folder and its bytes.
#pragma once

#include <string>

namespace kt::content {

using Bytes = std::string;

struct GeneratedFile {
  std::string path;  // relative to the game folder, e.g. "data/images/0.bmp"
  Bytes bytes;
};

}  // namespace kt::content
