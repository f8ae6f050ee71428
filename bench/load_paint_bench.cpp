// Loading a page-layout document of 999 pages (the most a page count holds), 40 lines a page,
// and painting one of its pages.
#include <benchmark/benchmark.h>

#include "core/doc_stream.h"
#include "largest_text_document.h"
#include "support/doc_writer.h"
#include "viewer/render.h"
#include "viewer/viewer.h"

namespace {

const vrtest::Bytes& largestDocument()
{
    static const vrtest::Bytes bytes = [] {
        vrtest::VpgWriter w;
        for (int p = 1; p <= 999; ++p) {  // a page count holds three digits
            w.page(std::string("P").append(std::to_string(p)));
            for (int i = 0; i < 40; ++i) {
                const char* arrows[4] = {"FN", "FD", "FL", "FR"};
                w.line(vrtest::LineRec(40 + i * 17, 40 + i * 25, 750 - i * 13, 1080 - i * 21,
                                       static_cast<uint32_t>(i * 0x050301), 1 + i % 4, std::to_string(i % 7),
                                       arrows[i % 4]));
            }
        }
        return w.bytes();
    }();
    return bytes;
}

void BM_LoadLargestDocument(benchmark::State& st)
{
    const vrtest::Bytes& bytes = largestDocument();
    for (auto _ : st) {
        vr::DocStream s = vr::DocStream::fromMemory(bytes);
        vr::Viewer v;
        v.LoadFromStream(s, true);
        benchmark::DoNotOptimize(v.state.PageCount);
        if (v.state.PageCount != 999 || v.pages().back()->objects().size() != 40)
            st.SkipWithError("the document did not load whole");
    }
    st.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_LoadLargestDocument)->Unit(benchmark::kMillisecond);

void BM_LoadLargestTextDocument(benchmark::State& st)
{
    const vrtest::Bytes& bytes = largestTextDocument();
    for (auto _ : st) {
        vr::DocStream s = vr::DocStream::fromMemory(bytes);
        vr::Viewer v;
        v.LoadFromStream(s, false);
        if (v.state.PageCount != 999)
            st.SkipWithError("the text document did not load whole");
    }
    st.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_LoadLargestTextDocument)->Unit(benchmark::kMillisecond);

void BM_PaintPage(benchmark::State& st)
{
    vr::DocStream s = vr::DocStream::fromMemory(largestDocument());
    vr::Viewer v;
    v.LoadFromStream(s, true);
    v.SetZoom(static_cast<int>(st.range(0)));
    for (auto _ : st) {
        QImage img = vr::renderPage(*v.state.CurrentPage, v.state.ZoomFactor);
        benchmark::DoNotOptimize(img.bits());
    }
}
BENCHMARK(BM_PaintPage)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

}  // namespace
