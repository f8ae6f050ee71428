#include "viewer/print_driver.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "gfx/print/printer.h"
#include "objects/image.h"
#include "page/surface.h"
#include "viewer/viewer.h"

namespace vr {

PrintScale PrintScaleFor(const PrinterDevice& printer, int pixelsPerInch)
{
    const double p = pixelsPerInch > 0 ? pixelsPerInch : 96;
    const auto u16 = [](int v) { return static_cast<double>(static_cast<uint16_t>(v)); };
    const auto axis = [&](int res, int sizeMM, int dpi) {
        if (u16(sizeMM) == 0)
            return (dpi > 0 ? dpi : p) / p;
        return u16(res) * 25.4 / (p * u16(sizeMM));
    };
    return PrintScale{axis(printer.horzRes(), printer.horzSize(), printer.logPixelsX()),
                      axis(printer.vertRes(), printer.vertSize(), printer.logPixelsY())};
}

void PrintPageObjects(TSurfaceT& page, PrinterDevice& printer, const PrintScale& scale)
{
    for (int pass = 1; pass <= 4; ++pass) {
        for (const auto& object : page.objects()) {
            if (object->printPass() == pass)
                object->printOnSheet(printer, scale.x, scale.y);
        }
    }
}

void RefreshImages(TSurfaceT& page, const PictureFolders& folders)
{
    for (const auto& object : page.objects()) {
        if (auto* image = dynamic_cast<TDImage*>(object.get()))
            image->ReloadImageFile(folders);
    }
}

namespace {

PaperOrientation documentOrientation(const DocumentState& s)
{
    return s.Orientation == 1 ? PaperOrientation::Landscape : PaperOrientation::Portrait;
}

// Brings the view back as it was before printing: the zoom, and the page shown.
class ViewRestorer {
public:
    ViewRestorer(Viewer& v, int zoom) : v_(v), zoom_(zoom) { }
    ~ViewRestorer()
    {
        v_.SetZoom(zoom_);
        if (v_.state.CurrentPage)
            v_.state.CurrentPage->visible = true;
    }
    ViewRestorer(const ViewRestorer&) = delete;
    ViewRestorer& operator=(const ViewRestorer&) = delete;

private:
    Viewer& v_;
    int zoom_;
};

}  // namespace

PrintOutcome Viewer::printDocument(PrinterDevice& printer, PrintHost& host)
{
    if (!state.CurrentPage)
        return PrintOutcome::NothingToPrint;
    // Every page prints at actual size; the view comes back whatever happens below, so an error
    // in one object's print never leaves the window at 100 % with no page shown.
    ViewRestorer restore(*this, state.ZoomPercent);
    SetZoom(100);

    printer.setOrientation(documentOrientation(state));
    if (printer.printing())
        printer.abort();

    PrintRange range{1, std::max(state.PageCount, 1), 1};
    if (!host.runPrintDialog(printer, range, 1, std::max(kPrintDialogMaxPage, state.PageCount)))
        return PrintOutcome::DialogCancelled;

    // The document's orientation wins over what the dialog chose.
    printer.setOrientation(documentOrientation(state));
    TSurfaceT* const shown = state.CurrentPage;
    shown->visible = false;
    const PrintScale scale = PrintScaleFor(printer, state.PixelsPerInch);
    const PictureFolders folders{state.AppFolder, state.DocFolder};
    const int copies = std::max(range.copies, 1);
    const int64_t perCopy = range.to >= range.from ? static_cast<int64_t>(range.to) - range.from + 1 : 0;
    const int total = static_cast<int>(std::min<int64_t>(perCopy * copies, INT32_MAX));
    printer.beginDoc();
    try {
        int done = 0;
        for (int copy = 1; copy <= copies; ++copy) {
            for (int64_t n = range.from; n <= range.to; ++n) {
                if (!host.progress(done++, total)) {
                    printer.abort();
                    host.progress(total, total);
                    return PrintOutcome::Stopped;
                }
                // A page number the document lacks prints the page shown before printing.
                TSurfaceT* page = FindPage(static_cast<int32_t>(n));
                if (!page)
                    page = shown;
                RefreshImages(*page, folders);
                PrintPageObjects(*page, printer, scale);
                if (n < range.to)
                    printer.newPage();
            }
            if (copy < copies)
                printer.newPage();
        }
        printer.endDoc();
    } catch (...) {
        // The job ends unfinished; the error goes on to the error report.
        printer.abort();
        host.progress(total, total);
        throw;
    }
    host.progress(total, total);
    return PrintOutcome::Printed;
}

}  // namespace vr
