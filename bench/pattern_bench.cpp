// Painting a full page (794 x 1123) of each background pattern family at the densest step.
#include <benchmark/benchmark.h>

#include <QImage>

#include "drawing/background_pattern.h"
#include "gfx/canvas/raster_canvas.h"

namespace {

void BM_FillBackgroundPattern(benchmark::State& st)
{
    const auto pattern = static_cast<uint8_t>(st.range(0));
    const auto step = static_cast<uint8_t>(st.range(1));
    QImage image(794, 1123, QImage::Format_RGB32);
    for (auto _ : st) {
        vr::RasterCanvas canvas(image);
        vr::FillBackgroundPattern(canvas, 794, 1123, 0xFFFFFF, 0x0000C0, step, pattern);
        benchmark::DoNotOptimize(image.bits());
    }
}
// Dots, rays, circles, tall ellipses, quarter circles, a gradient, bands, ramps.
BENCHMARK(BM_FillBackgroundPattern)
    ->ArgsProduct({{0, 7, 9, 10, 11, 13, 19, 23}, {1, 5}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
