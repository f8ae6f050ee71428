// The main window's client area: the blue desk with the shown page and its drop shadow. The
// tool bar, status bar and scroll panel are children stacked over it.
#pragma once
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "gfx/canvas/canvas.h"
#include "viewer/viewer.h"

namespace vr {

class PageDesk : public QWidget {
    Q_OBJECT
public:
    PageDesk(Viewer& viewer, QWidget* parent);

    static QColor deskColor() { return QColor(0, 0, 255); }

    // Where the shadow panel (POmbre) stands: 10 pixels right and down of the page shown, with
    // its size. Empty when no page is shown: the desk is then empty, with no shadow alone.
    QRect shadowRect() const;
    // How many times a page area was painted; repaints of an unchanged page reuse the image.
    int renderCount() const { return renders_; }
    // Device pixels per desk pixel the page is painted with: the screen's ratio, rounded up to
    // a whole number.
    int pixelScale() const;
    // Forget the painted page image (after a document or page change).
    void dropCache() { cache_ = Cache{}; }

    // The painted image of `area` (page coordinates) of `page`, `scale` device pixels per desk
    // pixel (kept until the page, its zoom or the area changes).
    const QImage& pageImage(TSurfaceT& page, const IRect& area, int scale);

    std::function<void()> onResized;
    // Told, after the paint that met it, that an object could not paint itself.
    std::function<void(const std::string&)> onPaintError;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Cache {
        const TSurfaceT* page = nullptr;
        int width = 0, height = 0;
        double zoom = 0;
        uint64_t serial = 0;
        IRect area;
        int scale = 1;
        QImage image;
    };
    Viewer& viewer_;
    Cache cache_;
    int renders_ = 0;
};

}  // namespace vr
