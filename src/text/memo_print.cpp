// Printing of text frames: the frame's rectangle, background and border at the printer's scale,
// and its lines set again with the printer's text widths.
#include "text/memo_print.h"

#include <algorithm>
#include <cmath>

#include "core/rounding.h"
#include "drawing/print_bitmap.h"
#include "drawing/text_shadow.h"
#include "gfx/canvas/raster_canvas.h"

namespace vr {

namespace {

// Printer coordinates are kept within +-2^30: far beyond any sheet, and differences of two of
// them still fit an int.
constexpr int64_t kFarCoord = int64_t{1} << 30;
// The raster canvas draws no font above 10000 points; sizes from odd resolutions stop there too.
constexpr double kMaxPoints = 10000.0;
// A border pen wider than this would cover any sheet.
constexpr int kMaxPenWidth = 32767;

int coord(int64_t v)
{
    return static_cast<int>(std::clamp(v, -kFarCoord, kFarCoord));
}
int coord(double v)
{
    return coord(static_cast<int64_t>(roundHalfEven(v)));
}

bool beginsWith(const std::string& s, char c)
{
    return !s.empty() && s.front() == c;
}
bool endsWith(const std::string& s, char c)
{
    return !s.empty() && s.back() == c;
}
void dropElongations(std::string& s)
{
    std::erase(s, kElongation);
}

// Text at printer coordinates, kept within the canvas's integer range.
void textOnBrush(Canvas& c, int64_t x, int64_t y, const std::string& s)
{
    vr::textOnBrush(c, coord(x), coord(y), s);
}

}  // namespace

ConnectSet DefaultConnectSet()
{
    ConnectSet set;
    for (const uint8_t c : kConnectA)
        set.set(c);
    for (const uint8_t c : kConnectB)
        set.set(c);
    return set;
}

FramePrinter::FramePrinter(TDMemo& frame, PrinterDevice& printer, double vertScale, double horzScale,
                           const ConnectSet& connect)
    : frame_(frame), printer_(printer), vert_(vertScale), horz_(horzScale), connect_(connect)
{
    // A 180 x 180 dpi printer counts 360 dots an inch across, so its fonts come out at half size.
    const int dpiX = printer.logPixelsX(), dpiY = printer.logPixelsY();
    const double effectiveX = dpiX == 180 && dpiY == 180 ? 360.0 : dpiX;
    if (effectiveX > 0 && dpiY > 0)
        ratio_ = dpiY / effectiveX;

    Canvas* own = frame.layoutCanvas;
    if (!own) {
        scratch_ = std::make_unique<QImage>(1, 1, QImage::Format_RGB32);
        ownCanvas_ = std::make_unique<RasterCanvas>(*scratch_, 96);
        own = ownCanvas_.get();
    }
    screen_ = std::make_unique<TextMeasurer>(*own);
    sheet_ = std::make_unique<TextMeasurer>(printer.canvas());
    copies_ = frame.Runs;
}

FramePrinter::~FramePrinter() = default;

double FramePrinter::PrintPoints(uint8_t size) const
{
    return std::min(size * ratio_, kMaxPoints);
}

int32_t FramePrinter::DrawnPoints(uint8_t size) const
{
    return roundHalfEven(PrintPoints(size));
}

int32_t FramePrinter::MeasuredPoints(uint8_t size) const
{
    return static_cast<int32_t>(PrintPoints(size));
}

int32_t FramePrinter::PrinterRunWidth(const TDChaine& run)
{
    return sheet_->width(run.FontName, MeasuredPoints(run.Size), run.Style, run.Text);
}

bool FramePrinter::LineFits(int32_t firstRun, int32_t lastRun)
{
    int64_t total = 0;
    for (int64_t i = std::max<int64_t>(firstRun, 0); i <= lastRun && i < static_cast<int64_t>(copies_.size()); ++i)
        total += PrinterRunWidth(copies_[static_cast<size_t>(i)]);
    return columnWidth_ <= total;
}

bool FramePrinter::lineRunsExist(const TDLigne& line) const
{
    if (line.RunCount <= 0)
        return true;
    const int64_t last = static_cast<int64_t>(line.FirstRun) + line.RunCount - 1;
    return line.FirstRun >= 0 && last < static_cast<int64_t>(copies_.size());
}

void FramePrinter::prepareColumn(const TDLigne& line)
{
    const ColumnRange col = ColumnBounds(frame_, line);
    columnWidth_ = roundHalfEven((static_cast<double>(col.Right) - col.Left) * horz_);
}

void FramePrinter::JustifyForPrinter()
{
    const size_t count = frame_.Lines.size();
    for (size_t i = 0; i < count; ++i) {
        const TDLigne* line = &frame_.Lines[i];
        if (!lineRunsExist(*line))
            return;  // printing stops at this line too
        prepareColumn(*line);
        const auto firstText = [&]() -> const std::string& {
            return copies_[static_cast<size_t>(line->FirstRun)].Text;
        };
        if (line->RunCount > 0 && endsWith(firstText(), kPartEnd)) {
            // The walk ends at or after line i, so i never goes back.
            i = static_cast<size_t>(EqualiseParts(static_cast<int32_t>(i)));
            if (i >= count)
                return;
            line = &frame_.Lines[i];
            if (!lineRunsExist(*line))
                return;
            prepareColumn(*line);
        }
        if (line->RunCount <= 0 || endsWith(firstText(), kPartEnd))
            continue;
        for (int32_t k = 0; k < line->RunCount; ++k)
            dropElongations(copies_[static_cast<size_t>(line->FirstRun) + static_cast<size_t>(k)].Text);
        const size_t lastRun = static_cast<size_t>(line->FirstRun) + static_cast<size_t>(line->RunCount) - 1;
        if (beginsWith(copies_[lastRun].Text, kPlaceholder))
            continue;
        if (line->Alignment == 0)
            elongateLine(*line);
    }
}

// Widens a line of Alignment 0 to its column: passes over the runs of the suite's fonts put an
// elongation behind every joining letter, until the line is as wide as the column or a pass puts
// in nothing. Runs only grow, and not past 255 bytes, so the passes end.
void FramePrinter::elongateLine(const TDLigne& line)
{
    const size_t first = static_cast<size_t>(line.FirstRun);
    const size_t end = first + static_cast<size_t>(line.RunCount);
    // The line's width, kept up to date so that each fit test measures only the run that grew.
    int64_t total = 0;
    for (size_t r = first; r < end; ++r)
        total += PrinterRunWidth(copies_[r]);
    const auto fits = [&] { return columnWidth_ <= total; };

    bool inserted = false;
    do {
        inserted = false;
        bool passDone = false;
        for (size_t r = first; r < end && !passDone; ++r) {
            TDChaine& run = copies_[r];
            if (run.Text.size() >= kMaxRunText || !run.FontName.starts_with("QV_"))
                continue;
            int32_t width = PrinterRunWidth(run);
            for (size_t c = 0; c < run.Text.size(); ++c) {
                if (fits()) {
                    passDone = true;
                    break;
                }
                if (joins(run.Text[c]) && run.Text.size() < kMaxRunText) {
                    run.Text.insert(c + 1, 1, kElongation);
                    ++c;  // past the elongation just put in
                    inserted = true;
                    const int32_t grown = PrinterRunWidth(run);
                    total += static_cast<int64_t>(grown) - width;
                    width = grown;
                }
            }
        }
    } while (!fits() && inserted);
}

int32_t FramePrinter::EqualiseParts(int32_t startLine)
{
    const int64_t count = static_cast<int64_t>(frame_.Lines.size());
    if (startLine < 0 || startLine >= count)
        return startLine;

    // The parts follow one another from startLine; the first run without a mark ends them.
    int32_t result = startLine;
    int32_t target = 0;
    int64_t firstPart = -1, lastPart = -1;
    bool walking = true;
    for (int64_t L = startLine; L < count && walking; ++L) {
        result = static_cast<int32_t>(L);
        const TDLigne& line = frame_.Lines[static_cast<size_t>(L)];
        for (int64_t k = 0; k < line.RunCount; ++k) {
            const int64_t index = static_cast<int64_t>(line.FirstRun) + k;
            if (index < 0 || index >= static_cast<int64_t>(copies_.size())) {
                walking = false;
                break;
            }
            TDChaine& run = copies_[static_cast<size_t>(index)];
            if (!beginsWith(run.Text, kFirstPart) && !endsWith(run.Text, kPartEnd)) {
                walking = false;
                break;
            }
            dropElongations(run.Text);
            target = std::max(target, PrinterRunWidth(run));
            if (firstPart < 0)
                firstPart = index;
            lastPart = index;
        }
    }
    for (int64_t index = firstPart; firstPart >= 0 && index <= lastPart; ++index)
        widenTo(copies_[static_cast<size_t>(index)], target);
    return result;
}

// Puts elongations behind joining letters, pass after pass, until the run is as wide as the
// target or a pass puts in nothing; the run never grows past 255 bytes.
void FramePrinter::widenTo(TDChaine& run, int32_t target)
{
    int32_t width = PrinterRunWidth(run);
    bool inserted = true;
    while (width < target && inserted) {
        inserted = false;
        for (size_t c = 0; c < run.Text.size() && width < target; ++c) {
            if (joins(run.Text[c]) && run.Text.size() < kMaxRunText) {
                run.Text.insert(c + 1, 1, kElongation);
                ++c;
                inserted = true;
                width = PrinterRunWidth(run);
            }
        }
    }
}

void FramePrinter::printBackground(const IRect& rect)
{
    PrintFrameBackground(printer_, rect, frame_.Background, frame_.HasPattern, horz_, vert_, &frame_.BackImage,
                         frame_.BackImageWidth, frame_.RasterOp);
}

void FramePrinter::Print(int32_t dx, int32_t dy)
{
    Canvas& sheet = printer_.canvas();
    // Text is put on its brush's box as it goes; the sheet's background mode is left as it was.
    const KeepValue keepOpaque(sheet.opaqueBackground);
    const KeepValue keepBackground(sheet.backgroundColor);
    const int64_t frameLeft = static_cast<int64_t>(frame_.left) + dx;
    const int64_t frameTop = static_cast<int64_t>(frame_.top) + dy;
    const int64_t px = coord(frameLeft * horz_), py = coord(frameTop * vert_);
    const int64_t pw = coord(frame_.width * horz_), ph = coord(frame_.height * vert_);
    const IRect rect{coord(px), coord(py), coord(px + pw), coord(py + ph)};

    if (frame_.Transparent == 0) {
        sheet.brush = Brush{kWhite, BrushStyle::Solid};
        sheet.fillRect(rect, kWhite);
    }
    // With SRCAND the picture lies under the text, which is then printed on it without a box,
    // as the screen shows it.
    if (frame_.RasterOp == rop::SrcAnd) {
        printBackground(rect);
        if (frame_.HasPattern != 0 || frame_.BackImageWidth > 1)
            sheet.brush.style = BrushStyle::Clear;
    }

    JustifyForPrinter();
    if (!printText(frameLeft, frameTop))
        return;

    // Other raster operations combine the picture over the printed text.
    if (frame_.BackImageWidth > 1 && frame_.RasterOp != rop::SrcAnd)
        printBackground(rect);
    printBorders(px, py, frameTop);
}

bool FramePrinter::printText(int64_t frameLeft, int64_t frameTop)
{
    Canvas& sheet = printer_.canvas();
    const double H = horz_, V = vert_;
    const bool backdrop = frame_.HasPattern != 0 || frame_.BackImageWidth > 1;
    const int64_t frameTopOnSheet = coord(frameTop * V);

    for (size_t L = 0; L < frame_.Lines.size(); ++L) {
        const TDLigne& line = frame_.Lines[L];
        uint8_t alignment = line.Alignment;  // two-part lines are set as alignment 3 from their first part
        const ColumnRange col = ColumnBounds(frame_, line);
        int64_t pen = coord((frameLeft + static_cast<double>(col.Right)) * H);
        const int32_t lineAscent = screen_->lineAscent(frame_, static_cast<int32_t>(L));

        for (int64_t k = 0; k < line.RunCount; ++k) {
            const int64_t index = static_cast<int64_t>(line.FirstRun) + k;
            if (index < 0 || index >= static_cast<int64_t>(copies_.size()))
                return false;
            const TDChaine& run = copies_[static_cast<size_t>(index)];
            std::string text = run.Text;
            double x = run.X;
            bool fixed = false;
            const int32_t points = DrawnPoints(run.Size);
            const auto screenWidth = [&](char byte) {
                return screen_->width(run.FontName, run.Size, run.Style, std::string(1, byte));
            };
            const auto printerWidth = [&] {
                return sheet_->width(run.FontName, MeasuredPoints(run.Size), run.Style, text);
            };

            // Two-part lines: each half is one block, set a gap in from its edge of the column.
            if (beginsWith(text, kFirstPart) || endsWith(text, kPartEnd)) {
                if (beginsWith(text, kFirstPart)) {
                    text.erase(0, 1);
                    x += screenWidth(kFirstPart);
                }
                if (endsWith(text, kPartEnd))
                    text.pop_back();
                alignment = 3;
                if (line.RunCount == 2) {
                    const int32_t tw = printerWidth();
                    if (!indent_)
                        indent_ = roundHalfEven(30.0 * H);
                    if (!gap_) {
                        const double column = (static_cast<double>(col.Right) - col.Left) * H;
                        gap_ = roundHalfEven((column - *indent_ - 2.0 * tw) / 2.0);
                    }
                    if (k == 0)
                        x = coord((frameLeft + static_cast<double>(col.Right)) * H - tw - *gap_);
                    else
                        x = coord((frameLeft + static_cast<double>(col.Left)) * H + *gap_);
                    pen = static_cast<int64_t>(x);
                    fixed = true;
                }
            }
            if (beginsWith(text, kPlaceholder)) {
                text.erase(0, 1);
                x += screenWidth(kPlaceholder);
            }

            const int32_t tw = printerWidth();
            if (alignment == 0 || alignment == 1)
                pen = coord(pen - tw);  // leftwards from the column's right edge, edge to edge
            else if (!fixed)
                pen = coord((frameLeft + static_cast<double>(frame_.LeftMargin) + x) * H);

            const TextMetrics& m = screen_->metrics(run.FontName, run.Size, run.Style);
            const int64_t cellTop =
                coord((static_cast<double>(lineAscent) + line.Top - m.ascent) * V) + frameTopOnSheet;

            // A run whose style is strike-out alone is raised by half its descent, not struck out.
            double shift = 0;
            uint8_t style = run.Style;
            if (run.Style == 8) {
                shift = m.descent / 2.0;
                style = 0;
            }
            if (text.empty())
                continue;

            SetCanvasFont(sheet, run.FontName, points, style, resolveColor(run.Color));
            const int64_t textY = coord(cellTop - shift * V);

            const TextEffect* effect = run.Effect >= 0 && static_cast<size_t>(run.Effect) < frame_.Effects.size()
                ? &frame_.Effects[static_cast<size_t>(run.Effect)]
                : nullptr;
            if (effect && effect->Kind == "1") {
                sheet.brush.style = BrushStyle::Clear;
                sheet.font.color = resolveColor(effect->ShadowColor);
                textOnBrush(sheet, coord(pen - effect->Depth * H), coord(cellTop - (effect->Angle + shift) * V), text);
                sheet.font.color = resolveColor(effect->Color2);
                textOnBrush(sheet, coord(pen + effect->Dx2 * H), coord(cellTop + (effect->Dy2 - shift) * V), text);
            } else if (effect && (effect->Kind == "0" || effect->Kind == "2")) {
                sheet.brush.style = BrushStyle::Clear;
                DrawTextShadow(printer_, effect->Depth, effect->Angle, effect->Kind, V, H, coord(textY), coord(pen),
                               text, resolveColor(effect->ShadowColor));
                sheet.brush.style = BrushStyle::Clear;
            } else if (run.Effect == -1 && backdrop) {
                // Two halo copies keep the text readable on a pattern or picture.
                sheet.font.color = run.Color == 0 ? kWhite : kBlack;
                const double s = points / 6.0;
                textOnBrush(sheet, pen + roundHalfEven(s), cellTop + roundHalfEven(s - shift * V), text);
                textOnBrush(sheet, pen - roundHalfEven(H), textY, text);
            }

            sheet.font.color = resolveColor(run.Color);
            textOnBrush(sheet, pen, textY, text);
        }
    }
    return true;
}

// The border runs on the rectangle's edges, not half a pen inside as on screen.
void FramePrinter::printBorders(int64_t px, int64_t py, int64_t frameTop)
{
    if (!(frame_.BorderLeft || frame_.BorderBottom || frame_.BorderRight || frame_.BorderTop))
        return;
    Canvas& sheet = printer_.canvas();
    const int width = std::clamp(roundHalfEven(frame_.BorderWidth * horz_), 0, kMaxPenWidth);
    // Only the width and the colour: the mix and the style stay as what was printed before left
    // them, as for image borders.
    sheet.pen.width = width;
    sheet.pen.color = resolveColor(frame_.BorderColor);
    const int left = coord(px), top = coord(py);
    const int right = coord(px + roundHalfEven(frame_.width * horz_));
    const int bottom = coord((static_cast<double>(frameTop) + frame_.height) * vert_);
    const auto side = [&](int x0, int y0, int x1, int y1) {
        sheet.moveTo(x0, y0);
        sheet.lineTo(x1, y1);
    };
    if (frame_.BorderLeft)
        side(left, top, left, bottom);
    if (frame_.BorderBottom)
        side(left, bottom, right, bottom);
    if (frame_.BorderRight)
        side(right, top, right, bottom);
    if (frame_.BorderTop)
        side(left, top, right, top);
}

void PrintFrame(TDMemo& frame, int32_t DX, int32_t DY, PrinterDevice& printer, double VertScale, double HorzScale)
{
    FramePrinter(frame, printer, VertScale, HorzScale).Print(DX, DY);
}

void TDMemo::printOnSheet(PrinterDevice& printer, double sx, double sy)
{
    PrintFrame(*this, 0, 0, printer, /*VertScale*/ sy, /*HorzScale*/ sx);
}

}  // namespace vr
