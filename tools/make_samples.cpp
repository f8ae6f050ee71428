// Writes the bundled sample documents into the folder given as the argument. The output depends
// on nothing but this file, so the committed samples can be checked against it.
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

#include <QGuiApplication>

#include "sample_pictures.h"
#include "support/doc_writer.h"

using vrtest::LineRec;
using vrtest::VpgWriter;

namespace {

uint32_t rgb(int r, int g, int b) { return static_cast<uint32_t>(r | (g << 8) | (b << 16)); }

// Page 1: the seven pen styles, thin and wide, in colour.
void penStyles(VpgWriter& w)
{
    w.page("P1");
    const uint32_t colours[7] = {rgb(0, 0, 0), rgb(192, 0, 0), rgb(0, 128, 0), rgb(0, 0, 192),
                                 rgb(128, 0, 128), rgb(0, 0, 0), rgb(160, 96, 0)};
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
    bmp.left = "40"; bmp.top = "60"; bmp.width = "200"; bmp.height = "150";
    bmp.layer = "1"; bmp.bottom = "1"; bmp.right = "1"; bmp.top_ = "1"; bmp.borderWidth = "3";
    bmp.borderColor = std::to_string(rgb(0, 0, 192)); bmp.fileName = "tour-tiles.bmp";
    image(bmp);
    ImageRec ico;
    ico.left = "300"; ico.top = "60"; ico.width = "120"; ico.height = "120"; ico.sizing = "3";
    ico.fileName = "tour-star.ico";
    image(ico);
    ImageRec jpg;
    jpg.left = "480"; jpg.top = "60"; jpg.width = "10"; jpg.height = "10"; jpg.sizing = "1";
    jpg.layer = "0"; jpg.bottom = "1"; jpg.top_ = "1"; jpg.borderWidth = "2";
    jpg.borderColor = std::to_string(rgb(160, 0, 0)); jpg.fileName = "tour-gradient.jpg";
    image(jpg);
    ImageRec gif;
    gif.left = "40"; gif.top = "300"; gif.width = "180"; gif.height = "180"; gif.layer = "2";
    gif.fileName = "tour-rings.gif";
    image(gif);
    ImageRec wmf;
    wmf.left = "260"; wmf.top = "300"; wmf.width = "240"; wmf.height = "200"; wmf.layer = "3";
    wmf.right = "1"; wmf.borderWidth = "1"; wmf.fileName = "tour-house.wmf";
    image(wmf);
    ImageRec emf;
    emf.left = "540"; emf.top = "300"; emf.width = "200"; emf.height = "200"; emf.fileName = "tour-flower.emf";
    image(emf);
    ImageRec inside;
    inside.left = "40"; inside.top = "600"; inside.width = "320"; inside.height = "200";
    inside.imageSize = std::to_string(embedded.size());
    vrtest::Bytes body = vrtest::imageRecord(inside);
    body.insert(body.end(), embedded.begin(), embedded.end());
    w.object("TDImage", body);
    ImageRec natural;
    natural.left = "420"; natural.top = "600"; natural.width = "300"; natural.height = "200"; natural.sizing = "0";
    natural.fileName = "tour-tiles.bmp";
    image(natural);
}

// Page 6: every shape kind with every brush style, and the upper layer.
void shapes(VpgWriter& w, const vrtest::Bytes& brushPicture)
{
    w.page("P6");
    const uint32_t fills[8] = {rgb(250, 220, 120), rgb(0, 0, 0), rgb(200, 40, 40), rgb(40, 140, 60),
                               rgb(40, 80, 200), rgb(160, 60, 160), rgb(0, 120, 120), rgb(120, 80, 20)};
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
    top.kind = "7"; top.brushColor = std::to_string(rgb(255, 255, 255)); top.penWidth = "3";
    top.left = "60"; top.top = "960"; top.width = "200"; top.height = "60";
    w.object("TDShape", vrtest::shapeRecord(top));
    vrtest::ShapeRec patterned;
    patterned.kind = "4"; patterned.penWidth = "2"; patterned.left = "320"; patterned.top = "950";
    patterned.width = "400"; patterned.height = "80";
    patterned.brushImageSize = std::to_string(brushPicture.size());
    vrtest::Bytes body = vrtest::shapeRecord(patterned);
    body.insert(body.end(), brushPicture.begin(), brushPicture.end());
    w.object("TDShape", body);
}

} // namespace

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
    tour.save(folder + "/tour.VPG");
    samples::writeFile(folder + "/tour-tiles.bmp", tiles);
    samples::writeFile(folder + "/tour-star.ico", samples::starIco());
    samples::writeFile(folder + "/tour-gradient.jpg", samples::gradientJpeg());
    samples::writeFile(folder + "/tour-rings.gif", samples::ringsGif());
    samples::writeFile(folder + "/tour-house.wmf", samples::houseWmf());
    samples::writeFile(folder + "/tour-flower.emf", samples::flowerEmf());
    std::printf("%s/tour.VPG\n", folder.c_str());
    return 0;
}
