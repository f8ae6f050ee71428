#include "sample_pictures.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <fstream>
#include <stdexcept>

namespace samples {

namespace {

struct Writer {
    Bytes b;
    void u8(unsigned v) { b.push_back(static_cast<uint8_t>(v)); }
    void u16(unsigned v)
    {
        u8(v & 0xFF);
        u8((v >> 8) & 0xFF);
    }
    void u32(uint32_t v)
    {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void i16(int v) { u16(static_cast<uint16_t>(static_cast<int16_t>(v))); }
    void i32(int v) { u32(static_cast<uint32_t>(v)); }
    uint32_t records = 0;
};

Bytes encode(const QImage& img, const char* format, int quality = -1)
{
    QByteArray data;
    QBuffer buf(&data);
    buf.open(QIODevice::WriteOnly);
    if (!img.save(&buf, format, quality))
        throw std::runtime_error(std::string("cannot encode ") + format);
    return Bytes(data.begin(), data.end());
}

QImage starImage(int size)
{
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const double r = (i % 2 ? 0.22 : 0.48) * size;
        const double a = -M_PI / 2 + i * M_PI / 5;
        star << QPointF(size / 2.0 + r * std::cos(a), size / 2.0 + r * std::sin(a));
    }
    p.setPen(QColor(120, 60, 0));
    p.setBrush(QColor(250, 200, 30));
    p.drawPolygon(star);
    return img;
}

// One WMF record: size in 16-bit words, function, parameters.
void wmfRecord(Writer& w, unsigned function, const std::vector<int>& params)
{
    w.u32(static_cast<uint32_t>(3 + params.size()));
    w.u16(function);
    for (int p : params)
        w.i16(p);
}

void emfRecord(Writer& w, uint32_t type, const std::vector<int32_t>& params)
{
    ++w.records;
    w.u32(type);
    w.u32(static_cast<uint32_t>(8 + 4 * params.size()));
    for (int32_t p : params)
        w.i32(p);
}

}  // namespace

Bytes tilesBmp()
{
    QImage img(64, 48, QImage::Format_RGB32);
    const QRgb colours[4] = {qRgb(200, 40, 40), qRgb(40, 160, 60), qRgb(40, 80, 200), qRgb(240, 200, 40)};
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            img.setPixel(x, y, colours[((x / 16) + (y / 16)) % 4]);
    return encode(img.convertToFormat(QImage::Format_RGB888), "BMP");
}

Bytes stripesBmp()
{
    QImage img(8, 8, QImage::Format_RGB888);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            img.setPixel(x, y, (x + y) % 8 < 3 ? qRgb(230, 120, 30) : qRgb(255, 240, 200));
    return encode(img, "BMP");
}

Bytes starIco()
{
    // An icon directory of two PNG-free DIB entries is what older programs wrote; Qt writes the
    // largest image as one entry, which every reader takes.
    return encode(starImage(32), "ICO");
}

Bytes gradientJpeg()
{
    QImage img(160, 100, QImage::Format_RGB32);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 160; ++x)
            img.setPixel(x, y, qRgb(x * 255 / 159, y * 255 / 99, 160));
    QPainter p(&img);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255));
    p.drawEllipse(QPoint(80, 50), 30, 30);
    p.end();
    return encode(img, "JPEG", 85);
}

Bytes ringsGif()
{
    // 80 x 80, global colour table of 4 colours (index 0 transparent), written with 9-bit codes:
    // a clear code before the table fills keeps the code width fixed.
    const int n = 80;
    Writer w;
    for (char c : std::string("GIF89a"))
        w.u8(static_cast<uint8_t>(c));
    w.u16(n);
    w.u16(n);
    w.u8(0xF7);  // global table of 256 entries
    w.u8(0);
    w.u8(0);
    for (int i = 0; i < 256; ++i) {
        const uint8_t table[4][3] = {{255, 255, 255}, {200, 30, 30}, {30, 120, 200}, {30, 160, 60}};
        const uint8_t* c = table[i < 4 ? i : 0];
        w.u8(c[0]);
        w.u8(c[1]);
        w.u8(c[2]);
    }
    // Graphic control extension: colour 0 is transparent.
    w.u8(0x21);
    w.u8(0xF9);
    w.u8(4);
    w.u8(1);
    w.u16(0);
    w.u8(0);
    w.u8(0);
    // Image descriptor.
    w.u8(0x2C);
    w.u16(0);
    w.u16(0);
    w.u16(n);
    w.u16(n);
    w.u8(0);
    w.u8(8);  // minimum code size
    std::vector<int> pixels;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const double r = std::hypot(x - 39.5, y - 39.5);
            pixels.push_back(r > 38 ? 0 : 1 + static_cast<int>(r / 7) % 3);
        }
    Bytes data;
    uint32_t acc = 0;
    int bits = 0;
    auto put = [&](int code) {
        acc |= static_cast<uint32_t>(code) << bits;
        bits += 9;
        while (bits >= 8) {
            data.push_back(static_cast<uint8_t>(acc & 0xFF));
            acc >>= 8;
            bits -= 8;
        }
    };
    const int clear = 256, end = 257;
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (i % 250 == 0)
            put(clear);
        put(pixels[i]);
    }
    put(end);
    if (bits > 0)
        data.push_back(static_cast<uint8_t>(acc & 0xFF));
    for (size_t i = 0; i < data.size(); i += 255) {
        const size_t len = std::min<size_t>(255, data.size() - i);
        w.u8(static_cast<unsigned>(len));
        w.b.insert(w.b.end(), data.begin() + static_cast<long>(i), data.begin() + static_cast<long>(i + len));
    }
    w.u8(0);
    w.u8(0x3B);
    return w.b;
}

Bytes houseWmf()
{
    Writer body;
    wmfRecord(body, 0x0103, {8});  // SETMAPMODE anisotropic
    wmfRecord(body, 0x020B, {0, 0});  // SETWINDOWORG y, x
    wmfRecord(body, 0x020C, {1000, 1000});  // SETWINDOWEXT y, x
    wmfRecord(body, 0x02FA, {0, 20, 0, 0x5080, 0x0030});  // CREATEPENINDIRECT solid, width 20, brown
    wmfRecord(body, 0x02FC, {0, 0xD8F0, 0x00B0, 0});  // CREATEBRUSHINDIRECT solid, sand colour
    wmfRecord(body, 0x012D, {0});  // SELECTOBJECT pen
    wmfRecord(body, 0x012D, {1});  // SELECTOBJECT brush
    wmfRecord(body, 0x041B, {950, 850, 450, 150});  // RECTANGLE bottom, right, top, left
    wmfRecord(body, 0x02FC, {0, 0x20C0, 0x0020, 0});  // red brush
    wmfRecord(body, 0x012D, {2});
    wmfRecord(body, 0x0324, {3, 100, 470, 500, 80, 900, 470});  // POLYGON: roof
    wmfRecord(body, 0x02FC, {0, 0xE0A0, 0x00FF, 0});  // sky-blue brush
    wmfRecord(body, 0x012D, {3});
    wmfRecord(body, 0x0418, {700, 450, 550, 250});  // ELLIPSE: round window
    wmfRecord(body, 0x0418, {700, 750, 550, 550});
    wmfRecord(body, 0x041B, {950, 580, 750, 420});  // door
    const uint32_t words = static_cast<uint32_t>(9 + body.b.size() / 2 + 3);
    Writer w;
    w.u32(0x9AC6CDD7);  // placeable header
    w.u16(0);
    w.i16(0);
    w.i16(0);
    w.i16(1000);
    w.i16(1000);
    w.u16(1440);  // units per inch: 1000 units is 0.69 inch
    w.u32(0);
    uint16_t checksum = 0;
    for (size_t i = 0; i < 20; i += 2)
        checksum ^= static_cast<uint16_t>(w.b[i] | (w.b[i + 1] << 8));
    w.u16(checksum);
    w.u16(1);  // memory metafile
    w.u16(9);  // header size in words
    w.u16(0x0300);
    w.u32(words);
    w.u16(4);  // objects
    w.u32(10);  // largest record, in words
    w.u16(0);
    w.b.insert(w.b.end(), body.b.begin(), body.b.end());
    wmfRecord(w, 0x0000, {});  // EOF
    return w.b;
}

Bytes flowerEmf()
{
    Writer body;
    emfRecord(body, 17, {8});  // SETMAPMODE anisotropic
    emfRecord(body, 9, {1000, 1000});  // SETWINDOWEXTEX
    emfRecord(body, 11, {100, 100});  // SETVIEWPORTEXTEX: 1000 units are 100 pixels
    emfRecord(body, 10, {0, 0});  // SETWINDOWORGEX
    emfRecord(body, 38, {1, 0, 12, 0, 0x006000});  // CREATEPEN #1: solid, width 12, green
    emfRecord(body, 39, {2, 0, 0x30A0F0, 0});  // CREATEBRUSHINDIRECT #2: orange
    emfRecord(body, 37, {1});  // SELECTOBJECT
    emfRecord(body, 37, {2});
    for (int i = 0; i < 6; ++i) {
        const double a = i * M_PI / 3;
        const int cx = 500 + static_cast<int>(std::lround(220 * std::cos(a)));
        const int cy = 400 + static_cast<int>(std::lround(220 * std::sin(a)));
        emfRecord(body, 42, {cx - 150, cy - 150, cx + 150, cy + 150});  // ELLIPSE
    }
    emfRecord(body, 39, {3, 0, 0x00D0FF, 0});  // yellow centre
    emfRecord(body, 37, {3});
    emfRecord(body, 42, {380, 280, 620, 520});
    emfRecord(body, 27, {500, 520});  // MOVETOEX
    emfRecord(body, 54, {500, 990});  // LINETO
    Writer eof;
    emfRecord(eof, 14, {0, 16, 20});  // EOF: no palette
    const uint32_t headerSize = 88;
    const uint32_t total = headerSize + static_cast<uint32_t>(body.b.size() + eof.b.size());
    Writer w;
    w.u32(1);  // EMR_HEADER
    w.u32(headerSize);
    w.i32(0);
    w.i32(0);
    w.i32(99);
    w.i32(99);  // bounds (device units)
    w.i32(0);
    w.i32(0);
    w.i32(2645);
    w.i32(2645);  // frame in .01 mm: 100 x 100 pixels at 96 dpi
    w.u32(0x464D4520);  // " EMF"
    w.u32(0x00010000);
    w.u32(total);
    w.u32(1 + body.records + eof.records);
    w.u16(4);  // handles
    w.u16(0);
    w.u32(0);  // description
    w.u32(0);
    w.u32(0);  // palette entries
    w.i32(1000);
    w.i32(1000);  // reference device in pixels
    w.i32(265);
    w.i32(265);  // and in millimetres
    w.b.insert(w.b.end(), body.b.begin(), body.b.end());
    w.b.insert(w.b.end(), eof.b.begin(), eof.b.end());
    return w.b;
}

void writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

}  // namespace samples
