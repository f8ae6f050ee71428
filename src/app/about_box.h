// TAboutBox: program icon, product name in the suite's keyboard font, version and credits.
#pragma once
#include <QDialog>
#include <QString>

namespace vr {

// 8-bit codes of the suite's keyboard font, shown as stored (one glyph per byte).
QString keyboardFontText(const unsigned char* codes, int count);

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
};

}  // namespace vr
