// Handing printed sheets to a PDF file at 300 dpi (A4, 2480 x 3508 dots), through Qt's PDF engine
// and through our own PDF writer: the time to emit one sheet (scan, images, deflate, next sheet
// filled white) for a text sheet (black text on
// white), a text sheet with a colour picture and a coloured heading, a text sheet with grey
// panels, a sheet that is colour all over and one of dark blue text; the sheet scan alone; and whether memory stays
// flat over a few hundred sheets (peak resident size before and after).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <QImage>
#include <QPrinter>
#include <QTemporaryDir>
#include <sys/resource.h>
#include <unistd.h>

#include "gfx/canvas/raster_canvas.h"
#include "gfx/print/pdf_file.h"
#include "gfx/print/system/qt_printer.h"

namespace {

constexpr int kDpi = 300;

enum Kind { Text = 0, TextAndPicture = 1, TextAndGrey = 2, ColourAllOver = 3, BlueText = 4 };
const char* const kKindNames[] = {"text", "text+picture", "text+grey", "colour all over", "blue text"};

// 60 lines of 11-point text with margins of 2 cm, as a typical page of a text document.
void drawText(vr::Canvas& c, vr::Color colour = vr::kBlack)
{
    std::string line;
    for (int k = 0; k < 78; ++k)
        line += k % 7 == 6 ? ' ' : static_cast<char>('a' + (k * 5) % 26);
    c.brush.style = vr::BrushStyle::Clear;
    c.font = vr::FontRequest{"DejaVu Serif", 11, 0, colour};
    for (int l = 0; l < 60; ++l)
        c.textOut(236, 300 + l * 48, line);
}

QImage makeSheet(Kind kind)
{
    QImage sheet(2480, 3508, QImage::Format_RGB32);
    sheet.fill(0xFFFFFFFFu);
    vr::RasterCanvas c(sheet, kDpi);
    if (kind == ColourAllOver) {
        for (int y = 0; y < sheet.height(); ++y) {
            auto* px = reinterpret_cast<QRgb*>(sheet.scanLine(y));
            for (int x = 0; x < sheet.width(); ++x)
                px[x] = qRgb(x * 255 / sheet.width(), y * 255 / sheet.height(), 128 + ((x / 40 + y / 40) % 2) * 60);
        }
        drawText(c);
        return sheet;
    }
    drawText(c, kind == BlueText ? 0x800000 : vr::kBlack);
    if (kind == TextAndPicture) {
        // A coloured heading and a 10 x 7 cm picture.
        c.font = vr::FontRequest{"DejaVu Serif", 18, 1, 0x0000C0};
        c.textOut(236, 150, "Chapter one: the colours of the page");
        for (int y = 1200; y < 2027; ++y) {
            auto* px = reinterpret_cast<QRgb*>(sheet.scanLine(y));
            for (int x = 700; x < 1881; ++x)
                px[x] = qRgb((x * 7) & 255, (y * 3) & 255, (x + y) & 255);
        }
    } else if (kind == TextAndGrey) {
        // Shaded frames behind two paragraphs.
        c.fillRect(vr::IRect{220, 800, 2260, 1100}, 0xE0E0E0);
        c.fillRect(vr::IRect{220, 2000, 2260, 2400}, 0xC8C8C8);
        drawText(c);
    }
    return sheet;
}

double peakMB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_maxrss) / 1024.0;
}

double residentMB()
{
    long pages = 0, resident = 0;
    std::ifstream statm("/proc/self/statm");
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Copies a prepared sheet onto the device's sheet in progress.
void fillSheet(vr::PrinterDevice& device, const QImage& content)
{
    device.canvas().stretchBlt(vr::IRect{0, 0, content.width(), content.height()}, content,
                               vr::IRect{0, 0, content.width(), content.height()}, vr::rop::SrcCopy);
}

void BM_EmitSheetToPdf(benchmark::State& st)
{
    const Kind kind = static_cast<Kind>(st.range(0));
    st.SetLabel(kKindNames[kind]);
    const QImage content = makeSheet(kind);
    std::vector<uchar> bits;
    const vr::SheetContent scan = vr::scanSheet(content, bits);
    QTemporaryDir dir;
    const std::string pdf = dir.filePath("emit.pdf").toStdString();
    auto printer = vr::makePdfPrinter(pdf);
    vr::QtPrinterDevice device(*printer, kDpi);
    device.beginDoc();
    for (auto _ : st) {
        st.PauseTiming();
        fillSheet(device, content);
        st.ResumeTiming();
        device.newPage();  // emits the sheet and starts the next one
    }
    device.abort();
    st.counters["bands"] = static_cast<double>(scan.bands.size());
    long long area = 0;
    for (const auto& b : scan.bands)
        area += static_cast<long long>(b.rect.width()) * b.rect.height();
    st.counters["banded_%"] = 100.0 * static_cast<double>(area) / (2480.0 * 3508.0);
}
BENCHMARK(BM_EmitSheetToPdf)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ScanSheet(benchmark::State& st)
{
    const QImage content = makeSheet(static_cast<Kind>(st.range(0)));
    st.SetLabel(kKindNames[st.range(0)]);
    std::vector<uchar> bits;
    for (auto _ : st)
        benchmark::DoNotOptimize(vr::scanSheet(content, bits));
}
// The same sheets through our own PDF writer; the file's size per sheet as a counter.
void BM_EmitSheetToOwnPdf(benchmark::State& st)
{
    const Kind kind = static_cast<Kind>(st.range(0));
    st.SetLabel(kKindNames[kind]);
    const QImage content = makeSheet(kind);
    QTemporaryDir dir;
    const std::string pdf = dir.filePath("own.pdf").toStdString();
    vr::PdfSheetPrinter device(kDpi, 210.0, 297.0, pdf);
    device.beginDoc();
    for (auto _ : st) {
        st.PauseTiming();
        fillSheet(device, content);
        st.ResumeTiming();
        device.newPage();
    }
    device.endDoc();
    std::ifstream f(pdf, std::ios::binary | std::ios::ate);
    st.counters["kB_per_sheet"] = static_cast<double>(f.tellg()) / 1024.0 / static_cast<double>(st.iterations() + 1);
    st.counters["sheets_per_s"] = benchmark::Counter(static_cast<double>(st.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EmitSheetToOwnPdf)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK(BM_ScanSheet)->Arg(Text)->Arg(TextAndPicture)->Unit(benchmark::kMillisecond);

// Many text sheets (every tenth with the picture) to one PDF file, through our own writer (second
// argument 1) or Qt's engine (0): peak resident size after the first 20 sheets and after all of
// them, and the file size. Run one at a time (--benchmark_filter) for the peak of each alone.
void BM_ManySheetsMemory(benchmark::State& st)
{
    const int sheets = static_cast<int>(st.range(0));
    const bool own = st.range(1) == 1;
    st.SetLabel(own ? "own writer" : "Qt's engine");
    const QImage text = makeSheet(Text);
    const QImage picture = makeSheet(TextAndPicture);
    QTemporaryDir dir;
    const std::string pdf = dir.filePath("many.pdf").toStdString();
    double peakAfterWarmUp = 0, peakAtEnd = 0, residentAfterWarmUp = 0, residentAtEnd = 0;
    for (auto _ : st) {
        std::unique_ptr<QPrinter> printer;
        std::unique_ptr<vr::PrinterDevice> device;
        if (own) {
            device = std::make_unique<vr::PdfSheetPrinter>(kDpi, 210.0, 297.0, pdf);
        } else {
            printer = vr::makePdfPrinter(pdf);
            device = std::make_unique<vr::QtPrinterDevice>(*printer, kDpi);
        }
        device->beginDoc();
        for (int s = 1; s <= sheets; ++s) {
            fillSheet(*device, s % 10 == 0 ? picture : text);
            if (s == 20) {
                peakAfterWarmUp = peakMB();
                residentAfterWarmUp = residentMB();
            }
            if (s < sheets)
                device->newPage();
        }
        device->endDoc();
        peakAtEnd = peakMB();
        residentAtEnd = residentMB();
    }
    st.counters["sheets_per_s"] = benchmark::Counter(static_cast<double>(sheets) * static_cast<double>(st.iterations()),
                                                     benchmark::Counter::kIsRate);
    st.counters["peak_MB_after_20"] = peakAfterWarmUp;
    st.counters["peak_MB_at_end"] = peakAtEnd;
    st.counters["resident_growth_MB"] = residentAtEnd - residentAfterWarmUp;
    std::ifstream f(pdf, std::ios::binary | std::ios::ate);
    st.counters["pdf_MB"] = static_cast<double>(f.tellg()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_ManySheetsMemory)->Args({2000, 1})->Args({300, 0})->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
