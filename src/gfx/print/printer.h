// Printer devices: a canvas per sheet plus the device figures the print code reads.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QImage>
#include <QRect>
#include <QSizeF>

#include "gfx/canvas/canvas.h"

namespace vr {

enum class PaperOrientation { Portrait, Landscape };

class PrinterDevice {
public:
    virtual ~PrinterDevice() = default;

    // Resolution (LOGPIXELSX/Y), printable area in dots (HORZRES/VERTRES) and in millimetres
    // (HORZSIZE/VERTSIZE).
    virtual int logPixelsX() const = 0;
    virtual int logPixelsY() const = 0;
    virtual int horzRes() const = 0;
    virtual int vertRes() const = 0;
    virtual int horzSize() const = 0;
    virtual int vertSize() const = 0;

    virtual PaperOrientation orientation() const = 0;
    virtual void setOrientation(PaperOrientation o) = 0;

    virtual void beginDoc() = 0;
    virtual void newPage() = 0;
    virtual void endDoc() = 0;
    virtual void abort() = 0;
    virtual bool printing() const = 0;

    // The canvas of the sheet being printed; valid between beginDoc and endDoc.
    virtual Canvas& canvas() = 0;
};

// A printer whose sheets are drawn one at a time on a raster canvas (RasterCanvas over a white
// Format_RGB32 image) at a fixed resolution, the same on both axes, and handed on to the
// subclass when the next sheet starts and at endDoc. Only the sheet in progress is held: its
// image is reused (or released) once emitted. The printable area comes from areaMM() when each
// sheet starts; HORZRES/VERTRES are round(mm x dpi / 25.4) and HORZSIZE/VERTSIZE round(mm).
//
// Each sheet's canvas starts with the whole sheet as clip and no origin offset, and keeps the
// pen, brush and font the previous sheet's canvas ended with, as one printer canvas carried over
// a page break.
//
// Sequence: beginDoc calls startJob and starts sheet 1; newPage emits the sheet in progress and
// starts the next; endDoc emits the last sheet, then calls finishJob; abort calls abortJob and
// emits nothing more. When startJob or emitSheet throws, the job is aborted (abortJob) and the
// exception goes on to the caller; the printer is then no longer printing.
class SheetPrinter : public PrinterDevice {
public:
    ~SheetPrinter() override;

    int logPixelsX() const override { return dpi_; }
    int logPixelsY() const override { return dpi_; }
    int horzRes() const override;
    int vertRes() const override;
    int horzSize() const override;
    int vertSize() const override;
    void beginDoc() override;
    void newPage() override;
    void endDoc() override;
    void abort() override;
    bool printing() const override { return printing_; }
    Canvas& canvas() override;

    // Sheets handed on since the last beginDoc.
    int sheetsEmitted() const { return emitted_; }

protected:
    // Throws std::invalid_argument for a resolution outside 1..4800 dpi.
    explicit SheetPrinter(int dpi);

    // The printable area in millimetres for the current orientation.
    virtual QSizeF areaMM() const = 0;
    // Job hooks; see the sequence above. abortJob must not throw.
    virtual void startJob() { }
    virtual void emitSheet(QImage& sheet) = 0;
    virtual void finishJob() { }
    virtual void abortJob() { }
    // The white image the next sheet is drawn on, `size` dots. By default the printer's one
    // sheet buffer, filled white again for each sheet; MemoryPrinter gives each sheet its own.
    virtual QImage& sheetImage(QSize size);

private:
    void startSheet();
    void emitCurrent();
    void releaseSheet();
    void abortQuietly() noexcept;

    int dpi_;
    bool printing_ = false;
    int emitted_ = 0;
    QImage buffer_;  // the reused sheet image (default sheetImage)
    QImage* sheet_ = nullptr;  // the sheet in progress
    std::unique_ptr<Canvas> canvas_;
};

// A sheet printer on paper of a fixed size in millimetres, the whole sheet printable; landscape
// swaps the sides. Throws std::invalid_argument for sizes no image could hold.
class PaperSheetPrinter : public SheetPrinter {
public:
    PaperOrientation orientation() const override { return orientation_; }
    void setOrientation(PaperOrientation o) override { orientation_ = o; }

protected:
    PaperSheetPrinter(int dpi, double paperWidthMM, double paperHeightMM);
    QSizeF areaMM() const override;

private:
    double paperW_, paperH_;
    PaperOrientation orientation_ = PaperOrientation::Portrait;
};

// A printer that keeps every sheet as an image at a chosen resolution; the whole sheet is
// printable. Used by tests.
class MemoryPrinter : public PaperSheetPrinter {
public:
    MemoryPrinter(int dpi, double paperWidthMM = 210.0, double paperHeightMM = 297.0);
    ~MemoryPrinter() override;

    // Also forgets the sheets kept so far.
    void abort() override;

    // Sheets finished or in progress, in print order; a new document starts the list again.
    const std::vector<QImage>& sheets() const { return sheets_; }

protected:
    void startJob() override;
    void emitSheet(QImage&) override { }
    QImage& sheetImage(QSize size) override;

private:
    std::vector<QImage> sheets_;
};

// A printer that writes each sheet as a PNG file named by nameFor(sheet number, from 1) as soon
// as the sheet is done. Sheets that are all black and white are written as 1-bit images, others
// as writePngFile writes them (a palette for up to 256 colours, else 24-bit RGB); either reads back
// as the same pixels. Throws VError("Cannot write <name>") when a file cannot be written.
class PngSheetPrinter : public PaperSheetPrinter {
public:
    PngSheetPrinter(int dpi, double paperWidthMM, double paperHeightMM,
                    std::function<std::string(int sheetNumber)> nameFor);
    ~PngSheetPrinter() override;

protected:
    void emitSheet(QImage& sheet) override;

private:
    std::function<std::string(int)> nameFor_;
    std::vector<uchar> bits_;
};

// What a sheet holds, for choosing how to send it on: every pixel is black (0x000000), white
// (0xFFFFFF), another grey (red = green = blue) or a colour.
struct SheetContent {
    // The bit-per-pixel view of the sheet: bit 0 black, bit 1 anything else, most significant
    // bit first (Format_Mono with colour table {black, white}); `bytesPerLine` apart.
    // Pixels that are neither black nor white are 1 here and are covered by the bands.
    int bytesPerLine = 0;
    // Row bands holding every pixel that is neither black nor white: each is the bounding box of
    // those pixels over consecutive rows (rows without any, up to a few, are bridged), with
    // whether all of them are greys. Bands do not overlap and never touch.
    struct Band {
        QRect rect;
        bool greyOnly = true;
    };
    std::vector<Band> bands;
    // Whether any pixel is black.
    bool anyBlack = false;
    bool blackAndWhite() const { return bands.empty(); }
};

// Scans a Format_RGB32 sheet: fills `bits` (resized to bytesPerLine x height, reused across
// calls) with the 1-bit view and returns the bands.
SheetContent scanSheet(const QImage& sheet, std::vector<uchar>& bits);

}  // namespace vr
