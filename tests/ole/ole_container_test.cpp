// The OLE object on the page: its record, its load failures, its screen drawing at every zoom and
// its printing. Geometry is traced on recording canvases; pictures are checked on pixels.
#include <algorithm>
#include <memory>

#include <QImage>
#include <gtest/gtest.h>

#include "core/doc_stream.h"
#include "core/errors.h"
#include "gfx/canvas/raster_canvas.h"
#include "gfx/canvas/recording_canvas.h"
#include "gfx/print/printer.h"
#include "ole/ole_container.h"
#include "ole/ole_error.h"
#include "support/cfb_writer.h"
#include "support/recording_printer.h"

using namespace vr;
using vrtest::Bytes;
using vrtest::counted;

namespace {

constexpr uint32_t kRed = 0x0000FF, kBlue = 0xFF0000;
constexpr uint8_t kNext = 0xEE;

Bytes record(const std::string& left, const std::string& top, const std::string& width, const std::string& height,
             const std::vector<std::string>& border, const Bytes& content, const std::string& sizeText = "")
{
    Bytes b;
    for (const std::string& f : {left, top, width, height})
        vrtest::append(b, counted(f, 4));
    for (size_t i = 0; i < 5; ++i)
        vrtest::append(b, counted(border[i], 1));
    vrtest::append(b, counted(border[5], 9));
    vrtest::append(b, counted(sizeText.empty() ? std::to_string(content.size()) : sizeText, 6));
    vrtest::append(b, content);
    b.push_back(kNext);
    return b;
}

// An object whose content is a metafile filling its window with red, and whose icon is blue.
Bytes redObject(uint32_t aspect = 1)
{
    return vrtest::containerStream(
        aspect,
        vrtest::compoundFile({
            {"\x01Ole", Bytes(20, 0)},
            {"\x02OlePres000", vrtest::presentationStream(3, 1, 2540, 2540, vrtest::filledWmf(64, 64, kRed))},
            {"\x02OlePres001", vrtest::presentationStream(3, 4, 846, 846, vrtest::filledWmf(32, 32, kBlue))},
        }));
}

Bytes bitmapObject()
{
    return vrtest::containerStream(
        1,
        vrtest::compoundFile(
            {{"\x02OlePres000", vrtest::presentationStream(8, 1, 127, 127, vrtest::dib(3, 2, kBlue))}}));
}

TDOleContainer loaded(const Bytes& content, const std::vector<std::string>& border = {"0", "0", "0", "0", "1", "0"})
{
    TDOleContainer ole;
    DocStream s = DocStream::fromMemory(record("100", "50", "200", "80", border, content));
    ole.ReadRecord(s);
    ole.LoadContent();
    return ole;
}

QImage painted(TDOleContainer& ole)
{
    QImage im(ole.width, ole.height, QImage::Format_RGB32);
    im.fill(0xFF00FF00u);
    RasterCanvas c(im);
    ole.paintOnPage(c, PaintContext{});
    return im;
}

Color at(const QImage& im, int x, int y)
{
    return fromArgb(im.pixel(x, y));
}

}  // namespace

TEST(OleContainerRecord, FieldsContentAndTheNextObject)
{
    TDOleContainer ole;
    DocStream s =
        DocStream::fromMemory(record("100", "50", "200", "80", {"1", "0", "1", "1", "3", "255"}, redObject(4)));
    ole.ReadRecord(s);
    EXPECT_EQ(s.remaining(), 1u);
    EXPECT_EQ((std::vector<int>{ole.left, ole.top, ole.width, ole.height}), (std::vector<int>{100, 50, 200, 80}));
    EXPECT_EQ(ole.BorderLeft, 1);
    EXPECT_EQ(ole.BorderBottom, 0);
    EXPECT_EQ(ole.BorderRight, 1);
    EXPECT_EQ(ole.BorderTop, 1);
    EXPECT_EQ(ole.BorderWidth, 3);
    EXPECT_EQ(ole.BorderColor, 255u);
    EXPECT_FALSE(ole.object);
    ole.LoadContent();
    EXPECT_EQ(ole.Signature, 0x434F4442u);
    EXPECT_EQ(ole.DrawAspect, 4u);
    EXPECT_EQ(static_cast<int32_t>(ole.StorageSize) + 12, ole.ContentSize);
    ASSERT_TRUE(ole.object);
    ASSERT_TRUE(ole.object->screen);
    EXPECT_EQ(ole.object->screen->source, "\x02OlePres001");
    EXPECT_EQ(ole.object->print->source, "\x02OlePres000");
}

TEST(OleContainerRecord, NoContentAndShortContent)
{
    TDOleContainer ole;
    DocStream s = DocStream::fromMemory(record("1", "2", "3", "4", {"0", "0", "0", "0", "1", "0"}, {}, "0"));
    ole.ReadRecord(s);
    EXPECT_EQ(s.remaining(), 1u);  // no content bytes: the next object follows
    ole.LoadContent();
    EXPECT_FALSE(ole.object);
    EXPECT_TRUE(ole.LoadError.empty());

    Bytes cut = record("1", "2", "3", "4", {"0", "0", "0", "0", "1", "0"}, Bytes(50, 1), "51");
    cut.pop_back();  // the content ends one byte early
    DocStream s2 = DocStream::fromMemory(cut);
    EXPECT_THROW(ole.ReadRecord(s2), ReadError);

    DocStream s3 = DocStream::fromMemory(record("x", "2", "3", "4", {"0", "0", "0", "0", "1", "0"}, {}));
    try {
        ole.ReadRecord(s3);
        FAIL();
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "'x' n'est pas une valeur enti\xC3\xA8re correcte");
    }
}

TEST(OleContainerRecord, ContentFailuresLeaveTheContainerEmpty)
{
    struct Case {
        Bytes content;
        const char* message;
    };
    Bytes wrongSignature = redObject();
    wrongSignature[0] = 'X';
    Bytes shortStorage = vrtest::containerStream(1, Bytes(10, 0));
    shortStorage.resize(shortStorage.size() - 1);
    const Bytes notStorage = vrtest::containerStream(1, Bytes(600, 0x20));
    const Bytes noObject = vrtest::containerStream(1, vrtest::compoundFile({{"Data", Bytes(10, 0)}}));
    for (const Case& c :
         {Case{wrongSignature, "Format de flux incorrect"}, Case{shortStorage, "Erreur de lecture du flux"},
          Case{notStorage, "Erreur OLE 80030050"}, Case{noObject, "Erreur OLE 80030002"}}) {
        TDOleContainer ole;
        Bytes rec = record("100", "50", "200", "80", {"1", "1", "1", "1", "1", "0"}, c.content);
        DocStream s = DocStream::fromMemory(rec);
        ole.ReadRecord(s);
        try {
            ole.LoadContent();
            ADD_FAILURE() << c.message;
        } catch (const VError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_EQ(s.remaining(), 1u) << "the record was read whole";
        EXPECT_FALSE(ole.object);
        EXPECT_EQ(ole.LoadError, c.message);
        // An empty container still shows its white framed area.
        const QImage im = painted(ole);
        EXPECT_EQ(at(im, 0, 0), kBlack);
        EXPECT_EQ(at(im, 100, 40), kWhite);
    }
}

TEST(OleContainerScreen, BorderSidesAtHalfAndThreeHalfPens)
{
    // Width 3: h = 2. Client coordinates start inside the one-pixel frame, at (1, 1).
    TDOleContainer ole = loaded(Bytes{}, {"1", "1", "1", "1", "3", "255"});
    RecordingCanvas c(200, 80);
    ole.paintOnPage(c, PaintContext{});
    std::vector<std::string> lines;
    for (const std::string& call : c.calls)
        if (call.rfind("line ", 0) == 0)
            lines.push_back(call);
    EXPECT_EQ(lines,
              (std::vector<std::string>{
                  "line 3,1 -> 3,81 pen=#ff0000 w3 solid copy",  // left: x = h
                  "line 1,75 -> 201,75 pen=#ff0000 w3 solid copy",  // bottom: y = H - 3h
                  "line 195,1 -> 195,81 pen=#ff0000 w3 solid copy",  // right: x = W - 3h
                  "line 1,3 -> 201,3 pen=#ff0000 w3 solid copy",  // top: y = h
              }));
    // Width 1: h = 0; the right and bottom lines fall on the object's edge, outside the client
    // area, where the clip leaves them out.
    ole.BorderWidth = 1;
    QImage im(200, 80, QImage::Format_RGB32);
    im.fill(0xFFFFFFFFu);
    RasterCanvas rc(im);
    ole.paintOnPage(rc, PaintContext{});
    EXPECT_EQ(at(im, 1, 40), kRed);  // left, at client x 0
    EXPECT_EQ(at(im, 100, 1), kRed);  // top, at client y 0
    EXPECT_EQ(at(im, 198, 40), kWhite);  // no right line inside
    EXPECT_EQ(at(im, 199, 40), kBlack);  // the frame
    EXPECT_EQ(at(im, 100, 78), kWhite);
}

TEST(OleContainerScreen, PresentationStretchedInsideTheFrameAtEveryZoom)
{
    TDOleContainer ole = loaded(redObject());
    QImage im = painted(ole);
    EXPECT_EQ(at(im, 0, 0), kBlack);
    EXPECT_EQ(at(im, 199, 79), kBlack);
    EXPECT_EQ(at(im, 1, 1), kRed);
    EXPECT_EQ(at(im, 198, 78), kRed);
    ole.changeScale(150, 100);
    EXPECT_EQ((std::vector<int>{ole.left, ole.top, ole.width, ole.height}), (std::vector<int>{150, 75, 300, 120}));
    im = painted(ole);
    EXPECT_EQ(at(im, 1, 1), kRed);
    EXPECT_EQ(at(im, 298, 118), kRed);
    EXPECT_EQ(at(im, 299, 119), kBlack);
    ole.changeScale(30, 150);  // 30 %
    im = painted(ole);
    EXPECT_EQ(ole.width, 60);
    EXPECT_EQ(at(im, 1, 1), kRed);
    EXPECT_EQ(at(im, 56, 20), kRed);
    EXPECT_EQ(at(im, 59, 23), kBlack);
    // The icon aspect shows the icon.
    TDOleContainer icon = loaded(redObject(4));
    EXPECT_EQ(at(painted(icon), 100, 40), kBlue);
}

TEST(OleContainerPrint, BorderOnTheEdgesThenTheContentInTheScaledRectangle)
{
    // 300 dpi: 3.125 printer pixels a page pixel. x1 = round(312.5) = 312, x2 = round(937.5) = 938,
    // y1 = round(156.25) = 156, y2 = round(406.25) = 406; pen round(9.375) = 9.
    TDOleContainer ole = loaded(bitmapObject(), {"1", "1", "1", "1", "3", "255"});
    vrtest::RecordingPrinter printer({300, 300});
    ole.Print(printer, 300.0 / 96, 300.0 / 96);
    EXPECT_EQ(printer.callsOf("line"),
              (std::vector<std::string>{
                  "line 312,156 -> 312,406 pen=#ff0000 w9 solid copy",
                  "line 312,406 -> 938,406 pen=#ff0000 w9 solid copy",
                  "line 938,156 -> 938,406 pen=#ff0000 w9 solid copy",
                  "line 312,156 -> 938,156 pen=#ff0000 w9 solid copy",
              }));
    EXPECT_EQ(printer.calls().back(), "stretchblt 312,156,938,406 from 3x2 0,0,3,2 rop=00cc0020");

    // The icon aspect prints the content; a metafile is played into the rectangle.
    TDOleContainer icon = loaded(redObject(4));
    MemoryPrinter paper(300);
    paper.beginDoc();
    icon.Print(paper, 300.0 / 96, 300.0 / 96);
    const QImage& sheet = paper.sheets().front();
    EXPECT_EQ(fromArgb(sheet.pixel(312, 156)), kRed);
    EXPECT_EQ(fromArgb(sheet.pixel(936, 404)), kRed);
    EXPECT_EQ(fromArgb(sheet.pixel(311, 156)), kWhite);
    EXPECT_EQ(fromArgb(sheet.pixel(939, 300)), kWhite);
    paper.endDoc();

    // An empty container prints only its border.
    TDOleContainer empty = loaded(Bytes{}, {"0", "0", "0", "1", "1", "0"});
    vrtest::RecordingPrinter p2;
    empty.Print(p2, 1.0, 1.0);
    EXPECT_EQ(p2.calls(), (std::vector<std::string>{"line 100,50 -> 300,50 pen=#000000 w1 solid copy"}));
}
