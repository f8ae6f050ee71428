// The base of the ten object kinds a page holds: bounds in page-surface pixels (scaled with the
// zoom), painting on a screen canvas, printing on a printer, and the fields shown by the dump.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "core/diagnostics.h"
#include "core/json_writer.h"
#include "gfx/canvas/canvas.h"

namespace vr {

class PrinterDevice;

// What objects read when they paint: the page's zoom factor, and where an object that could not
// paint itself says so ("erreur paint"): the window shows it in a message box, the command line
// on standard error. The page's painting tells it at most once per paint.
struct PaintContext {
    double zoomFactor = 1.0;
    std::function<void(const std::string& message)> onPaintError;
    // Damage met while painting (a metafile record left out, ...); may be null.
    Diagnostics* diagnostics = nullptr;
};

// Border of an image, read by the page surface when it draws image borders.
struct ImageBorder {
    bool left = false, bottom = false, right = false, top = false;
    int width = 0;
    Color color = kBlack;
};

class PageObject {
public:
    virtual ~PageObject() = default;

    // The class name the document tags it with ("TLigne", "TDImage", ...).
    virtual const char* className() const = 0;

    // Windowed objects (text frames, rich-text frames, tables, OLE objects, players) paint after
    // shapes and images, clipped to their bounds and in their own client coordinates.
    virtual bool windowed() const { return false; }
    // Lines and text lines are drawn by the page surface itself, before everything else.
    virtual bool drawnByPage() const { return false; }

    // Screen drawing. Windowed objects get a canvas already translated to their bounds.
    virtual void paintOnPage(Canvas& canvas, const PaintContext& ctx) = 0;
    // What a windowed object draws on the page around itself once it has painted (a rich-text
    // frame's border), on the page's canvas in page coordinates.
    virtual void paintAroundOnPage(Canvas& canvas, const PaintContext& ctx) { }

    // Printing with the driver's scale factors from page pixels to printer dots.
    virtual void printOnSheet(PrinterDevice& printer, double sx, double sy) = 0;
    // Which of the print driver's four layered passes prints the object: 1 pictures, shapes and
    // lines under the rest; 2 pictures and shapes of the upper layer; 3 text of the lower layer;
    // 4 text of the upper layer. 0: never printed.
    virtual int printPass() const { return 0; }

    // The fields the object read, for the JSON dump (after "kind").
    virtual void dumpFields(JsonWriter& out) const = 0;

    // Scrolling and page set-up: transparent objects are told to show again what lies under them.
    virtual void refreshTransparent() { }

    // Left, Top, Width and Height as the dump names them.
    void dumpBounds(JsonWriter& out) const;

    // Image objects answer their border; others none.
    virtual const ImageBorder* imageBorder() const { return nullptr; }

    // The toolkit's proportional scaling by m/d: each edge becomes mulDiv(edge, m, d).
    virtual void changeScale(int m, int d);

    int left = 0, top = 0, width = 0, height = 0;
    // Stacking among the page's objects: higher is painted later (InFront brings to the front).
    int zOrder = 0;
};

}  // namespace vr
