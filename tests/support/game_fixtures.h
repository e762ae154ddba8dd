// The generated default game: the whole data tree the content generator writes (skeleton,
// clips, castle, images, sounds, scene, cvar.ini), made once per test program and shared by
// its tests, because clips and their graph caches take seconds to build.
#pragma once

#include <filesystem>

namespace kt::test {

// Makes a fresh copy of the default game folder the working directory for its lifetime.
// The first copy in a process is generated; later ones copy it, graph caches included, so
// that only the first start-up builds graphs. `with_caches` false leaves the caches out.
class DefaultGameDir {
 public:
  explicit DefaultGameDir(bool with_caches = true);
  ~DefaultGameDir();
  DefaultGameDir(const DefaultGameDir&) = delete;
  DefaultGameDir& operator=(const DefaultGameDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Keeps what this folder has built (graph and posture caches) for the next copies.
  void KeepCaches();

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

}  // namespace kt::test
