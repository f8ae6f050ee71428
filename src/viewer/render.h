// One drawing path for the window and the command line: a page painted into an image.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include <QImage>

#include "page/surface.h"


namespace vr {

class Diagnostics;

// The largest page side, in pixels, that is painted whole (command-line output). A document
// field can ask for pages of 65534 pixels at 200 %; the window paints only what it shows.
inline constexpr int kMaxRenderSide = 16384;

// The area `area` (page coordinates) of the page painted with the given zoom factor; pixels
// outside the page stay white.
// onPaintError hears, at most once, that an object could not paint itself.
// Damage met while painting goes to `diagnostics` (may be null).
QImage renderPageArea(TSurfaceT& page, double zoomFactor, const IRect& area, int dpi = 96,
                      const std::function<void(const std::string&)>& onPaintError = {},
                      Diagnostics* diagnostics = nullptr);

// The whole page at its current (zoomed) width and height; an empty image when a side is not
// in 1..kMaxRenderSide.
QImage renderPage(TSurfaceT& page, double zoomFactor, int dpi = 96,
                  const std::function<void(const std::string&)>& onPaintError = {},
                  Diagnostics* diagnostics = nullptr);

// The drawing calls of the whole page at the zoom factor, as the recording canvas writes them
// (one line each, see recording_canvas.h): what the window would draw, for reports of pages drawn
// wrong and for regression files. The page's painting must leave the drawing state's stack as it
// found it; a line "restore unbalanced" would say it did not.
std::vector<std::string> tracePage(TSurfaceT& page, double zoomFactor, Diagnostics* diagnostics = nullptr);

}  // namespace vr
