#include "viewer/render.h"

#include "gfx/canvas/page_image.h"
#include "gfx/canvas/raster_canvas.h"
#include "gfx/canvas/recording_canvas.h"

namespace vr {

QImage renderPageArea(TSurfaceT& page, double zoomFactor, const IRect& area, int dpi,
                      const std::function<void(const std::string&)>& onPaintError, Diagnostics* diagnostics)
{
    if (area.empty())
        return {};
    QImage image = newPageImage(area.width(), area.height());
    image.fill(Qt::white);
    RasterCanvas canvas(image, dpi);
    canvas.translate(-area.left, -area.top);
    canvas.clipTo(IRect{0, 0, page.width, page.height});
    PaintContext ctx;
    ctx.zoomFactor = zoomFactor;
    ctx.onPaintError = onPaintError;
    ctx.diagnostics = diagnostics;
    page.Paint(canvas, ctx);
    return image;
}

QImage renderPage(TSurfaceT& page, double zoomFactor, int dpi,
                  const std::function<void(const std::string&)>& onPaintError, Diagnostics* diagnostics)
{
    if (page.width < 1 || page.height < 1 || page.width > kMaxRenderSide || page.height > kMaxRenderSide)
        return {};
    return renderPageArea(page, zoomFactor, IRect{0, 0, page.width, page.height}, dpi, onPaintError, diagnostics);
}

std::vector<std::string> tracePage(TSurfaceT& page, double zoomFactor, Diagnostics* diagnostics)
{
    RecordingCanvas canvas(page.width, page.height);
    PaintContext ctx;
    ctx.zoomFactor = zoomFactor;
    ctx.diagnostics = diagnostics;
    page.Paint(canvas, ctx);
    return std::move(canvas.calls);
}

}  // namespace vr
