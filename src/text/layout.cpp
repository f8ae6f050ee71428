#include "text/layout.h"

namespace vr {

namespace {

// The document's integers are 32-bit and wrap; sums of widths, heights and spacings do the same
// here instead of overflowing.
int32_t wrapAdd(int32_t a, int64_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(static_cast<uint64_t>(b)));
}

}  // namespace

TextExtent MeasureRun(Canvas& canvas, const TDChaine& run)
{
    if (run.Text.empty())
        return {};
    CanvasSaver keep(canvas);
    canvas.font = FontRequest{};
    canvas.font.face = run.FontName;
    canvas.font.pointSize = run.Size;
    canvas.font.style = run.Style;
    canvas.font.color = run.Color;
    TextExtent e;
    e.Height = canvas.textMetrics().height();
    e.Width = canvas.textWidth(run.Text);
    return e;
}

bool LineRunsExist(const TDMemo& memo, const TDLigne& line)
{
    if (line.RunCount <= 0)
        return true;  // no run to miss
    const int64_t last = static_cast<int64_t>(line.FirstRun) + line.RunCount - 1;
    return line.FirstRun >= 0 && last < static_cast<int64_t>(memo.Runs.size());
}

TextExtent LineExtent(Canvas& canvas, const TDMemo& memo, int32_t lineIndex)
{
    if (lineIndex < 0 || static_cast<size_t>(lineIndex) >= memo.Lines.size())
        return {};
    const TDLigne& line = memo.Lines[static_cast<size_t>(lineIndex)];
    if (!LineRunsExist(memo, line))
        return {};
    TextExtent sum;
    for (int32_t i = 0; i < line.RunCount; ++i) {
        const TextExtent e = MeasureRun(canvas, memo.Runs[static_cast<size_t>(line.FirstRun + i)]);
        sum.Width = wrapAdd(sum.Width, e.Width);
        if (e.Height > sum.Height)
            sum.Height = e.Height;
    }
    return sum;
}

void LayoutLineTops(Canvas& canvas, TDMemo& memo, int32_t startLine)
{
    if (startLine < 0 || static_cast<size_t>(startLine) >= memo.Lines.size())
        return;
    if (startLine == 0 && memo.Lines[0].Top > 2)
        memo.Lines[0].Top = 2;
    const uint8_t column = memo.Lines[static_cast<size_t>(startLine)].Column;
    int32_t y = memo.Lines[static_cast<size_t>(startLine)].Top;
    for (size_t i = static_cast<size_t>(startLine); i < memo.Lines.size() && memo.Lines[i].Column == column; ++i) {
        memo.Lines[i].Top = y;
        y = wrapAdd(y,
                    static_cast<int64_t>(LineExtent(canvas, memo, static_cast<int32_t>(i)).Height) + memo.LineSpacing);
    }
}

void PlaceRuns(Canvas& canvas, TDMemo& memo, int32_t lineIndex)
{
    if (lineIndex < 0 || static_cast<size_t>(lineIndex) >= memo.Lines.size())
        return;
    const TDLigne& line = memo.Lines[static_cast<size_t>(lineIndex)];
    if (!LineRunsExist(memo, line))
        return;
    int32_t x = 0;
    for (int32_t i = 0; i < line.RunCount; ++i) {
        TDChaine& run = memo.Runs[static_cast<size_t>(line.FirstRun + i)];
        const int32_t w = MeasureRun(canvas, run).Width;
        run.X = wrapAdd(memo.width, -static_cast<int64_t>(w) - memo.RightMargin - x);
        x = wrapAdd(x, w);
    }
}

}  // namespace vr
