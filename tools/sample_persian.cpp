#include "sample_persian.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "persian_codes.h"
#include "sample_face_widths.h"
#include "support/doc_writer.h"

namespace samples {

namespace {

constexpr uint32_t rgb(int r, int g, int b)
{
    return static_cast<uint32_t>(r | (g << 8) | (b << 16));
}

struct Style {
    const char* face = "QV_Hazel";
    int points = 16;
    uint32_t colour = 0;
    int style = 0;  // bold 1, italic 2, underline 4
};

// A line of words in reading order; each word but the last carries the space after it.
std::vector<std::string> words(const std::u32string& line)
{
    std::vector<std::string> out;
    size_t start = 0;
    while (start < line.size()) {
        size_t end = line.find(U' ', start);
        if (end == std::u32string::npos)
            end = line.size();
        else
            ++end;  // the space goes with the word before it
        out.push_back(persianCodes(line.substr(start, end - start)));
        start = end;
    }
    return out;
}

// The width the editor gave a run: the glyphs' advances at the run's pixel size (96 dpi), each
// rounded to whole pixels as the screen measures them.
int runWidth(const std::string& codes, const Style& s)
{
    const auto& widths = std::string(s.face) == "QV_Elmar" ? kQVElmarWidths : kQVHazelWidths;
    const int px = (s.points * 96 + 36) / 72;
    int w = 0;
    for (const char c : codes) {
        const auto b = static_cast<uint8_t>(c);
        if (b >= 0x20)
            w += static_cast<int>(std::lround(widths[b - 0x20] * px / 2048.0));
    }
    return w;
}

vrtest::RunRec run(const std::string& codes, const Style& s, int x)
{
    vrtest::RunRec r;
    r.font = s.face;
    r.text = codes;
    r.x = std::to_string(x);
    r.size = std::to_string(s.points);
    r.color = std::to_string(s.colour);
    r.style = std::to_string(s.style);
    return r;
}

// A frame's lines, set as the editor set them: each line's words leftwards from the frame's
// right margin (10 pixels), the first word rightmost.
struct FrameText {
    std::vector<vrtest::Bytes> lines;
    std::vector<vrtest::RunRec> runs;
    void add(const std::u32string& line, const std::vector<Style>& styles, int frameWidth)
    {
        const size_t first = runs.size();
        int right = frameWidth - 10;
        size_t count = 0;
        for (const std::string& w : words(line)) {
            const Style& s = styles[std::min(count, styles.size() - 1)];
            right -= runWidth(w, s);
            runs.push_back(run(w, s, right));
            ++count;
        }
        lines.push_back(vrtest::textLineRecord(std::to_string(first), std::to_string(count), "0", "4"));
    }
};

vrtest::Bytes frame(const vrtest::FrameMainRec& main, const vrtest::Bytes& background, int lineSpacing,
                    const FrameText& text)
{
    vrtest::FrameMainRec m = main;
    m.lines = std::to_string(text.lines.size());
    m.runs = std::to_string(text.runs.size());
    vrtest::Bytes body = vrtest::frameMainRecord(m);
    vrtest::append(body, background);
    vrtest::append(body, vrtest::counted(std::to_string(lineSpacing), 250));
    for (const auto& l : text.lines)
        vrtest::append(body, l);
    for (const auto& r : text.runs)
        vrtest::append(body, vrtest::runRecord(r));
    return body;
}

vrtest::Bytes page()
{
    vrtest::VpgWriter w;
    w.page("P1");
    const uint32_t blue = rgb(0, 60, 140), red = rgb(176, 32, 32), green = rgb(0, 110, 60);

    vrtest::FrameMainRec title;
    title.left = "40";
    title.top = "40";
    title.width = "714";
    title.height = "96";
    title.bottom = "1";
    title.top_ = "1";
    title.borderWidth = "3";
    title.borderColor = std::to_string(blue);
    FrameText titleText;
    titleText.add(U"نمونه صفحه فارسی", {Style{"QV_Elmar", 28, blue, 0}}, 714);
    w.object("TDMEMO", frame(title, vrtest::frameBackground("0"), 0, titleText));

    vrtest::FrameMainRec body;
    body.left = "40";
    body.top = "170";
    body.width = "714";
    body.height = "420";
    body.right = "1";
    body.borderWidth = "2";
    body.borderColor = std::to_string(red);
    FrameText text;
    const Style plain{"QV_Hazel", 16, 0, 0};
    const Style stressed{"QV_Hazel", 16, green, 1};
    text.add(U"این صفحه نمونه‌ای از صفحه‌آرایی فارسی است", {plain}, 714);
    text.add(U"هر واژه تکه‌ای جداگانه است که جای خود را دارد",
             {plain, stressed, plain}, 714);
    text.add(U"و حرف‌ها به شکل آغازین و میانی و پایانی", {plain}, 714);
    text.add(U"یا جداگانه با کدهای هشت‌بیتی نوشته شده‌اند", {plain}, 714);
    text.add(U"خواننده آن‌ها را همان‌گونه که ذخیره شده‌اند", {plain}, 714);
    text.add(U"از راست به چپ می‌نشاند و چیزی را جابه‌جا نمی‌کند", {plain},
             714);
    text.add(U"چهار گل ژاله‌زده در باغچه پدیدار شدند",
             {plain, Style{"QV_Hazel", 16, red, 2}, plain}, 714);
    text.add(U"سال ۱۴۰۵ خورشیدی", {Style{"QV_Elmar", 18, blue, 0}}, 714);
    w.object("TDMEMO", frame(body, vrtest::frameBackground("0"), 8, text));

    // A text frame on a pattern, and text along a line under it.
    vrtest::FrameMainRec note;
    note.left = "240";
    note.top = "640";
    note.width = "514";
    note.height = "80";
    note.rasterOp = "8913094";  // SRCAND: the pattern goes under the text
    FrameText noteText;
    noteText.add(U"پایان صفحه", {Style{"QV_Hazel", 20, rgb(120, 40, 0), 1}}, 514);
    w.object("TDMEMO",
             frame(note,
                   vrtest::frameBackground("1", std::to_string(rgb(255, 250, 235)), std::to_string(rgb(220, 160, 60)),
                                           "9", "9"),
                   0, noteText));
    w.line(vrtest::LineRec(40, 780, 754, 780, blue, 2, "0", "FN"));
    vrtest::TextLigneRec along;
    along.x1 = "260";
    along.y1 = "820";
    along.x2 = "754";
    along.y2 = "820";
    along.size = "16";
    along.color = std::to_string(green);
    along.text = persianCodes(U"نوشته‌ای در امتداد یک خط");
    w.object("TTextLigne", vrtest::textLigneRecord(along));
    return w.bytes();
}

// A text document of two pages; the reader sets each line's runs leftwards from the right margin.
vrtest::Bytes textDocument()
{
    const std::vector<std::vector<std::u32string>> pages = {
        {U"نامه‌ای به دوستان", U"این نوشته نمونه‌ای از سند متنی است",
         U"که خواننده آن را صفحه به صفحه نشان می‌دهد",
         U"هر سطر از راست آغاز می‌شود و هر واژه",
         U"با فاصله‌ی خود در جای خویش می‌نشیند"},
        {U"صفحه دوم", U"شماره‌های فارسی ۱ ۲ ۳ ۴ ۵ ۶ ۷ ۸ ۹ ۰", U"سال ۱۴۰۵ خورشیدی",
         U"پایان نامه"},
    };
    vrtest::Bytes out;
    for (const auto& lines : pages) {
        vrtest::Bytes lineRecords, runRecords;
        int runCount = 0;
        for (size_t l = 0; l < lines.size(); ++l) {
            const std::vector<std::string> ws = words(lines[l]);
            vrtest::append(lineRecords,
                           vrtest::textLineRecord(std::to_string(runCount), std::to_string(ws.size()), "0", "4"));
            // The first line of each page is its heading.
            const Style s = l == 0 ? Style{"QV_Elmar", 22, rgb(0, 60, 140), 0} : Style{"QV_Hazel", 16, 0, 0};
            for (const std::string& w : ws)
                vrtest::append(runRecords, vrtest::runRecord(run(w, s, 0)));
            runCount += static_cast<int>(ws.size());
        }
        vrtest::append(lineRecords, runRecords);
        vrtest::append(out, vrtest::textPage(std::to_string(lines.size()), std::to_string(runCount), lineRecords));
    }
    return vrtest::vtxDocument("0", std::to_string(pages.size()), out);
}

}  // namespace

void writePersianSamples(const std::string& folder)
{
    vrtest::writeFile(folder + "/persian.VPG", page());
    vrtest::writeFile(folder + "/persian.VTX", textDocument());
}

}  // namespace samples
