// A page holding a full page of rich text (Persian and Latin paragraphs, bold, italic, colours):
// loading and painting it at 100 % and 200 %, and printing it at 300 dots per inch.
#include <benchmark/benchmark.h>

#include "core/doc_stream.h"
#include "gfx/print/printer.h"
#include "support/doc_writer.h"
#include "viewer/render.h"
#include "viewer/viewer.h"

namespace {

const vrtest::Bytes& richTextPage()
{
    static const vrtest::Bytes bytes = [] {
        std::string rtf =
            "{\\rtf1\\ansi\\ansicpg1256\\deff0{\\fonttbl{\\f0\\froman\\fcharset178 Times New Roman;}"
            "{\\f1\\fswiss\\fcharset0 Arial;}}{\\colortbl ;\\red0\\green0\\blue160;\\red192\\green0\\blue0;}\r\n";
        for (int i = 0; i < 14; ++i) {
            rtf +=
                "\\pard\\rtlpar\\qj\\sa60\\f0\\fs24\\rtlch {\\b\\cf1 \\'d3\\'e1\\'c7\\'e3} \\'c7\\'ed\\'e4 \\'ed\\'df "
                "\\'c8\\'e4\\'cf \\'dd\\'c7\\'d1\\'d3\\'ed \\'c7\\'d3\\'ca \\'df\\'e5 {\\cf2 \\'c7\\'d2 "
                "\\'d1\\'c7\\'d3\\'ca "
                "\\'c8\\'e5 \\'8d\\'81} \\'e4\\'e6\\'d4\\'ca\\'e5 \\'e3\\'ed\\'9d\\'d4\\'e6\\'cf \\'e6 {\\i "
                "\\'cd\\'d1\\'e6\\'dd "
                "\\'c2\\'e4} \\'c8\\'e5 \\'e5\\'e3 \\'e3\\'ed\\'9d\\'81\\'ed\\'e6\\'e4\\'cf\\'e4\\'cf \\'c7\\'ed\\'e4 "
                "\\'ed\\'df "
                "\\'c8\\'e4\\'cf \\'dd\\'c7\\'d1\\'d3\\'ed \\'c7\\'d3\\'ca.\\par\r\n";
            rtf +=
                "\\pard\\ltrpar\\qj\\sa60\\ltrch\\f1\\fs22 A Latin paragraph with {\\b bold} and {\\i italic} words, "
                "long enough to fill two lines of the frame so that the page is full of text to break, order "
                "and shape at every zoom.\\par\r\n";
        }
        rtf += "}";
        vrtest::VpgWriter w;
        w.page("P1");
        w.object("TDRICHEDIT", vrtest::richEditRecord(vrtest::boundsRecord("40", "40", "714", "1040"), {}, rtf));
        return w.bytes();
    }();
    return bytes;
}

void BM_LoadAndPaintRichTextPage(benchmark::State& st)
{
    for (auto _ : st) {
        vr::DocStream s = vr::DocStream::fromMemory(richTextPage());
        vr::Viewer v;
        v.LoadFromStream(s, true);
        v.SetZoom(static_cast<int>(st.range(0)));
        QImage img = vr::renderPage(*v.state.CurrentPage, v.state.ZoomFactor);
        benchmark::DoNotOptimize(img.bits());
    }
}
BENCHMARK(BM_LoadAndPaintRichTextPage)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

// Painting again a page already shown: the text is laid out once.
void BM_RepaintRichTextPage(benchmark::State& st)
{
    vr::DocStream s = vr::DocStream::fromMemory(richTextPage());
    vr::Viewer v;
    v.LoadFromStream(s, true);
    v.SetZoom(static_cast<int>(st.range(0)));
    for (auto _ : st) {
        QImage img = vr::renderPage(*v.state.CurrentPage, v.state.ZoomFactor);
        benchmark::DoNotOptimize(img.bits());
    }
}
BENCHMARK(BM_RepaintRichTextPage)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

void BM_PrintRichTextPage300(benchmark::State& st)
{
    vr::DocStream s = vr::DocStream::fromMemory(richTextPage());
    vr::Viewer v;
    v.LoadFromStream(s, true);
    const double scale = 300.0 / 96.0;
    for (auto _ : st) {
        vr::MemoryPrinter printer(300);
        printer.beginDoc();
        for (const auto& o : v.state.CurrentPage->objects())
            o->printOnSheet(printer, scale, scale);
        printer.endDoc();
        benchmark::DoNotOptimize(printer.sheets().size());
    }
}
BENCHMARK(BM_PrintRichTextPage300)->Unit(benchmark::kMillisecond);

}  // namespace
