// Metafile playback: the largest corpus metafile (an EMF+ drawing of paths and bitmaps) played
// into a 1024-pixel-wide destination on a raster canvas, as a zoomed page paints a picture.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include <QImage>

#include "gfx/canvas/raster_canvas.h"
#include "gfx/metafile/metafile.h"

namespace {

// The biggest file of the corpus's emf/ and wmf/ folders, or an empty path when there is none.
std::filesystem::path largestMetafile()
{
    const std::filesystem::path root(VR_CORPUS_DIR);
    std::filesystem::path best;
    uintmax_t bestSize = 0;
    for (const char* sub : {"emf", "wmf"}) {
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(root / sub, ec)) {
            const std::string ext = e.path().extension().string();
            if ((ext == ".emf" || ext == ".wmf") && e.file_size() > bestSize) {
                bestSize = e.file_size();
                best = e.path();
            }
        }
    }
    return best;
}

void BM_PlayLargestMetafile(benchmark::State& st)
{
    const std::filesystem::path path = largestMetafile();
    if (path.empty()) {
        st.SkipWithError("no metafile corpus");
        return;
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    const auto kind = path.extension() == ".emf" ? vr::Metafile::Kind::Emf : vr::Metafile::Kind::Wmf;
    const std::optional<vr::Metafile> m = vr::Metafile::parse(kind, bytes);
    if (!m) {
        st.SkipWithError("the largest metafile does not parse");
        return;
    }
    const int w = 1024, h = std::clamp(w * m->height() / std::max(1, m->width()), 1, 4096);
    QImage image(w, h, QImage::Format_RGB32);
    for (auto _ : st) {
        image.fill(0xFFFFFFFFu);
        vr::RasterCanvas canvas(image);
        m->play(canvas, vr::IRect{0, 0, w, h});
        benchmark::DoNotOptimize(image.bits());
    }
    st.SetLabel(path.filename().string() + " " + std::to_string(w) + "x" + std::to_string(h));
}
BENCHMARK(BM_PlayLargestMetafile)->Unit(benchmark::kMillisecond);

}  // namespace
