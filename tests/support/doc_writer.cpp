#include "support/doc_writer.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace vrtest {

Bytes counted(const std::string& text, size_t n)
{
    const std::string t = text.substr(0, n);
    return countedRaw(static_cast<uint8_t>(t.size()), t, n);
}

Bytes countedRaw(uint8_t lengthByte, const std::string& chars, size_t n)
{
    Bytes out(n + 1, 0);
    out[0] = lengthByte;
    for (size_t i = 0; i < chars.size() && i < n; ++i)
        out[1 + i] = static_cast<uint8_t>(chars[i]);
    return out;
}

void append(Bytes& out, const Bytes& more)
{
    out.insert(out.end(), more.begin(), more.end());
}

Bytes fields(std::initializer_list<std::string> texts, std::initializer_list<size_t> widths)
{
    if (texts.size() != widths.size())
        throw std::logic_error("a width for every field");
    Bytes out;
    auto width = widths.begin();
    for (const std::string& text : texts)
        append(out, counted(text, *width++));
    return out;
}

LineRec::LineRec(int ax1, int ay1, int ax2, int ay2, uint32_t c, int w, const std::string& s, const std::string& a)
    : x1(std::to_string(ax1)),
      y1(std::to_string(ay1)),
      x2(std::to_string(ax2)),
      y2(std::to_string(ay2)),
      color(std::to_string(c)),
      width(std::to_string(w)),
      style(s),
      arrow(a)
{
}

Bytes lineRecord(const LineRec& l)
{
    return fields({l.x1, l.y1, l.x2, l.y2, l.color, l.width, l.style, l.arrow}, {4, 4, 4, 4, 9, 2, 1, 2});
}

Bytes shapeRecord(const ShapeRec& s)
{
    return fields({s.kind, s.brushStyle, s.brushColor, s.penWidth, s.penColor, s.left, s.top, s.width, s.height,
                   s.brushImageSize},
                  {1, 1, 9, 2, 9, 4, 4, 4, 4, 9});
}

Bytes imageRecord(const ImageRec& i)
{
    return fields({i.left, i.top, i.width, i.height, i.layer, i.bottom, i.right, i.top_, i.borderWidth, i.borderColor,
                   i.sizing, i.imageSize, i.fileName},
                  {4, 4, 4, 4, 1, 1, 1, 1, 1, 9, 1, 9, 60});
}

Bytes bmpFile(int w, int h, uint32_t color)
{
    const int stride = (w * 3 + 3) & ~3;
    const uint32_t pixelBytes = static_cast<uint32_t>(stride * h);
    const uint32_t fileSize = 54 + pixelBytes;
    Bytes out;
    auto u16 = [&](uint32_t v) {
        out.push_back(v & 0xFF);
        out.push_back((v >> 8) & 0xFF);
    };
    auto u32 = [&](uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    out = {'B', 'M'};
    for (const uint32_t v : {fileSize, 0u, 54u, 40u, static_cast<uint32_t>(w), static_cast<uint32_t>(h)})
        u32(v);
    u16(1);
    u16(24);
    for (const uint32_t v : {0u, pixelBytes, 3780u, 3780u, 0u, 0u})
        u32(v);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            out.push_back((color >> 16) & 0xFF);  // blue
            out.push_back((color >> 8) & 0xFF);  // green
            out.push_back(color & 0xFF);  // red
        }
        for (int p = w * 3; p < stride; ++p)
            out.push_back(0);
    }
    return out;
}

VpgWriter::VpgWriter() : header_(254, 0)
{
    orientation("0");
    version("2002", "2002");
}

VpgWriter& VpgWriter::orientation(const std::string& code)
{
    const Bytes f = counted(code, 1);
    std::copy(f.begin(), f.end(), header_.begin() + 106);
    return *this;
}

VpgWriter& VpgWriter::version(const std::string& v, const std::string& sub)
{
    const Bytes a = counted(v, 5);
    const Bytes b = counted(sub, 4);
    std::copy(a.begin(), a.end(), header_.begin() + 108);
    std::copy(b.begin(), b.end(), header_.begin() + 114);
    return *this;
}

VpgWriter& VpgWriter::pageSize(int16_t codeA, int16_t codeB, int16_t widthPx, int16_t heightPx)
{
    size_[0] = codeA;
    size_[1] = codeB;
    size_[2] = widthPx;
    size_[3] = heightPx;
    return *this;
}

VpgWriter& VpgWriter::skippedRecords(int count)
{
    skipped_ = count;
    return *this;
}

VpgWriter& VpgWriter::page(const std::string& tag)
{
    pages_.push_back(Page{counted(tag, 4), {}, 0, {}});
    return *this;
}

VpgWriter& VpgWriter::pageTagRaw(const Bytes& fiveBytes)
{
    pages_.push_back(Page{fiveBytes, {}, 0, {}});
    return *this;
}

VpgWriter& VpgWriter::objectCount(const std::string& text)
{
    pages_.back().countText = text;
    return *this;
}

VpgWriter& VpgWriter::object(const std::string& tag, const Bytes& body)
{
    if (pages_.empty())
        throw std::logic_error("object before page");
    Page& p = pages_.back();
    append(p.body, counted(tag, 20));
    append(p.body, body);
    ++p.objects;
    return *this;
}

VpgWriter& VpgWriter::line(const LineRec& l)
{
    return object("TLigne", lineRecord(l));
}

VpgWriter& VpgWriter::pageCountText(const std::string& text)
{
    pageCount_ = text;
    return *this;
}

Bytes VpgWriter::bytes() const
{
    Bytes out = header_;
    for (int16_t v : size_) {
        out.push_back(static_cast<uint8_t>(v & 0xFF));
        out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
    }
    out.push_back(0);  // reserved pair
    out.push_back(0);
    append(out, counted(std::to_string(skipped_), 3));
    for (int i = 0; i < skipped_; ++i)
        append(out, Bytes(19, static_cast<uint8_t>('s')));
    append(out, counted(pageCount_.empty() ? std::to_string(pages_.size()) : pageCount_, 3));
    for (const Page& p : pages_) {
        append(out, p.tag);
        append(out, Bytes{10, 10, 10, 10, 0, 1, 1, 0});
        append(out, counted(p.countText.empty() ? std::to_string(p.objects) : p.countText, 3));
        append(out, p.body);
    }
    return out;
}

void VpgWriter::save(const std::string& path) const
{
    writeFile(path, bytes());
}

Bytes vtxDocument(const std::string& orientation, const std::string& pageCount, const Bytes& pages,
                  const Bytes& signature)
{
    Bytes out = signature;
    Bytes a(255, ' ');
    const Bytes o = counted(orientation, 1);
    std::copy(o.begin(), o.end(), a.begin() + 62);
    append(out, a);
    Bytes b(353, ' ');
    const Bytes n = counted(pageCount, 3);
    std::copy(n.begin(), n.end(), b.begin() + 349);
    append(out, b);
    append(out, pages);
    return out;
}

void writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

Bytes effectRecord(const EffectRec& e)
{
    return fields({e.id, e.depth, e.angle, e.shadowColor, e.kind, e.dx2, e.dy2, e.color2, e.extra},
                  {4, 5, 5, 9, 1, 5, 5, 9, 3});
}

Bytes frameKindRecord(const std::string& flag, const std::string& value, const std::string& name)
{
    Bytes out = fields({flag, value}, {1, 1});
    Bytes n = counted(name, 255);
    n.resize(277, 0);
    append(out, n);
    return out;
}

Bytes frameLayoutRecord(const std::string& leftMargin, const std::string& rightMargin, const std::string& third,
                        const std::string& fourth, const std::string& columns, const std::string& gap)
{
    return fields({leftMargin, rightMargin, third, fourth, columns, gap}, {3, 3, 3, 3, 2, 3});
}

Bytes frameMainRecord(const FrameMainRec& m)
{
    Bytes out;
    for (const std::string* f : {&m.left, &m.top, &m.width, &m.height, &m.lines, &m.runs})
        append(out, counted(*f, 4));
    append(out, counted(m.value, 3));
    for (const std::string* f : {&m.flag, &m.layer, &m.bottom, &m.right, &m.top_, &m.borderWidth})
        append(out, counted(*f, 1));
    append(out, counted(m.borderColor, 9));
    append(out, counted(m.rasterOp, 12));
    append(out, counted(m.picture, 60));
    out.resize(170, 0);
    return out;
}

Bytes frameBackground(const std::string& code, const std::string& back, const std::string& pattern,
                      const std::string& step, const std::string& style)
{
    Bytes out = counted(code, 1);
    if (code == "1" || code == "2") {
        append(out, fields({back, pattern, step, style}, {9, 9, 2, 2}));
    }
    return out;
}

Bytes textLineRecord(const std::string& firstRun, const std::string& runCount, const std::string& top,
                     const std::string& alignment)
{
    return fields({firstRun, runCount, top, alignment}, {3, 3, 4, 1});
}

Bytes runRecord(const RunRec& r)
{
    Bytes out = fields({r.font, r.size, r.style, r.color, r.fontClass, r.x}, {50, 3, 1, 9, 1, 4});
    Bytes text;
    if (r.useRawText) {
        text = r.rawText;
    } else {
        text.push_back(static_cast<uint8_t>(r.text.size()));
        text.insert(text.end(), r.text.begin(), r.text.end());
    }
    append(out, counted(r.textSize.empty() ? std::to_string(text.size()) : r.textSize, 3));
    append(out, text);
    return out;
}

Bytes textPage(const std::string& lines, const std::string& runs, const Bytes& records)
{
    Bytes out = fields({lines, runs}, {4, 4});
    append(out, Bytes(11, 0));
    append(out, records);
    return out;
}

Bytes textLigneRecord(const TextLigneRec& r)
{
    Bytes out =
        fields({r.x1, r.y1, r.x2, r.y2, r.font, r.size, r.style, r.color, r.fontClass}, {4, 4, 4, 4, 50, 3, 1, 9, 6});
    append(out, counted(r.textSize.empty() ? std::to_string(r.text.size() + 1) : r.textSize, 3));
    out.push_back(static_cast<uint8_t>(r.text.size()));
    out.insert(out.end(), r.text.begin(), r.text.end());
    return out;
}

Bytes boundsRecord(const std::string& left, const std::string& top, const std::string& width, const std::string& height)
{
    return fields({left, top, width, height}, {4, 4, 4, 4});
}

Bytes borderRecord(const BorderRec& b)
{
    return fields({b.left, b.bottom, b.right, b.top, b.width, b.color}, {1, 1, 1, 1, 1, 9});
}

Bytes richEditRecord(const Bytes& bounds, const BorderRec& border, const std::string& content,
                     const std::string& sizeText)
{
    Bytes out = bounds;
    append(out, borderRecord(border));
    append(out, counted(sizeText.empty() ? std::to_string(content.size()) : sizeText, 6));
    out.insert(out.end(), content.begin(), content.end());
    return out;
}

Bytes tabeauRERecord(const Bytes& bounds, const std::string& columns, const std::string& rows,
                     const std::vector<RichCellRec>& cells)
{
    Bytes out = bounds;
    append(out, counted(columns, 3));
    append(out, counted(rows, 3));
    for (const RichCellRec& c : cells) {
        append(out, boundsRecord(c.left, c.top, c.width, c.height));
        if (!c.withSize)
            continue;
        append(out, counted(std::to_string(c.content.size()), 6));
        out.insert(out.end(), c.content.begin(), c.content.end());
    }
    return out;
}

}  // namespace vrtest
