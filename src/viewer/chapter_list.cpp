#include "viewer/chapter_list.h"

#include <QGuiApplication>
#include <QImage>

#include "document/book_reader.h"
#include "gfx/canvas/raster_canvas.h"

namespace vr {

FontRequest chapterListFont()
{
    FontRequest f;
    f.face = "ZR Keyb";
    f.pixelHeight = 13;
    f.style = 1;  // bold
    return f;
}

std::string PersianNumber(int32_t n)
{
    if (n == 0)
        return std::string(1, '\x2D');
    std::string digits = std::to_string(n).substr(0, 4);
    for (char& c : digits)
        c = static_cast<char>(static_cast<unsigned char>(c) - 3);
    return digits;
}

std::string chapterLine(const ChapterRecord& record, int32_t i)
{
    if (!record.Title.empty())
        return record.Title;
    return PersianNumber(i) + " \xB3\x86\x9D";
}

int TextWidthOf(const std::string& text, const FontRequest& font)
{
    // Glyphs come from the platform's font database, which needs a graphical application.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return 0;
    QImage scratch(1, 1, QImage::Format_RGB32);
    RasterCanvas canvas(scratch, 96);
    canvas.font = font;
    const int w = canvas.textWidth(text);
    return w > 0 ? w : 0;
}

void PadChapterItems(std::vector<std::string>& lines, int controlWidth, const FontRequest& font)
{
    const int space = TextWidthOf(" ", font);
    if (space <= 0)
        return;
    for (std::string& line : lines) {
        int w = TextWidthOf(line, font);
        const int room = controlWidth - 30;
        if (room <= w)
            continue;
        const int spaces = (room - w + space - 1) / space;
        line.insert(0, static_cast<size_t>(spaces), ' ');
    }
}

}  // namespace vr
