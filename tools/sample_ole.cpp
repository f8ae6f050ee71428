#include "sample_ole.h"

#include <string>
#include <vector>

#include "sample_pictures.h"
#include "support/cfb_writer.h"

namespace samples {
namespace {

using vrtest::Bytes;
using vrtest::counted;

uint32_t rgb(int r, int g, int b)
{
    return static_cast<uint32_t>(r | (g << 8) | (b << 16));
}

// The record after the "TDOleContainer" tag: bounds, border (left, bottom, right, top, width,
// colour), content size and the container's saved stream.
Bytes oleRecord(int left, int top, int width, int height, bool border, uint32_t colour, const Bytes& content)
{
    Bytes b;
    for (int v : {left, top, width, height})
        vrtest::append(b, counted(std::to_string(v), 4));
    for (int i = 0; i < 4; ++i)
        vrtest::append(b, counted(border ? "1" : "0", 1));
    vrtest::append(b, counted(border ? "3" : "1", 1));
    vrtest::append(b, counted(std::to_string(colour), 9));
    vrtest::append(b, counted(std::to_string(content.size()), 6));
    vrtest::append(b, content);
    return b;
}

// An embedded object's storage as its program saved it: its own streams and one cached picture.
Bytes objectStorage(const vrtest::ClassIdBytes& classId, uint32_t clipFormat, int32_t extentX, int32_t extentY,
                    const Bytes& picture)
{
    const Bytes ole{1, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    return vrtest::compoundFile(
        {{"\x01Ole", ole},
         {"\x01"
          "CompObj",
          Bytes(40, 0)},
         {"\x02OlePres000", vrtest::presentationStream(clipFormat, 1, extentX, extentY, picture)}},
        classId);
}

// A cell: a text frame at (left, top) inside the table as stored, with one line of one run.
Bytes cell(int left, int top, int width, int height, const std::string& text, uint32_t colour)
{
    vrtest::FrameMainRec m;
    m.left = std::to_string(left);
    m.top = std::to_string(top);
    m.width = std::to_string(width);
    m.height = std::to_string(height);
    m.lines = "1";
    m.runs = "1";
    m.bottom = "1";
    m.right = "1";
    m.top_ = "1";
    m.borderWidth = "1";
    m.borderColor = std::to_string(rgb(90, 90, 90));
    Bytes b = vrtest::frameMainRecord(m);
    vrtest::append(b, vrtest::frameBackground("0"));
    vrtest::append(b, counted("0", 250));  // line spacing
    vrtest::append(b, vrtest::textLineRecord("0", "1", "30", "4"));
    vrtest::RunRec r;
    r.font = "QV_Hazel";
    r.text = text;
    r.x = std::to_string(width - 20 - 9 * static_cast<int>(text.size()));
    r.size = "16";
    r.color = std::to_string(colour);
    vrtest::append(b, vrtest::runRecord(r));
    return b;
}

}  // namespace

void oleAndTables(vrtest::VpgWriter& w, const std::string& pageTag)
{
    w.page(pageTag);
    // A drawing cached as a metafile picture (the house, 1000 x 1000 units, 17.64 mm square),
    // with a border on its four sides.
    const Bytes placeable = houseWmf();
    const Bytes house(placeable.begin() + 22, placeable.end());
    const vrtest::ClassIdBytes drawing = {0x12, 0x00, 0x03, 0x00, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    const vrtest::ClassIdBytes picture = {0x0A, 0x00, 0x03, 0x00, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    w.object("TDOleContainer",
             oleRecord(60, 80, 300, 240, true, rgb(0, 60, 140),
                       vrtest::containerStream(1, objectStorage(drawing, 3, 1764, 1764, house))));
    // A picture cached as a device-independent bitmap (the tiles, 64 x 48), without a border.
    const Bytes tiles = tilesBmp();
    w.object("TDOleContainer",
             oleRecord(434, 80, 300, 240, false, 0,
                       vrtest::containerStream(
                           1, objectStorage(picture, 8, 1693, 1270, Bytes(tiles.begin() + 14, tiles.end())))));
    // A drawn table of 2 rows by 3 columns stored at (60, 400), 674 x 270; its cells are placed
    // by their own positions inside it.
    Bytes table = counted(std::to_string(60), 4);
    vrtest::append(table, counted("400", 4));
    vrtest::append(table, counted("674", 4));
    vrtest::append(table, counted("270", 4));
    vrtest::append(table, counted("3", 3));
    vrtest::append(table, counted("2", 3));
    const char* words[2][3] = {{"one", "two", "three"}, {"four", "five", "six"}};
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 3; ++column)
            vrtest::append(table,
                           cell(20 + column * 215, 20 + row * 125, 205, 115, words[row][column],
                                row == 0 ? rgb(0, 60, 140) : rgb(160, 40, 40)));
    w.object("TabeauD", table);
}

}  // namespace samples
