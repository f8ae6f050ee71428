#include "rtf/model.h"

namespace vr::rtf {
namespace {

void appendParagraph(const Paragraph& p, QString& out)
{
    for (const Span& s : p.spans)
        out += s.picture >= 0 ? QString(QChar(0xFFFC)) : s.text;
}

}  // namespace

const Font* Document::font(int number) const
{
    auto it = fonts.find(number);
    return it == fonts.end() ? nullptr : &it->second;
}

std::optional<Color> Document::color(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= colors.size())
        return std::nullopt;
    return colors[static_cast<size_t>(index)];
}

QString Document::plainText() const
{
    QString out;
    for (const Block& b : blocks) {
        if (const auto* p = std::get_if<Paragraph>(&b)) {
            appendParagraph(*p, out);
            out += u'\n';
            continue;
        }
        for (const Row& row : std::get<Table>(b).rows) {
            for (const Cell& cell : row.cells) {
                for (size_t i = 0; i < cell.paragraphs.size(); ++i) {
                    if (i > 0)
                        out += u'\n';
                    appendParagraph(cell.paragraphs[i], out);
                }
                out += u'\t';
            }
            out += u'\n';
        }
    }
    return out;
}

}  // namespace vr::rtf
