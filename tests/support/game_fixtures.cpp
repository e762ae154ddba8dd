// The generated default game folder.
#include "game_fixtures.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
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

// Serialises the test programs that ctest runs side by side around the shared template.
class TemplateLock {
 public:
  explicit TemplateLock(const fs::path& dir) {
    fs::create_directories(dir.parent_path());
    fd_ = ::open((dir.string() + ".lock").c_str(), O_CREAT | O_RDWR, 0644);
    if (fd_ >= 0) ::flock(fd_, LOCK_EX);
  }
  ~TemplateLock() {
    if (fd_ >= 0) ::close(fd_);
  }

 private:
  int fd_ = -1;
};

// The template every copy is made from: one folder in the build tree shared by every test
// program, brought up to date by the generator (which leaves unchanged files and their caches
// alone) once per program.
const fs::path& Template() {
  static const fs::path dir = [] {
    const fs::path d = KT_GAME_TEMPLATE_DIR;
    TemplateLock lock(d);
    fs::create_directories(d);
    content::GenerateOptions options;
    options.out = d;
    content::GenerateReport report;
    if (!content::Generate(options, report))
      ADD_FAILURE() << "default content: " << (report.errors.empty() ? "" : report.errors[0]);
    return d;
  }();
  return dir;
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
  {
    TemplateLock lock(source);
    CopyTree(source, path_, with_caches);
  }
  CloseLogFile();
  fs::current_path(path_);
}

void DefaultGameDir::KeepCaches() {
  TemplateLock lock(Template());
  for (const auto& entry : fs::recursive_directory_iterator(path_)) {
    if (!entry.is_regular_file() || !IsCache(entry.path())) continue;
    const fs::path target = Template() / fs::relative(entry.path(), path_);
    std::error_code ec;
    if (fs::exists(target, ec)) continue;
    fs::copy_file(entry.path(), target, ec);
  }
}

DefaultGameDir::~DefaultGameDir() {
  CloseLogFile();
  std::error_code ec;
  fs::current_path(previous_, ec);
  fs::remove_all(path_, ec);
}

}  // namespace kt::test
