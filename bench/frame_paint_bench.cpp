// Painting text frames: an A4 page filled with text at 100 % and 200 %, and a page of runs with
// shadows.
#include <benchmark/benchmark.h>

#include "page/surface.h"
#include "text/memo.h"
#include "viewer/render.h"

namespace {

constexpr int kPageWidth = 794, kPageHeight = 1123;

// Bytes of the upper half, as the suite's fonts use them, with a space every few codes.
std::string textBytes(int n, int seed)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s.push_back(i % 6 == 5 ? ' ' : static_cast<char>(0xC1 + (seed * 7 + i * 5) % 58));
    return s;
}

// One frame covering the page like a text document's: 46 lines of 6 runs of 13 bytes, placed
// from the right margin, 22 pixels a line.
std::unique_ptr<vr::TSurfaceT> textPage(int shadowedRuns)
{
    auto page = std::make_unique<vr::TSurfaceT>();
    page->width = kPageWidth;
    page->height = kPageHeight;
    auto memo = std::make_unique<vr::TDMemo>();
    memo->left = 40;
    memo->top = 40;
    memo->width = kPageWidth - 80;
    memo->height = kPageHeight - 80;
    memo->LayoutWidth = memo->width;
    memo->LeftMargin = memo->RightMargin = 5;
    memo->Effects = {vr::TextEffect{0, 3, 45, 0x808080, "0", 0, 0, 0, 0},
                     vr::TextEffect{1, 2, 2, 0xC0C0C0, "2", 0, 0, 0, 0}};
    const int lines = shadowedRuns > 0 ? 10 : 46, runsPerLine = shadowedRuns > 0 ? 2 : 6;
    int shadowed = 0;
    for (int l = 0; l < lines; ++l) {
        memo->Lines.emplace_back(static_cast<int32_t>(memo->Runs.size()), runsPerLine, 2 + l * (shadowedRuns ? 90 : 22),
                                 1);
        int x = memo->width - 5;
        for (int r = 0; r < runsPerLine; ++r) {
            const int size = shadowedRuns ? 28 : 12 + (r % 3) * 2;
            vr::TDChaine run(textBytes(shadowedRuns ? 8 : 13, l * 11 + r), r % 2 ? "QV_Hazel" : "QV_Cedar",
                             static_cast<uint8_t>(size), static_cast<uint8_t>(r == 4 ? 1 : 0), 0x202020u * r, 0, 0);
            x -= shadowedRuns ? 300 : 115;
            run.X = x;
            if (shadowed < shadowedRuns) {
                run.Effect = shadowed % 2;
                ++shadowed;
            }
            memo->Runs.push_back(std::move(run));
        }
    }
    page->add(std::move(memo));
    return page;
}

void BM_PaintTextPage(benchmark::State& st)
{
    auto page = textPage(0);
    const int zoom = static_cast<int>(st.range(0));
    page->changeScale(zoom, 100);
    for (auto _ : st) {
        QImage img = vr::renderPage(*page, zoom / 100.0);
        benchmark::DoNotOptimize(img.bits());
    }
}
BENCHMARK(BM_PaintTextPage)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

void BM_PaintShadowedRuns(benchmark::State& st)
{
    auto page = textPage(20);
    for (auto _ : st) {
        QImage img = vr::renderPage(*page, 1.0);
        benchmark::DoNotOptimize(img.bits());
    }
}
BENCHMARK(BM_PaintShadowedRuns)->Unit(benchmark::kMillisecond);

}  // namespace
