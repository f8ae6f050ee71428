// A panel drawn the way the window's panels were: an outer bevel, a border of the panel colour
// and an inner bevel, each optional.
#pragma once
#include <QWidget>

namespace vr {

enum class Bevel { None, Raised, Lowered };

class BevelPanel : public QWidget {
    Q_OBJECT
public:
    BevelPanel(QWidget* parent, Bevel outer, Bevel inner, int bevelWidth, int borderWidth);

    // The classic face colour of tool bars and status bars.
    static QColor faceColor() { return QColor(192, 192, 192); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Bevel outer_, inner_;
    int bevelWidth_, borderWidth_;
};

}  // namespace vr
