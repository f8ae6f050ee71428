// Printing a text frame on the printer's sheet. Positions are page pixels scaled by the driver's
// two factors; text widths come from the printer's fonts, so lines of Alignment 0 and 1 are set
// again from the column's right edge instead of at their stored X; elongation bytes are taken out
// (and put back where a line or a two-part line needs widening); the two halves of a two-part
// line are set as blocks a fixed gap in from the column's edges.
#pragma once
#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QImage>

#include "gfx/print/printer.h"
#include "text/memo.h"
#include "text/paint_helpers.h"

namespace vr {

class RasterCanvas;

// Special bytes of run text.
inline constexpr char kElongation = '\xFB';  // stretches a letter; printed only where put back
inline constexpr char kPlaceholder = '\xFC';  // leading: not printed, the run moves right by its width
inline constexpr char kFirstPart = '\xFD';  // leading: first part of a two-part line
inline constexpr char kPartEnd = '\xFE';  // trailing: a part of a two-part line

// The longest text a run holds (a counted string of 255 codes).
inline constexpr size_t kMaxRunText = 255;

// Letters after which an elongation may be put in, in the suite's font encoding. None of the
// fonts is known to join that way yet, so elongations are only ever removed; a code added here
// is used by both widening passes.
inline constexpr std::array<uint8_t, 0> kConnectA{};
inline constexpr std::array<uint8_t, 0> kConnectB{};

using ConnectSet = std::bitset<256>;
// kConnectA and kConnectB together.
ConnectSet DefaultConnectSet();

// The work of printing one frame once. It holds private copies of the frame's runs, which the
// widening passes change; the frame's own lines and runs are never touched. Column bounds are
// computed on the frame as painting does (ColumnGap and ColumnWidth).
class FramePrinter {
public:
    // VertScale and HorzScale: printer pixels per page pixel. The frame's measures (ascents,
    // descents, marker widths) come from its layoutCanvas, or from a 96-dpi screen canvas made
    // here when it has none.
    FramePrinter(TDMemo& frame, PrinterDevice& printer, double vertScale, double horzScale,
                 const ConnectSet& connect = DefaultConnectSet());
    ~FramePrinter();
    FramePrinter(const FramePrinter&) = delete;
    FramePrinter& operator=(const FramePrinter&) = delete;

    // White fill (opaque frames), SRCAND background, the text, any other background combined
    // over the text, the border. A line or run missing from the frame ends the text quietly, and
    // then no later background or border is printed either.
    void Print(int32_t dx, int32_t dy);

    // Size in points of a run's font on this printer: Size x (vertical dpi / effective horizontal
    // dpi), where 180 x 180 dpi counts 360 across. Text is drawn at its Round and measured at its
    // truncation.
    double PrintPoints(uint8_t size) const;
    int32_t DrawnPoints(uint8_t size) const;
    int32_t MeasuredPoints(uint8_t size) const;

    // Width in printer pixels of the run's text in the printer font at the measured size.
    int32_t PrinterRunWidth(const TDChaine& run);
    // True when the printer column width is not greater than the widths of the copies
    // firstRun .. lastRun together (indices outside the copies count nothing).
    bool LineFits(int32_t firstRun, int32_t lastRun);
    // Takes the elongations out of every line and widens lines of Alignment 0 and the parts of
    // two-part lines where the connect set allows.
    void JustifyForPrinter();
    // Widens the parts of the two-part lines from startLine on to the widest of them; answers
    // the index of the line where the parts ended.
    int32_t EqualiseParts(int32_t startLine);

    std::vector<TDChaine>& copies() { return copies_; }
    // The printer column width of the line last prepared, in printer pixels.
    int32_t columnWidth() const { return columnWidth_; }
    void setColumnWidth(int32_t w) { columnWidth_ = w; }

private:
    bool joins(char c) const { return connect_.test(static_cast<uint8_t>(c)); }
    bool lineRunsExist(const TDLigne& line) const;
    void prepareColumn(const TDLigne& line);
    void elongateLine(const TDLigne& line);
    void widenTo(TDChaine& run, int32_t target);
    void printBackground(const IRect& rect);
    bool printText(int64_t frameLeft, int64_t frameTop);
    void printBorders(int64_t px, int64_t py, int64_t frameTop);

    TDMemo& frame_;
    PrinterDevice& printer_;
    double vert_, horz_;
    ConnectSet connect_;
    double ratio_ = 1.0;
    std::unique_ptr<QImage> scratch_;
    std::unique_ptr<RasterCanvas> ownCanvas_;
    std::unique_ptr<TextMeasurer> screen_;  // the frame's own canvas, stored sizes
    std::unique_ptr<TextMeasurer> sheet_;  // the printer's canvas
    std::vector<TDChaine> copies_;
    int32_t columnWidth_ = 0;
    // Indent and gap of two-part lines: fixed by the first two-part run printed, then kept for
    // every later two-part line of the frame.
    std::optional<int32_t> indent_;
    std::optional<int32_t> gap_;
};

// Prints the frame offset by (DX, DY) page pixels (a table's cells are offset by the table's
// position; frames on the page by nothing).
void PrintFrame(TDMemo& frame, int32_t DX, int32_t DY, PrinterDevice& printer, double VertScale, double HorzScale);

}  // namespace vr
