// Shared test fixtures.
#include "test_support.h"

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <sstream>

#include "console/log.h"

namespace kt::test {

namespace fs = std::filesystem;

ScratchDir::ScratchDir(const std::string& name) : previous_(fs::current_path()) {
  static std::atomic<int> counter{0};
  path_ = fs::temp_directory_path() /
          ("kinetrope-" + name + "-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
  fs::remove_all(path_);
  fs::create_directories(path_);
  CloseLogFile();
  fs::current_path(path_);
}

ScratchDir::~ScratchDir() {
  CloseLogFile();
  std::error_code ec;
  fs::current_path(previous_, ec);
  fs::remove_all(path_, ec);
}

fs::path RealDataDir() {
  const fs::path dir = KINETROPE_REALDATA_DIR;
  std::error_code ec;
  if (fs::is_directory(dir / "cmu", ec)) return fs::absolute(dir);
  return {};
}

void WriteFile(const fs::path& path, const std::string& text) {
  if (path.has_parent_path()) fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace kt::test
