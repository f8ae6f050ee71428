// Sheet printers: the sheet sequence and its release, the sheet scan, PNG sheets, and printing to
// PDF files, through our own writer and through Qt, checked page by page (pdfinfo, or the file
// itself) and pixel by pixel (pdftoppm, from poppler-utils; those checks skip when it is not
// installed).
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "core/errors.h"
#include "gfx/print/pdf_file.h"
#include "gfx/print/printer.h"
#include "gfx/print/system/qt_printer.h"
#include "gfx_test_support.h"

namespace vr {
namespace {

using test::at;
using test::marked;

// ---------------------------------------------------------------------------------------------
// The sheet sequence

class RecordingPrinter : public PaperSheetPrinter {
public:
    RecordingPrinter(int dpi, double w, double h) : PaperSheetPrinter(dpi, w, h) { }

    std::vector<std::string> events;
    std::vector<const uchar*> buffers;  // the image memory of each emitted sheet
    std::vector<QImage> kept;  // shallow copies of the emitted sheets, when keep is set
    bool keep = false;
    bool failStart = false;
    int failOnSheet = 0;

protected:
    void startJob() override
    {
        if (failStart)
            throw VError("no job");
        events.push_back("start");
    }
    void emitSheet(QImage& sheet) override
    {
        const int number = sheetsEmitted() + 1;
        buffers.push_back(sheet.constBits());
        if (number == failOnSheet)
            throw VError("sheet lost");
        events.push_back("emit " + std::to_string(number) + ": " + std::to_string(marked(sheet).size()) + " marked");
        if (keep)
            kept.push_back(sheet);
    }
    void finishJob() override { events.push_back("finish"); }
    void abortJob() override { events.push_back("abort"); }
};

using Events = std::vector<std::string>;

TEST(SheetPrinter, EmitsEachSheetWhenTheNextStartsAndTheLastAtEndDoc)
{
    RecordingPrinter p(96, 30.0, 20.0);
    EXPECT_EQ(p.horzRes(), 113);
    EXPECT_EQ(p.vertRes(), 76);
    p.beginDoc();
    EXPECT_EQ(p.events, (Events{"start"}));
    EXPECT_EQ(p.sheetsEmitted(), 0);
    p.canvas().setPixel(1, 1, 0x0000FF);
    p.canvas().setPixel(2, 1, 0x0000FF);
    p.canvas().pen.width = 5;
    p.newPage();
    EXPECT_EQ(p.events, (Events{"start", "emit 1: 2 marked"}));
    EXPECT_EQ(p.sheetsEmitted(), 1);
    // The next sheet starts white, with the pen carried over.
    EXPECT_EQ(p.canvas().pen.width, 5);
    EXPECT_EQ(p.canvas().pixel(1, 1), kWhite);
    p.canvas().fillRect(IRect{0, 0, 3, 3}, kBlack);
    p.newPage();
    p.endDoc();
    EXPECT_EQ(p.events, (Events{"start", "emit 1: 2 marked", "emit 2: 9 marked", "emit 3: 0 marked", "finish"}));
    EXPECT_EQ(p.sheetsEmitted(), 3);
    EXPECT_FALSE(p.printing());
    EXPECT_THROW(p.canvas(), std::logic_error);
    EXPECT_THROW(p.endDoc(), std::logic_error);

    // The counter starts again with each document.
    p.events.clear();
    p.beginDoc();
    EXPECT_EQ(p.sheetsEmitted(), 0);
    p.endDoc();
    EXPECT_EQ(p.events, (Events{"start", "emit 1: 0 marked", "finish"}));
}

TEST(SheetPrinter, HoldsOneSheetAtATime)
{
    RecordingPrinter p(96, 30.0, 20.0);
    p.beginDoc();
    p.newPage();
    p.newPage();
    p.endDoc();
    ASSERT_EQ(p.buffers.size(), 3u);
    // One sheet buffer, filled again for each sheet.
    EXPECT_EQ(p.buffers[1], p.buffers[0]);
    EXPECT_EQ(p.buffers[2], p.buffers[0]);

    // A subclass that keeps an emitted sheet keeps it as it was: the next sheet gets new memory.
    RecordingPrinter k(96, 30.0, 20.0);
    k.keep = true;
    k.beginDoc();
    k.canvas().setPixel(3, 4, kBlack);
    k.newPage();
    k.canvas().setPixel(5, 6, kBlack);
    k.endDoc();
    ASSERT_EQ(k.kept.size(), 2u);
    EXPECT_NE(k.buffers[1], k.buffers[0]);
    EXPECT_EQ(marked(k.kept[0]), (test::Points{{3, 4}}));
    EXPECT_EQ(marked(k.kept[1]), (test::Points{{5, 6}}));
}

TEST(SheetPrinter, AbortEmitsNothingMore)
{
    RecordingPrinter p(96, 30.0, 20.0);
    p.beginDoc();
    p.newPage();
    p.canvas().setPixel(1, 1, kBlack);
    p.abort();
    EXPECT_EQ(p.events, (Events{"start", "emit 1: 0 marked", "abort"}));
    EXPECT_EQ(p.sheetsEmitted(), 1);
    EXPECT_FALSE(p.printing());
    EXPECT_THROW(p.canvas(), std::logic_error);
    EXPECT_THROW(p.newPage(), std::logic_error);
    // Aborting with no job is nothing.
    p.abort();
    EXPECT_EQ(p.events.size(), 3u);
}

TEST(SheetPrinter, AFailedSheetAbortsTheJob)
{
    RecordingPrinter p(96, 30.0, 20.0);
    p.failOnSheet = 2;
    p.beginDoc();
    p.newPage();
    EXPECT_THROW(p.newPage(), VError);
    EXPECT_FALSE(p.printing());
    EXPECT_EQ(p.events, (Events{"start", "emit 1: 0 marked", "abort"}));

    p.events.clear();
    p.failOnSheet = 1;
    p.beginDoc();
    EXPECT_THROW(p.endDoc(), VError);
    EXPECT_FALSE(p.printing());
    EXPECT_EQ(p.events, (Events{"start", "abort"}));

    // A job that cannot start is not printing and has nothing to abort.
    p.events.clear();
    p.failStart = true;
    EXPECT_THROW(p.beginDoc(), VError);
    EXPECT_FALSE(p.printing());
    EXPECT_TRUE(p.events.empty());
    EXPECT_THROW(p.canvas(), std::logic_error);
}

TEST(SheetPrinter, LandscapeAndResolution)
{
    RecordingPrinter p(300, 76.2, 50.8);  // 3 x 2 inches
    EXPECT_EQ(p.horzRes(), 900);
    EXPECT_EQ(p.vertRes(), 600);
    EXPECT_EQ(p.horzSize(), 76);
    EXPECT_EQ(p.vertSize(), 51);
    p.setOrientation(PaperOrientation::Landscape);
    EXPECT_EQ(p.horzRes(), 600);
    EXPECT_EQ(p.vertRes(), 900);
    EXPECT_EQ(p.horzSize(), 51);
    EXPECT_EQ(p.vertSize(), 76);
    p.beginDoc();
    EXPECT_EQ(p.canvas().width(), 600);
    EXPECT_EQ(p.canvas().height(), 900);
    EXPECT_EQ(p.canvas().dpiX(), 300);
    p.abort();
    EXPECT_THROW(RecordingPrinter(0, 10.0, 10.0), std::invalid_argument);
    EXPECT_THROW(RecordingPrinter(4801, 10.0, 10.0), std::invalid_argument);
}

// ---------------------------------------------------------------------------------------------
// The sheet scan

TEST(SheetScan, BlackAndWhiteIsOneBitPerPixel)
{
    QImage sheet = test::filledImage(21, 3);
    sheet.setPixel(0, 0, 0xFF000000u);
    sheet.setPixel(9, 1, 0xFF000000u);
    sheet.setPixel(20, 2, 0x00000000u);  // the alpha byte does not count
    std::vector<uchar> bits;
    const SheetContent c = scanSheet(sheet, bits);
    EXPECT_TRUE(c.blackAndWhite());
    EXPECT_TRUE(c.anyBlack);
    EXPECT_EQ(c.bytesPerLine, 4);
    ASSERT_EQ(bits.size(), 12u);
    EXPECT_EQ(bits[0], 0x7F);
    EXPECT_EQ(bits[1], 0xFF);
    EXPECT_EQ(bits[2], 0xFF);  // bits past the width are white
    EXPECT_EQ(bits[4 + 1], 0xBF);
    EXPECT_EQ(bits[8 + 2], 0xF7);

    const SheetContent blank = scanSheet(test::filledImage(5, 5), bits);
    EXPECT_TRUE(blank.blackAndWhite());
    EXPECT_FALSE(blank.anyBlack);
}

TEST(SheetScan, OtherPixelsGoInBands)
{
    QImage sheet = test::filledImage(40, 60);
    sheet.setPixel(5, 2, 0xFF808080u);  // grey
    sheet.setPixel(30, 4, 0xFF202020u);  // grey, 1 row gap: same band
    sheet.setPixel(10, 20, 0xFFFF0000u);  // red, 15 rows on: a new band
    sheet.setPixel(12, 29, 0xFF000000u);  // black is not banded
    sheet.setPixel(11, 29, 0xFF010101u);
    sheet.setPixel(39, 59, 0xFFFEFEFFu);  // not quite white, not grey
    std::vector<uchar> bits;
    const SheetContent c = scanSheet(sheet, bits);
    EXPECT_FALSE(c.blackAndWhite());
    EXPECT_TRUE(c.anyBlack);
    ASSERT_EQ(c.bands.size(), 3u);
    EXPECT_EQ(c.bands[0].rect, QRect(5, 2, 26, 3));
    EXPECT_TRUE(c.bands[0].greyOnly);
    EXPECT_EQ(c.bands[1].rect, QRect(10, 20, 2, 10));
    EXPECT_FALSE(c.bands[1].greyOnly);
    EXPECT_EQ(c.bands[2].rect, QRect(39, 59, 1, 1));
    EXPECT_FALSE(c.bands[2].greyOnly);
    // Banded pixels are white in the 1-bit view.
    EXPECT_EQ(bits[static_cast<size_t>(2 * c.bytesPerLine)], 0xFF);
    EXPECT_EQ(bits[static_cast<size_t>(29 * c.bytesPerLine + 1)], 0xF7);
}

// ---------------------------------------------------------------------------------------------
// PNG sheets

TEST(PngSheetPrinter, WritesEachSheetUnderItsName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::vector<int> asked;
    const std::string base = dir.path().toStdString() + "/sheet-";
    PngSheetPrinter p(96, 50.0, 40.0, [&](int n) {
        asked.push_back(n);
        return base + std::to_string(n) + ".png";
    });
    EXPECT_EQ(p.horzRes(), 189);
    EXPECT_EQ(p.vertRes(), 151);
    p.beginDoc();
    p.canvas().fillRect(IRect{2, 3, 10, 5}, kBlack);
    p.newPage();
    p.canvas().fillRect(IRect{1, 1, 4, 4}, 0x3366CC);
    p.canvas().setPixel(100, 100, 0x777777);
    p.setOrientation(PaperOrientation::Landscape);
    p.newPage();
    p.endDoc();
    EXPECT_EQ(asked, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(p.sheetsEmitted(), 3);

    std::vector<QImage> s;
    for (const QSize size : {QSize(189, 151), QSize(189, 151), QSize(151, 189)}) {
        s.emplace_back(QString::fromStdString(base + std::to_string(s.size() + 1) + ".png"));
        ASSERT_EQ(s.back().size(), size) << s.size();
    }
    EXPECT_EQ(s[0].depth(), 1);  // black and white
    const QImage s1 = s[0].convertToFormat(QImage::Format_RGB32), s2 = s[1].convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(marked(s1).size(), 16u);
    EXPECT_EQ(at(s1, 2, 3), kBlack);
    EXPECT_EQ(at(s1, 9, 4), kBlack);
    EXPECT_EQ(marked(s2).size(), 10u);
    EXPECT_EQ(at(s2, 3, 3), 0x3366CCu);
    EXPECT_EQ(at(s2, 100, 100), 0x777777u);
    EXPECT_TRUE(marked(s[2].convertToFormat(QImage::Format_RGB32)).empty());
}

TEST(PngSheetPrinter, ReportsAFileItCannotWrite)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string good = dir.path().toStdString() + "/one.png";
    const std::string bad = dir.path().toStdString() + "/missing/two.png";
    PngSheetPrinter p(96, 20.0, 20.0, [&](int n) { return n == 1 ? good : bad; });
    p.beginDoc();
    p.newPage();
    try {
        p.endDoc();
        FAIL() << "no error";
    } catch (const VError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot write " + bad);
    }
    EXPECT_FALSE(p.printing());
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(good)));
}

// ---------------------------------------------------------------------------------------------
// Printing to PDF files through Qt

struct PdfPages {
    int count = 0;  // the page tree's /Count
    std::vector<QSizeF> sizes;  // each page's media box, in points
};

// The page count and page sizes, read from the file itself (Qt writes its page objects plain).
PdfPages readPdfPages(const QString& path)
{
    QFile f(path);
    PdfPages out;
    if (!f.open(QIODevice::ReadOnly))
        return out;
    const std::string bytes = f.readAll().toStdString();
    // The page tree's count follows its list of kids, which can be long: found by plain search
    // (a regular expression over thousands of kids recurses too deep for the stack).
    const size_t tree = bytes.find("/Type /Pages");
    const size_t kidsEnd = tree == std::string::npos ? tree : bytes.find(']', bytes.find("/Kids", tree));
    const size_t count = kidsEnd == std::string::npos ? kidsEnd : bytes.find("/Count ", kidsEnd);
    if (count != std::string::npos)
        out.count = std::atoi(bytes.c_str() + count + 7);
    const std::regex box(R"(/MediaBox \[0 0 ([0-9.]+) ([0-9.]+)\])");
    for (auto it = std::sregex_iterator(bytes.begin(), bytes.end(), box); it != std::sregex_iterator(); ++it)
        out.sizes.emplace_back(std::stod((*it)[1]), std::stod((*it)[2]));
    return out;
}

void expectPages(const QString& path, int count, QSizeF points)
{
    const PdfPages own = readPdfPages(path);
    EXPECT_EQ(own.count, count) << path.toStdString();
    ASSERT_EQ(own.sizes.size(), static_cast<size_t>(count));
    for (const QSizeF& s : own.sizes) {
        EXPECT_NEAR(s.width(), points.width(), 0.01);
        EXPECT_NEAR(s.height(), points.height(), 0.01);
    }
}

QString pdftoppm()
{
    return QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
}

// One page of a PDF file rendered by pdftoppm, one pixel per dot of a `dpi` device, as
// Format_RGB32. Poppler's raster output (Splash) cannot show an image exactly at one image pixel
// per output pixel: it stretches every image over one more pixel than its box (floor of the far
// edge + 1) and interpolates below 400 %; from 400 % up it replicates pixels. So the page is
// rendered at four times the resolution and the centre of each 4 x 4 block is read.
QImage renderPage(const QString& pdf, int page, int dpi, const QString& workDir)
{
    const QString prefix = workDir + QStringLiteral("/render");
    QProcess run;
    run.start(pdftoppm(),
              {QStringLiteral("-r"), QString::number(4 * dpi), QStringLiteral("-f"), QString::number(page),
               QStringLiteral("-l"), QString::number(page), QStringLiteral("-singlefile"), pdf, prefix});
    if (!run.waitForFinished(120000) || run.exitCode() != 0)
        return QImage();
    const QImage big = QImage(prefix + QStringLiteral(".ppm")).convertToFormat(QImage::Format_RGB32);
    QFile::remove(prefix + QStringLiteral(".ppm"));
    QImage out(big.width() / 4, big.height() / 4, QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            out.setPixel(x, y, big.pixel(4 * x + 2, 4 * y + 2));
    return out;
}

// Pixels of `got` that differ from `want` where both have them, with the first few listed.
std::string pixelDifferences(const QImage& want, const QImage& got)
{
    int count = 0;
    std::string first;
    const int w = std::min(want.width(), got.width());
    const int h = std::min(want.height(), got.height());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t a = want.pixel(x, y) & 0xFFFFFFu, b = got.pixel(x, y) & 0xFFFFFFu;
            if (a != b && ++count <= 5) {
                char buf[80];
                std::snprintf(buf, sizeof buf, " (%d,%d) %06X != %06X", x, y, a, b);
                first += buf;
            }
        }
    return count == 0 ? std::string() : std::to_string(count) + " differ:" + first;
}

// A sheet printer that keeps a copy of each sheet it prints.
template <class Device> class Capturing : public Device {
public:
    using Device::Device;
    std::vector<QImage> sheets;

protected:
    void emitSheet(QImage& sheet) override
    {
        sheets.push_back(sheet.copy());
        Device::emitSheet(sheet);
    }
};
using CapturingQtPrinter = Capturing<QtPrinterDevice>;
using CapturingPdfPrinter = Capturing<PdfSheetPrinter>;

// Black dots and strokes scattered like text.
void drawTextLike(Canvas& c, int seed)
{
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            if (((x * 7 + y * 13 + seed) % 11 == 0 && (x / 9 + y / 17) % 3 != 0) || (y % 37 == 5 && x % 50 < 30))
                c.setPixel(x, y, kBlack);
}

// Paper of exactly 3 x 2 inches: 216 x 144 points, whole dots at the usual resolutions.
void setSmallPaper(QPrinter& printer)
{
    printer.setPageSize(QPageSize(QSizeF(76.2, 50.8), QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
}

// Black text, a band of greys at the top, one of many colours lower down and a blue corner.
void drawColourBands(Canvas& c)
{
    drawTextLike(c, 3);
    const int w = c.width(), h = c.height();
    c.fillRect(IRect{20, 10, 200, 60}, 0x808080);
    c.fillRect(IRect{300, 30, 320, 50}, 0xF0F0F0);
    for (int y = h / 3; y < h / 2; ++y)
        for (int x = 40; x < w - 40; ++x)
            if ((x + y) % 3 != 0)
                c.setPixel(x, y,
                           rgbColor(static_cast<uint8_t>(x), static_cast<uint8_t>(y * 3), static_cast<uint8_t>(x ^ y)));
    c.fillRect(IRect{w - 30, h - 20, w, h}, 0xFF0000);
}

class PdfFolder : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString path(const char* name) const { return dir_.path() + QLatin1Char('/') + QLatin1String(name); }
    QTemporaryDir dir_;
};
using QtPrinterPdf = PdfFolder;
using OwnPdf = PdfFolder;

TEST_F(QtPrinterPdf, PdfSheetsAreWholeA4PagesOrThePaintRectangleInsideTheMargins)
{
    // Margins in mm (left/right, top/bottom), then the sheet in dots at 300 dpi and in mm.
    const struct {
        double side, top;
        int horzRes, vertRes, horzSize, vertSize;
    } cases[] = {{0, 0, 2480, 3508, 210, 297}, {10, 20, 2244, 3035, 190, 257}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.side);
        const std::unique_ptr<QPrinter> printer = makePdfPrinter(path("a4.pdf").toStdString());
        if (c.side > 0) {
            printer->setFullPage(false);
            printer->setPageMargins(QMarginsF(c.side, c.top, c.side, c.top), QPageLayout::Millimeter);
        }
        QtPrinterDevice device(*printer, 300);
        EXPECT_EQ(device.horzRes(), c.horzRes);
        EXPECT_EQ(device.vertRes(), c.vertRes);
        EXPECT_EQ(device.horzSize(), c.horzSize);
        EXPECT_EQ(device.vertSize(), c.vertSize);
        EXPECT_EQ(device.logPixelsX(), 300);
        EXPECT_EQ(device.orientation(), PaperOrientation::Portrait);
    }
}

TEST_F(QtPrinterPdf, OnePagePerSheet)
{
    const std::unique_ptr<QPrinter> printer = makePdfPrinter(path("pages.pdf").toStdString());
    QtPrinterDevice device(*printer, 72);
    device.beginDoc();
    EXPECT_EQ(printer->resolution(), 72);
    device.canvas().fillRect(IRect{10, 10, 100, 20}, kBlack);
    device.newPage();
    device.canvas().fillRect(IRect{10, 10, 100, 20}, 0x00AA00);
    device.newPage();
    device.endDoc();
    EXPECT_EQ(device.sheetsEmitted(), 3);
    EXPECT_FALSE(device.printing());
    expectPages(path("pages.pdf"), 3, QSizeF(595, 842));

    // A second job on the same printer writes the file again.
    device.beginDoc();
    device.endDoc();
    expectPages(path("pages.pdf"), 1, QSizeF(595, 842));
}

TEST_F(QtPrinterPdf, LandscapeFollowsThePageLayout)
{
    const std::unique_ptr<QPrinter> printer = makePdfPrinter(path("landscape.pdf").toStdString());
    QtPrinterDevice device(*printer, 150);
    device.setOrientation(PaperOrientation::Landscape);
    EXPECT_EQ(printer->pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(device.orientation(), PaperOrientation::Landscape);
    EXPECT_EQ(device.horzRes(), 1754);
    EXPECT_EQ(device.vertRes(), 1240);
    EXPECT_EQ(device.horzSize(), 297);
    EXPECT_EQ(device.vertSize(), 210);
    // A change made on the QPrinter (as by the print dialog) is seen at once.
    printer->setPageOrientation(QPageLayout::Portrait);
    EXPECT_EQ(device.orientation(), PaperOrientation::Portrait);
    EXPECT_EQ(device.horzRes(), 1240);
    printer->setPageOrientation(QPageLayout::Landscape);
    device.beginDoc();
    EXPECT_EQ(device.canvas().width(), 1754);
    device.newPage();
    device.endDoc();
    expectPages(path("landscape.pdf"), 2, QSizeF(842, 595));
}

TEST_F(QtPrinterPdf, ReportsAnOutputItCannotOpenAndAbortLeavesNoFile)
{
    const std::string bad = path("missing/out.pdf").toStdString();
    const std::unique_ptr<QPrinter> unwritable = makePdfPrinter(bad);
    QtPrinterDevice broken(*unwritable, 96);
    try {
        broken.beginDoc();
        FAIL() << "no error";
    } catch (const VError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot print to " + bad);
    }
    EXPECT_FALSE(broken.printing());

    const std::unique_ptr<QPrinter> printer = makePdfPrinter(path("aborted.pdf").toStdString());
    QtPrinterDevice device(*printer, 96);
    device.beginDoc();
    device.newPage();
    device.abort();
    EXPECT_FALSE(device.printing());
    EXPECT_EQ(device.sheetsEmitted(), 1);
    EXPECT_FALSE(QFileInfo::exists(path("aborted.pdf")));
    // The printer can print again afterwards.
    device.beginDoc();
    device.endDoc();
    expectPages(path("aborted.pdf"), 1, QSizeF(595, 842));
}

// Every page of `pdf` rendered back must be the sheet it was printed from; answers the file's
// bytes for checks of how the images went in.
QByteArray expectSheetsBack(const QString& pdf, const std::vector<QImage>& sheets, int dpi, const QString& workDir)
{
    for (int page = 1; page <= static_cast<int>(sheets.size()); ++page) {
        const QImage got = renderPage(pdf, page, dpi, workDir);
        EXPECT_EQ(got.size(), QSize(dpi * 3, dpi * 2)) << dpi;
        if (got.size() == QSize(dpi * 3, dpi * 2)) {
            EXPECT_EQ(pixelDifferences(sheets[static_cast<size_t>(page) - 1], got), "") << dpi << " dpi, page " << page;
        }
    }
    QFile f(pdf);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_EQ(bytes.count("/DCTDecode"), 0);  // never JPEG
    return bytes;
}

TEST_F(QtPrinterPdf, BlackAndWhiteSheetsComeBackExact)
{
    if (pdftoppm().isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed (poppler-utils)";
    for (const int dpi : {300, 180}) {
        const QString pdf = path("mono.pdf");
        const std::unique_ptr<QPrinter> printer = makePdfPrinter(pdf.toStdString());
        setSmallPaper(*printer);
        CapturingQtPrinter device(*printer, dpi);
        device.beginDoc();
        drawTextLike(device.canvas(), 0);
        device.newPage();
        drawTextLike(device.canvas(), 5);
        device.canvas().fillRect(IRect{0, 0, device.horzRes(), 3}, kBlack);
        device.endDoc();
        expectPages(pdf, 2, QSizeF(216, 144));
        ASSERT_EQ(device.sheets.size(), 2u);
        EXPECT_EQ(device.sheets[0].size(), QSize(dpi * 3, dpi * 2));
        const QByteArray bytes = expectSheetsBack(pdf, device.sheets, dpi, dir_.path());
        // Sheets that are all black and white go as 1-bit images, nothing else.
        EXPECT_EQ(bytes.count("/BitsPerComponent 1"), 2) << dpi;
        EXPECT_EQ(bytes.count("/BitsPerComponent 8"), 0) << dpi;
    }
}

TEST_F(QtPrinterPdf, ColourSheetsComeBackExact)
{
    if (pdftoppm().isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed (poppler-utils)";
    for (const int dpi : {300, 150}) {
        const QString pdf = path("colour.pdf");
        const std::unique_ptr<QPrinter> printer = makePdfPrinter(pdf.toStdString());
        setSmallPaper(*printer);
        CapturingQtPrinter device(*printer, dpi);
        device.beginDoc();
        drawColourBands(device.canvas());
        device.newPage();
        // A sheet with colour and no black at all.
        device.canvas().fillRect(IRect{5, 5, 50, 50}, 0x00FFFF);
        device.endDoc();
        expectPages(pdf, 2, QSizeF(216, 144));
        const QByteArray bytes = expectSheetsBack(pdf, device.sheets, dpi, dir_.path());
        // The grey band went as 8-bit grey, the colour bands as RGB.
        EXPECT_EQ(bytes.count("/BitsPerComponent 8\n/ColorSpace /DeviceGray"), 1) << dpi;
        EXPECT_EQ(bytes.count("/ColorSpace /DeviceRGB"), 3) << dpi;
        EXPECT_EQ(bytes.count("/SMask"), bytes.count("/SMask /None"));  // no soft masks on images
        // Printing put the job's colour mode back.
        EXPECT_EQ(printer->colorMode(), QPrinter::Color);
    }
}

TEST(SystemPrinters, NamesAndLookups)
{
    const std::vector<std::string> names = systemPrinterNames();
    EXPECT_EQ(makeSystemPrinter("no such printer, surely"), nullptr);
    for (const std::string& n : names) {
        const std::unique_ptr<QPrinter> p = makeSystemPrinter(n);
        ASSERT_NE(p, nullptr) << n;
        EXPECT_EQ(p->outputFormat(), QPrinter::NativeFormat);
        EXPECT_EQ(p->printerName().toStdString(), n);
    }
    if (names.empty()) {
        EXPECT_EQ(makeSystemPrinter(""), nullptr);
    }
}

// ---------------------------------------------------------------------------------------------
// Printing to PDF files through our own writer

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What pdfinfo says of the file: "Pages: …" and "Page size: …" lines, or "" when not installed.
std::string pdfinfoLines(const QString& pdf)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (tool.isEmpty())
        return {};
    QProcess run;
    run.start(tool, {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1000"), pdf});
    if (!run.waitForFinished(60000) || run.exitCode() != 0)
        return "pdfinfo failed: " + run.readAllStandardError().toStdString();
    std::string lines;
    for (const QByteArray& l : run.readAllStandardOutput().split('\n'))
        if (l.startsWith("Pages:") || (l.startsWith("Page ") && l.contains(" size:")))
            lines += l.simplified().toStdString() + "\n";
    return lines;
}

// Every cross-reference entry must give the offset of its own object, and startxref the table's:
// readers that rebuild a broken table would hide a wrong one.
void expectExactCrossReferences(const QByteArray& pdf)
{
    const qsizetype xref = pdf.lastIndexOf("\nxref\n") + 1;
    ASSERT_GT(xref, 0);
    const qsizetype start = pdf.lastIndexOf("startxref\n");
    ASSERT_GT(start, xref);
    EXPECT_EQ(pdf.mid(start + 10, pdf.indexOf('\n', start + 10) - start - 10).toLongLong(), xref);
    EXPECT_TRUE(pdf.endsWith("%%EOF\n"));
    const qsizetype header = pdf.indexOf('\n', xref + 5);
    const QList<QByteArray> range = pdf.mid(xref + 5, header - xref - 5).split(' ');
    ASSERT_EQ(range.size(), 2);
    EXPECT_EQ(range[0], "0");
    const int count = range[1].toInt();
    ASSERT_GT(count, 1);
    EXPECT_EQ(pdf.mid(header + 1, 20), QByteArray("0000000000 65535 f \n"));
    for (int n = 1; n < count; ++n) {
        const QByteArray entry = pdf.mid(header + 1 + 20 * n, 20);
        ASSERT_TRUE(entry.endsWith(" 00000 n \n")) << n << ": " << entry.toStdString();
        const qsizetype at = entry.left(10).toLongLong();
        const QByteArray head = QByteArray::number(n) + " 0 obj\n";
        EXPECT_EQ(pdf.mid(at, head.size()), head) << "object " << n;
    }
    EXPECT_NE(pdf.indexOf("/Size " + QByteArray::number(count) + " "), -1);
}

TEST_F(OwnPdf, A4PagesOnePerSheetInEitherOrientation)
{
    const QString pdf = path("a4.pdf");
    PdfSheetPrinter device(300, 210.0, 297.0, pdf.toStdString());
    EXPECT_EQ(device.horzRes(), 2480);
    EXPECT_EQ(device.vertRes(), 3508);
    device.beginDoc();
    device.canvas().fillRect(IRect{10, 10, 100, 20}, kBlack);
    device.newPage();
    device.canvas().fillRect(IRect{10, 10, 100, 20}, 0x00AA00);
    device.newPage();  // left white
    device.endDoc();
    EXPECT_EQ(device.sheetsEmitted(), 3);
    EXPECT_FALSE(device.printing());
    expectPages(pdf, 3, QSizeF(595.2756, 841.8898));
    const QByteArray bytes = fileBytes(pdf);
    expectExactCrossReferences(bytes);
    // The white sheet is a page without images: one image for the black sheet, one for the green.
    EXPECT_EQ(bytes.count("/Subtype /Image"), 2);
    EXPECT_EQ(bytes.count("/Creator (Velmora Reader)"), 1);
    const std::string info = pdfinfoLines(pdf);
    if (!info.empty()) {
        EXPECT_EQ(info,
                  "Pages: 3\n"
                  "Page 1 size: 595.276 x 841.89 pts (A4)\n"
                  "Page 2 size: 595.276 x 841.89 pts (A4)\n"
                  "Page 3 size: 595.276 x 841.89 pts (A4)\n");
    }

    // A second job writes the file again; landscape swaps the sides.
    device.setOrientation(PaperOrientation::Landscape);
    device.beginDoc();
    EXPECT_EQ(device.canvas().width(), 3508);
    EXPECT_EQ(device.canvas().height(), 2480);
    device.newPage();
    device.endDoc();
    expectPages(pdf, 2, QSizeF(841.8898, 595.2756));
    expectExactCrossReferences(fileBytes(pdf));
    const std::string landscape = pdfinfoLines(pdf);
    if (!landscape.empty()) {
        EXPECT_EQ(landscape.substr(0, 9), "Pages: 2\n");
    }
}

TEST_F(OwnPdf, ThousandsOfPagesInOnePageTree)
{
    const QString pdf = path("many.pdf");
    PdfSheetPrinter device(20, 210.0, 297.0, pdf.toStdString());
    device.beginDoc();
    for (int s = 1; s < 1234; ++s) {
        device.canvas().setPixel(s % 100, s % 150, s % 3 == 0 ? kBlack : rgbColor(200, 0, 0));
        device.newPage();
    }
    device.endDoc();
    expectPages(pdf, 1234, QSizeF(595.2756, 841.8898));
    expectExactCrossReferences(fileBytes(pdf));
    const std::string info = pdfinfoLines(pdf);
    if (!info.empty()) {
        EXPECT_EQ(info.substr(0, 12), "Pages: 1234\n");
    }
}

TEST_F(OwnPdf, ReportsAFileItCannotWriteAndAbortLeavesNone)
{
    const std::string bad = path("missing/out.pdf").toStdString();
    PdfSheetPrinter broken(96, 210.0, 297.0, bad);
    try {
        broken.beginDoc();
        FAIL() << "no error";
    } catch (const VError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot write " + bad);
    }
    EXPECT_FALSE(broken.printing());

    const QString pdf = path("aborted.pdf");
    PdfSheetPrinter device(96, 210.0, 297.0, pdf.toStdString());
    device.beginDoc();
    device.newPage();
    EXPECT_TRUE(QFileInfo::exists(pdf));  // written as it goes
    device.abort();
    EXPECT_FALSE(device.printing());
    EXPECT_FALSE(QFileInfo::exists(pdf));
    device.beginDoc();
    device.endDoc();
    expectPages(pdf, 1, QSizeF(595.2756, 841.8898));
}

TEST_F(OwnPdf, SheetsComeBackExactAsTheSmallestImages)
{
    if (pdftoppm().isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed (poppler-utils)";
    for (const int dpi : {300, 180, 150}) {
        const QString pdf = path("sheets.pdf");
        CapturingPdfPrinter device(dpi, 76.2, 50.8, pdf.toStdString());
        device.beginDoc();
        // 1: black and white only.
        drawTextLike(device.canvas(), 0);
        device.canvas().fillRect(IRect{0, 0, device.horzRes(), 3}, kBlack);
        device.newPage();
        // 2: black text, a band of greys at the top, one of many colours lower down, a blue corner.
        drawColourBands(device.canvas());
        const int w = device.canvas().width(), h = device.canvas().height();
        device.newPage();
        // 3: colour and no black at all: a blue square, then blue lines on white.
        device.canvas().fillRect(IRect{5, 5, 50, 50}, 0xFF0000);
        for (int y = 60; y < h - 5; y += 7)
            device.canvas().fillRect(IRect{5 + y % 13, y, w - 5, y + 2}, 0xFF0000);
        device.newPage();
        // 4: five colours (red first) over black text: a 4-bit palette.
        drawTextLike(device.canvas(), 8);
        const Color five[] = {0x0000FF, 0x00FF00, 0x123456, 0xABCDEF, 0x777777};
        for (int i = 0; i < 5; ++i)
            device.canvas().fillRect(IRect{10 + 40 * i, 20, 40 + 40 * i, h - 20}, five[i]);
        device.endDoc();

        expectPages(pdf, 4, QSizeF(216, 144));
        ASSERT_EQ(device.sheets.size(), 4u);
        const QByteArray bytes = expectSheetsBack(pdf, device.sheets, dpi, dir_.path());
        expectExactCrossReferences(bytes);
        // Sheet 1: one 1-bit image. Sheet 2: 1-bit, the grey band as a palette (black, white and
        // two greys: 2 bits), the coloured band as predicted RGB, the blue corner as a palette of
        // blue alone (1 bit). Sheet 3: no black; the square as blue alone, the lines as white and
        // blue (1 bit). Sheet 4: 1-bit black, then one band of seven colours (4 bits). Palettes
        // list the colours as RGB in the order they first appear.
        EXPECT_EQ(bytes.count("/BitsPerComponent 1 /ColorSpace /DeviceGray"), 3) << dpi;
        EXPECT_EQ(bytes.count("/ColorSpace /DeviceRGB /DecodeParms << /Predictor 12 /Colors 3 /Columns " +
                              QByteArray::number(w - 80) + " >>"),
                  1)
            << dpi;
        EXPECT_EQ(bytes.count("/BitsPerComponent 2 /ColorSpace [/Indexed /DeviceRGB 3 <"), 1) << dpi;
        EXPECT_EQ(bytes.count("/BitsPerComponent 1 /ColorSpace [/Indexed /DeviceRGB 0 <0000FF>]"), 2) << dpi;
        EXPECT_EQ(bytes.count("/BitsPerComponent 1 /ColorSpace [/Indexed /DeviceRGB 1 <FFFFFF0000FF>]"), 1) << dpi;
        EXPECT_EQ(
            bytes.count(
                "/BitsPerComponent 4 /ColorSpace [/Indexed /DeviceRGB 6 <FF0000FFFFFF00FF00000000563412EFCDAB777777>]"),
            1)
            << dpi;
        EXPECT_EQ(bytes.count("/Subtype /Image"), 9) << dpi;
    }
}

TEST_F(OwnPdf, A4SheetsStartAtTheTopLeftCorner)
{
    if (pdftoppm().isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed (poppler-utils)";
    // At 72 dpi the sheet (595 x 842 dots) is not the paper's size in points (595.28 x 841.89):
    // its rows and columns still fall on the page's from the top left corner.
    const QString pdf = path("corner.pdf");
    CapturingPdfPrinter device(72, 210.0, 297.0, pdf.toStdString());
    device.beginDoc();
    Canvas& c = device.canvas();
    ASSERT_EQ(c.width(), 595);
    ASSERT_EQ(c.height(), 842);
    c.fillRect(IRect{0, 0, 595, 1}, kBlack);
    c.fillRect(IRect{0, 0, 1, 842}, 0x0000FF);
    c.fillRect(IRect{594, 0, 595, 842}, 0x00C000);
    c.fillRect(IRect{0, 840, 595, 841}, 0x808080);
    c.setPixel(300, 421, 0x123456);
    device.endDoc();
    const QImage got = renderPage(pdf, 1, 72, dir_.path());
    ASSERT_EQ(got.size(), QSize(595, 842));
    EXPECT_EQ(pixelDifferences(device.sheets[0], got), "");
}

}  // namespace
}  // namespace vr
