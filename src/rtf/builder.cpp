// From the model to Qt's text document. Lengths in twips become pixels of the target device;
// the layout's paint device carries the same resolution so that point sizes become the same
// pixels. Each run is split where its characters change script, so that Persian and Arabic
// letters take the associated (complex-script) font and size the text gave them.
#include "rtf/builder.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <set>

#include <QAbstractTextDocumentLayout>
#include <QFontDatabase>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextObjectInterface>
#include <QTextTable>

#include "gfx/canvas/raster_canvas.h"

namespace vr::rtf {
namespace {

constexpr int kPictureObject = QTextFormat::UserObject + 1;
constexpr int kPictureIndex = QTextFormat::UserProperty + 1;
constexpr int kMaxColumns = 256;

// Draws the pictures of one document. It owns the layout's paint device, whose resolution is the
// document's, and keeps the model alive as long as the text document.
class PictureHandler : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    PictureHandler(std::shared_ptr<const Document> doc, int dpi, QObject* parent)
        : QObject(parent), doc_(std::move(doc)), device_(1, 1, QImage::Format_RGB32)
    {
        const int dpm = static_cast<int>(std::lround(dpi / 0.0254));
        device_.setDotsPerMeterX(dpm);
        device_.setDotsPerMeterY(dpm);
    }
    QPaintDevice* device() { return &device_; }

    QSizeF intrinsicSize(QTextDocument*, int, const QTextFormat& format) override
    {
        const PictureItem* item = picture(format);
        if (!item)
            return {};
        const double dpi = device_.logicalDpiX();
        return QSizeF(std::max(1.0, std::round(item->widthTwips * dpi / 1440.0)),
                      std::max(1.0, std::round(item->heightTwips * dpi / 1440.0)));
    }

    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int, const QTextFormat& format) override
    {
        const PictureItem* item = picture(format);
        if (!item || (!item->picture && item->image.isNull()))
            return;
        const QTransform t = painter->deviceTransform();
        const QRectF devRect = t.mapRect(rect);
        const IRect dest{static_cast<int>(std::lround(devRect.left())), static_cast<int>(std::lround(devRect.top())),
                         static_cast<int>(std::lround(devRect.right())),
                         static_cast<int>(std::lround(devRect.bottom()))};
        if (dest.empty())
            return;
        // The picture is drawn by a canvas on a tile at the device's resolution, then copied.
        // On an image the tile starts as the pixels under it, so what the picture leaves
        // undrawn shows the page (the painter owns the image meanwhile, so the canvas cannot
        // draw there itself).
        QPaintDevice* pd = painter->device();
        const auto* image = pd && pd->devType() == QInternal::Image ? static_cast<const QImage*>(pd) : nullptr;
        QRect area(dest.left, dest.top, dest.width(), dest.height());
        QImage tile;
        if (image) {
            area &= image->rect();
            if (area.isEmpty())
                return;
            tile = image->copy(area).convertToFormat(QImage::Format_RGB32);
        } else {
            if (static_cast<int64_t>(area.width()) * area.height() > (int64_t(1) << 26))
                return;
            tile = QImage(area.size(), QImage::Format_RGB32);
            tile.fill(Qt::white);
        }
        {
            RasterCanvas canvas(tile, pd ? pd->logicalDpiX() : 96);
            canvas.translate(-area.left(), -area.top());
            draw(*item, canvas, dest);
        }
        painter->save();
        painter->resetTransform();
        painter->drawImage(area.topLeft(), tile);
        painter->restore();
    }

private:
    const PictureItem* picture(const QTextFormat& format) const
    {
        const int index = format.intProperty(kPictureIndex);
        if (index < 0 || static_cast<size_t>(index) >= doc_->pictures.size())
            return nullptr;
        return &doc_->pictures[static_cast<size_t>(index)];
    }
    static void draw(const PictureItem& item, Canvas& canvas, const IRect& dest)
    {
        if (item.picture)
            item.picture->draw(canvas, dest);
        else
            canvas.stretchBlt(dest, item.image, IRect{0, 0, item.image.width(), item.image.height()}, rop::SrcCopy);
    }

    std::shared_ptr<const Document> doc_;
    QImage device_;
};

bool installed(const QString& face)
{
    static std::mutex mutex;
    static std::map<QString, bool> cache;
    std::lock_guard lock(mutex);
    auto it = cache.find(face);
    if (it == cache.end())
        it = cache.emplace(face, QFontDatabase::hasFamily(face)).first;
    return it->second;
}

QString firstInstalled(std::initializer_list<const char*> faces)
{
    for (const char* f : faces)
        if (installed(QString::fromLatin1(f)))
            return QString::fromLatin1(f);
    return {};
}

// Characters written right to left in a complex script: Hebrew, Arabic (Persian included) and
// their presentation forms.
bool isComplexScript(char16_t c)
{
    return (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFF);
}
// Characters that belong to either script: spaces, digits, punctuation, joiners and marks.
bool isNeutral(QChar c)
{
    if (c.unicode() < 0x80)
        return !c.isLetter();
    if (c.unicode() >= 0x2000 && c.unicode() <= 0x206F)
        return true;
    const auto cat = c.category();
    return cat == QChar::Separator_Space || cat == QChar::Punctuation_Other || cat == QChar::Symbol_Other ||
        cat == QChar::Number_DecimalDigit;
}

// A run of more than this many characters without a space gets a break opportunity (a zero-width
// space): Qt looks for a word's end from each line's start, so one very long word would make the
// layout slow out of all proportion to the text.
constexpr int kLongestWord = 64;

QString withBreaks(const QString& text, int& sinceSpace)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c.isSpace() || c == QChar(0x200B)) {
            sinceSpace = 0;
        } else if (++sinceSpace > kLongestWord) {
            out += QChar(0x200B);
            sinceSpace = 1;
        }
        out += c;
    }
    return out;
}

class Builder {
public:
    Builder(std::shared_ptr<const Document> doc, int dpi) : doc_(std::move(doc)), dpi_(dpi) { }

    std::unique_ptr<QTextDocument> run()
    {
        auto text = std::make_unique<QTextDocument>();
        auto* handler = new PictureHandler(doc_, dpi_, text.get());
        text->documentLayout()->setPaintDevice(handler->device());
        text->documentLayout()->registerHandler(kPictureObject, handler);
        text->setDocumentMargin(0);
        text->setUndoRedoEnabled(false);
        QTextOption option = text->defaultTextOption();
        option.setTabStopDistance(std::max(1.0, px96(doc_->defaultTab)));
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        text->setDefaultTextOption(option);
        CharFormat plain;
        text->setDefaultFont(charFormat(plain, false).font());

        QTextCursor cursor(text.get());
        // One edit block: the layout runs once at the end, not after every insertion.
        cursor.beginEditBlock();
        bool fresh = true;  // the cursor stands in an empty block that the next paragraph takes
        for (const Block& b : doc_->blocks) {
            if (const auto* p = std::get_if<Paragraph>(&b)) {
                paragraph(cursor, *p, fresh);
                fresh = false;
            } else {
                table(cursor, std::get<Table>(b), fresh);
                fresh = true;
            }
        }
        cursor.endEditBlock();
        return text;
    }

private:
    // Lengths in pixels of the device. Qt's layout takes some lengths in pixels of the device
    // (side margins, first-line indent, tab stops, objects' sizes) and scales others itself from
    // 96 pixels per inch to the device (top and bottom margins, fixed line heights, everything
    // of tables): those are given in 96ths of an inch.
    double px(double twips) const { return twips * dpi_ / 1440.0; }
    static double px96(double twips) { return twips * 96.0 / 1440.0; }

    QColor color(int index, QColor fallback) const
    {
        if (index <= 0)
            return fallback;
        const auto c = doc_->color(index);
        if (!c)
            return fallback;
        return QColor(redOf(*c), greenOf(*c), blueOf(*c));
    }

    QTextCharFormat charFormat(const CharFormat& c, bool complex) const
    {
        QTextCharFormat f;
        int fontNumber = c.font >= 0 ? c.font : doc_->defaultFont;
        int size = c.size;
        bool bold = c.bold, italic = c.italic;
        if (complex) {
            if (c.csFont >= 0 && doc_->font(c.csFont))
                fontNumber = c.csFont;
            if (c.csSize > 0)
                size = c.csSize;
            bold = c.csBold.value_or(bold);
            italic = c.csItalic.value_or(italic);
        }
        f.setFontFamilies(faceList(doc_->font(fontNumber)));
        f.setFontPointSize(size / 2.0);
        f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(italic);
        switch (c.underline) {
        case Underline::None:
            break;
        case Underline::Dotted:
            f.setUnderlineStyle(QTextCharFormat::DotLine);
            break;
        case Underline::Dash:
            f.setUnderlineStyle(QTextCharFormat::DashUnderline);
            break;
        case Underline::DashDot:
            f.setUnderlineStyle(QTextCharFormat::DashDotLine);
            break;
        case Underline::DashDotDot:
            f.setUnderlineStyle(QTextCharFormat::DashDotDotLine);
            break;
        case Underline::Wave:
            f.setUnderlineStyle(QTextCharFormat::WaveUnderline);
            break;
        default:  // single, words, double and thick lines draw as one line
            f.setUnderlineStyle(QTextCharFormat::SingleUnderline);
            break;
        }
        f.setFontStrikeOut(c.strike);
        if (c.vertical == VerticalAlign::Super)
            f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        else if (c.vertical == VerticalAlign::Sub)
            f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
        else if (c.offset != 0 && size > 0)
            f.setBaselineOffset(100.0 * c.offset / size);
        f.setForeground(color(c.foreground, Qt::black));
        if (c.background > 0)
            f.setBackground(color(c.background, Qt::white));
        if (c.caps)
            f.setFontCapitalization(QFont::AllUppercase);
        else if (c.smallCaps)
            f.setFontCapitalization(QFont::SmallCaps);
        return f;
    }

    QTextBlockFormat blockFormat(const ParaFormat& p) const
    {
        QTextBlockFormat f;
        f.setLayoutDirection(p.rtl ? Qt::RightToLeft : Qt::LeftToRight);
        Qt::Alignment a;
        switch (p.align) {
        case Align::Natural:
            a = (p.rtl ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignAbsolute;
            break;
        case Align::Left:
            a = Qt::AlignLeft | Qt::AlignAbsolute;
            break;
        case Align::Right:
            a = Qt::AlignRight | Qt::AlignAbsolute;
            break;
        case Align::Center:
            a = Qt::AlignHCenter;
            break;
        case Align::Justify:
            a = Qt::AlignJustify;
            break;
        }
        f.setAlignment(a);
        // \lin and \rin name the start and end sides; \li and \ri the left and right ones.
        const int left = p.rtl ? p.endIndent.value_or(p.leftIndent) : p.startIndent.value_or(p.leftIndent);
        const int right = p.rtl ? p.startIndent.value_or(p.rightIndent) : p.endIndent.value_or(p.rightIndent);
        f.setLeftMargin(std::max(0.0, px(left)));
        f.setRightMargin(std::max(0.0, px(right)));
        f.setTextIndent(px(p.firstIndent));
        f.setTopMargin(px96(p.spaceBefore));
        f.setBottomMargin(px96(p.spaceAfter));
        if (p.lineSpacing != 0) {
            if (p.lineMultiple && p.lineSpacing > 0)
                f.setLineHeight(100.0 * p.lineSpacing / 240.0, QTextBlockFormat::ProportionalHeight);
            else if (p.lineSpacing > 0)
                f.setLineHeight(px96(p.lineSpacing), QTextBlockFormat::MinimumHeight);
            else
                f.setLineHeight(px96(-p.lineSpacing), QTextBlockFormat::FixedHeight);
        }
        if (!p.tabs.empty()) {
            QList<QTextOption::Tab> tabs;
            for (const TabStop& t : p.tabs) {
                QTextOption::TabType type = t.kind == TabStop::Right ? QTextOption::RightTab
                    : t.kind == TabStop::Center                      ? QTextOption::CenterTab
                    : t.kind == TabStop::Decimal                     ? QTextOption::DelimiterTab
                                                                     : QTextOption::LeftTab;
                tabs.append(
                    QTextOption::Tab(px96(t.position), type, t.kind == TabStop::Decimal ? QChar('.') : QChar()));
            }
            std::sort(tabs.begin(), tabs.end(), [](const auto& x, const auto& y) { return x.position < y.position; });
            f.setTabPositions(tabs);
        }
        return f;
    }

    void spans(QTextCursor& cursor, const Paragraph& p)
    {
        int sinceSpace = 0;
        for (const Span& span : p.spans) {
            if (span.picture >= 0)
                sinceSpace = 0;
            Span broken = span;
            broken.text = withBreaks(span.text, sinceSpace);
            const Span& s = broken;
            if (s.picture >= 0) {
                QTextCharFormat f = charFormat(s.format, false);
                f.setObjectType(kPictureObject);
                f.setProperty(kPictureIndex, s.picture);
                cursor.insertText(QString(QChar::ObjectReplacementCharacter), f);
                continue;
            }
            const QTextCharFormat latin = charFormat(s.format, false);
            const QTextCharFormat complex = charFormat(s.format, true);
            if (latin == complex) {
                cursor.insertText(s.text, latin);
                continue;
            }
            // Split where the script changes; neutral characters stay with the run before them.
            bool cs = s.format.rtl;
            qsizetype start = 0;
            for (qsizetype i = 0; i < s.text.size(); ++i) {
                const QChar ch = s.text[i];
                if (isNeutral(ch))
                    continue;
                const bool now = isComplexScript(ch.unicode());
                if (now != cs) {
                    if (i > start)
                        cursor.insertText(s.text.mid(start, i - start), cs ? complex : latin);
                    start = i;
                    cs = now;
                }
            }
            cursor.insertText(s.text.mid(start), cs ? complex : latin);
        }
    }

    void paragraph(QTextCursor& cursor, const Paragraph& p, bool fresh)
    {
        const QTextBlockFormat bf = blockFormat(p.format);
        const QTextCharFormat mark = charFormat(p.mark, p.format.rtl);
        if (fresh) {
            cursor.setBlockFormat(bf);
            cursor.setBlockCharFormat(mark);
        } else {
            cursor.insertBlock(bf, mark);
        }
        spans(cursor, p);
    }

    void table(QTextCursor& cursor, const Table& t, bool fresh)
    {
        // The column grid: every cell edge of every row.
        std::set<int> edges;
        std::vector<std::vector<int>> rowEdges;
        for (const Row& row : t.rows) {
            std::vector<int> e{row.def.left};
            const size_t n = std::max(row.def.cells.size(), row.cells.size());
            for (size_t i = 0; i < n; ++i) {
                int right = i < row.def.cells.size() ? row.def.cells[i].right : e.back() + 1440;
                right = std::max(right, e.back() + 1);
                e.push_back(right);
            }
            for (int x : e)
                if (edges.size() < kMaxColumns + 1)
                    edges.insert(x);
            rowEdges.push_back(std::move(e));
        }
        const std::vector<int> grid(edges.begin(), edges.end());
        const int columns = static_cast<int>(grid.size()) - 1;
        if (columns < 1)
            return;
        if (!fresh)
            cursor.insertBlock();
        const bool rtl = t.rows.front().def.rtl;
        QTextTableFormat tf;
        tf.setBorder(0);
        tf.setBorderCollapse(true);
        tf.setCellSpacing(0);
        tf.setCellPadding(0);
        tf.setMargin(0);
        QList<QTextLength> widths;
        for (int c = 0; c < columns; ++c) {
            const int i = rtl ? columns - 1 - c : c;
            widths.append(QTextLength(QTextLength::FixedLength, px96(grid[i + 1] - grid[i])));
        }
        tf.setColumnWidthConstraints(widths);
        const Align align = t.rows.front().def.align;
        if (rtl) {
            tf.setAlignment(align == Align::Center      ? Qt::AlignHCenter
                                : align == Align::Right ? Qt::AlignLeft
                                                        : Qt::AlignRight);
            tf.setRightMargin(std::max(0.0, px96(grid.front())));
        } else {
            tf.setAlignment(align == Align::Center      ? Qt::AlignHCenter
                                : align == Align::Right ? Qt::AlignRight
                                                        : Qt::AlignLeft);
            tf.setLeftMargin(std::max(0.0, px96(grid.front())));
        }
        QTextTable* table = cursor.insertTable(static_cast<int>(t.rows.size()), columns, tf);
        // A cell's format is its first block's character format: contents first, then the cell's
        // own format merged over it, then the spans (which live in that format too).
        struct Merge {
            int row, column, span;
        };
        std::vector<Merge> merges;
        for (size_t r = 0; r < t.rows.size(); ++r) {
            const Row& row = t.rows[r];
            const std::vector<int>& e = rowEdges[r];
            for (size_t i = 0; i + 1 < e.size(); ++i) {
                const auto first = std::lower_bound(grid.begin(), grid.end(), e[i]);
                const auto last = std::lower_bound(grid.begin(), grid.end(), e[i + 1]);
                int col = static_cast<int>(first - grid.begin());
                int span = static_cast<int>(last - first);
                if (col >= columns || span < 1)
                    continue;
                span = std::min(span, columns - col);
                if (rtl)
                    col = columns - col - span;
                const int rr = static_cast<int>(r);
                QTextTableCell cell = table->cellAt(rr, col);
                if (i < row.cells.size()) {
                    QTextCursor cc = cell.firstCursorPosition();
                    bool firstInCell = true;
                    for (const Paragraph& p : row.cells[i].paragraphs) {
                        paragraph(cc, p, firstInCell);
                        firstInCell = false;
                    }
                }
                QTextCharFormat f = cell.format();
                f.merge(cellFormat(i < row.def.cells.size() ? row.def.cells[i] : CellDef{}, row.def.gap));
                cell.setFormat(f);
                if (span > 1)
                    merges.push_back(Merge{rr, col, span});
            }
        }
        for (const Merge& m : merges)
            table->mergeCells(m.row, m.column, 1, m.span);
        cursor = table->lastCursorPosition();
        cursor.movePosition(QTextCursor::NextBlock);
    }

    QTextTableCellFormat cellFormat(const CellDef& d, int gap) const
    {
        QTextTableCellFormat f;
        f.setLeftPadding(px96(gap));
        f.setRightPadding(px96(gap));
        f.setTopPadding(0);
        f.setBottomPadding(0);
        auto side = [&](const BorderLine& line, auto setWidth, auto setBrush, auto setStyle) {
            const double w = line.width > 0 ? std::max(96.0 / dpi_, std::round(px(line.width)) * 96.0 / dpi_) : 0.0;
            (f.*setWidth)(w);
            (f.*setBrush)(QBrush(color(line.color, Qt::black)));
            (f.*setStyle)(w > 0 ? QTextFrameFormat::BorderStyle_Solid : QTextFrameFormat::BorderStyle_None);
        };
        side(d.top, &QTextTableCellFormat::setTopBorder, &QTextTableCellFormat::setTopBorderBrush,
             &QTextTableCellFormat::setTopBorderStyle);
        side(d.bottom, &QTextTableCellFormat::setBottomBorder, &QTextTableCellFormat::setBottomBorderBrush,
             &QTextTableCellFormat::setBottomBorderStyle);
        side(d.left, &QTextTableCellFormat::setLeftBorder, &QTextTableCellFormat::setLeftBorderBrush,
             &QTextTableCellFormat::setLeftBorderStyle);
        side(d.right_, &QTextTableCellFormat::setRightBorder, &QTextTableCellFormat::setRightBorderBrush,
             &QTextTableCellFormat::setRightBorderStyle);
        if (d.pattern > 0 && doc_->color(d.pattern)) {
            f.setBackground(color(d.pattern, Qt::white));
        } else if (d.shading > 0) {
            const int v = 255 - 255 * d.shading / 10000;
            f.setBackground(QColor(v, v, v));
        }
        return f;
    }

    std::shared_ptr<const Document> doc_;
    int dpi_;
};

}  // namespace

QStringList faceList(const Font* font)
{
    QStringList faces;
    if (font && !font->name.empty()) {
        const QString name = QString::fromStdString(font->name);
        if (installed(name))
            faces << name;
        // Metric twins of the common Windows faces.
        static const std::map<QString, const char*> twins{
            {"Times New Roman", "Liberation Serif"}, {"Arial", "Liberation Sans"},
            {"Courier New", "Liberation Mono"},      {"Tahoma", "DejaVu Sans"},
            {"MS Sans Serif", "Liberation Sans"},    {"Microsoft Sans Serif", "Liberation Sans"}};
        if (auto it = twins.find(name); it != twins.end() && installed(it->second))
            faces << it->second;
    }
    // A face of the same family, chosen among the faces the reader installs.
    const FontFamily family = font ? font->family : FontFamily::Swiss;
    const bool fixed = font && (font->pitch == 1 || family == FontFamily::Modern);
    QString same;
    if (fixed)
        same = firstInstalled({"Liberation Mono", "DejaVu Sans Mono"});
    else if (family == FontFamily::Roman || family == FontFamily::Script)
        same = firstInstalled({"Liberation Serif", "DejaVu Serif"});
    else
        same = firstInstalled({"Liberation Sans", "DejaVu Sans"});
    if (!same.isEmpty() && !faces.contains(same))
        faces << same;
    // Persian and Arabic text in a face without their glyphs.
    for (const char* arabic : {"Nazli", "DejaVu Sans"})
        if (installed(arabic) && !faces.contains(arabic))
            faces << arabic;
    return faces;
}

std::unique_ptr<QTextDocument> buildTextDocument(std::shared_ptr<const Document> doc, int dpi)
{
    return Builder(std::move(doc), std::clamp(dpi, 24, 2400)).run();
}

void paintTextDocument(QTextDocument& doc, QPainter& painter, const QRectF& clip)
{
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = clip;
    context.palette.setColor(QPalette::Text, Qt::black);
    doc.documentLayout()->draw(&painter, context);
}

}  // namespace vr::rtf

#include "builder.moc"
