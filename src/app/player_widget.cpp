#include "app/player_widget.h"

#include <QMouseEvent>
#include <QPainter>

#include "gfx/canvas/raster_canvas.h"
#include "player/player.h"

namespace vr {

PlayerWidget::PlayerWidget(TDPlayer& player, QWidget* parent) : QWidget(parent), player_(&player)
{
    setObjectName(QStringLiteral("TDPlayer"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    clip_ = player.clip();
    hadClip_ = clip_ != nullptr;
    if (clip_) {
        connect(clip_, &MediaClip::changed, this, qOverload<>(&QWidget::update));
        // The clip goes with its player and page: so does its widget.
        connect(clip_, &QObject::destroyed, this, &QObject::deleteLater);
    }
}

int PlayerWidget::buttonAt(const QPoint& p) const
{
    if (!player())
        return -1;
    const IRect bar = player_->MediaBar();
    return mediaButtonAt(bar.width(), bar.height(), p.x() - bar.left, p.y() - bar.top);
}

void PlayerWidget::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!player()) {
        p.fillRect(rect(), Qt::black);
        return;
    }
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        RasterCanvas canvas(image);
        player_->paintOnPage(canvas, PaintContext{});
    }
    p.drawImage(0, 0, image);
}

void PlayerWidget::mousePressEvent(QMouseEvent* event)
{
    const int b = buttonAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || b < 0 || !player_->buttons()[static_cast<size_t>(b)])
        return;
    player_->pressedButton = b;
    update();
}

void PlayerWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (!player() || player_->pressedButton < 0)
        return;
    const int pressed = player_->pressedButton;
    player_->pressedButton = -1;
    update();
    if (buttonAt(event->position().toPoint()) == pressed && clip_)
        clip_->press(static_cast<MediaButton>(pressed));
}

}  // namespace vr
