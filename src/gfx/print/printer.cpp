#include "gfx/print/printer.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <new>
#include <stdexcept>

#include "core/errors.h"
#include "gfx/canvas/page_image.h"
#include "gfx/canvas/raster_canvas.h"
#include "gfx/print/png_file.h"

namespace vr {
namespace {

int dotsFor(double mm, int dpi)
{
    return static_cast<int>(std::lround(mm * dpi / 25.4));
}

// The largest sheet side in dots, about 2.1 m of paper at 1200 dpi.
constexpr int kMaxSheetDots = 100000;

}  // namespace

// ---------------------------------------------------------------------------------------------
// SheetPrinter

SheetPrinter::SheetPrinter(int dpi) : dpi_(dpi)
{
    if (dpi <= 0 || dpi > 4800)
        throw std::invalid_argument("SheetPrinter: unusable resolution");
}

SheetPrinter::~SheetPrinter() = default;

int SheetPrinter::horzRes() const
{
    return dotsFor(areaMM().width(), dpi_);
}
int SheetPrinter::vertRes() const
{
    return dotsFor(areaMM().height(), dpi_);
}
int SheetPrinter::horzSize() const
{
    return static_cast<int>(std::lround(areaMM().width()));
}
int SheetPrinter::vertSize() const
{
    return static_cast<int>(std::lround(areaMM().height()));
}

QImage& SheetPrinter::sheetImage(QSize size)
{
    // The buffer is filled again rather than allocated anew: a fresh 35 MB image costs its page
    // faults on every sheet. A subclass that kept a copy of the last sheet gets a new buffer.
    if (buffer_.size() != size || !buffer_.isDetached()) {
        buffer_ = QImage();
        buffer_ = newPageImage(size.width(), size.height());
        if (buffer_.isNull())
            throw std::bad_alloc();
    }
    buffer_.fill(0xFFFFFFFFu);
    return buffer_;
}

void SheetPrinter::startSheet()
{
    const QSizeF mm = areaMM();
    const int w = dotsFor(mm.width(), dpi_);
    const int h = dotsFor(mm.height(), dpi_);
    if (!(w > 0 && h > 0 && w <= kMaxSheetDots && h <= kMaxSheetDots))
        throw VError("The printable area of the paper cannot be printed (" + std::to_string(w) + " x " +
                     std::to_string(h) + " dots)");
    std::unique_ptr<Canvas> previous = std::move(canvas_);
    sheet_ = nullptr;
    QImage& sheet = sheetImage(QSize(w, h));
    sheet_ = &sheet;
    canvas_ = std::make_unique<RasterCanvas>(sheet, dpi_);
    if (previous) {
        canvas_->pen = previous->pen;
        canvas_->brush = previous->brush;
        canvas_->font = previous->font;
    }
}

void SheetPrinter::emitCurrent()
{
    if (sheet_ == nullptr)
        return;
    emitSheet(*sheet_);
    ++emitted_;
}

void SheetPrinter::releaseSheet()
{
    canvas_.reset();
    sheet_ = nullptr;
    buffer_ = QImage();
}

void SheetPrinter::abortQuietly() noexcept
{
    const bool wasPrinting = printing_;
    printing_ = false;
    releaseSheet();
    if (wasPrinting) {
        try {
            abortJob();
        } catch (...) {
            // An abort has nothing left to report.
        }
    }
}

void SheetPrinter::beginDoc()
{
    if (printing_)
        throw std::logic_error("SheetPrinter: beginDoc while a document is being printed");
    releaseSheet();
    emitted_ = 0;
    startJob();
    printing_ = true;
    try {
        startSheet();
    } catch (...) {
        abortQuietly();
        throw;
    }
}

void SheetPrinter::newPage()
{
    if (!printing_)
        throw std::logic_error("SheetPrinter: newPage outside a document");
    try {
        emitCurrent();
        startSheet();
    } catch (...) {
        abortQuietly();
        throw;
    }
}

void SheetPrinter::endDoc()
{
    if (!printing_)
        throw std::logic_error("SheetPrinter: endDoc outside a document");
    try {
        emitCurrent();
    } catch (...) {
        abortQuietly();
        throw;
    }
    releaseSheet();
    printing_ = false;
    finishJob();
}

void SheetPrinter::abort()
{
    abortQuietly();
}

Canvas& SheetPrinter::canvas()
{
    if (!printing_ || !canvas_)
        throw std::logic_error("SheetPrinter: no canvas outside a document");
    return *canvas_;
}

// ---------------------------------------------------------------------------------------------
// PaperSheetPrinter

PaperSheetPrinter::PaperSheetPrinter(int dpi, double paperWidthMM, double paperHeightMM)
    : SheetPrinter(dpi), paperW_(paperWidthMM), paperH_(paperHeightMM)
{
    // A sheet is kept whole in memory: refuse sizes no image could hold (more than about
    // 2.1 m of paper at 1200 dpi on a side).
    if (!(paperWidthMM > 0.0) || !(paperHeightMM > 0.0) || dotsFor(paperWidthMM, 1) > 2500 ||
        dotsFor(paperHeightMM, 1) > 2500 || dotsFor(paperWidthMM, dpi) > kMaxSheetDots ||
        dotsFor(paperHeightMM, dpi) > kMaxSheetDots)
        throw std::invalid_argument("SheetPrinter: unusable resolution or paper size");
}

QSizeF PaperSheetPrinter::areaMM() const
{
    return orientation_ == PaperOrientation::Portrait ? QSizeF(paperW_, paperH_) : QSizeF(paperH_, paperW_);
}

// ---------------------------------------------------------------------------------------------
// MemoryPrinter

MemoryPrinter::MemoryPrinter(int dpi, double paperWidthMM, double paperHeightMM)
    : PaperSheetPrinter(dpi, paperWidthMM, paperHeightMM)
{
}

MemoryPrinter::~MemoryPrinter() = default;

void MemoryPrinter::abort()
{
    SheetPrinter::abort();
    sheets_.clear();
}

void MemoryPrinter::startJob()
{
    sheets_.clear();
}

QImage& MemoryPrinter::sheetImage(QSize size)
{
    QImage sheet(size, QImage::Format_RGB32);
    if (sheet.isNull())
        throw std::bad_alloc();
    sheet.fill(0xFFFFFFFFu);
    sheets_.push_back(std::move(sheet));
    return sheets_.back();
}

// ---------------------------------------------------------------------------------------------
// PngSheetPrinter

PngSheetPrinter::PngSheetPrinter(int dpi, double paperWidthMM, double paperHeightMM,
                                 std::function<std::string(int)> nameFor)
    : PaperSheetPrinter(dpi, paperWidthMM, paperHeightMM), nameFor_(std::move(nameFor))
{
    if (!nameFor_)
        throw std::invalid_argument("PngSheetPrinter: no file names");
}

PngSheetPrinter::~PngSheetPrinter()
{
    if (printing())
        abort();
}

void PngSheetPrinter::emitSheet(QImage& sheet)
{
    const std::string name = nameFor_(sheetsEmitted() + 1);
    const SheetContent content = scanSheet(sheet, bits_);
    bool written;
    if (content.blackAndWhite()) {
        QImage mono(bits_.data(), sheet.width(), sheet.height(), content.bytesPerLine, QImage::Format_Mono);
        mono.setColorTable({0xFF000000u, 0xFFFFFFFFu});
        written = writePngFile(mono, name);
    } else {
        written = writePngFile(sheet, name);
    }
    if (!written)
        throw VError("Cannot write " + name);
}

// ---------------------------------------------------------------------------------------------
// Sheet scan

SheetContent scanSheet(const QImage& sheet, std::vector<uchar>& bits)
{
    SheetContent out;
    if (sheet.format() != QImage::Format_RGB32 && sheet.format() != QImage::Format_ARGB32)
        return scanSheet(sheet.convertToFormat(QImage::Format_RGB32), bits);
    const int w = sheet.width();
    const int h = sheet.height();
    out.bytesPerLine = ((w + 31) / 32) * 4;
    bits.resize(static_cast<size_t>(out.bytesPerLine) * static_cast<size_t>(h));

    // Rows without other pixels that still join two bands into one.
    constexpr int kBridgeRows = 8;
    constexpr uint32_t kRgb = 0x00FFFFFFu;
    SheetContent::Band band;
    bool open = false;
    int lastRow = -1;  // last row of the open band that held other pixels
    for (int y = 0; y < h; ++y) {
        const auto* px = reinterpret_cast<const uint32_t*>(sheet.constScanLine(y));
        uchar* line = bits.data() + static_cast<size_t>(y) * static_cast<size_t>(out.bytesPerLine);
        int minX = INT_MAX, maxX = -1;
        bool grey = true;
        uchar blacks = 0;
        int x = 0;
        for (; x + 8 <= w; x += 8) {
            const uint32_t* p = px + x;
            // The common case first: eight white pixels.
            if ((p[0] & p[1] & p[2] & p[3] & p[4] & p[5] & p[6] & p[7] & kRgb) == kRgb) {
                line[x >> 3] = 0xFF;
                continue;
            }
            uchar byte = 0;
            uchar other = 0;
            for (int i = 0; i < 8; ++i) {
                const uint32_t v = p[i] & kRgb;
                byte |= static_cast<uchar>((v != 0) << (7 - i));
                other |= static_cast<uchar>((v != 0 && v != kRgb) << (7 - i));
            }
            line[x >> 3] = byte;
            blacks |= static_cast<uchar>(~byte);
            if (other != 0) {
                // The first and last other pixel bound the row; greys are checked until one is not.
                minX = std::min(minX, x + std::countl_zero(other));
                maxX = std::max(maxX, x + 7 - std::countr_zero(other));
                for (int i = 0; grey && i < 8; ++i) {
                    const uint32_t v = p[i] & kRgb;
                    grey = !(other & (0x80 >> i)) || (((v >> 16) == (v & 0xFF)) && (((v >> 8) & 0xFF) == (v & 0xFF)));
                }
            }
        }
        if (x < w) {
            uchar byte = 0;
            for (int i = 0; x + i < w; ++i) {
                const uint32_t v = px[x + i] & kRgb;
                byte |= static_cast<uchar>((v != 0) << (7 - i));
                if (v != 0 && v != kRgb) {
                    grey = grey && ((v >> 16) == (v & 0xFF)) && (((v >> 8) & 0xFF) == (v & 0xFF));
                    minX = std::min(minX, x + i);
                    maxX = std::max(maxX, x + i);
                }
            }
            // Bits past the width are white.
            line[x >> 3] = static_cast<uchar>(byte | (0xFF >> (w - x)));
            blacks |= static_cast<uchar>(~line[x >> 3]);
        }
        out.anyBlack = out.anyBlack || blacks != 0;
        if (maxX < 0)
            continue;
        if (open && y - lastRow - 1 > kBridgeRows) {
            out.bands.push_back(band);
            open = false;
        }
        if (!open) {
            band = SheetContent::Band{QRect(QPoint(minX, y), QPoint(maxX, y)), grey};
            open = true;
        } else {
            band.rect.setLeft(std::min(band.rect.left(), minX));
            band.rect.setRight(std::max(band.rect.right(), maxX));
            band.rect.setBottom(y);
            band.greyOnly = band.greyOnly && grey;
        }
        lastRow = y;
    }
    if (open)
        out.bands.push_back(band);
    return out;
}

}  // namespace vr
