#include "app/bevel_panel.h"

#include <QPainter>

namespace vr {
namespace {

// One bevel of the given width inside rect; returns the rectangle left inside it.
QRect drawBevel(QPainter& p, QRect rect, Bevel kind, int width)
{
    if (kind == Bevel::None)
        return rect;
    const QColor light(255, 255, 255), dark(128, 128, 128);
    const QColor topLeft = kind == Bevel::Raised ? light : dark;
    const QColor bottomRight = kind == Bevel::Raised ? dark : light;
    for (int i = 0; i < width && rect.width() > 1 && rect.height() > 1; ++i) {
        p.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), topLeft);
        p.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), topLeft);
        p.fillRect(QRect(rect.left() + 1, rect.bottom(), rect.width() - 1, 1), bottomRight);
        p.fillRect(QRect(rect.right(), rect.top() + 1, 1, rect.height() - 1), bottomRight);
        rect.adjust(1, 1, -1, -1);
    }
    return rect;
}

}  // namespace

BevelPanel::BevelPanel(QWidget* parent, Bevel outer, Bevel inner, int bevelWidth, int borderWidth)
    : QWidget(parent), outer_(outer), inner_(inner), bevelWidth_(bevelWidth), borderWidth_(borderWidth)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void BevelPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), faceColor());
    QRect r = drawBevel(p, rect(), outer_, bevelWidth_);
    r.adjust(borderWidth_, borderWidth_, -borderWidth_, -borderWidth_);
    drawBevel(p, r, inner_, bevelWidth_);
}

}  // namespace vr
