#include <QImage>
#include <QPainter>

#include "entries/entries.h"
#include "rtf/builder.h"
#include "rtf/reader.h"

namespace vr::fuzz {

void rtf(const uint8_t* data, size_t size)
{
    std::shared_ptr<const rtf::Document> doc;
    try {
        doc = std::make_shared<rtf::Document>(rtf::readRtf(data, size));
    } catch (const rtf::NotRtfError&) {
        return;
    }
    (void)doc->plainText();
    auto text = rtf::buildTextDocument(doc, 96);
    text->setTextWidth(200);
    text->setPageSize(QSizeF(200, 150));
    QImage image(200, 150, QImage::Format_RGB32);
    image.fill(0xFFFFFFFFu);
    QPainter p(&image);
    rtf::paintTextDocument(*text, p, QRectF(0, 0, 200, 150));
}

}  // namespace vr::fuzz
