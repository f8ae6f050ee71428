// Painting of text frames: the client area, the lines with their runs, the background picture
// and the border, at the viewer's zoom.
#include <algorithm>
#include <exception>

#include "core/rounding.h"
#include "drawing/text_shadow.h"
#include "text/memo.h"
#include "text/paint_helpers.h"

namespace vr {

namespace {

constexpr char kMarker = '\xFC';

bool pictureShown(const TDMemo& m)
{
    return m.BackImageWidth > 1 && !m.BackImage.isNull();
}

int zoomed(double v, double zoomFactor)
{
    return roundHalfEven(v * zoomFactor);
}

// Paints one run of a line whose column, top and shared ascent are known.
void paintRun(TDMemo& m, TextMeasurer& measure, const TDLigne& line, const TDChaine& run, int32_t top,
              int32_t lineAscent, double z)
{
    Canvas& c = measure.canvas();
    const int size = zoomed(run.Size, z);
    c.font.face = run.FontName;
    c.font.pointSize = size;
    c.font.style = run.Style;
    c.font.pixelHeight = 0;
    c.font.escapement = 0;

    // A leading marker is not drawn; by the line's alignment the run moves right by its width,
    // half of it, or not at all.
    double x = run.X;
    std::string s = run.Text;
    if (!s.empty() && s[0] == kMarker) {
        s.erase(0, 1);
        if (line.Alignment == 0 || line.Alignment == 1)
            x = static_cast<double>(run.X) + PrefixWidth(measure, run, std::string(1, kMarker));
        else if (line.Alignment == 3)
            x = static_cast<double>(run.X) + roundHalfEven(PrefixWidth(measure, run, std::string(1, kMarker)) / 2.0);
    }
    if (s.empty())
        return;

    // A run whose style is strike-out alone is raised by half its font's descent and drawn
    // without the strike-out.
    double shift = 0;
    uint8_t style = run.Style;
    const Color colour = resolveColor(run.Color);
    if (run.Style == 8) {
        SetCanvasFont(c, run.FontName, size, run.Style, colour);
        shift = measure.metrics(run.FontName, size, run.Style).descent / 2.0;
        style = 0;
    }

    // Every run of the line hangs from one baseline: the line's top plus its greatest ascent.
    const auto cellTop = [&] {
        return zoomed(static_cast<double>(lineAscent) + top, z) -
            measure.metrics(c.font.face, c.font.pointSize, c.font.style).ascent;
    };
    int32_t cell = cellTop();

    const TextEffect* effect = run.Effect >= 0 && static_cast<size_t>(run.Effect) < m.Effects.size()
        ? &m.Effects[static_cast<size_t>(run.Effect)]
        : nullptr;
    if (effect && effect->Kind == "1") {
        // Two offset copies; their vertical offsets are not zoomed.
        c.brush.style = BrushStyle::Clear;
        SetCanvasFont(c, run.FontName, size, style, colour);
        cell = cellTop();
        c.font.color = resolveColor(effect->ShadowColor);
        textOnBrush(c, zoomed(x - effect->Depth, z), roundHalfEven(cell - static_cast<double>(effect->Angle) - shift),
                    s);
        c.font.color = resolveColor(effect->Color2);
        textOnBrush(c, zoomed(x + effect->Dx2, z), roundHalfEven(cell + static_cast<double>(effect->Dy2) - shift), s);
    } else if (run.Effect == -1 && pictureShown(m)) {
        // A halo one pixel down and right keeps the text readable on the picture.
        c.font.color = run.Color == 0 ? kWhite : kBlack;
        textOnBrush(c, zoomed(x + 1, z), roundHalfEven(cell - shift + 1.0), s);
    }

    cell = cellTop();
    SetCanvasFont(c, run.FontName, size, style, colour);
    textOnBrush(c, zoomed(x, z), roundHalfEven(cell - shift), s);

    if (effect && (effect->Kind == "0" || effect->Kind == "2")) {
        try {
            DrawTextShadow(c, effect->Depth, effect->Angle, effect->Kind, roundHalfEven(cell - shift), zoomed(x, z), s,
                           resolveColor(effect->ShadowColor));
        } catch (const std::exception&) {
            // A shadow that cannot be drawn leaves the text without it.
        }
    }
}

}  // namespace

void textOnBrush(Canvas& c, int x, int y, const std::string& s)
{
    c.opaqueBackground = c.brush.style == BrushStyle::Solid;
    c.backgroundColor = c.brush.color;
    c.textOut(x, y, s);
}

const TextMetrics& TextMeasurer::metrics(const std::string& face, int pointSize, uint8_t style)
{
    Key key{face, pointSize, style};
    if (auto it = metrics_.find(key); it != metrics_.end())
        return it->second;
    const FontRequest kept = canvas_.font;
    canvas_.font = FontRequest{};
    canvas_.font.face = face;
    canvas_.font.pointSize = pointSize;
    canvas_.font.style = style;
    const TextMetrics m = canvas_.textMetrics();
    canvas_.font = kept;
    return metrics_.emplace(std::move(key), m).first->second;
}

int TextMeasurer::width(const std::string& face, int pointSize, uint8_t style, const std::string& bytes)
{
    if (bytes.empty())
        return 0;
    const FontRequest kept = canvas_.font;
    canvas_.font = FontRequest{};
    canvas_.font.face = face;
    canvas_.font.pointSize = pointSize;
    canvas_.font.style = style;
    const int w = canvas_.textWidth(bytes);
    canvas_.font = kept;
    return w;
}

TextExtent TextMeasurer::run(const TDChaine& r)
{
    if (r.Text.empty())
        return {};
    return TextExtent{width(r.FontName, r.Size, r.Style, r.Text), metrics(r.FontName, r.Size, r.Style).height()};
}

TextExtent TextMeasurer::line(const TDMemo& memo, int32_t lineIndex)
{
    if (lineIndex < 0 || static_cast<size_t>(lineIndex) >= memo.Lines.size())
        return {};
    const TDLigne& l = memo.Lines[static_cast<size_t>(lineIndex)];
    if (!LineRunsExist(memo, l))
        return {};
    TextExtent sum;
    for (int32_t i = 0; i < l.RunCount; ++i) {
        const TextExtent e = run(memo.Runs[static_cast<size_t>(l.FirstRun) + static_cast<size_t>(i)]);
        sum.Width = static_cast<int32_t>(static_cast<uint32_t>(sum.Width) + static_cast<uint32_t>(e.Width));
        sum.Height = std::max(sum.Height, e.Height);
    }
    return sum;
}

int32_t TextMeasurer::lineAscent(const TDMemo& memo, int32_t lineIndex)
{
    if (lineIndex < 0 || static_cast<size_t>(lineIndex) >= memo.Lines.size())
        return 0;
    const TDLigne& l = memo.Lines[static_cast<size_t>(lineIndex)];
    int32_t ascent = 0;
    for (int64_t i = 0; i < l.RunCount; ++i) {
        const int64_t index = static_cast<int64_t>(l.FirstRun) + i;
        if (index < 0 || index >= static_cast<int64_t>(memo.Runs.size()))
            break;
        const TDChaine& r = memo.Runs[static_cast<size_t>(index)];
        ascent = std::max(ascent, metrics(r.FontName, r.Size, r.Style).ascent);
    }
    return ascent;
}

ColumnRange ColumnBounds(TDMemo& m, const TDLigne& line)
{
    if (m.Columns >= 1) {
        m.ColumnGap = 15;
        const double free = static_cast<double>(m.LayoutWidth) - m.RightMargin - m.LeftMargin -
            static_cast<double>(m.ColumnGap) * (m.Columns - 1);
        m.ColumnWidth = roundHalfEven(free / m.Columns);
    }
    const int64_t c = line.Column;
    const int64_t right = static_cast<int64_t>(m.LayoutWidth) - c * m.ColumnWidth - m.RightMargin - m.ColumnGap * c;
    const int64_t left = right - m.ColumnWidth;
    const auto clamp32 = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    return ColumnRange{clamp32(right), clamp32(left)};
}

int32_t PrefixWidth(TextMeasurer& measure, const TDChaine& run, const std::string& s)
{
    return measure.width(run.FontName, run.Size, run.Style, s);
}

int32_t LineAscent(Canvas& canvas, const TDMemo& memo, int32_t lineIndex)
{
    TextMeasurer m(canvas);
    return m.lineAscent(memo, lineIndex);
}

void SetCanvasFont(Canvas& canvas, const std::string& name, int size, uint8_t style, Color colour)
{
    canvas.font.face = name;
    canvas.font.pointSize = size;
    canvas.font.pixelHeight = 0;
    canvas.font.escapement = 0;
    canvas.font.style = style;
    canvas.font.color = colour;
}

void PaintLines(TDMemo& m, TextMeasurer& measure, double z, int32_t first, int32_t last)
{
    Canvas& c = measure.canvas();
    c.brush = Brush{kWhite, BrushStyle::Solid};

    // With SRCAND the picture lies under the text, which is then drawn on it without a box.
    if (pictureShown(m) && m.RasterOp == rop::SrcAnd) {
        c.brush.style = BrushStyle::Clear;
        m.BackRect = IRect{0, 0, m.width, m.height};
        c.stretchBlt(m.BackRect, m.BackImage, IRect{0, 0, m.BackImage.width(), m.BackImage.height()}, m.RasterOp);
    }

    if (!m.Lines.empty() && !m.Runs.empty()) {
        last = std::min<int32_t>(last, static_cast<int32_t>(m.Lines.size() - 1));
        for (int32_t L = first; L <= last; ++L) {
            if (L < 0)
                return;  // a line that does not exist ends the pass; Painted stays as it was
            const TDLigne& line = m.Lines[static_cast<size_t>(L)];
            const ColumnRange col = ColumnBounds(m, line);
            const int32_t top = line.Top;
            const TextExtent ext = measure.line(m, L);
            // The frame's height is zoomed: the line's top is compared at the same zoom, so that
            // a line inside the frame shows at every zoom.
            if (static_cast<int64_t>(ext.Height) + top < 2 || m.height < zoomed(top, z))
                continue;

            // The line's band, cleared on passes after the first; the last line's band reaches
            // the frame's bottom. A transparent frame keeps what lies under it. A text page is
            // always painted whole on its white frame, and its bands span the frame: clearing
            // them would wipe the part of a line above that reaches below the next line's top.
            const IRect band{col.Left - 1, zoomed(top, z), col.Right + 2,
                             L == last ? m.height : zoomed(static_cast<double>(ext.Height) + top, z)};
            if (m.Painted == 1 && m.Transparent == 0 && !m.TextPage && c.brush.style == BrushStyle::Solid &&
                !band.empty())
                c.fillRect(band, c.brush.color);

            const int32_t ascent = measure.lineAscent(m, L);
            for (int64_t i = 0; i < line.RunCount; ++i) {
                const int64_t index = static_cast<int64_t>(line.FirstRun) + i;
                if (index < 0 || index >= static_cast<int64_t>(m.Runs.size()))
                    return;  // a run that does not exist ends the pass; Painted stays as it was
                paintRun(m, measure, line, m.Runs[static_cast<size_t>(index)], top, ascent, z);
            }
        }
    }
    m.Painted = 1;
}

void TDMemo::PaintLines(Canvas& canvas, double zoomFactor, int32_t first, int32_t last)
{
    TextMeasurer measure(canvas);
    vr::PaintLines(*this, measure, zoomFactor, first, last);
}

void TDMemo::Paint(Canvas& canvas, double zoomFactor)
{
    TextMeasurer measure(canvas);
    const IRect client{0, 0, width, height};

    // An opaque frame starts white; a transparent one shows the page painted under it.
    if (Transparent == 0)
        canvas.fillRect(client, kWhite);

    vr::PaintLines(*this, measure, zoomFactor, 0, static_cast<int32_t>(std::min<size_t>(Lines.size(), INT32_MAX)) - 1);

    // Other raster operations combine the picture over the text already drawn, pixel for pixel
    // from the picture's top-left corner.
    if (pictureShown(*this) && RasterOp != rop::SrcAnd) {
        const IRect shared{0, 0, std::min(width, BackImage.width()), std::min(height, BackImage.height())};
        if (!shared.empty())
            canvas.stretchBlt(shared, BackImage, shared, RasterOp);
    }

    if (BorderLeft || BorderBottom || BorderRight || BorderTop) {
        canvas.pen = Pen{resolveColor(BorderColor), BorderWidth, PenStyle::Solid, PenMode::Copy};
        const int h = roundHalfEven(BorderWidth / 2.0);
        const auto side = [&](int x0, int y0, int x1, int y1) {
            canvas.moveTo(x0, y0);
            canvas.lineTo(x1, y1);
        };
        if (BorderLeft)
            side(h, 0, h, height);
        if (BorderBottom)
            side(0, height - h, width, height - h);
        if (BorderRight)
            side(width - h, 0, width - h, height);
        if (BorderTop)
            side(0, h, width, h);
    }
}

void TDMemo::paintOnPage(Canvas& canvas, const PaintContext& ctx)
{
    // The rest of a paint that fails is skipped; the frame stays usable and paints again next time.
    std::string cause;
    try {
        Paint(canvas, ctx.zoomFactor);
        return;
    } catch (const std::exception& e) {
        cause = e.what();
    } catch (...) {
        cause = "unknown error";
    }
    warnTo(ctx.diagnostics, "text frame not painted: " + cause);
    if (ctx.onPaintError)
        ctx.onPaintError("erreur paint");
}

void TDMemo::refreshTransparent()
{
    if (Transparent == 1)
        Painted = 0;
}

void TDMemo::changeScale(int m, int d)
{
    PageObject::changeScale(m, d);
}

}  // namespace vr
