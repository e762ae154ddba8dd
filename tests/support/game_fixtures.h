// The generated default game: the whole data tree the content generator writes (skeleton,
// clips, castle, images, sounds, scene, cvar.ini), kept in the build tree and shared by every
// test program, because clips and their graph caches take seconds to build.
#pragma once

#include <filesystem>

namespace kt::test {

// Makes a fresh copy of the default game folder the working directory for its lifetime,
// graph caches included once a test has kept them, so that only the first start-up builds
// graphs. `with_caches` false leaves the caches out.
class DefaultGameDir {
 public:
  explicit DefaultGameDir(bool with_caches = true);
  ~DefaultGameDir();
  DefaultGameDir(const DefaultGameDir&) = delete;
  DefaultGameDir& operator=(const DefaultGameDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Keeps the caches this folder has built (graphs, postures) for the next copies; caches the
  // template has already are left as they are.
  void KeepCaches();

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

}  // namespace kt::test
