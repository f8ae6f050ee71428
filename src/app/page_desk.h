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

    // Where the shadow panel (POmbre) stands: 10 pixels right and down of the last page shown,
    // with its size. It stays there when the page goes away. Empty before any page was shown.
    QRect shadowRect() const { return shadow_; }
    // How many times a page area was painted; repaints of an unchanged page reuse the image.
    int renderCount() const { return renders_; }
    // Forget the painted page image (after a document or page change).
    void dropCache() { cache_ = Cache{}; }

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
        QImage image;
    };
    const QImage& pageImage(TSurfaceT& page, const IRect& area);

    Viewer& viewer_;
    Cache cache_;
    QRect shadow_;
    int renders_ = 0;
};

}  // namespace vr
