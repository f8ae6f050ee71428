// Placing a text frame's content: run and line extents measured in the runs' fonts, line tops
// stacked down a column, and the runs of text-document lines set leftwards from the right
// margin. All values are unzoomed pixels; the canvas only measures (its font is left as it was).
#pragma once
#include <cstdint>

#include "gfx/canvas/canvas.h"
#include "text/memo.h"

namespace vr {

struct TextExtent {
    int32_t Width = 0;
    int32_t Height = 0;
    bool operator==(const TextExtent&) const = default;
};

// Width of all the run's text bytes (a leading 0xFC included) and ascent + descent of its font
// (FontName, Size in points, Style, Color) on the canvas's device. Empty text measures (0, 0).
TextExtent MeasureRun(Canvas& canvas, const TDChaine& run);

// True when the line's runs Runs[FirstRun .. FirstRun + RunCount - 1] all exist (a line of no
// runs has none missing).
bool LineRunsExist(const TDMemo& memo, const TDLigne& line);

// Sum of the run widths and greatest run height of a line; (0, 0) for a line index outside Lines
// or a line whose runs leave Runs.
TextExtent LineExtent(Canvas& canvas, const TDMemo& memo, int32_t lineIndex);

// Line tops: from StartLine 0 a first Top above 2 becomes 2; then each line of the same column
// as StartLine, from StartLine on, gets the running top, which grows by the line's greatest run
// height plus LineSpacing. The walk stops at the first line of another column. Sums wrap at 32
// bits as the document's integers do.
void LayoutLineTops(Canvas& canvas, TDMemo& memo, int32_t startLine);

// Text documents: every run of the line gets X = Width - run width - RightMargin - (widths of the
// runs before it), so the line runs leftwards from the right margin whatever its alignment. A
// line whose runs leave Runs is left as it is.
void PlaceRuns(Canvas& canvas, TDMemo& memo, int32_t lineIndex);

}  // namespace vr
