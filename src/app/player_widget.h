// The live player of the window: a widget over the page at the player's bounds, painted with the
// player's own drawing (panel, display area with the clip's current frame, media bar) and
// answering clicks on the bar's buttons. It follows the clip as it plays and goes away with it.
#pragma once
#include <QPointer>
#include <QWidget>

#include "player/media_clip.h"

namespace vr {

class TDPlayer;

class PlayerWidget : public QWidget {
    Q_OBJECT
public:
    PlayerWidget(TDPlayer& player, QWidget* parent);

    TDPlayer* player() const { return clip_ || !hadClip_ ? player_ : nullptr; }
    // The button at a point of the widget, or -1.
    int buttonAt(const QPoint& p) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TDPlayer* player_;
    QPointer<MediaClip> clip_;
    bool hadClip_ = false;
};

}  // namespace vr
