// Finds and loads the media back end's module once per process.
#pragma once
#include <string>

#include "player/media_backend.h"

namespace vr {

// The module's entry point, or null with `why` saying what failed. The module is looked for in
// $VR_MEDIA_MODULE when set (tests, and programs run from elsewhere), beside the program (a build
// folder), then in the program's private folder of an installation.
MediaBackendEntry mediaBackendEntry(std::string& why);

}  // namespace vr
