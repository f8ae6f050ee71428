// The window program: start-up sequence and event loop.
#pragma once
#include <string>

namespace vr {

// Creates the application and the main window, runs the start-up sequence (parameter file, font
// check, first document; `documentArg` is the command-line document, empty when none) and then
// the event loop. Returns the exit status: 1 when loading the start-up document failed or when
// there is no display to open the window on (said on standard error).
// Whether a window can be shown: a display is named or a platform was chosen.
bool displayReachable();

int runGui(int argc, char** argv, const std::string& documentArg);

}  // namespace vr
