// The print driver: prints a range of pages of the loaded document on a printer device, page by
// page in four layered passes, at scale factors taken from the printer's device figures.
#pragma once
#include <cstdint>
#include <string>

namespace vr {

class PrinterDevice;
class TSurfaceT;
struct PictureFolders;

// What the print dialog answers: pages from .. to and the number of copies.
struct PrintRange {
    int from = 1;
    int to = 1;
    int copies = 1;
};

// The print dialog's page bounds: at least 1..200, and every page of a longer document.
inline constexpr int kPrintDialogMaxPage = 200;

// What the print command asks of the window or the command line.
class PrintHost {
public:
    virtual ~PrintHost() = default;
    // Runs the print dialog on the printer, which it may reconfigure, with the range preset and
    // pages minPage..maxPage allowed. False when the user cancels.
    virtual bool runPrintDialog(PrinterDevice& printer, PrintRange& range, int minPage, int maxPage) = 0;
    // Called before each sheet is drawn with the number of sheets done, and once more with
    // done = total when the job ends (complete, stopped or failed). False stops the job.
    virtual bool progress(int done, int total) { return done <= total; }
};

enum class PrintOutcome { Printed, DialogCancelled, Stopped, NothingToPrint };

// Printer dots per screen pixel on each axis: HORZRES x 25.4 / (P x HORZSIZE) and the same
// vertically, each device figure taken as an unsigned 16-bit value. A printer that reports a
// printable area of 0 mm gets its resolution over P instead of a division by zero.
struct PrintScale {
    double x = 1.0;
    double y = 1.0;
};
PrintScale PrintScaleFor(const PrinterDevice& printer, int pixelsPerInch);

// Prints one page's objects on the printer's current sheet in the four passes, each in the
// objects' creation order: lower pictures, shapes and all lines; upper pictures and shapes; text
// lines and lower text frames; upper text frames.
void PrintPageObjects(TSurfaceT& page, PrinterDevice& printer, const PrintScale& scale);

// Every picture of the page is read again from its file before the page is printed.
void RefreshImages(TSurfaceT& page, const PictureFolders& folders);

}  // namespace vr
