#include "gfx/printer.h"

#include <cmath>
#include <new>
#include <stdexcept>

#include "gfx/raster_canvas.h"

namespace vr {
namespace {

int dotsFor(double mm, int dpi) { return static_cast<int>(std::lround(mm * dpi / 25.4)); }

} // namespace

MemoryPrinter::MemoryPrinter(int dpi, double paperWidthMM, double paperHeightMM)
    : dpi_(dpi), paperW_(paperWidthMM), paperH_(paperHeightMM)
{
    // A sheet is kept whole in memory: refuse sizes no image could hold (more than about
    // 2.5 m of paper at 1200 dpi on a side).
    if (dpi <= 0 || dpi > 4800 || !(paperWidthMM > 0.0) || !(paperHeightMM > 0.0)
        || dotsFor(paperWidthMM, 1) > 2500 || dotsFor(paperHeightMM, 1) > 2500
        || dotsFor(paperWidthMM, dpi) > 100000 || dotsFor(paperHeightMM, dpi) > 100000)
        throw std::invalid_argument("MemoryPrinter: unusable resolution or paper size");
}

MemoryPrinter::~MemoryPrinter() = default;

int MemoryPrinter::horzRes() const
{
    return dotsFor(orientation_ == PaperOrientation::Portrait ? paperW_ : paperH_, dpi_);
}

int MemoryPrinter::vertRes() const
{
    return dotsFor(orientation_ == PaperOrientation::Portrait ? paperH_ : paperW_, dpi_);
}

int MemoryPrinter::horzSize() const
{
    return static_cast<int>(std::lround(orientation_ == PaperOrientation::Portrait ? paperW_ : paperH_));
}

int MemoryPrinter::vertSize() const
{
    return static_cast<int>(std::lround(orientation_ == PaperOrientation::Portrait ? paperH_ : paperW_));
}

// A new sheet's canvas starts with the whole sheet as clip and no origin offset, and keeps the
// pen, brush and font the previous sheet's canvas ended with, as one printer canvas carried over
// a page break.
void MemoryPrinter::startSheet()
{
    std::unique_ptr<Canvas> previous = std::move(canvas_);
    QImage sheet(horzRes(), vertRes(), QImage::Format_RGB32);
    if (sheet.isNull())
        throw std::bad_alloc();
    sheet.fill(Qt::white);
    sheets_.push_back(std::move(sheet));
    canvas_ = std::make_unique<RasterCanvas>(sheets_.back(), dpi_);
    if (previous) {
        canvas_->pen = previous->pen;
        canvas_->brush = previous->brush;
        canvas_->font = previous->font;
    }
}

void MemoryPrinter::beginDoc()
{
    if (printing_)
        throw std::logic_error("MemoryPrinter: beginDoc while a document is being printed");
    canvas_.reset();
    sheets_.clear();
    startSheet();
    printing_ = true;
}

void MemoryPrinter::newPage()
{
    if (!printing_)
        throw std::logic_error("MemoryPrinter: newPage outside a document");
    startSheet();
}

void MemoryPrinter::endDoc()
{
    if (!printing_)
        throw std::logic_error("MemoryPrinter: endDoc outside a document");
    canvas_.reset();
    printing_ = false;
}

void MemoryPrinter::abort()
{
    canvas_.reset();
    sheets_.clear();
    printing_ = false;
}

Canvas& MemoryPrinter::canvas()
{
    if (!printing_ || !canvas_)
        throw std::logic_error("MemoryPrinter: no canvas outside a document");
    return *canvas_;
}

} // namespace vr
