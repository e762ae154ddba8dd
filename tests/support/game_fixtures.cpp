// The generated default game folder.
#include "game_fixtures.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>

#include "console/log.h"
#include "content_generator.h"

namespace kt::test {

namespace fs = std::filesystem;

namespace {

bool IsCache(const fs::path& p) {
  const std::string ext = p.extension().string();
  return ext == ".gra" || ext == ".bin" || ext == ".mpos" || ext == ".mpos2";
}

// The template every copy is made from, generated on first use and removed at exit.
struct TemplateDir {
  fs::path dir;
  TemplateDir() {
    dir = fs::temp_directory_path() / ("kinetrope-default-game-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    content::GenerateOptions options;
    options.out = dir;
    content::GenerateReport report;
    if (!content::Generate(options, report))
      ADD_FAILURE() << "default content: " << (report.errors.empty() ? "" : report.errors[0]);
  }
  ~TemplateDir() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

const fs::path& Template() {
  static const TemplateDir t;
  return t.dir;
}

void CopyTree(const fs::path& from, const fs::path& to, bool with_caches) {
  for (const auto& entry : fs::recursive_directory_iterator(from)) {
    const fs::path target = to / fs::relative(entry.path(), from);
    if (entry.is_directory()) {
      fs::create_directories(target);
    } else if (with_caches || !IsCache(entry.path())) {
      fs::copy_file(entry.path(), target, fs::copy_options::overwrite_existing);
    }
  }
}

}  // namespace

DefaultGameDir::DefaultGameDir(bool with_caches) : previous_(fs::current_path()) {
  static std::atomic<int> counter{0};
  const fs::path& source = Template();
  path_ = fs::temp_directory_path() /
          ("kinetrope-game-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
  fs::remove_all(path_);
  fs::create_directories(path_);
  CopyTree(source, path_, with_caches);
  CloseLogFile();
  fs::current_path(path_);
}

void DefaultGameDir::KeepCaches() {
  for (const auto& entry : fs::recursive_directory_iterator(path_)) {
    if (!entry.is_regular_file() || !IsCache(entry.path())) continue;
    const fs::path target = Template() / fs::relative(entry.path(), path_);
    std::error_code ec;
    fs::copy_file(entry.path(), target, fs::copy_options::overwrite_existing, ec);
  }
}

DefaultGameDir::~DefaultGameDir() {
  CloseLogFile();
  std::error_code ec;
  fs::current_path(previous_, ec);
  fs::remove_all(path_, ec);
}

}  // namespace kt::test
