// Text output and text shadows: a page of 40 lines of runs at 100 % and 200 %, and 20 shadowed
// runs, each drawn on a fresh canvas as a page paint does.
#include <benchmark/benchmark.h>

#include <string>

#include <QImage>

#include "drawing/text_shadow.h"
#include "gfx/canvas/raster_canvas.h"
#include "gfx/fonts/glyph_text.h"

namespace {

// A line of six runs of 12 bytes from the upper half of the code page, two faces and styles.
void paintPage(vr::RasterCanvas& canvas, double zoom)
{
    std::string run;
    for (int k = 0; k < 12; ++k)
        run += static_cast<char>(0xC1 + (k * 7) % 60);
    canvas.brush.style = vr::BrushStyle::Clear;
    for (int line = 0; line < 40; ++line) {
        int x = static_cast<int>(700 * zoom);
        for (int r = 0; r < 6; ++r) {
            canvas.font = vr::FontRequest{r % 2 == 0 ? "QV_Hazel" : "DejaVu Serif", static_cast<int>(12 * zoom),
                                       static_cast<uint8_t>(r % 3 == 2 ? 1 : 0), 0};
            const int w = canvas.textWidth(run);
            x -= w;
            const int top = static_cast<int>((40 + line * 26) * zoom) + canvas.textMetrics().ascent / 8;
            canvas.textOut(x, top, run);
        }
    }
}

void BM_TextPage(benchmark::State& st)
{
    const double zoom = static_cast<double>(st.range(0)) / 100.0;
    QImage image(static_cast<int>(794 * zoom), static_cast<int>(1123 * zoom), QImage::Format_RGB32);
    for (auto _ : st) {
        image.fill(0xFFFFFFFF);
        vr::RasterCanvas canvas(image);
        paintPage(canvas, zoom);
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_TextPage)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

void BM_ShadowedRuns(benchmark::State& st)
{
    QImage image(794, 1123, QImage::Format_RGB32);
    const std::string text = "\xC7\xE1\xD3\xE1\xC7\xE3 \xDA\xE1\xED\xDF\xE3 \xC7\xE1\xD3\xE1\xC7\xE3 \xDA\xE1\xED\xDF";
    for (auto _ : st) {
        image.fill(0xFFFFFFFF);
        vr::RasterCanvas canvas(image);
        canvas.font = vr::FontRequest{"QV_Hazel", 18, 1, 0};
        for (int k = 0; k < 20; ++k) {
            const bool extruded = k % 2 == 0;
            vr::DrawTextShadow(canvas, extruded ? 4 : 3, extruded ? 315 : 3, extruded ? "0" : "2", 40 + 50 * k, 60,
                               text, 0x808080);
            canvas.textOut(60, 40 + 50 * k, text);
        }
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_ShadowedRuns)->Unit(benchmark::kMillisecond);

// A font not yet in the cache: the cost of each step of a text line growing point by point.
void BM_FontBuild(benchmark::State& st)
{
    vr::ByteFontCache cache;
    int size = 8;
    for (auto _ : st) {
        benchmark::DoNotOptimize(cache.get("DejaVu Sans", size, false, false));
        if (++size > 400) {
            size = 8;
            cache.clear();
        }
    }
}
BENCHMARK(BM_FontBuild)->Unit(benchmark::kMicrosecond);

}  // namespace
