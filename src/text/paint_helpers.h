// Painting a text frame: column bounds, marker widths, the canvas font, line ascents, and the
// painting of lines with their bands, shared baselines, raised runs, effects, halos, shadows and
// background picture. Layout values are unzoomed; painting multiplies them by the zoom factor.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>

#include "gfx/canvas/canvas.h"
#include "text/layout.h"
#include "text/memo.h"

namespace vr {

// Font metrics and text widths on one canvas. Metrics are kept per (face, size, style), so that a
// page of text asks the canvas once per font; widths are measured each time. The canvas font is
// left as it was.
class TextMeasurer {
public:
    explicit TextMeasurer(Canvas& canvas) : canvas_(canvas) { }

    const TextMetrics& metrics(const std::string& face, int pointSize, uint8_t style);
    int width(const std::string& face, int pointSize, uint8_t style, const std::string& bytes);

    // The same numbers as MeasureRun and LineExtent of the layout, from the kept metrics.
    TextExtent run(const TDChaine& run);
    TextExtent line(const TDMemo& memo, int32_t lineIndex);
    // Greatest ascent among the line's runs at their stored sizes (empty runs included, as their
    // font still has an ascent); 0 for a line index outside Lines, and only the runs that exist
    // count for a line whose runs leave Runs.
    int32_t lineAscent(const TDMemo& memo, int32_t lineIndex);

    Canvas& canvas() { return canvas_; }

private:
    struct Key {
        std::string face;
        int size;
        uint8_t style;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const
        {
            return std::hash<std::string>()(k.face) ^ (static_cast<size_t>(k.size) * 131u + k.style);
        }
    };
    Canvas& canvas_;
    std::unordered_map<Key, TextMetrics, KeyHash> metrics_;
};

// Right and left pixel positions of the line's column. With at least one column the gap becomes
// 15 and the column width Round((LayoutWidth - margins - gaps) / Columns); with no column the
// stored width and gap are used as they are. Margins wider than the frame give a negative width.
struct ColumnRange {
    int32_t Right = 0;
    int32_t Left = 0;
    bool operator==(const ColumnRange&) const = default;
};
ColumnRange ColumnBounds(TDMemo& memo, const TDLigne& line);

// Width of `s` in the run's font at its stored size; the canvas font is left as it was.
int32_t PrefixWidth(TextMeasurer& measure, const TDChaine& run, const std::string& s);
int32_t LineAscent(Canvas& canvas, const TDMemo& memo, int32_t lineIndex);

// Sets name, size, style and colour of the canvas font, in that order (no pixel height, no
// escapement).
void SetCanvasFont(Canvas& canvas, const std::string& name, int size, uint8_t style, Color colour);

// Text output with the brush as the text's background, as the platform's canvas did: a solid
// brush puts a box of its colour behind the text, a clear brush none.
void textOnBrush(Canvas& canvas, int x, int y, const std::string& bytes);

// Paints lines first .. last of the frame at the zoom factor (see TDMemo::PaintLines).
void PaintLines(TDMemo& memo, TextMeasurer& measure, double zoomFactor, int32_t first, int32_t last);

}  // namespace vr
