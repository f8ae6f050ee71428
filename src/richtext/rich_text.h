// The content of a rich-edit control: rich text (or plain text) read once, laid out once for the
// screen at actual size and drawn at the page's zoom, laid out again for each printer resolution
// and printed into a rectangle in twips, continuing on new sheets while text remains.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QTextDocument>

#include "core/errors.h"
#include "gfx/canvas/canvas.h"
#include "rtf/model.h"

namespace vr {

class PrinterDevice;

// "Erreur au chargement du flux": content that is neither rich nor plain text.
class StreamLoadError : public VError {
public:
    StreamLoadError() : VError("Erreur au chargement du flux") { }
};

// A rectangle in twips (1440 per inch), right and bottom exclusive.
struct TwipsRect {
    int64_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const TwipsRect&) const = default;
};

// The printing rectangle of a rich-text frame with bounds L, T, W, H: its text starts at 1.3
// times its top, as the documents were printed. LX and LY: the printer's dots per inch.
TwipsRect framePrintRect(int L, int T, int W, int H, double sx, double sy, int LX, int LY);
// The printing rectangle of a rich-text cell at (L + offsetX, T + offsetY).
TwipsRect cellPrintRect(int L, int T, int W, int H, int offsetX, int offsetY, double sx, double sy, int LX, int LY);

class RichText {
public:
    enum class Format { Empty, Rich, Plain };

    // The control's inner margin, in pixels at actual size, between its edges and its text.
    static constexpr int kMarginLeft = 1, kMarginTop = 1, kMarginRight = 1;

    // Loads the content: as rich text when it is rich text, else as plain text in code page 1256
    // (the Persian systems the suite ran on). Content that is not text at all (a zero byte in it)
    // throws StreamLoadError and leaves the control empty.
    void load(const std::vector<uint8_t>& bytes);

    Format format() const { return format_; }
    // The text as the reader decoded it, UTF-8.
    std::string plainText() const;
    const rtf::Document* document() const { return doc_.get(); }

    // Draws white over `client` (canvas coordinates, at the zoom) and the text in it: laid out
    // once at actual size for a control `width` pixels wide, drawn scaled by `zoom`, so lines
    // break at the same words at every zoom.
    void paint(Canvas& canvas, const IRect& client, int width, double zoom);

    // Prints the text laid out for the printer's resolution into `rect` of the current sheet;
    // while text remains, starts a new sheet and goes on in the same rectangle. Returns the
    // number of sheets it printed on (1 when everything fitted). A rectangle without room prints
    // nothing.
    int print(PrinterDevice& printer, const TwipsRect& rect);

    // The text document laid out for the screen (built at the first paint), for tests.
    QTextDocument* screenLayout() { return screen_.get(); }

private:
    QTextDocument& screenDocument(int width);

    Format format_ = Format::Empty;
    std::shared_ptr<const rtf::Document> doc_;
    std::unique_ptr<QTextDocument> screen_;
    int screenWidth_ = -1;
};

}  // namespace vr
