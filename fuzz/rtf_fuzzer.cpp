// RTF reader and the text document built from it, laid out on a narrow column and painted.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "rtf/builder.h"
#include "rtf/reader.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::shared_ptr<const vr::rtf::Document> doc;
    try {
        doc = std::make_shared<vr::rtf::Document>(vr::rtf::readRtf(data, size));
    } catch (const vr::rtf::NotRtfError&) {
        return 0;
    }
    (void)doc->plainText();
    auto text = vr::rtf::buildTextDocument(doc, 96);
    text->setTextWidth(200);
    text->setPageSize(QSizeF(200, 150));
    QImage image(200, 150, QImage::Format_RGB32);
    image.fill(0xFFFFFFFFu);
    QPainter p(&image);
    vr::rtf::paintTextDocument(*text, p, QRectF(0, 0, 200, 150));
    return 0;
}
