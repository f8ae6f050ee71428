#include "app/fonts_window.h"

#include <QLabel>
#include <QPushButton>

#include "app/pictures.h"

namespace vr {

TFSFonts::TFSFonts(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FSFonts"));
    setWindowTitle(QStringLiteral("Velmora Fonts setup"));
    setFixedSize(388, 246);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(fontSetupPicture());
    picture->setGeometry(10, 10, 367, 177);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setGeometry(156, 200, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace vr
