// What the default printer tells the start-up about its page.
#pragma once
#include <optional>

#include "viewer/viewer.h"

namespace vr {

// Orientation and printable area (millimetres) of the default printer's default page layout;
// none when no printer is installed.
std::optional<PrinterPage> defaultPrinterPage();

}  // namespace vr
