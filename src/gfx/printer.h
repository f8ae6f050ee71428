// Printer devices: a canvas per sheet plus the device figures the print code reads.
#pragma once
#include <memory>
#include <vector>

#include <QImage>

#include "gfx/canvas.h"

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

// A printer that keeps every sheet as an image at a chosen resolution; the whole sheet is
// printable. Used by tests and by output to image files.
class MemoryPrinter : public PrinterDevice {
public:
    MemoryPrinter(int dpi, double paperWidthMM = 210.0, double paperHeightMM = 297.0);
    ~MemoryPrinter() override;

    int logPixelsX() const override { return dpi_; }
    int logPixelsY() const override { return dpi_; }
    int horzRes() const override;
    int vertRes() const override;
    int horzSize() const override;
    int vertSize() const override;
    PaperOrientation orientation() const override { return orientation_; }
    void setOrientation(PaperOrientation o) override { orientation_ = o; }
    void beginDoc() override;
    void newPage() override;
    void endDoc() override;
    void abort() override;
    bool printing() const override { return printing_; }
    Canvas& canvas() override;

    // Sheets finished or in progress, in print order.
    const std::vector<QImage>& sheets() const { return sheets_; }

private:
    void startSheet();
    int dpi_;
    double paperW_, paperH_;
    PaperOrientation orientation_ = PaperOrientation::Portrait;
    bool printing_ = false;
    std::vector<QImage> sheets_;
    std::unique_ptr<Canvas> canvas_;
};

} // namespace vr
