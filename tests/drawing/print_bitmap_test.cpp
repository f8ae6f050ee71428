// Bitmaps and frame backgrounds on a 600 dpi in-memory printer.
#include <climits>

#include <gtest/gtest.h>

#include "drawing/pixel_checks.h"
#include "drawing/print_bitmap.h"

namespace vr {
namespace {

using test::expectPixels;

constexpr Color kBack = rgbColor(230, 240, 250);
constexpr Color kBlue = rgbColor(0, 0, 255);

class PrintedSheet : public ::testing::Test {
protected:
    PrintedSheet() { printer.beginDoc(); }
    const QImage& sheet() const { return printer.sheets().back(); }
    void printPattern(const IRect& rect, const BackgroundRecord& bg, double scale)
    {
        PrintFrameBackground(printer, rect, bg, 1, scale, scale, nullptr, 1, rop::SrcCopy);
    }
    MemoryPrinter printer{600, 40.0, 40.0};  // 945 x 945 dots
};

TEST_F(PrintedSheet, BitmapIsStretchedWithTheRasterOperation)
{
    QImage four = test::filledImage(2, 2);
    four.setPixel(0, 0, toArgb(rgbColor(255, 0, 0)));
    four.setPixel(1, 0, toArgb(rgbColor(0, 255, 0)));
    four.setPixel(0, 1, toArgb(kBlue));
    PrintBitmap(printer, four, 10, 20, 40, 40, rop::SrcCopy);
    expectPixels(sheet(),
                 {{10, 20, rgbColor(255, 0, 0)},
                  {15, 25, rgbColor(255, 0, 0)},
                  {45, 25, rgbColor(0, 255, 0)},
                  {15, 55, kBlue},
                  {9, 20, kWhite},
                  {10, 19, kWhite}});

    // SRCAND keeps the bits both have.
    printer.canvas().fillRect(IRect{100, 100, 120, 120}, rgbColor(0x0F, 0xF0, 0xFF));
    PrintBitmap(printer, test::filledImage(1, 1, rgbColor(0x3C, 0x3C, 0x3C)), 100, 100, 20, 20, rop::SrcAnd);
    expectPixels(sheet(), {{105, 110, rgbColor(0x0C, 0x30, 0x3C)}, {120, 110, kWhite}});

    // A palette bitmap goes over through its colour table.
    QImage indexed(2, 1, QImage::Format_Indexed8);
    indexed.setColorTable({toArgb(rgbColor(1, 2, 3)), toArgb(rgbColor(250, 128, 7))});
    indexed.setPixel(0, 0, 1);
    indexed.setPixel(1, 0, 0);
    PrintBitmap(printer, indexed, 200, 200, 4, 2, rop::SrcCopy);
    expectPixels(sheet(), {{200, 201, rgbColor(250, 128, 7)}, {203, 200, rgbColor(1, 2, 3)}});
}

TEST_F(PrintedSheet, PatternIsRenderedAtPrinterResolutionWithTheScaledStep)
{
    // Style code 2 is pattern 3 (horizontal lines); step Round(10 x 6.25) = 62: rows 0, 62, 124, 186.
    printPattern(IRect{100, 50, 300, 250}, BackgroundRecord{kBack, kBlue, 10, 2}, 6.25);
    for (int row : {50, 112, 174, 236})
        expectPixels(sheet(), {{100, row, kBlue}, {299, row, kBlue}, {99, row, kWhite}, {300, row, kWhite}});
    expectPixels(sheet(), {{150, 111, kBack}, {150, 113, kBack}, {150, 249, kBack}, {150, 250, kWhite}});
}

TEST_F(PrintedSheet, ScaledStepsOutsideEightBits)
{
    // Round(1 x 0.4) = 0 is drawn as 1: every row.
    printPattern(IRect{0, 0, 10, 10}, BackgroundRecord{kBack, kBlue, 1, 2}, 0.4);
    EXPECT_EQ(test::columnText(sheet(), 5, 0, 9, kBlue), "..........");
    // Round(50 x 6.25) = Round(312.5) = 312 is kept: rows 0 and 312 only.
    printPattern(IRect{20, 0, 30, 400}, BackgroundRecord{kBack, kBlue, 50, 2}, 6.25);
    expectPixels(sheet(), {{25, 0, kBlue}, {25, 312, kBlue}, {25, 311, kBack}, {25, 313, kBack}, {25, 62, kBack}});
}

TEST_F(PrintedSheet, PlainAndUnknownStyleCodesPrintTheBackColour)
{
    for (uint8_t code : {24, 25, 255}) {
        printPattern(IRect{0, 0, 8, 8}, BackgroundRecord{kBack, kBlue, 1, code}, 6.25);
        EXPECT_TRUE(test::marked(sheet().copy(0, 0, 8, 8), kBack).empty()) << int(code);
        EXPECT_EQ(test::at(sheet(), 8, 8), kWhite);
    }
}

TEST_F(PrintedSheet, PictureBackgroundIsStretchedOverTheFrame)
{
    printer.canvas().fillRect(IRect{0, 0, 100, 100}, rgbColor(0xF0, 0x0F, 0xFF));
    QImage picture = test::filledImage(2, 1, rgbColor(0xFF, 0xFF, 0x00));
    picture.setPixel(1, 0, toArgb(rgbColor(0x33, 0x33, 0x33)));
    // HasPattern 0: the picture, whatever the record says.
    PrintFrameBackground(printer, IRect{10, 10, 60, 40}, BackgroundRecord{kBack, kBlue, 1, 0}, 0, 6.25, 6.25, &picture,
                         50, rop::SrcAnd);
    expectPixels(sheet(),
                 {{15, 20, rgbColor(0xF0, 0x0F, 0x00)},
                  {45, 20, rgbColor(0x30, 0x03, 0x33)},
                  {45, 45, rgbColor(0xF0, 0x0F, 0xFF)}});

    // A picture control 1 pixel wide (no file was found, no pattern made), or no picture at all,
    // prints nothing.
    const QImage wide = test::filledImage(4, 5, kBlue);
    PrintFrameBackground(printer, IRect{200, 200, 250, 250}, BackgroundRecord{}, 0, 1, 1, &wide, 1, rop::SrcCopy);
    PrintFrameBackground(printer, IRect{200, 200, 250, 250}, BackgroundRecord{}, 0, 1, 1, nullptr, 50, rop::SrcCopy);
    EXPECT_TRUE(test::marked(sheet().copy(200, 200, 50, 50)).empty());
}

TEST_F(PrintedSheet, OnePixelWidePictureIsStretchedOverTheWholeFrame)
{
    // The control is as wide as its frame; the picture in it may be a single column. The screen
    // shows it stretched, and so does the sheet.
    QImage thin = test::filledImage(1, 2, kBlue);
    thin.setPixel(0, 1, toArgb(rgbColor(0xFF, 0, 0)));
    PrintFrameBackground(printer, IRect{200, 200, 260, 240}, BackgroundRecord{}, 0, 1, 1, &thin, 60, rop::SrcCopy);
    expectPixels(sheet(),
                 {{200, 200, kBlue},
                  {259, 219, kBlue},
                  {200, 220, rgbColor(0xFF, 0, 0)},
                  {259, 239, rgbColor(0xFF, 0, 0)},
                  {260, 210, kWhite},
                  {230, 240, kWhite}});
}

TEST_F(PrintedSheet, EmptyOrAbsurdFramesPrintNoPattern)
{
    const BackgroundRecord dots{kBack, kBlue, 1, 0};
    printPattern(IRect{10, 10, 10, 500}, dots, 1);
    printPattern(IRect{10, 10, INT_MAX, 20}, dots, 1);
    printPattern(IRect{0, 0, 1900, 1900}, dots, 1);  // more than two sheets
    EXPECT_TRUE(test::marked(sheet()).empty());
    printPattern(IRect{0, 0, 1890, 2}, dots, 1);  // twice the sheet's side is still printed
    expectPixels(sheet(), {{944, 0, kBlue}});
}

}  // namespace
}  // namespace vr
