#include "sample_richtext.h"

#include <string>

namespace samples {
namespace {

std::string hex(const std::vector<uint8_t>& bytes, size_t from)
{
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (size_t i = from; i < bytes.size(); ++i) {
        s += digits[bytes[i] >> 4];
        s += digits[bytes[i] & 15];
        if ((i - from) % 64 == 63)
            s += "\r\n";
    }
    return s;
}

// What a rich-edit control of a Persian Windows system wrote: code page 1256, the Persian text
// as \'hh bytes of an Arabic-charset font.
const char* kHeader = "{\\rtf1\\ansi\\ansicpg1256\\deff0{\\fonttbl{\\f0\\froman\\fprq2\\fcharset178 Times New Roman;}"
                      "{\\f1\\fswiss\\fprq2\\fcharset0 Arial;}{\\f2\\fmodern\\fprq1\\fcharset0 Courier New;}}\r\n"
                      "{\\colortbl ;\\red0\\green0\\blue160;\\red192\\green0\\blue0;\\red0\\green120\\blue60;"
                      "\\red230\\green230\\blue230;}\r\n";

std::string frameText(const std::vector<uint8_t>& houseWmf)
{
    std::string rtf = kHeader;
    // A right-to-left Persian paragraph: bold, colours, italic.
    rtf +=
        "\\pard\\rtlpar\\qr\\sa120\\f0\\fs28\\rtlch {\\b\\cf1 \\'d3\\'e1\\'c7\\'e3!} \\'c7\\'ed\\'e4 \\'ed\\'df "
        "\\'c8\\'e4\\'cf \\'dd\\'c7\\'d1\\'d3\\'ed \\'c7\\'d3\\'ca \\'df\\'e5 {\\cf2 \\'c7\\'d2 \\'d1\\'c7\\'d3\\'ca "
        "\\'c8\\'e5 \\'8d\\'81} \\'e4\\'e6\\'d4\\'ca\\'e5 \\'e3\\'ed\\'9d\\'d4\\'e6\\'cf \\'e6 {\\i "
        "\\'cd\\'d1\\'e6\\'dd "
        "\\'c2\\'e4} \\'c8\\'e5 \\'e5\\'e3 \\'e3\\'ed\\'9d\\'81\\'ed\\'e6\\'e4\\'cf\\'e4\\'cf.\\par\r\n";
    // A Latin paragraph.
    rtf += "\\pard\\ltrpar\\ql\\sa120\\ltrch\\f1\\fs22 A Latin paragraph with {\\b bold}, {\\i italic}, "
           "{\\ul underlined} and {\\cf3 coloured} words, a {\\f2 fixed-pitch} one and {\\cf2\\strike struck} "
           "text.\\par\r\n";
    // A small table.
    rtf += "\\trowd\\trgaph80\\trleft0";
    for (int x : {1800, 3600, 5400})
        rtf += "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10"
               "\\clcbpat4\\cellx" +
            std::to_string(x);
    rtf += "\r\n\\pard\\intbl\\qc\\f1\\fs20\\b Book\\b0\\cell\\b Author\\b0\\cell\\b Year\\b0\\cell\\row\r\n";
    rtf += "\\trowd\\trgaph80\\trleft0";
    for (int x : {1800, 3600, 5400})
        rtf += "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10"
               "\\cellx" +
            std::to_string(x);
    rtf += "\r\n\\pard\\intbl\\qc\\f0\\rtlch \\'df\\'ca\\'c7\\'c8\\cell\\ltrch\\f1 Velmora\\cell 1379\\cell\\row\r\n";
    // A picture: the house metafile without its placeable header, 1.25 x 0.83 inch.
    rtf += "\\pard\\ltrpar\\ql\\sb120\\f1\\fs20 A picture: {\\pict\\wmetafile8\\picwgoal1800\\pichgoal1200\r\n" +
        hex(houseWmf, 22) + "}\\par\r\n}";
    return rtf;
}

std::string longText()
{
    std::string rtf = kHeader;
    rtf += "\\pard\\ltrpar\\qj\\f1\\fs22 ";
    for (int i = 1; i <= 12; ++i)
        rtf += "Sentence " + std::to_string(i) +
            " of a text longer than its frame: the screen shows what fits and clips the rest, "
            "and printing goes on to a second sheet in the same place. ";
    return rtf + "\\par\r\n}";
}

std::string cellText(const std::string& body)
{
    return std::string(kHeader) + body + "\\par\r\n}";
}

}  // namespace

void richTextPage(vrtest::VpgWriter& w, const std::vector<uint8_t>& houseWmf)
{
    w.page("P9");
    vrtest::BorderRec border{"1", "1", "1", "1", "2", std::to_string(0x8C3C00)};
    w.object("TDRICHEDIT",
             vrtest::richEditRecord(vrtest::boundsRecord("40", "40", "714", "420"), border, frameText(houseWmf)));
    vrtest::BorderRec thin{"1", "1", "1", "1", "1", "0"};
    w.object("TDRICHEDIT", vrtest::richEditRecord(vrtest::boundsRecord("40", "500", "340", "160"), thin, longText()));
    // A rich-edit table of 2 rows of 3 cells; the table moves 10 pixels in when it is read and
    // its cells 10 back, so they stand where they are written here.
    const char* bodies[6] = {"\\pard\\qc\\f1\\b Title",   "\\pard\\qc\\f1\\b Author",
                             "\\pard\\qc\\f1\\b Year",    "\\pard\\rtlpar\\qr\\f0\\rtlch \\'df\\'ca\\'c7\\'c8",
                             "\\pard\\f1\\i The editors", "\\pard\\qr\\f1\\cf2 1379"};
    std::vector<vrtest::RichCellRec> cells;
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c) {
            vrtest::RichCellRec cell;
            cell.left = std::to_string(10 + c * 110);
            cell.top = std::to_string(10 + r * 50);
            cell.width = "106";
            cell.height = "46";
            cell.content = cellText(bodies[r * 3 + c]);
            cells.push_back(cell);
        }
    w.object("TabeauRE", vrtest::tabeauRERecord(vrtest::boundsRecord("420", "500", "350", "120"), "3", "2", cells));
}

}  // namespace samples
