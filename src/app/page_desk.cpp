#include "app/page_desk.h"

#include <QPaintEvent>
#include <QPainter>
#include <cmath>

#include "viewer/render.h"

namespace vr {

PageDesk::PageDesk(Viewer& viewer, QWidget* parent) : QWidget(parent), viewer_(viewer)
{
    setObjectName(QStringLiteral("Desk"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

const QImage& PageDesk::pageImage(TSurfaceT& page, const IRect& area, int scale)
{
    const double zoom = viewer_.state.ZoomFactor;
    if (cache_.page != &page || cache_.width != page.width || cache_.height != page.height || cache_.zoom != zoom ||
        cache_.serial != page.paintSerial() || !(cache_.area == area) || cache_.scale != scale ||
        cache_.image.isNull()) {
        // A message box cannot open inside a paint: the report waits for the event loop.
        const auto report = [this](const std::string& message) {
            QMetaObject::invokeMethod(
                this,
                [this, message] {
                    if (onPaintError)
                        onPaintError(message);
                },
                Qt::QueuedConnection);
        };
        QImage image;
        if (scale == 1) {
            image = renderPageArea(page, zoom, area, 96, report);
        } else {
            // A sharp page on a high-density screen: painted at `scale` times the zoom, as the
            // zoom commands scale it, and scaled back. Whole factors take every bound back
            // exactly (a x k / k), with the page at (0, 0) for the time being.
            const int left = page.left, top = page.top;
            page.left = 0;
            page.top = 0;
            page.changeScale(scale, 1);
            image = renderPageArea(page, zoom * scale,
                                   IRect{area.left * scale, area.top * scale, area.right * scale, area.bottom * scale},
                                   96, report);
            page.changeScale(1, scale);
            page.left = left;
            page.top = top;
            image.setDevicePixelRatio(scale);
        }
        cache_ = Cache{&page, page.width, page.height, zoom, page.paintSerial(), area, scale, std::move(image)};
        ++renders_;
    }
    return cache_.image;
}

QRect PageDesk::shadowRect() const
{
    const TSurfaceT* page = viewer_.state.CurrentPage;
    if (!page || !page->visible || page->width <= 0 || page->height <= 0)
        return {};
    return QRect(page->left + 10, page->top + 10, page->width, page->height);
}

int PageDesk::pixelScale() const
{
    // Fractional ratios (1.25, 1.5) get the next whole one, drawn smoothly down.
    const double ratio = devicePixelRatioF();
    return ratio > 1.01 ? static_cast<int>(std::ceil(ratio - 0.01)) : 1;
}

void PageDesk::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.fillRect(event->rect(), deskColor());

    // The shadow goes with the page: with no page shown the desk is empty.
    const QRect shadow = shadowRect();
    if (shadow.isEmpty())
        return;
    p.fillRect(shadow, Qt::black);
    TSurfaceT* page = viewer_.state.CurrentPage;

    // Only the part of the page inside the desk is painted: a page at 200 % can be far larger.
    const QRect onDesk = QRect(page->left, page->top, page->width, page->height) & rect();
    if (onDesk.isEmpty())
        return;
    const IRect area{onDesk.left() - page->left, onDesk.top() - page->top, onDesk.right() + 1 - page->left,
                     onDesk.bottom() + 1 - page->top};
    const int scale = pixelScale();
    const QImage& image = pageImage(*page, area, scale);
    if (image.isNull())
        return;
    if (scale != devicePixelRatioF())
        p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRectF(onDesk), image);
}

void PageDesk::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (onResized)
        onResized();
}

}  // namespace vr
