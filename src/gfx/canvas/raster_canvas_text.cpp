// RasterCanvas: Unicode text runs (metafile text).
//
// A run is drawn by a painter on the canvas's own image, clipped like every other call, without
// antialiasing. Text whose script needs shaping (Arabic and Persian letters joining, Hebrew and
// other right-to-left runs reading from the right) and that has no advances of its own goes
// through Qt's text engine as a whole; everything else is placed glyph by glyph: at the given
// advances, or at each glyph's whole-pixel advance, as the platform placed them. A font's width
// stretches the glyphs horizontally; the escapement turns the baseline about the run's origin,
// and an orientation that differs from it turns each glyph about its own origin as well.
#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <tuple>

#include "gfx/canvas/raster_canvas.h"
#include "gfx/fonts/text_font.h"

namespace vr {
namespace {

struct Placed {
    const QRawFont* face;
    quint32 glyph;
    double x;  // along the baseline, device pixels from the run's origin
};

char32_t codeAt(const std::u16string& s, size_t& i)
{
    const char16_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
        const char32_t cp = 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (s[i + 1] - 0xDC00);
        ++i;
        return cp;
    }
    return c;
}

bool shapedAsWhole(const TextRun& run)
{
    return !run.glyphIndexes && needsShaping(run.text);
}

// Glyphs placed one by one; `widthOut` gets the run's advance.
std::vector<Placed> place(const ResolvedTextFont& f, const TextRun& run, std::vector<int>* advances, int64_t& widthOut)
{
    std::vector<Placed> out;
    int64_t x = 0;
    for (size_t i = 0; i < run.text.size(); ++i) {
        const size_t first = i;
        const QRawFont* face = &f.raw;
        quint32 glyph = 0;
        if (run.glyphIndexes)
            glyph = run.text[i];
        else
            std::tie(face, glyph) = f.glyphFor(codeAt(run.text, i));
        out.push_back(Placed{face, glyph, static_cast<double>(x)});
        int adv = 0;
        if (first < run.advances.size()) {
            adv = run.advances[first];
            // The advances of both halves of a pair count.
            for (size_t k = first + 1; k <= i && k < run.advances.size(); ++k)
                adv += run.advances[k];
        } else {
            adv = f.advance(*face, glyph);
        }
        if (advances) {
            advances->push_back(adv);
            for (size_t k = first + 1; k <= i; ++k)
                advances->push_back(0);
        }
        x = std::clamp<int64_t>(x + adv, -(int64_t{1} << 30), int64_t{1} << 30);
    }
    widthOut = x;
    return out;
}

int layoutWidth(const ResolvedTextFont& f, const QString& text)
{
    QTextLayout layout(text, f.font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e7);
    layout.endLayout();
    return static_cast<int>(std::lround(line.naturalTextWidth() * f.xScale));
}

QString qstring(const std::u16string& s)
{
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

TextRunMeasure RasterCanvas::measureTextRun(const TextRun& run)
{
    const auto f = TextFontCache::shared().get(run.font);
    TextRunMeasure m;
    m.ascent = f->ascent;
    m.descent = f->descent;
    int64_t width = 0;
    place(*f, run, &m.advances, width);
    if (shapedAsWhole(run) && run.advances.empty())
        width = layoutWidth(*f, qstring(run.text));
    m.width = static_cast<int>(width);
    return m;
}

void RasterCanvas::drawTextRun(double x, double y, const TextRun& run)
{
    const IRect& c = clip();
    if (run.text.empty() || c.empty())
        return;
    const auto f = TextFontCache::shared().get(run.font);
    const double ox = static_cast<double>(devX(0)) + x, oy = static_cast<double>(devY(0)) + y;
    if (!std::isfinite(ox) || !std::isfinite(oy))
        return;
    // Far-off runs cannot reach the clip.
    const double reach = (static_cast<double>(run.text.size()) + 4) * (f->emPx + 2) * std::max(1.0, f->xScale) +
        std::accumulate(run.advances.begin(), run.advances.end(), 0.0, [](double a, int b) { return a + std::abs(b); });
    if (ox + reach < c.left || ox - reach > c.right || oy + reach < c.top || oy - reach > c.bottom)
        return;
    QPainter p(&image_);
    preparePainter(p);
    p.translate(ox, oy);
    if (run.font.escapement % 3600 != 0)
        p.rotate(-run.font.escapement / 10.0);
    const QColor colour = QColor::fromRgb(toArgb(run.font.color));
    p.setPen(colour);
    double width = 0;
    if (shapedAsWhole(run)) {
        QTextLayout layout(qstring(run.text), f->font);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(1e7);
        layout.endLayout();
        p.save();
        p.scale(f->xScale, 1);
        line.draw(&p, QPointF(0, -line.ascent()));
        p.restore();
        width = run.advances.empty() ? line.naturalTextWidth() * f->xScale
                                     : std::accumulate(run.advances.begin(), run.advances.end(), 0.0);
    } else {
        int64_t w = 0;
        const std::vector<Placed> glyphs = place(*f, run, nullptr, w);
        width = static_cast<double>(w);
        const int turn = (run.font.orientation - run.font.escapement) % 3600;
        if (turn != 0) {
            for (const Placed& g : glyphs) {
                if (g.glyph == 0 && !run.glyphIndexes)
                    continue;
                QGlyphRun one;
                one.setRawFont(*g.face);
                one.setGlyphIndexes({g.glyph});
                one.setPositions({QPointF(0, 0)});
                p.save();
                p.translate(g.x, 0);
                p.rotate(-turn / 10.0);
                p.scale(f->xScale, 1);
                p.drawGlyphRun(QPointF(0, 0), one);
                p.restore();
            }
        } else {
            // One glyph run per face, positions in the unstretched frame.
            std::vector<const QRawFont*> faces;
            for (const Placed& g : glyphs)
                if (std::find(faces.begin(), faces.end(), g.face) == faces.end())
                    faces.push_back(g.face);
            p.save();
            p.scale(f->xScale, 1);
            for (const QRawFont* face : faces) {
                QList<quint32> ids;
                QList<QPointF> pos;
                for (const Placed& g : glyphs)
                    if (g.face == face && (g.glyph != 0 || run.glyphIndexes)) {
                        ids.push_back(g.glyph);
                        pos.push_back(QPointF(g.x / f->xScale, 0));
                    }
                if (ids.isEmpty() || !face->isValid())
                    continue;
                QGlyphRun gr;
                gr.setRawFont(*face);
                gr.setGlyphIndexes(ids);
                gr.setPositions(pos);
                p.drawGlyphRun(QPointF(0, 0), gr);
            }
            p.restore();
        }
    }
    if (run.font.underline)
        p.fillRect(QRectF(0, f->underlineTop, width, f->underlineThickness), colour);
    if (run.font.strikeOut)
        p.fillRect(QRectF(0, f->strikeTop, width, f->strikeThickness), colour);
}

}  // namespace vr
