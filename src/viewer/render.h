// One drawing path for the window and the command line: a page painted into an image.
#pragma once
#include <functional>
#include <string>

#include <QImage>

#include "page/surface.h"

namespace vr {

// The largest page side, in pixels, that is painted whole (command-line output). A document
// field can ask for pages of 65534 pixels at 200 %; the window paints only what it shows.
inline constexpr int kMaxRenderSide = 16384;

// The area `area` (page coordinates) of the page painted with the given zoom factor; pixels
// outside the page stay white.
// onPaintError hears, at most once, that an object could not paint itself.
QImage renderPageArea(TSurfaceT& page, double zoomFactor, const IRect& area, int dpi = 96,
                      const std::function<void(const std::string&)>& onPaintError = {});

// The whole page at its current (zoomed) width and height; an empty image when a side is not
// in 1..kMaxRenderSide.
QImage renderPage(TSurfaceT& page, double zoomFactor, int dpi = 96,
                  const std::function<void(const std::string&)>& onPaintError = {});

}  // namespace vr
