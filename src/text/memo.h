// TDMemo: a text frame on a page. It keeps the document's display lines and runs as stored,
// places the lines vertically, paints them right to left as placed, and prints them.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QImage>

#include "drawing/background_pattern.h"
#include "page/page_object.h"
#include "text/records.h"

namespace vr {

class DocStream;

// A shadow effect referred to by runs.
struct TextEffect {
    int32_t Id = 0;
    int32_t Depth = 0;
    int32_t Angle = 0;
    Color ShadowColor = 0;
    std::string Kind;  // "1" two-colour offset copies; "0" or "2" drawn as shadows
    int32_t Dx2 = 0;
    int32_t Dy2 = 0;
    Color Color2 = 0;
    uint8_t Extra = 0;
};

// Loads a frame's background picture file into `bitmap`. Answers false when no file of that name
// exists (the stored name as it is, else in the document's folder); when the file exists but is
// no picture, the bitmap is left as it was and the answer is still true.
using BackgroundLoaderFn = std::function<bool(QImage& bitmap, const std::string& name, const std::string& docFolder)>;

// What reading a frame needs from the document: its version tags, the installed faces and the
// folders picture files are looked for in.
struct FrameReadContext {
    std::string DocVersion;  // at most 5 characters
    std::string DocSubVersion;  // at most 4 characters
    FontInstalledFn fontInstalled;
    std::string DocFolder;
    // Without a loader no background picture file is ever found.
    BackgroundLoaderFn loadBackground;
    // Brings the frame in front of its siblings (true) or sends it behind them, when the record
    // says so; frames inside tables have no siblings to move among and leave it empty.
    std::function<void(bool inFront)> setInFront;
    // Damage met while reading (may be null).
    Diagnostics* diagnostics = nullptr;
};

class TDMemo : public PageObject {
public:
    TDMemo();

    const char* className() const override { return "TDMemo"; }
    bool windowed() const override { return true; }

    // Reads one frame record (WithContent false: geometry, borders and background choice only).
    void ReadFrame(DocStream& s, bool withContent, const FrameReadContext& ctx);
    // Reads one page of a text document (the signature is the document's 7-byte counted string);
    // the stream is left at the next page.
    void ReadTextPage(DocStream& s, const std::string& signature);

    // Largest side of a generated background pattern: a frame is never wider or taller than 9999
    // pixels, and a pattern past this size would lie far outside any page.
    static constexpr int32_t kMaxPatternSide = 2048;

    // Paints in the frame's own coordinates (the page surface has translated and clipped).
    void paintOnPage(Canvas& canvas, const PaintContext& ctx) override;
    // The frame's paint: white client area (none for a transparent frame), every line, the
    // background picture combined over the text (other raster operations than SRCAND), the
    // border. Errors pass to the caller; paintOnPage() reports them as "erreur paint". The canvas
    // is the frame's own: what it leaves in the drawing state is the frame's business.
    void Paint(Canvas& canvas, double zoomFactor);
    // Paints lines first .. last: the picture under the text with SRCAND, then each line's band
    // (cleared when Painted is 1) and runs. Sets Painted unless a line or run is missing.
    void PaintLines(Canvas& canvas, double zoomFactor, int32_t first, int32_t last);
    // Scrolling and page set-up: a transparent frame's next pass is a first pass again.
    void refreshTransparent() override;
    void printOnSheet(PrinterDevice& printer, double sx, double sy) override;
    int printPass() const override { return InFront == 1 ? 4 : 3; }
    void dumpFields(JsonWriter& out) const override;
    void changeScale(int m, int d) override;

    uint8_t Painted = 0;
    int32_t LineSpacing = 0;
    uint8_t FrameKind = 4;
    uint8_t Columns = 1;
    int32_t ColumnWidth = 0;
    uint8_t ColumnGap = 10;
    std::vector<TextEffect> Effects;
    uint8_t InFront = 0;
    uint8_t Transparent = 0;
    uint8_t LeftMargin = 10;
    uint8_t RightMargin = 10;
    int32_t LayoutWidth = 0;
    std::vector<TDLigne> Lines;
    std::vector<TDChaine> Runs;
    int32_t CurrentLine = 0;
    int32_t CurrentRun = 0;
    uint8_t BorderLeft = 0, BorderBottom = 0, BorderRight = 0, BorderTop = 0;
    uint8_t BorderWidth = 0;
    Color BorderColor = 0;
    QImage BackImage;  // the background picture, loaded or generated; 1 x 1 at first
    std::string BackImageName;
    uint32_t RasterOp = 0;
    IRect BackRect;
    uint8_t HasPattern = 0;
    BackgroundRecord Background{};
    Color color = kWhite;  // the frame's own background colour

    // The area the background picture control covers: the frame's Width x Height once a picture
    // file was found or a pattern generated, 1 x 1 otherwise. "BackImage is wider than 1 pixel"
    // means BackImageWidth > 1.
    int32_t BackImageWidth = 1;
    int32_t BackImageHeight = 1;

    // Set by ReadTextPage: the frame is a page of a text document.
    bool TextPage = false;

    // Values the records carry that nothing in the reader acts on, kept for the dump.
    uint8_t KindFlag = 0;  // 1 when the kind record's first field is "0"
    uint8_t KindValue = 0;
    std::string KindName;  // at most 255 characters
    int32_t ThirdMargin = 0;
    int32_t FourthMargin = 0;
    int32_t StoredValue = -1;  // main record offset 30
    uint8_t StoredFlag = 0;  // main record offset 34: 1 when "1"

    // Measuring canvas for the layout done while reading (tests give a recording canvas); when
    // null, a 96-dpi screen canvas is made for the purpose.
    Canvas* layoutCanvas = nullptr;
};

}  // namespace vr
