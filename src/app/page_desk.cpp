#include "app/page_desk.h"

#include <QPaintEvent>
#include <QPainter>

#include "viewer/render.h"

namespace vr {

PageDesk::PageDesk(Viewer& viewer, QWidget* parent) : QWidget(parent), viewer_(viewer)
{
    setObjectName(QStringLiteral("Desk"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

const QImage& PageDesk::pageImage(TSurfaceT& page, const IRect& area)
{
    const double zoom = viewer_.state.ZoomFactor;
    if (cache_.page != &page || cache_.width != page.width || cache_.height != page.height || cache_.zoom != zoom ||
        cache_.serial != page.paintSerial() || !(cache_.area == area) || cache_.image.isNull()) {
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
        cache_ = Cache{&page,
                       page.width,
                       page.height,
                       zoom,
                       page.paintSerial(),
                       area,
                       renderPageArea(page, zoom, area, 96, report)};
        ++renders_;
    }
    return cache_.image;
}

void PageDesk::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.fillRect(event->rect(), deskColor());

    TSurfaceT* page = viewer_.state.CurrentPage;
    const bool shown = page && page->visible && page->width > 0 && page->height > 0;
    if (shown)
        shadow_ = QRect(page->left + 10, page->top + 10, page->width, page->height);
    if (!shadow_.isEmpty())
        p.fillRect(shadow_, Qt::black);
    if (!shown)
        return;

    // Only the part of the page inside the desk is painted: a page at 200 % can be far larger.
    const QRect onDesk = QRect(page->left, page->top, page->width, page->height) & rect();
    if (onDesk.isEmpty())
        return;
    const IRect area{onDesk.left() - page->left, onDesk.top() - page->top, onDesk.right() + 1 - page->left,
                     onDesk.bottom() + 1 - page->top};
    const QImage& image = pageImage(*page, area);
    if (!image.isNull())
        p.drawImage(onDesk.topLeft(), image);
}

void PageDesk::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (onResized)
        onResized();
}

}  // namespace vr
