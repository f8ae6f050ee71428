#include "text/memo.h"

#include <algorithm>
#include <string_view>

#include "core/doc_stream.h"
#include "core/errors.h"
#include "core/fields.h"
#include "core/json_writer.h"
#include "gfx/canvas/raster_canvas.h"
#include "text/layout.h"

namespace vr {

namespace {

constexpr size_t kEffectRecord = 55;
constexpr size_t kKindRecord = 281;
constexpr size_t kLayoutRecord = 23;
constexpr size_t kMainRecord = 170;
constexpr size_t kBackgroundRecord = 26;
constexpr size_t kSpacingRecord = 251;
constexpr size_t kLineRecord = 15;
constexpr size_t kRunRecord = 78;
constexpr size_t kExtraRecord = 3;  // a line's column or a run's effect, in "1998" documents
// A run's text is held in a counted string of 255 characters: a length byte and 255 codes.
constexpr size_t kTextHolder = 256;

bool isVersion1998(const std::string& docVersion)
{
    return docVersion.starts_with("1998");
}

bool isSignatureQV2000(const std::string& signature)
{
    return signature.size() >= 7 && static_cast<uint8_t>(signature[0]) == 6 &&
        std::string_view(signature).substr(1, 6) == "QV2000";
}

TextEffect readEffect(DocStream& s)
{
    uint8_t rec[kEffectRecord];
    s.readFixed(rec, sizeof rec);
    TextEffect e;
    e.Id = numericField(rec + 0, 4);
    e.Depth = numericField(rec + 5, 5);
    e.Angle = numericField(rec + 11, 5);
    e.ShadowColor = static_cast<Color>(numericField(rec + 17, 9));
    e.Kind = countedText(rec + 27, 1);
    e.Dx2 = numericField(rec + 29, 5);
    e.Dy2 = numericField(rec + 35, 5);
    e.Color2 = static_cast<Color>(numericField(rec + 41, 9));
    e.Extra = lowByte(numericField(rec + 51, 3));
    return e;
}

// One line record; a code outside "1".."4" gives `otherAlignment`.
TDLigne readLine(DocStream& s, uint8_t otherAlignment)
{
    uint8_t rec[kLineRecord];
    s.readFixed(rec, sizeof rec);
    const int32_t firstRun = numericField(rec + 0, 3);
    const int32_t runCount = numericField(rec + 4, 3);
    const int32_t top = numericField(rec + 8, 4);
    static constexpr uint8_t kAlignment[] = {1, 3, 2, 0};
    const int code = codeIndex(rec + 13, 1, {"1", "2", "3", "4"});
    return TDLigne(firstRun, runCount, top, code < 0 ? otherAlignment : kAlignment[code]);
}

// The T bytes of a run's text, a counted string. The holder keeps the length byte and at most 255
// codes, and never more codes than the record itself holds; bytes beyond the holder are passed
// over, so the stream always ends up after the record's T bytes (or at the end of the stream).
std::string readRunText(DocStream& s, int32_t size)
{
    if (size <= 0)
        return {};
    uint8_t holder[kTextHolder];
    const size_t total = static_cast<size_t>(size);
    const size_t kept = std::min(total, sizeof holder);
    s.readFixed(holder, kept);
    if (total > kept)
        s.seek(s.position() + (total - kept));
    return countedText(holder, kept - 1);
}

// One run record and its text; a style code outside "0".."5" keeps `style`, the style of the run
// read before it.
TDChaine readRun(DocStream& s, uint8_t& style)
{
    uint8_t rec[kRunRecord];
    s.readFixed(rec, sizeof rec);
    std::string fontName = countedText(rec + 0, 50);
    const uint8_t size = lowByte(numericField(rec + 51, 3));
    static constexpr uint8_t kStyles[] = {0, 1, 2, 4, 8, 1 | 2};
    const int code = codeIndex(rec + 55, 1, {"0", "1", "2", "3", "4", "5"});
    if (code >= 0)
        style = kStyles[code];
    const auto color = static_cast<Color>(numericField(rec + 57, 9));
    const uint8_t fontClass = lowByte(numericField(rec + 67, 1));
    const int32_t x = numericField(rec + 69, 4);
    const int32_t textSize = numericField(rec + 74, 3);
    return TDChaine(readRunText(s, textSize), std::move(fontName), size, style, color, fontClass, x);
}

int32_t readExtra(DocStream& s)
{
    uint8_t rec[kExtraRecord];
    s.readFixed(rec, sizeof rec);
    return numericField(rec, 2);
}

// Layout work needs a canvas to measure on: the one given, or a screen canvas at 96 dpi.
template <typename F> void withLayoutCanvas(Canvas* given, F&& work)
{
    if (given) {
        work(*given);
        return;
    }
    QImage scratch(1, 1, QImage::Format_RGB32);
    RasterCanvas canvas(scratch, 96);
    work(canvas);
}

}  // namespace

TDMemo::TDMemo() : BackImage(1, 1, QImage::Format_RGB32)
{
    BackImage.fill(Qt::white);
}

void TDMemo::ReadFrame(DocStream& s, bool withContent, const FrameReadContext& ctx)
{
    const bool v1998 = isVersion1998(ctx.DocVersion);
    if (v1998) {
        if (withContent) {
            uint8_t count[4];
            s.readFixed(count, sizeof count);
            const int32_t effectCount = numericField(count, 3);
            // Each record read past the end of the stream is zeros and fails to convert, so the
            // count never drives more reads than the stream has records.
            for (int32_t i = 0; i < effectCount; ++i)
                Effects.push_back(readEffect(s));
        }
        uint8_t kind[kKindRecord];
        s.readFixed(kind, sizeof kind);
        KindFlag = codeIndex(kind + 0, 1, {"0"}) == 0 ? 1 : 0;
        KindValue = lowByte(numericField(kind + 2, 1));
        KindName = countedText(kind + 4, 255);
        static constexpr uint8_t kKinds[] = {0, 1, 2, 3, 4, 5, 6, 8};
        const int k = codeIndex(
            kind + 4, 255,
            {"PageNum", "Date", "Fixedtital", "ProjectTitle", "Empty", "EmptyBookText", "EmptyBookNotice", "Gride"});
        if (k >= 0)
            FrameKind = kKinds[k];

        uint8_t layout[kLayoutRecord];
        s.readFixed(layout, sizeof layout);
        LeftMargin = lowByte(numericField(layout + 0, 3));
        RightMargin = lowByte(numericField(layout + 4, 3));
        ThirdMargin = numericField(layout + 8, 3);
        FourthMargin = numericField(layout + 12, 3);
        Columns = lowByte(numericField(layout + 16, 2));
        ColumnGap = lowByte(numericField(layout + 19, 3));
    }

    uint8_t main[kMainRecord];
    s.readFixed(main, sizeof main);
    left = numericField(main + 0, 4);
    top = numericField(main + 5, 4);
    LayoutWidth = numericField(main + 10, 4);
    width = LayoutWidth < 10 ? 2000 : LayoutWidth;
    const int32_t storedHeight = numericField(main + 15, 4);
    height = storedHeight < 10 ? 2000 : storedHeight;
    const int32_t lineCount = numericField(main + 20, 4);
    const int32_t runCount = numericField(main + 25, 4);
    StoredValue = numericField(main + 30, 3);
    StoredFlag = codeIndex(main + 34, 1, {"1"}) == 0 ? 1 : 0;
    const int layer = codeIndex(main + 36, 1, {"0", "1", "2", "3"});
    if (layer >= 0) {
        BorderLeft = static_cast<uint8_t>(layer & 1);
        InFront = static_cast<uint8_t>(layer >> 1);
        if (ctx.setInFront)
            ctx.setInFront(InFront == 1);
    }
    BorderBottom = lowByte(numericField(main + 38, 1));
    BorderRight = lowByte(numericField(main + 40, 1));
    BorderTop = lowByte(numericField(main + 42, 1));
    BorderWidth = lowByte(numericField(main + 44, 1));
    BorderColor = static_cast<Color>(numericField(main + 46, 9));
    RasterOp = static_cast<uint32_t>(numericField(main + 56, 12));
    const std::string pictureName = countedText(main + 69, 60);

    uint8_t code[2];
    s.readFixed(code, sizeof code);
    const int background = codeIndex(code, 1, {"0", "1", "2", "3"});
    if (background == 1 || background == 2) {
        uint8_t rec[kBackgroundRecord];
        s.readFixed(rec, sizeof rec);
        Background.BackColour = static_cast<Color>(numericField(rec + 0, 9));
        Background.PatternColour = static_cast<Color>(numericField(rec + 10, 9));
        Background.Step = lowByte(numericField(rec + 20, 2));
        const int letter = codeIndex(rec + 23, 2, {"A", "B"});
        Background.StyleCode = letter >= 0 ? static_cast<uint8_t>(10 + letter) : lowByte(numericField(rec + 23, 2));
    }
    if (background >= 0) {
        HasPattern = background == 1 || background == 2 ? 1 : 0;
        Transparent = background == 2 || background == 3 ? 1 : 0;
    }
    if (!withContent)
        return;

    if (ctx.DocSubVersion == "2002") {
        uint8_t spacing[kSpacingRecord];
        s.readFixed(spacing, sizeof spacing);
        LineSpacing = numericField(spacing, 250);
    }
    for (int32_t i = 0; i < lineCount; ++i) {
        TDLigne line = readLine(s, 1);
        if (v1998)
            line.Column = lowByte(readExtra(s));
        Lines.push_back(line);
    }
    uint8_t style = 0;
    for (int32_t i = 0; i < runCount; ++i) {
        TDChaine run = readRun(s, style);
        if (v1998) {
            for (char& c : run.Text) {
                if (static_cast<uint8_t>(c) == 0x9E)
                    c = static_cast<char>(0xA5);
                else if (static_cast<uint8_t>(c) == 0x8E)
                    c = static_cast<char>(0x8F);
            }
        }
        MapFontName(run, ctx.fontInstalled);
        if (v1998)
            run.Effect = readExtra(s);
        Runs.push_back(std::move(run));
    }

    BackImageName = pictureName;
    bool pictureFound = false;
    if (!BackImageName.empty() && HasPattern == 0 && ctx.loadBackground) {
        pictureFound = ctx.loadBackground(BackImage, BackImageName, ctx.DocFolder);
        if (pictureFound) {
            BackImageWidth = width;
            BackImageHeight = height;
        }
    }
    if (!pictureFound) {
        BackImageName.clear();
        if (HasPattern == 1) {
            BackImageWidth = width;
            BackImageHeight = height;
            // The bitmap stops at kMaxPatternSide; the pattern is drawn for the whole frame and
            // cut there.
            QImage pattern(std::min(width, kMaxPatternSide), std::min(height, kMaxPatternSide), QImage::Format_RGB32);
            RasterCanvas canvas(pattern, 96);
            FillBackgroundPattern(canvas, width, height, Background.BackColour, Background.PatternColour,
                                  Background.Step, PatternForStyleCode(Background.StyleCode));
            BackImage = pattern;
        }
    }

    if (!Lines.empty() && !Runs.empty())
        withLayoutCanvas(layoutCanvas, [this](Canvas& c) { LayoutLineTops(c, *this, 0); });
}

void TDMemo::ReadTextPage(DocStream& s, const std::string& signature)
{
    TextPage = true;
    // A page that ended on a line holding only the marker 0xFC loses it when text is appended.
    if (!Lines.empty() && !Runs.empty() && CurrentLine >= 0 && static_cast<size_t>(CurrentLine) < Lines.size() &&
        CurrentRun >= 0 && static_cast<size_t>(CurrentRun) < Runs.size() && Lines[CurrentLine].RunCount == 1 &&
        Runs[CurrentRun].Text == "\xFC") {
        Lines.erase(Lines.begin() + CurrentLine);
        Runs.erase(Runs.begin() + CurrentRun);
    }

    uint8_t counts[10];
    s.readFixed(counts, sizeof counts);
    const int32_t lineCount = numericField(counts + 0, 4);
    const int32_t runCount = numericField(counts + 5, 4);
    if (isSignatureQV2000(signature)) {
        uint8_t skipped[11];
        s.readFixed(skipped, sizeof skipped);
    }

    uint8_t alignment = 0;
    for (int32_t i = 0; i < lineCount; ++i) {
        Lines.push_back(readLine(s, alignment));
        alignment = Lines.back().Alignment;
    }
    uint8_t style = 0;
    for (int32_t i = 0; i < runCount; ++i)
        Runs.push_back(readRun(s, style));

    if (Lines.empty() || Runs.empty())
        return;
    withLayoutCanvas(layoutCanvas, [this](Canvas& c) {
        for (size_t i = 0; i < Lines.size(); ++i)
            PlaceRuns(c, *this, static_cast<int32_t>(i));
        LayoutLineTops(c, *this, 0);
        // The first pass of painting, as the page was shown while it was read; it leaves Painted
        // set when every line could be drawn.
        PaintLines(c, 1.0, 0, static_cast<int32_t>(Lines.size()) - 1);
    });
}

void TDMemo::dumpFields(JsonWriter& out) const
{
    auto byte = [&](const char* k, uint8_t v) { out.field(k, static_cast<int32_t>(v)); };
    dumpBounds(out);
    byte("Painted", Painted);
    out.field("LineSpacing", LineSpacing);
    byte("FrameKind", FrameKind);
    byte("Columns", Columns);
    out.field("ColumnWidth", ColumnWidth);
    byte("ColumnGap", ColumnGap);
    byte("InFront", InFront);
    byte("Transparent", Transparent);
    byte("LeftMargin", LeftMargin);
    byte("RightMargin", RightMargin);
    out.field("LayoutWidth", LayoutWidth);
    out.field("CurrentLine", CurrentLine);
    out.field("CurrentRun", CurrentRun);
    byte("BorderLeft", BorderLeft);
    byte("BorderBottom", BorderBottom);
    byte("BorderRight", BorderRight);
    byte("BorderTop", BorderTop);
    byte("BorderWidth", BorderWidth);
    out.field("BorderColor", BorderColor);
    out.field("BackImageName", latin1ToUtf8(BackImageName));
    out.field("BackImageWidth", BackImageWidth);
    out.field("BackImageHeight", BackImageHeight);
    out.key("BackImageBitmap");
    out.beginArray();
    out.value(static_cast<int32_t>(BackImage.width()));
    out.value(static_cast<int32_t>(BackImage.height()));
    out.endArray();
    out.field("RasterOp", RasterOp);
    out.key("BackRect");
    out.beginArray();
    for (int v : {BackRect.left, BackRect.top, BackRect.right, BackRect.bottom})
        out.value(static_cast<int32_t>(v));
    out.endArray();
    byte("HasPattern", HasPattern);
    out.field("BackColour", Background.BackColour);
    out.field("PatternColour", Background.PatternColour);
    byte("Step", Background.Step);
    byte("StyleCode", Background.StyleCode);
    byte("KindFlag", KindFlag);
    byte("KindValue", KindValue);
    out.field("KindName", latin1ToUtf8(KindName));
    out.field("ThirdMargin", ThirdMargin);
    out.field("FourthMargin", FourthMargin);
    out.field("StoredValue", StoredValue);
    byte("StoredFlag", StoredFlag);

    out.key("Effects");
    out.beginArray();
    for (const TextEffect& e : Effects) {
        out.beginObject();
        out.field("Id", e.Id);
        out.field("Depth", e.Depth);
        out.field("Angle", e.Angle);
        out.field("ShadowColor", e.ShadowColor);
        out.field("Kind", latin1ToUtf8(e.Kind));
        out.field("Dx2", e.Dx2);
        out.field("Dy2", e.Dy2);
        out.field("Color2", e.Color2);
        byte("Extra", e.Extra);
        out.endObject();
    }
    out.endArray();

    out.key("Lines");
    out.beginArray();
    for (const TDLigne& l : Lines) {
        out.beginObject();
        byte("Alignment", l.Alignment);
        out.field("FirstRun", l.FirstRun);
        out.field("RunCount", l.RunCount);
        out.field("Top", l.Top);
        byte("Column", l.Column);
        out.endObject();
    }
    out.endArray();

    out.key("Runs");
    out.beginArray();
    for (const TDChaine& r : Runs) {
        out.beginObject();
        out.field("FontName", latin1ToUtf8(r.FontName));
        byte("Size", r.Size);
        byte("Style", r.Style);
        byte("FontClass", r.FontClass);
        out.field("Color", r.Color);
        out.key("Text");
        out.bytes(r.Text);
        out.field("X", r.X);
        out.field("Effect", r.Effect);
        out.endObject();
    }
    out.endArray();
}

}  // namespace vr
