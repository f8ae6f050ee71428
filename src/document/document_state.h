// The document state the main window holds for the whole run.
#pragma once
#include <cstdint>
#include <string>

#include "gfx/canvas/canvas.h"
#include "page/surface.h"

namespace vr {

// Page size unit: PageWidthMM and PageHeightMM always hold millimetres. A page's pixel size is
// round(ppi x mm / 25.4) wherever a page or a text page is made, and the printer-derived set-up
// converts the printer's millimetres into this same unit.
struct DocumentState {
    std::string DocFileName;  // the whole path, never cut
    std::string DocFolder;  // folder of DocFileName with its trailing separator
    std::string AppFolder;  // folder of the program with its trailing separator
    TSurfaceT* CurrentPage = nullptr;
    int32_t PageCount = 0;
    int32_t CurrentPageNo = 0;
    PageSetupT PageSetup;
    int PageLeft = 0;
    int PageTop = 0;
    int ZoomPercent = 100;
    double ZoomFactor = 1.0;
    int Orientation = 0;  // 0 portrait, 1 landscape
    FontRequest DefaultFont;
    std::string DocVersion;  // at most 5 characters
    std::string DocSubVersion;  // at most 4 characters
    bool OpeningChapter = false;
    bool LoadingDocument = false;
    bool PageFound = false;
    int PixelsPerInch = 96;
};

}  // namespace vr
