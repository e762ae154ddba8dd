// Replacing a file so that a crash at any moment leaves either the old file or the whole new
// one: the bytes go to a temporary file in the same folder, are flushed to the disk, and the
// temporary is renamed over the old name (rename is atomic within one file system).
#pragma once

#include <string>
#include <string_view>

namespace kt {

// False (the old file untouched, the temporary removed) when any step fails. A process killed
// part-way may leave a "<name>.tmp<pid>.<n>" file behind, never a partial `path`.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace kt
