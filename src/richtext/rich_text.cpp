#include "richtext/rich_text.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <QPainter>

#include "core/rounding.h"
#include "gfx/print/printer.h"
#include "rtf/builder.h"
#include "rtf/reader.h"

namespace vr {
namespace {

// Plain text of the control is in the code page of the Persian Windows systems the documents
// were written on.
constexpr int kPlainTextCodePage = 1256;
// A rich text longer than this many sheets stops there: one frame never feeds the printer an
// unbounded run of sheets.
constexpr int kMaxSheets = 500;

int64_t toTwips(double pixels, double scale, int dpi)
{
    return static_cast<int64_t>(roundHalfEven(pixels * scale)) * 1440 / std::max(1, dpi);
}

// Twips to printer dots, rounded as the platform's MulDiv does.
int toDots(int64_t twips, int dpi)
{
    const double v = static_cast<double>(twips) * dpi / 1440.0;
    return static_cast<int>(std::clamp(v < 0 ? std::ceil(v - 0.5) : std::floor(v + 0.5), -1e8, 1e8));
}

}  // namespace

TwipsRect framePrintRect(int L, int T, int W, int H, double sx, double sy, int LX, int LY)
{
    return TwipsRect{toTwips(L, sx, LX), toTwips(T * 1.3, sy, LY), toTwips(static_cast<double>(L) + W, sx, LX),
                     toTwips(T * 1.3 + H, sy, LY)};
}

TwipsRect cellPrintRect(int L, int T, int W, int H, int offsetX, int offsetY, double sx, double sy, int LX, int LY)
{
    const double l = static_cast<double>(L) + offsetX, t = static_cast<double>(T) + offsetY;
    return TwipsRect{toTwips(l, sx, LX), toTwips(t, sy, LY), toTwips(l + W, sx, LX), toTwips(t + H, sy, LY)};
}

void RichText::load(const std::vector<uint8_t>& bytes)
{
    format_ = Format::Empty;
    doc_.reset();
    screen_.reset();
    screenWidth_ = -1;
    if (bytes.empty())
        return;
    if (rtf::isRtf(bytes.data(), bytes.size())) {
        doc_ = std::make_shared<rtf::Document>(rtf::readRtf(bytes.data(), bytes.size()));
        format_ = Format::Rich;
        return;
    }
    if (std::memchr(bytes.data(), 0, bytes.size()))
        throw StreamLoadError();
    doc_ = std::make_shared<rtf::Document>(rtf::readPlainText(bytes.data(), bytes.size(), kPlainTextCodePage));
    format_ = Format::Plain;
}

std::string RichText::plainText() const
{
    return doc_ ? doc_->plainText().toStdString() : std::string();
}

QTextDocument& RichText::screenDocument(int width)
{
    if (!screen_ || screenWidth_ != width) {
        static const auto empty = std::make_shared<const rtf::Document>();
        screen_ = rtf::buildTextDocument(doc_ ? doc_ : empty, 96);
        screen_->setTextWidth(std::max(1, width - kMarginLeft - kMarginRight));
        screenWidth_ = width;
    }
    return *screen_;
}

void RichText::paint(Canvas& canvas, const IRect& client, int width, double zoom)
{
    canvas.fillRect(client, kWhite);
    if (!doc_ || client.empty())
        return;
    QTextDocument& doc = screenDocument(width);
    const double z = zoom > 0 ? zoom : 1.0;
    canvas.paintWithQt(client, [&](QPainter& p) {
        p.translate(client.left, client.top);
        p.scale(z, z);
        p.translate(kMarginLeft, kMarginTop);
        rtf::paintTextDocument(doc, p, QRectF(0, 0, doc.textWidth(), client.height() / z));
    });
}

int RichText::print(PrinterDevice& printer, const TwipsRect& rect)
{
    const int lx = printer.logPixelsX(), ly = printer.logPixelsY();
    const int x0 = toDots(rect.left, lx), x1 = toDots(rect.right, lx);
    const int y0 = toDots(rect.top, ly), y1 = toDots(rect.bottom, ly);
    const int w = x1 - x0, h = y1 - y0;
    if (!doc_ || w <= 0 || h <= 0)
        return 1;
    auto doc = rtf::buildTextDocument(doc_, lx);
    doc->setTextWidth(w);
    // Sheets of the rectangle's height; a device with other vertical dots is drawn stretched.
    const double yScale = static_cast<double>(ly) / lx;
    const double pageHeight = h / yScale;
    doc->setPageSize(QSizeF(w, pageHeight));
    const int sheets = std::clamp(doc->pageCount(), 1, kMaxSheets);
    for (int i = 0; i < sheets; ++i) {
        if (i > 0)
            printer.newPage();
        printer.canvas().paintWithQt(IRect{x0, y0, x1, y1}, [&](QPainter& p) {
            p.translate(x0, y0);
            p.scale(1.0, yScale);
            p.translate(0, -i * pageHeight);
            rtf::paintTextDocument(*doc, p, QRectF(0, i * pageHeight, w, pageHeight));
        });
    }
    return sheets;
}

}  // namespace vr
