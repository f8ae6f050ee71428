// Developer tool: draws an RTF file the way rich-text frames draw it, into a PNG, to compare with
// other programs' drawings.  rtf-render FILE.rtf OUT.png [WIDTH_TWIPS] [DPI]
#include <cstdio>
#include <fstream>
#include <iterator>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "rtf/builder.h"
#include "rtf/reader.h"

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: rtf-render FILE.rtf OUT.png [WIDTH_TWIPS] [DPI]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const int widthTwips = argc > 3 ? std::atoi(argv[3]) : 9638;  // A4 less 2 cm margins
    const int dpi = argc > 4 ? std::atoi(argv[4]) : 96;
    std::shared_ptr<const vr::rtf::Document> doc;
    try {
        doc = std::make_shared<vr::rtf::Document>(vr::rtf::readRtf(bytes.data(), bytes.size()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    auto text = vr::rtf::buildTextDocument(doc, dpi);
    text->setTextWidth(widthTwips * dpi / 1440.0);
    const QSizeF size = text->size();
    QImage image(static_cast<int>(size.width()) + 1, std::min(20000, static_cast<int>(size.height()) + 1),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        vr::rtf::paintTextDocument(*text, p, QRectF(QPointF(0, 0), size));
    }
    image.save(QString::fromLocal8Bit(argv[2]));
    std::printf("%s\n", doc->plainText().toUtf8().constData());
    return 0;
}
