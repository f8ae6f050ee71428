#include "app/pictures.h"

#include <QFont>
#include <QIcon>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace vr {
namespace {

const QColor kInk(0, 0, 0);
const QColor kFolder(224, 184, 64);
const QColor kPageBlue(0, 0, 160);

void triangle(QPainter& p, QPointF a, QPointF b, QPointF c)
{
    p.drawPolygon(QPolygonF({a, b, c}));
}

// Points right when dir is 1, left when -1, centred on x inside a size-high glyph.
void arrowHead(QPainter& p, double x, double size, int dir)
{
    const double h = size * 0.38;
    triangle(p, QPointF(x + dir * h, size / 2), QPointF(x - dir * h * 0.6, size / 2 - h),
             QPointF(x - dir * h * 0.6, size / 2 + h));
}

void drawBook(QPainter& p, const QRectF& r)
{
    const double mid = r.center().x();
    p.setPen(QPen(kInk, std::max(1.0, r.width() / 32)));
    p.setBrush(QColor(250, 250, 240));
    QPainterPath left, right;
    left.moveTo(mid, r.top() + r.height() * 0.12);
    left.cubicTo(mid - r.width() * 0.2, r.top(), r.left() + r.width() * 0.1, r.top(), r.left(),
                 r.top() + r.height() * 0.08);
    left.lineTo(r.left(), r.bottom() - r.height() * 0.06);
    left.cubicTo(r.left() + r.width() * 0.1, r.bottom() - r.height() * 0.14, mid - r.width() * 0.2,
                 r.bottom() - r.height() * 0.14, mid, r.bottom());
    left.closeSubpath();
    right = QTransform().translate(2 * mid, 0).scale(-1, 1).map(left);
    p.drawPath(left);
    p.drawPath(right);
    // Right-to-left lines of text on both leaves.
    p.setPen(QPen(kPageBlue, std::max(1.0, r.height() / 40)));
    for (int i = 1; i <= 4; ++i) {
        const double y = r.top() + r.height() * (0.2 + 0.15 * i);
        p.drawLine(QPointF(mid - r.width() * 0.08, y), QPointF(r.left() + r.width() * (0.1 + 0.05 * (i % 2)), y));
        p.drawLine(QPointF(r.right() - r.width() * 0.1, y), QPointF(mid + r.width() * (0.08 + 0.06 * (i % 3)), y));
    }
}

QPixmap transparentPixmap(int w, int h)
{
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    return pm;
}

}  // namespace

QPixmap buttonGlyph(Glyph glyph, int size)
{
    QPixmap pm = transparentPixmap(size, size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    switch (glyph) {
    case Glyph::Open: {
        p.setPen(QPen(kInk, 1));
        p.setBrush(kFolder.darker(115));
        p.drawRect(QRectF(s * 0.08, s * 0.25, s * 0.7, s * 0.6));
        p.drawRect(QRectF(s * 0.08, s * 0.17, s * 0.28, s * 0.08));
        p.setBrush(kFolder);
        p.drawPolygon(QPolygonF({QPointF(s * 0.22, s * 0.45), QPointF(s * 0.95, s * 0.45), QPointF(s * 0.78, s * 0.85),
                                 QPointF(s * 0.08, s * 0.85)}));
        break;
    }
    case Glyph::Print: {
        p.setPen(QPen(kInk, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(s * 0.28, s * 0.1, s * 0.44, s * 0.3));
        p.setBrush(QColor(192, 192, 192));
        p.drawRect(QRectF(s * 0.08, s * 0.38, s * 0.84, s * 0.34));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(s * 0.24, s * 0.62, s * 0.52, s * 0.28));
        p.setBrush(QColor(0, 160, 0));
        p.drawEllipse(QRectF(s * 0.76, s * 0.45, s * 0.08, s * 0.08));
        break;
    }
    case Glyph::First:
    case Glyph::Last: {
        const int dir = glyph == Glyph::Last ? 1 : -1;
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        arrowHead(p, s / 2 - dir * s * 0.08, s, dir);
        const double barX = dir > 0 ? s * 0.78 : s * 0.12;
        p.drawRect(QRectF(barX, s * 0.12, s * 0.12, s * 0.76));
        break;
    }
    case Glyph::Previous:
    case Glyph::Next:
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        arrowHead(p, s / 2, s, glyph == Glyph::Next ? 1 : -1);
        break;
    }
    return pm;
}

QPixmap programIcon(int size)
{
    // The same drawing as packaging/org.velmora.Reader.svg, on its 256-unit grid: a page of
    // right-to-left lines with a bookmark, on the blue desk, with its shadow.
    QPixmap pm = transparentPixmap(size, size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    p.setPen(Qt::NoPen);
    const QColor desk(0x1f, 0x3f, 0x9f);
    p.setBrush(desk);
    p.drawRoundedRect(QRectF(8, 8, 240, 240), 36, 36);
    p.setBrush(QColor(0, 0, 0, 89));
    p.drawRoundedRect(QRectF(66, 38, 140, 188), 6, 6);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(56, 28, 140, 188), 6, 6);
    p.setBrush(desk);
    for (const QRectF& line : {QRectF(92, 60, 84, 10), QRectF(76, 86, 100, 10), QRectF(110, 112, 66, 10),
                               QRectF(84, 138, 92, 10), QRectF(120, 164, 56, 10)})
        p.drawRoundedRect(line, 5, 5);
    p.drawEllipse(QPointF(100, 169), 6, 6);
    p.drawEllipse(QPointF(88, 169), 6, 6);
    p.setBrush(QColor(0xc8, 0x10, 0x2e));
    p.drawPolygon(
        QPolygonF({QPointF(176, 28), QPointF(192, 28), QPointF(192, 84), QPointF(184, 74), QPointF(176, 84)}));
    return pm;
}

QIcon programIcons()
{
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(programIcon(size));
    return icon;
}

QPixmap fontSetupPicture()
{
    QPixmap pm(367, 177);
    pm.fill(QColor(255, 255, 225));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, 366, 176);

    // Folder of fonts -> arrow -> the user's font folder.
    auto folder = [&](double x, double y, const QString& label) {
        p.setPen(QPen(kInk, 1));
        p.setBrush(kFolder.darker(115));
        p.drawRect(QRectF(x, y + 6, 70, 44));
        p.drawRect(QRectF(x, y, 26, 6));
        p.setBrush(kFolder);
        p.drawRect(QRectF(x, y + 14, 70, 36));
        p.setPen(kInk);
        p.setFont(QFont(QStringLiteral("Sans Serif"), 8, QFont::Bold));
        p.drawText(QRectF(x - 20, y + 52, 110, 16), Qt::AlignCenter, label);
        p.setFont(QFont(QStringLiteral("Serif"), 14, QFont::Bold));
        p.drawText(QRectF(x, y + 14, 70, 36), Qt::AlignCenter, QStringLiteral("Aa"));
    };
    folder(40, 18, QStringLiteral("QVLFonts"));
    folder(257, 18, QStringLiteral("Your fonts"));
    p.setPen(QPen(kPageBlue, 3));
    p.drawLine(QPointF(125, 44), QPointF(240, 44));
    p.setPen(Qt::NoPen);
    p.setBrush(kPageBlue);
    triangle(p, QPointF(250, 44), QPointF(236, 36), QPointF(236, 52));

    p.setPen(kInk);
    p.setFont(QFont(QStringLiteral("Sans Serif"), 8));
    const QStringList steps = {
        QStringLiteral("1. The Velmora fonts were copied into your font folder."),
        QStringLiteral("2. They are ready for this session of the reader."),
        QStringLiteral("3. Other programs see them once they are started again."),
        QStringLiteral("Press OK to go on reading."),
    };
    double y = 96;
    for (const QString& line : steps) {
        p.drawText(QRectF(14, y, 340, 16), Qt::AlignLeft | Qt::AlignVCenter, line);
        y += 18;
    }
    return pm;
}

QPixmap aboutPicture()
{
    QPixmap pm(207, 247);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 247);
    sky.setColorAt(0, QColor(0, 0, 128));
    sky.setColorAt(1, QColor(0, 0, 255));
    p.fillRect(pm.rect(), sky);
    // A page with its drop shadow, as the reader shows it.
    p.fillRect(QRect(44, 34, 130, 176), Qt::black);
    p.fillRect(QRect(34, 24, 130, 176), Qt::white);
    p.setPen(QPen(kPageBlue, 2));
    for (int i = 0; i < 8; ++i) {
        const int right = 152;
        const int length = 70 + (i * 23) % 40;
        p.drawLine(QPoint(right, 44 + i * 18), QPoint(right - length, 44 + i * 18));
    }
    drawBook(p, QRectF(70, 170, 110, 62));
    return pm;
}

}  // namespace vr
