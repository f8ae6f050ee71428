// Files that belong to the program and sit beside it: in a build folder next to the programs, in
// an installation in its private folder (libexec/velmora-reader).
#pragma once
#include <filesystem>
#include <string>

namespace vr {

// The program's own file `name`, or an empty path when it is in neither place.
std::filesystem::path programFile(const std::string& name);

}  // namespace vr
