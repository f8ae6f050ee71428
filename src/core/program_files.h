// Files that belong to the program and sit beside it: in a build folder next to the programs, in
// an installation in its private folder (libexec/velmora-reader).
#pragma once
#include <filesystem>
#include <string>

namespace vr {

// The program's own file `name`, or an empty path when it is in neither place.
std::filesystem::path programFile(const std::string& name);

// The folder of velmora-reader, which start-up files (QVLParam.PRM, QVLFonts/) sit beside: the
// running program's folder, or bindir for the window program installed in the private folder.
std::filesystem::path programFolder();

}  // namespace vr
