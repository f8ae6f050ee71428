// Loading a 1000-page page-layout document (40 lines a page) and painting one of its pages.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include "core/doc_stream.h"
#include "support/doc_writer.h"
#include "viewer/render.h"
#include "viewer/viewer.h"

namespace {

const vrtest::Bytes& thousandPages()
{
    static const vrtest::Bytes bytes = [] {
        vrtest::VpgWriter w;
        for (int p = 1; p <= 1000; ++p) {
            w.page("P" + std::to_string(p));
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

void BM_LoadThousandPages(benchmark::State& st)
{
    const vrtest::Bytes& bytes = thousandPages();
    for (auto _ : st) {
        vr::DocStream s = vr::DocStream::fromMemory(bytes);
        vr::Viewer v;
        v.LoadFromStream(s, true);
        benchmark::DoNotOptimize(v.state.PageCount);
    }
    st.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_LoadThousandPages)->Unit(benchmark::kMillisecond);

void BM_PaintPage(benchmark::State& st)
{
    vr::DocStream s = vr::DocStream::fromMemory(thousandPages());
    vr::Viewer v;
    v.LoadFromStream(s, true);
    v.SetZoom(static_cast<int>(st.range(0)));
    for (auto _ : st) {
        QImage img = vr::renderPage(*v.state.CurrentPage, v.state.ZoomFactor);
        benchmark::DoNotOptimize(img.bits());
    }
}
BENCHMARK(BM_PaintPage)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
