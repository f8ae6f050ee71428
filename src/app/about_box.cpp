#include "app/about_box.h"

#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "app/bevel_panel.h"
#include "app/pictures.h"

namespace vr {
namespace {

// The product name and "OK" written for the keyboard font: each byte picks the glyph the
// keyboard puts on that key, right-to-left order already applied as the editor stores it.
constexpr unsigned char kProductName[] = {0xD1, 0xC7, 0xE5, 0xE4, 0xE3, 0xC7, 0xED,
                                          0x20, 0xE6, 0xE1, 0xE3, 0xE6, 0xD1, 0xC7};
constexpr unsigned char kOkCaption[] = {0xC8, 0xD3, 0xED, 0xC7, 0xD1, 0x20, 0xCE, 0xE6, 0xC8};

QFont keyboardFont(int pixelSize)
{
    QFont font(QStringLiteral("ZR Keyb"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    return font;
}

QFont creditFont()
{
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(13);
    font.setItalic(true);
    return font;
}

}  // namespace

QString keyboardFontText(const unsigned char* codes, int count)
{
    return QString::fromLatin1(reinterpret_cast<const char*>(codes), count);
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(506, 288);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(aboutPicture());
    picture->setGeometry(291, 8, 207, 247);

    auto* panel = new BevelPanel(this, Bevel::Lowered, Bevel::None, 1, 0);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(8, 8, 275, 247);

    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setPixmap(programIcon(48));
    icon->setGeometry(12, 12, 48, 48);

    auto* product = new QLabel(keyboardFontText(kProductName, int(sizeof kProductName)), panel);
    product->setObjectName(QStringLiteral("ProductName"));
    product->setFont(keyboardFont(27));
    product->setGeometry(68, 14, 200, 40);

    auto* version = new QLabel(QStringLiteral("Velmora Reader 21"), panel);
    version->setObjectName(QStringLiteral("Version"));
    QFont versionFont = version->font();
    versionFont.setBold(true);
    version->setFont(versionFont);
    version->setGeometry(12, 76, 250, 20);

    const QString credits[] = {
        QStringLiteral("Pages read as their authors laid them out."),
        QStringLiteral("Made by the Velmora Reader contributors."),
        QStringLiteral("Free to share, to study and to improve."),
    };
    for (int i = 0; i < 3; ++i) {
        auto* line = new QLabel(credits[i], panel);
        line->setObjectName(QStringLiteral("Credit%1").arg(i + 1));
        line->setFont(creditFont());
        line->setGeometry(12, 130 + i * 24, 255, 20);
    }

    auto* ok = new QPushButton(keyboardFontText(kOkCaption, int(sizeof kOkCaption)), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setFont(keyboardFont(13));
    ok->setGeometry(0, 263, 506, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

}  // namespace vr
