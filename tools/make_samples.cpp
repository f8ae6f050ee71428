// Writes the bundled sample documents into the folder given as the argument. The output depends
// on nothing but this file, so the committed samples can be checked against it.
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

#include <QGuiApplication>

#include "sample_book.h"
#include "sample_ole.h"
#include "sample_persian.h"
#include "sample_pictures.h"
#include "sample_richtext.h"
#include "support/doc_writer.h"

using vrtest::LineRec;
using vrtest::VpgWriter;

namespace {

uint32_t rgb(int r, int g, int b)
{
    return static_cast<uint32_t>(r | (g << 8) | (b << 16));
}

// Page 1: the seven pen styles, thin and wide, in colour.
void penStyles(VpgWriter& w)
{
    w.page("P1");
    const uint32_t colours[7] = {rgb(0, 0, 0),     rgb(192, 0, 0), rgb(0, 128, 0), rgb(0, 0, 192),
                                 rgb(128, 0, 128), rgb(0, 0, 0),   rgb(160, 96, 0)};
    for (int style = 0; style < 7; ++style) {
        const int y = 120 + style * 60;
        const std::string code = std::to_string(style);
        w.line(LineRec(80, y, 380, y, colours[style], 1, code, "FN"));
        w.line(LineRec(420, y, 714, y, colours[style], 4, code, "FN"));
    }
    // A frame around the specimen and a diagonal through it, drawn over the styles.
    w.line(LineRec(60, 90, 734, 90, rgb(0, 0, 0), 2, "0", "FN"));
    w.line(LineRec(734, 90, 734, 540, rgb(0, 0, 0), 2, "0", "FN"));
    w.line(LineRec(734, 540, 60, 540, rgb(0, 0, 0), 2, "0", "FN"));
    w.line(LineRec(60, 540, 60, 90, rgb(0, 0, 0), 2, "0", "FN"));
    w.line(LineRec(60, 600, 734, 1040, rgb(0, 96, 160), 6, "0", "FD"));
    w.line(LineRec(734, 600, 60, 1040, rgb(160, 0, 64), 1, "3", "FD"));
}

// Page 2: the four arrow kinds, and a compass of arrows in every direction.
void arrows(VpgWriter& w)
{
    w.page("P2");
    const char* kinds[4] = {"FN", "FD", "FL", "FR"};
    for (int k = 0; k < 4; ++k) {
        const int y = 120 + k * 70;
        w.line(LineRec(100, y, 700, y, rgb(0, 0, 0), 1 + k, "0", kinds[k]));
    }
    const int cx = 397, cy = 760, r = 260;
    for (int i = 0; i < 16; ++i) {
        const double a = i * std::numbers::pi / 8;
        const int x = cx + static_cast<int>(std::lround(r * std::cos(a)));
        const int y = cy + static_cast<int>(std::lround(r * std::sin(a)));
        w.line(LineRec(cx, cy, x, y, rgb(i * 15, 60, 255 - i * 15), 1 + i % 3, "0", "FR"));
    }
    w.line(LineRec(cx, cy - 300, cx, cy + 300, rgb(128, 128, 128), 1, "2", "FD"));  // vertical arrows
}

// Page 3: widths 1 to 10, and a rosette of overlapping not-xor lines.
void widths(VpgWriter& w)
{
    w.page("P3");
    for (int width = 1; width <= 10; ++width) {
        const int x = 60 + width * 60;
        w.line(LineRec(x, 80, x, 380, rgb(0, 0, 0), width, "0", width % 2 ? "FR" : "FN"));
    }
    const int cx = 397, cy = 760, r = 280, n = 18;
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; j += 5) {
            const double a = 2 * std::numbers::pi * i / n, b = 2 * std::numbers::pi * j / n;
            w.line(LineRec(cx + static_cast<int>(std::lround(r * std::cos(a))),
                           cy + static_cast<int>(std::lround(r * std::sin(a))),
                           cx + static_cast<int>(std::lround(r * std::cos(b))),
                           cy + static_cast<int>(std::lround(r * std::sin(b))), rgb(0, 0, 160), 1, "0", "FN"));
        }
    }
}

// Page 4: a small drawing made of lines.
void drawing(VpgWriter& w)
{
    w.page("P4");
    const uint32_t brown = rgb(120, 72, 24), red = rgb(176, 32, 32), green = rgb(24, 120, 40);
    // House.
    w.line(LineRec(200, 700, 500, 700, brown, 3));
    w.line(LineRec(200, 700, 200, 480, brown, 3));
    w.line(LineRec(500, 700, 500, 480, brown, 3));
    w.line(LineRec(200, 480, 500, 480, brown, 3));
    w.line(LineRec(180, 490, 350, 340, red, 5));
    w.line(LineRec(350, 340, 520, 490, red, 5));
    w.line(LineRec(320, 700, 320, 600, brown, 2));
    w.line(LineRec(380, 700, 380, 600, brown, 2));
    w.line(LineRec(320, 600, 380, 600, brown, 2));
    w.line(LineRec(230, 520, 290, 520, rgb(40, 80, 200), 1, "0"));
    w.line(LineRec(230, 570, 290, 570, rgb(40, 80, 200), 1, "0"));
    w.line(LineRec(230, 520, 230, 570, rgb(40, 80, 200), 1, "0"));
    w.line(LineRec(290, 520, 290, 570, rgb(40, 80, 200), 1, "0"));
    // Tree.
    w.line(LineRec(620, 700, 620, 560, brown, 8));
    for (int i = 0; i < 5; ++i)
        w.line(LineRec(620, 420 + i * 30, 560 + i * 6, 520 + i * 25, green, 2, "0"));
    for (int i = 0; i < 5; ++i)
        w.line(LineRec(620, 420 + i * 30, 680 - i * 6, 520 + i * 25, green, 2, "0"));
    // Ground and sun.
    w.line(LineRec(60, 702, 734, 702, green, 4, "1"));
    for (int i = 0; i < 12; ++i) {
        const double a = i * std::numbers::pi / 6;
        w.line(LineRec(650 + static_cast<int>(std::lround(30 * std::cos(a))),
                       200 + static_cast<int>(std::lround(30 * std::sin(a))),
                       650 + static_cast<int>(std::lround(60 * std::cos(a))),
                       200 + static_cast<int>(std::lround(60 * std::sin(a))), rgb(230, 160, 0), 2, "0"));
    }
}

// Page 5: a picture of every kind, with borders, sizing modes and layers.
void images(VpgWriter& w, const vrtest::Bytes& embedded)
{
    using vrtest::ImageRec;
    auto image = [&](ImageRec r) { w.object("TDImage", vrtest::imageRecord(r)); };
    w.page("P5");
    // A diagonal line under every picture of the lower layer and over none of the upper one.
    w.line(LineRec(20, 40, 770, 1080, rgb(0, 0, 0), 3));
    ImageRec bmp;
    bmp.left = "40";
    bmp.top = "60";
    bmp.width = "200";
    bmp.height = "150";
    bmp.layer = "1";
    bmp.bottom = "1";
    bmp.right = "1";
    bmp.top_ = "1";
    bmp.borderWidth = "3";
    bmp.borderColor = std::to_string(rgb(0, 0, 192));
    bmp.fileName = "tour-tiles.bmp";
    image(bmp);
    ImageRec ico;
    ico.left = "300";
    ico.top = "60";
    ico.width = "120";
    ico.height = "120";
    ico.sizing = "3";
    ico.fileName = "tour-star.ico";
    image(ico);
    ImageRec jpg;
    jpg.left = "480";
    jpg.top = "60";
    jpg.width = "10";
    jpg.height = "10";
    jpg.sizing = "1";
    jpg.layer = "0";
    jpg.bottom = "1";
    jpg.top_ = "1";
    jpg.borderWidth = "2";
    jpg.borderColor = std::to_string(rgb(160, 0, 0));
    jpg.fileName = "tour-gradient.jpg";
    image(jpg);
    ImageRec gif;
    gif.left = "40";
    gif.top = "300";
    gif.width = "180";
    gif.height = "180";
    gif.layer = "2";
    gif.fileName = "tour-rings.gif";
    image(gif);
    ImageRec wmf;
    wmf.left = "260";
    wmf.top = "300";
    wmf.width = "240";
    wmf.height = "200";
    wmf.layer = "3";
    wmf.right = "1";
    wmf.borderWidth = "1";
    wmf.fileName = "tour-house.wmf";
    image(wmf);
    ImageRec emf;
    emf.left = "540";
    emf.top = "300";
    emf.width = "200";
    emf.height = "200";
    emf.fileName = "tour-flower.emf";
    image(emf);
    ImageRec inside;
    inside.left = "40";
    inside.top = "600";
    inside.width = "320";
    inside.height = "200";
    inside.imageSize = std::to_string(embedded.size());
    vrtest::Bytes body = vrtest::imageRecord(inside);
    body.insert(body.end(), embedded.begin(), embedded.end());
    w.object("TDImage", body);
    ImageRec natural;
    natural.left = "420";
    natural.top = "600";
    natural.width = "300";
    natural.height = "200";
    natural.sizing = "0";
    natural.fileName = "tour-tiles.bmp";
    image(natural);
}

// Page 6: every shape kind with every brush style, and the upper layer.
void shapes(VpgWriter& w, const vrtest::Bytes& brushPicture)
{
    w.page("P6");
    const uint32_t fills[8] = {rgb(250, 220, 120), rgb(0, 0, 0),      rgb(200, 40, 40), rgb(40, 140, 60),
                               rgb(40, 80, 200),   rgb(160, 60, 160), rgb(0, 120, 120), rgb(120, 80, 20)};
    for (int style = 0; style < 8; ++style) {
        for (int kind = 0; kind < 4; ++kind) {
            vrtest::ShapeRec r;
            r.kind = std::to_string(kind);
            r.brushStyle = std::to_string(style);
            r.brushColor = std::to_string(fills[style]);
            r.penWidth = std::to_string(1 + kind);
            r.penColor = std::to_string(rgb(30, 30, 30));
            r.left = std::to_string(40 + kind * 185);
            r.top = std::to_string(40 + style * 115);
            r.width = std::to_string(kind == 2 ? 100 : 160);
            r.height = "95";
            w.object("TDShape", vrtest::shapeRecord(r));
        }
    }
    // Upper-layer shapes over a line, and one filled with a brush picture.
    w.line(LineRec(20, 990, 770, 990, rgb(0, 0, 0), 2));
    vrtest::ShapeRec top;
    top.kind = "7";
    top.brushColor = std::to_string(rgb(255, 255, 255));
    top.penWidth = "3";
    top.left = "60";
    top.top = "960";
    top.width = "200";
    top.height = "60";
    w.object("TDShape", vrtest::shapeRecord(top));
    vrtest::ShapeRec patterned;
    patterned.kind = "4";
    patterned.penWidth = "2";
    patterned.left = "320";
    patterned.top = "950";
    patterned.width = "400";
    patterned.height = "80";
    patterned.brushImageSize = std::to_string(brushPicture.size());
    vrtest::Bytes body = vrtest::shapeRecord(patterned);
    body.insert(body.end(), brushPicture.begin(), brushPicture.end());
    w.object("TDShape", body);
}

vrtest::RunRec run(const std::string& text, int x, int size = 14, uint32_t colour = 0, int style = 0)
{
    vrtest::RunRec r;
    r.font = "QV_Hazel";
    r.text = text;
    r.x = std::to_string(x);
    r.size = std::to_string(size);
    r.color = std::to_string(colour);
    r.style = std::to_string(style);
    return r;
}

// A frame record of a "2002" document: main record, background, line spacing, lines and runs.
vrtest::Bytes frame(const vrtest::FrameMainRec& main, const vrtest::Bytes& background, int lineSpacing,
                    const std::vector<vrtest::Bytes>& lines, const std::vector<vrtest::RunRec>& runs)
{
    vrtest::FrameMainRec m = main;
    m.lines = std::to_string(lines.size());
    m.runs = std::to_string(runs.size());
    vrtest::Bytes body = vrtest::frameMainRecord(m);
    vrtest::append(body, background);
    vrtest::append(body, vrtest::counted(std::to_string(lineSpacing), 250));
    for (const auto& l : lines)
        vrtest::append(body, l);
    for (const auto& r : runs)
        vrtest::append(body, vrtest::runRecord(r));
    return body;
}

// Page 7: text frames (plain, bordered, on patterns, transparent over a drawing) and text set
// along lines in every direction.
void frames(VpgWriter& w)
{
    using vrtest::textLineRecord;
    w.page("P7");
    // Lines under the transparent frame, drawn first by the page.
    for (int i = 0; i < 8; ++i)
        w.line(LineRec(420 + i * 40, 600, 380 + i * 40, 780, rgb(200, 60, 60), 3));

    vrtest::FrameMainRec title;
    title.left = "40";
    title.top = "40";
    title.width = "714";
    title.height = "90";
    title.bottom = "1";
    title.top_ = "1";
    title.borderWidth = "3";
    title.borderColor = std::to_string(rgb(0, 60, 140));
    w.object("TDMEMO",
             frame(title, vrtest::frameBackground("0"), 0, {textLineRecord("0", "2", "20", "4")},
                   {run("tour", 470, 24, rgb(200, 60, 60), 2), run("Velmora Reader ", 60, 24, rgb(0, 60, 140), 1)}));

    vrtest::FrameMainRec body;
    body.left = "40";
    body.top = "160";
    body.width = "340";
    body.height = "380";
    body.bottom = "1";
    body.right = "1";
    body.top_ = "1";
    body.layer = "1";
    body.borderWidth = "2";
    std::vector<vrtest::Bytes> lines;
    std::vector<vrtest::RunRec> runs;
    const char* words[][3] = {{"Lines", "start", "at"},  {"the", "right", "margin"}, {"and", "each", "run"},
                              {"keeps", "the", "place"}, {"the", "editor", "gave"},  {"it,", "font", "by"},
                              {"font,", "size", "by"},   {"size:", "nothing", "is"}, {"shaped", "or", "moved."}};
    for (int i = 0; i < 9; ++i) {
        lines.push_back(textLineRecord(std::to_string(runs.size()), "3", "0", "4"));
        // Runs follow one another leftwards; these words are English, so the last comes first.
        // Each run carries the space after its word, as the editor writes them: a line set again
        // from the column's edge (on paper) keeps its words apart.
        runs.push_back(run(words[i][2], 230, 14, 0, i == 8 ? 2 : 0));
        runs.push_back(run(std::string(words[i][1]) + " ", 120, i % 3 == 1 ? 16 : 14, i % 3 == 1 ? rgb(0, 110, 60) : 0,
                           i % 3 == 1 ? 1 : 0));
        runs.push_back(run(std::string(words[i][0]) + " ", 20, 14, 0, 0));
    }
    w.object("TDMEMO", frame(body, vrtest::frameBackground("0"), 6, lines, runs));

    vrtest::FrameMainRec circles;
    circles.left = "420";
    circles.top = "160";
    circles.width = "334";
    circles.height = "180";
    circles.layer = "1";
    circles.rasterOp = "8913094";  // SRCAND: the pattern goes under the text
    w.object("TDMEMO",
             frame(circles,
                   vrtest::frameBackground("1", std::to_string(rgb(255, 250, 235)), std::to_string(rgb(220, 160, 60)),
                                           "9", "9"),
                   0, {textLineRecord("0", "1", "70", "4")}, {run("On a pattern", 120, 20, rgb(120, 40, 0), 1)}));

    vrtest::FrameMainRec gradient;
    gradient.left = "420";
    gradient.top = "360";
    gradient.width = "334";
    gradient.height = "180";
    gradient.rasterOp = "8913094";
    w.object("TDMEMO",
             frame(gradient,
                   vrtest::frameBackground("1", std::to_string(rgb(255, 255, 255)), std::to_string(rgb(40, 90, 200)),
                                           "1", "13"),
                   0, {textLineRecord("0", "1", "70", "4")}, {run("A gradient", 110, 20, rgb(0, 30, 90), 1)}));

    vrtest::FrameMainRec see;
    see.left = "400";
    see.top = "620";
    see.width = "354";
    see.height = "120";
    see.layer = "2";
    w.object("TDMEMO",
             frame(see, vrtest::frameBackground("3"), 0, {textLineRecord("0", "1", "40", "4")},
                   {run("A transparent frame", 60, 20, rgb(0, 0, 0), 1)}));

    // Text along lines: the text starts at the first point and follows the segment.
    auto textLine = [&](int x1, int y1, int x2, int y2, const std::string& text, uint32_t colour) {
        vrtest::TextLigneRec r;
        r.x1 = std::to_string(x1);
        r.y1 = std::to_string(y1);
        r.x2 = std::to_string(x2);
        r.y2 = std::to_string(y2);
        r.text = text;
        r.size = "12";
        r.color = std::to_string(colour);
        w.object("TTextLigne", vrtest::textLigneRecord(r));
    };
    textLine(60, 820, 360, 820, "along a line", rgb(0, 0, 0));
    textLine(60, 1060, 360, 880, "rising", rgb(0, 110, 60));
    textLine(380, 880, 380, 1080, "down", rgb(0, 60, 140));
    textLine(740, 1080, 420, 880, "backwards", rgb(160, 40, 40));
}

// A text document of three pages: each page is one frame of lines placed from the right margin.
vrtest::Bytes letter()
{
    using vrtest::textLineRecord;
    vrtest::Bytes pages;
    const char* paragraphs[3][4] = {
        {"A text document holds pages", "of lines already cut by", "its editor; the reader places",
         "them from the right."},
        {"Every page is a frame", "forty pixels inside its", "page, with margins of", "five pixels."},
        {"The last page ends", "the document: use the page", "buttons or the tabs to", "go back."}};
    for (int p = 0; p < 3; ++p) {
        vrtest::Bytes records;
        int runCount = 0;
        for (int l = 0; l < 4; ++l) {
            vrtest::append(records, textLineRecord(std::to_string(runCount), "2", "0", "4"));
            runCount += 2;
        }
        for (int l = 0; l < 4; ++l) {
            vrtest::append(records, vrtest::runRecord(run(paragraphs[p][l], 0, 16)));
            vrtest::append(records, vrtest::runRecord(run(std::to_string(p * 4 + l + 1), 0, 16, rgb(160, 40, 40), 1)));
        }
        vrtest::append(pages, vrtest::textPage("4", std::to_string(runCount), records));
    }
    return vrtest::vtxDocument("0", "3", pages);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-samples FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    VpgWriter tour;
    penStyles(tour);
    arrows(tour);
    widths(tour);
    drawing(tour);
    const samples::Bytes tiles = samples::tilesBmp();
    images(tour, vrtest::bmpFile(48, 32, rgb(90, 170, 220)));
    shapes(tour, samples::stripesBmp());
    frames(tour);
    samples::oleAndTables(tour);
    samples::richTextPage(tour, samples::houseWmf());
    tour.save(folder + "/tour.VPG");
    vrtest::writeFile(folder + "/letter.VTX", letter());
    samples::writeFile(folder + "/tour-tiles.bmp", tiles);
    samples::writeFile(folder + "/tour-star.ico", samples::starIco());
    samples::writeFile(folder + "/tour-gradient.jpg", samples::gradientJpeg());
    samples::writeFile(folder + "/tour-rings.gif", samples::ringsGif());
    samples::writeFile(folder + "/tour-house.wmf", samples::houseWmf());
    samples::writeFile(folder + "/tour-flower.emf", samples::flowerEmf());
    samples::writeBookSamples(folder);
    samples::writePersianSamples(folder);
    std::printf("%s/tour.VPG\n", folder.c_str());
    return 0;
}
