#include "app/chapter_list_box.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStylePainter>
#include <QStyledItemDelegate>

#include "gfx/fonts/glyph_text.h"
#include "viewer/chapter_list.h"

namespace vr {

namespace {

constexpr int kBytesRole = Qt::UserRole + 1;

std::shared_ptr<const ByteFont> listFont()
{
    const FontRequest f = chapterListFont();
    return ByteFontCache::shared().get(f.face, f.pixelHeight, (f.style & 1) != 0, (f.style & 2) != 0);
}

// Draws the bytes left-aligned in r, centred vertically.
void drawLine(QPainter& p, const QRect& r, const QByteArray& bytes, const QColor& colour)
{
    const auto font = listFont();
    const int baseline = r.top() + (r.height() - font->metrics.height()) / 2 + font->metrics.ascent;
    p.save();
    p.setClipRect(r);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(colour);
    p.translate(r.left(), 0);
    font->draw(p, baseline, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), false, false);
    p.restore();
}

class ChapterLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        opt.text.clear();
        opt.widget->style()->drawControl(QStyle::CE_ItemViewItem, &opt, p, opt.widget);
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        drawLine(*p, option.rect.adjusted(2, 0, -2, 0), index.data(kBytesRole).toByteArray(),
                 option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.setHeight(std::max(s.height(), listFont()->metrics.height() + 4));
        return s;
    }
};

}  // namespace

ChapterListBox::ChapterListBox(QWidget* parent) : QComboBox(parent)
{
    setItemDelegate(new ChapterLineDelegate(this));
}

void ChapterListBox::setLines(const std::vector<std::string>& lines, int index)
{
    bool same = count() == static_cast<int>(lines.size());
    for (int i = 0; same && i < count(); ++i)
        same = lineBytes(i) == lines[static_cast<size_t>(i)];
    if (!same) {
        clear();
        for (const std::string& line : lines) {
            // The text is the bytes read as Latin-1, for accessibility; the bytes draw the line.
            addItem(QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
            setItemData(count() - 1, QByteArray(line.data(), static_cast<qsizetype>(line.size())), kBytesRole);
        }
    }
    setCurrentIndex(index < count() ? index : -1);
}

std::string ChapterListBox::lineBytes(int index) const
{
    const QByteArray b = itemData(index, kBytesRole).toByteArray();
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

void ChapterListBox::paintEvent(QPaintEvent*)
{
    QStylePainter p(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    opt.currentText.clear();
    p.drawComplexControl(QStyle::CC_ComboBox, opt);
    const QRect text = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
    drawLine(p, text, itemData(currentIndex(), kBytesRole).toByteArray(), palette().color(QPalette::Text));
}

}  // namespace vr
