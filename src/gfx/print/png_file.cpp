#include "gfx/print/png_file.h"

#include <array>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <png.h>

#include "gfx/print/palette.h"

namespace vr {
namespace {

struct PngWrite {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::FILE* file = nullptr;
    ~PngWrite()
    {
        if (png)
            png_destroy_write_struct(&png, info ? &info : nullptr);
        if (file)
            std::fclose(file);
    }
};

// What the rows are made of; everything is prepared before libpng may jump back on an error.
struct Plan {
    const QImage* image = nullptr;  // Format_RGB32 / ARGB32, or Format_Mono
    bool mono = false;  // rows are the image's own bits
    bool palette = false;
    int depth = 8;
    ColourIndex* index = nullptr;
    std::vector<png_byte> row;
};

void fillRow(Plan& plan, int y)
{
    const QImage& img = *plan.image;
    png_byte* out = plan.row.data();
    if (plan.mono) {
        std::memcpy(out, img.constScanLine(y), plan.row.size());
        return;
    }
    const auto* px = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    const int w = img.width();
    if (!plan.palette) {
        for (int x = 0; x < w; ++x) {
            out[3 * x] = static_cast<png_byte>(qRed(px[x]));
            out[3 * x + 1] = static_cast<png_byte>(qGreen(px[x]));
            out[3 * x + 2] = static_cast<png_byte>(qBlue(px[x]));
        }
        return;
    }
    std::memset(out, 0, plan.row.size());
    const int depth = plan.depth;
    const int perByte = 8 / depth;
    QRgb last = px[0];
    int idx = plan.index->find(last);
    for (int x = 0; x < w; ++x) {
        if (px[x] != last) {
            last = px[x];
            idx = plan.index->find(last);
        }
        const int shift = 8 - depth * (x % perByte + 1);
        out[x / perByte] = static_cast<png_byte>(out[x / perByte] | (idx << shift));
    }
}

bool writeRows(PngWrite& w, Plan& plan, const std::string& path)
{
    const QImage& img = *plan.image;
    w.file = std::fopen(path.c_str(), "wb");
    if (!w.file)
        return false;
    w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!w.png)
        return false;
    w.info = png_create_info_struct(w.png);
    if (!w.info)
        return false;
    std::array<png_color, 256> colours{};
    int count = 0;
    if (plan.palette) {
        const QList<QRgb> table = plan.mono ? img.colorTable() : plan.index->colours;
        count = static_cast<int>(table.size());
        for (int i = 0; i < count; ++i)
            colours[static_cast<size_t>(i)] =
                png_color{static_cast<png_byte>(qRed(table[i])), static_cast<png_byte>(qGreen(table[i])),
                          static_cast<png_byte>(qBlue(table[i]))};
    }
    if (setjmp(png_jmpbuf(w.png)))
        return false;
    png_init_io(w.png, w.file);
    png_set_IHDR(w.png, w.info, static_cast<png_uint_32>(img.width()), static_cast<png_uint_32>(img.height()),
                 plan.depth, plan.palette ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (plan.palette)
        png_set_PLTE(w.png, w.info, colours.data(), count);
    // Palette rows gain nothing from prediction; RGB rows of pictures drawn larger than they are
    // repeat the row above.
    png_set_filter(w.png, PNG_FILTER_TYPE_BASE, plan.palette ? PNG_FILTER_NONE : PNG_FILTER_UP);
    png_set_compression_level(w.png, 1);
    png_write_info(w.png, w.info);
    const int h = img.height();
    for (int y = 0; y < h; ++y) {
        fillRow(plan, y);
        png_write_row(w.png, plan.row.data());
    }
    png_write_end(w.png, w.info);
    const bool closed = std::fclose(w.file) == 0;
    w.file = nullptr;
    return closed;
}

bool opaque(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return true;
    const int w = image.width(), h = image.height();
    for (int y = 0; y < h; ++y) {
        const auto* px = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            if (qAlpha(px[x]) != 255)
                return false;
    }
    return true;
}

}  // namespace

QList<QRgb> pngPalette(const QImage& image)
{
    const QImage rgb = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
        ? image
        : image.convertToFormat(QImage::Format_ARGB32);
    ColourIndex index;
    if (!opaque(rgb) || !collectPalette(rgb, rgb.rect(), index))
        return {};
    return index.colours;
}

bool writePngFile(const QImage& image, const std::string& path)
{
    if (image.isNull())
        return false;
    const bool monoTable = image.format() == QImage::Format_Mono && image.colorCount() == 2 &&
        qAlpha(image.color(0)) == 255 && qAlpha(image.color(1)) == 255;
    QImage rgb;
    if (!monoTable) {
        rgb = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
            ? image
            : image.convertToFormat(QImage::Format_ARGB32);
        if (!opaque(rgb))
            return image.save(QString::fromStdString(path), "PNG");
    }
    ColourIndex index;
    Plan plan;
    plan.image = monoTable ? &image : &rgb;
    plan.index = &index;
    if (monoTable) {
        plan.mono = plan.palette = true;
        plan.depth = 1;
        plan.row.resize(static_cast<size_t>((image.width() + 7) / 8));
    } else if (collectPalette(rgb, rgb.rect(), index)) {
        plan.palette = true;
        plan.depth = paletteDepth(index.colours.size());
        plan.row.resize(static_cast<size_t>((rgb.width() * plan.depth + 7) / 8));
    } else {
        plan.row.resize(static_cast<size_t>(rgb.width()) * 3);
    }
    PngWrite w;
    if (writeRows(w, plan, path))
        return true;
    if (w.file) {
        std::fclose(w.file);
        w.file = nullptr;
    }
    std::remove(path.c_str());
    return false;
}

}  // namespace vr
