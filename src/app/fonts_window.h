// TFSFonts: the information window shown after the fonts were copied.
#pragma once
#include <QDialog>

namespace vr {

class TFSFonts : public QDialog {
    Q_OBJECT
public:
    explicit TFSFonts(QWidget* parent = nullptr);
};

}  // namespace vr
