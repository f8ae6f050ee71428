// Metafile playback: hand-built records checked call by call on a recording canvas, malformed
// records, and the sample files.
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "gfx/canvas/raster_canvas.h"
#include "gfx/canvas/recording_canvas.h"
#include "gfx/metafile/metafile.h"
#include "gfx_test_support.h"
#include "metafile_test_support.h"

namespace vr {
namespace {

using namespace test;

TEST(WmfPlayback, WindowMapsOntoDestAndObjectsTakeTheLowestFreeSlot)
{
    const auto file = wmf(1000, 500, 1000,
                          {
                              {0x02FA, 0, 20, 0, 0x00FF, 0},  // pen, red, 20 units: slot 0
                              {0x02FC, 2, 0xFF00, 0, 3},  // green backward hatch: slot 1
                              {0x012D, 0},
                              {0x012D, 1},  // select both
                              {0x041B, 250, 300, 50, 100},  // rectangle 100,50 - 300,250
                              {0x01F0, 0},  // delete the pen: slot 0 free
                              {0x02FC, 0, 0, 0xFF, 0},  // solid blue brush: slot 0
                              {0x012D, 0},
                              {0x001E},  // save
                              {0x0104, 7},
                              {0x0102, 1},  // xor pen, transparent
                              {0x0418, 500, 1000, 0, 0},  // ellipse over the bounds
                              {0x0127, s(-1)},  // restore
                              {0x0214, 0, 0},
                              {0x0213, 500, 1000},  // move, line
                              {0x020B, 100, 200},
                              {0x020C, 1000, 2000},  // window (200,100) 2000x1000
                              {0x0325, 2, 200, 100, 2200, 1100},  // polyline corner to corner
                          });
    EXPECT_EQ(play(Metafile::Kind::Wmf, file, IRect{10, 20, 110, 70}),
              (Lines{
                  "save",
                  "clip 10,20,110,70",
                  "rectangle 20,25,40,45 pen=#ff0000 w2 solid copy brush=#00ff00 bdiagonal opaque=#ffffff",
                  "ellipse 10,20,110,70 pen=#ff0000 w2 solid r2_7 brush=#0000ff solid",
                  "line 10,20 -> 110,70 pen=#ff0000 w2 solid copy",
                  "polyline 10,20 110,70 pen=#ff0000 w1 solid copy",  // 20 units at 0.05
                  "restore",
              }));
    auto m = Metafile::parse(Metafile::Kind::Wmf, file);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->width(), 96);
    EXPECT_EQ(m->height(), 48);
}

TEST(WmfPlayback, ClipTextAndBitmaplessBlits)
{
    const auto file = wmf(100, 100, 96,
                          {
                              {0x0416, 80, 60, 10, 20},  // intersect clip 20,10 - 60,80
                              {0x0209, 0x00FF, 0},  // red text
                              {0x012E, 24},  // baseline aligned
                              {0x0521, 2, 0x6948, 40, 30},  // "Hi" at 30,40
                              {0x061D, 0x0062, 0x00FF, 10, 10, 5, 5},  // whiteness 5,5 10x10
                              {0x001E},
                              {0x0416, 50, 50, 0, 0},
                              {0x0127, s(-1)},
                              {0x041F, 0, 0, 2, 1},  // pixel 1,2 black
                          });
    EXPECT_EQ(play(Metafile::Kind::Wmf, file, IRect{0, 0, 100, 100}),
              (Lines{
                  "save",
                  "clip 0,0,100,100",
                  "save",
                  "clip 20,10,60,80",
                  // The opaque background fills the cell: two characters of 8 pixels, a 12-pixel
                  // font's ascent 9 above the baseline and descent 3 below.
                  "fillrect 30,31,46,43 #ffffff",
                  "textrun 30,40 font=System/0/0/400 #ff0000 \"Hi\"",
                  "patblt 5,5,15,15 rop=00ff0062 brush=#ffffff solid",
                  "setpixel 1,2 #000000",
                  "restore",
                  "restore",
              }));
}

TEST(WmfPlayback, InconsistentRecordsAreSkippedAndBrokenFramingEndsThePicture)
{
    // A polygon claiming more points than its record holds is skipped and reported; the records
    // after it play. Unknown records are skipped silently.
    auto file = wmf(10, 10, 96, {{0x0999, 1, 2}, {0x041B, 5, 5, 0, 0}, {0x0324, 50, 0, 0, 1, 1}, {0x041B, 9, 9, 0, 0}});
    Diagnostics d;
    const Lines drawn = play(Metafile::Kind::Wmf, file, IRect{0, 0, 10, 10}, &d);
    ASSERT_EQ(drawn.size(), 5u);
    EXPECT_EQ(drawn[2].rfind("rectangle 0,0,5,5", 0), 0u);
    EXPECT_EQ(drawn[3].rfind("rectangle 0,0,9,9", 0), 0u);
    // Placeable header 22, WMF header 18, the unknown record 10 bytes and the rectangle 14.
    EXPECT_EQ(d.list(),
              (std::vector<Diagnostic>{{"WMF record 0x0324 is inconsistent with its size: skipped", 0, -1, 64}}));
    // A record whose size runs past the end breaks the framing: the picture ends there.
    file = wmf(10, 10, 96, {{0x041B, 5, 5, 0, 0}, {0x041B, 9, 9, 0, 0}});
    file[22 + 18 + 14] = 0xFF;  // the second rectangle's size: far past the end
    d.clear();
    const Lines ended = play(Metafile::Kind::Wmf, file, IRect{0, 0, 10, 10}, &d);
    ASSERT_EQ(ended.size(), 4u);
    EXPECT_EQ(ended[2].rfind("rectangle 0,0,5,5", 0), 0u);
    ASSERT_EQ(d.list().size(), 1u);
    EXPECT_EQ(d.list()[0].what, "WMF record 0x041b runs past the end of the picture: the picture ends here");
    EXPECT_EQ(d.list()[0].offset, 54);
    EXPECT_FALSE(Metafile::parse(Metafile::Kind::Wmf, {1, 2, 3}));
    EXPECT_FALSE(Metafile::parse(Metafile::Kind::Emf, file));
}

TEST(EmfPlayback, MappingWorldTransformStockObjectsAndSavedState)
{
    Bytes f = emfHeader(200, 100);
    f.u32(17).u32(12).u32(8);  // anisotropic
    f.u32(9).u32(16).u32(1000).u32(1000);  // window extent
    f.u32(11).u32(16).u32(100).u32(100);  // viewport extent: 10 units a pixel
    f.u32(37).u32(12).u32(0x80000004);  // black brush
    f.u32(37).u32(12).u32(0x80000008);  // null pen
    f.u32(33).u32(8);  // save
    // A move of 100 units right, twice: mode 1 resets to the identity, mode 2 applies it.
    for (const uint32_t mode : {1u, 2u})
        f.u32(36).u32(36).f32(1).f32(0).f32(0).f32(1).f32(100).f32(0).u32(mode);
    f.u32(43).u32(24).u32(0).u32(0).u32(200).u32(100);  // rectangle
    f.u32(34).u32(12).u32(static_cast<uint32_t>(-1));  // restore
    f.u32(87).u32(36).u32(0).u32(0).u32(0).u32(0).u32(2).u16(0).u16(0).u16(500).u16(250);  // polyline16
    f.u32(38).u32(28).u32(1).u32(0).u32(30).u32(0).u32(0x00FF00);  // pen 1: green, 30 units
    f.u32(37).u32(12).u32(1);
    f.u32(42).u32(24).u32(0).u32(0).u32(500).u32(300);  // ellipse
    f.u32(14).u32(20).u32(0).u32(0).u32(20);
    // The frame is 200 x 100 reference pixels drawn into a 400 x 200 destination: two pixels each.
    EXPECT_EQ(play(Metafile::Kind::Emf, f.b, IRect{0, 0, 400, 200}),
              (Lines{
                  "save",
                  "clip 0,0,400,200",
                  "rectangle 20,0,60,20 pen=#000000 w1 null copy brush=#000000 solid",
                  "polyline 0,0 100,50 pen=#000000 w1 null copy",
                  "ellipse 0,0,100,60 pen=#00ff00 w6 solid copy brush=#000000 solid",
                  "restore",
              }));
    auto m = Metafile::parse(Metafile::Kind::Emf, f.b);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->width(), 200);
    EXPECT_EQ(m->height(), 100);
}

TEST(EmfPlayback, PathsBecomePolygonsAndBadCountsAreSkipped)
{
    Bytes f = emfHeader(100, 100);
    f.u32(59).u32(8);  // begin path
    f.u32(27).u32(16).u32(10).u32(10);  // move
    f.u32(54).u32(16).u32(50).u32(10);  // line
    f.u32(54).u32(16).u32(50).u32(50);
    f.u32(61).u32(8);  // close figure
    f.u32(60).u32(8);  // end path
    f.u32(63).u32(8);  // stroke and fill
    f.u32(86).u32(36).u32(0).u32(0).u32(0).u32(0).u32(9999).u16(0).u16(0).u16(5).u16(5);  // count past the record
    f.u32(43).u32(24).u32(0).u32(0).u32(20).u32(20);
    f.u32(14).u32(20).u32(0).u32(0).u32(20);
    EXPECT_EQ(play(Metafile::Kind::Emf, f.b, IRect{0, 0, 100, 100}),
              (Lines{
                  "save",
                  "clip 0,0,100,100",
                  "polygon 10,10 50,10 50,50 pen=#000000 w1 null copy brush=#ffffff solid",
                  "polygon 10,10 50,10 50,50 pen=#000000 w1 solid copy brush=#ffffff clear",
                  "rectangle 0,0,20,20 pen=#000000 w1 solid copy brush=#ffffff solid",
                  "restore",
              }));
}

std::vector<uint8_t> readFile(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(MetafileCorpus, EveryFilePlaysAndTheSoundOnesDrawInsideDest)
{
    const std::filesystem::path root(VR_CORPUS_DIR);
    if (!std::filesystem::is_directory(root / "wmf") || !std::filesystem::is_directory(root / "emf"))
        GTEST_SKIP() << "no metafile corpus at " << root;
    // Deliberately malformed files.
    const std::vector<std::string> quiet{"bad_corrupted", "poi_61338", "poi_61294", "empty-polygon"};
    int played = 0;
    for (const char* sub : {"wmf", "emf"}) {
        for (const auto& entry : std::filesystem::directory_iterator(root / sub)) {
            const std::string name = entry.path().filename().string();
            if (entry.path().extension() != std::string(".") + sub)
                continue;
            const auto kind = std::string(sub) == "wmf" ? Metafile::Kind::Wmf : Metafile::Kind::Emf;
            auto m = Metafile::parse(kind, readFile(entry.path()));
            const bool malformed = std::any_of(quiet.begin(), quiet.end(),
                                               [&](const std::string& q) { return name.find(q) != std::string::npos; });
            if (!m) {
                EXPECT_TRUE(malformed) << name;
                continue;
            }
            QImage im = test::filledImage(140, 120);
            RasterCanvas c(im);
            const IRect dest{10, 10, 130, 110};
            m->play(c, dest);
            ++played;
            int inside = 0, outside = 0;
            for (int y = 0; y < im.height(); ++y)
                for (int x = 0; x < im.width(); ++x)
                    if (test::at(im, x, y) != kWhite)
                        ++(x >= dest.left && x < dest.right && y >= dest.top && y < dest.bottom ? inside : outside);
            EXPECT_EQ(outside, 0) << name;
            if (!malformed) {
                EXPECT_GT(inside, 20) << name;
            }
        }
    }
    EXPECT_GT(played, 50);
}

}  // namespace
}  // namespace vr
