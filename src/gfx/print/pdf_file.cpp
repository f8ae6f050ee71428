#include "gfx/print/pdf_file.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdarg>
#include <cstring>

#include <zlib.h>

#include "core/errors.h"
#include "gfx/print/palette.h"

namespace vr {
namespace {

// A number of points as PDF writes it: at most five decimals, no trailing zeros.
std::string points(double v)
{
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.5f", std::abs(v) < 5e-6 ? 0.0 : v);
    std::string s = buf;
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.')
        s.pop_back();
    return s;
}

constexpr double kPointsPerMM = 72.0 / 25.4;

}  // namespace

// The file being written: bytes counted as they go, object offsets for the cross-reference
// table, and one deflate stream reused for every image. Write errors are remembered, not thrown,
// and checked once a sheet is out.
class PdfSheetPrinter::Writer {
public:
    explicit Writer(const std::string& path) : file_(std::fopen(path.c_str(), "wb"))
    {
        if (file_ == nullptr || deflateInit(&z_, 1) != Z_OK) {
            ok_ = false;
            return;
        }
        zlibReady_ = true;
        std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
    }
    ~Writer()
    {
        if (zlibReady_)
            deflateEnd(&z_);
        if (file_ != nullptr)
            std::fclose(file_);
    }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    bool ok() const { return ok_; }

    void put(const void* data, size_t n)
    {
        if (ok_ && n > 0 && std::fwrite(data, 1, n, file_) != n)
            ok_ = false;
        pos_ += static_cast<int64_t>(n);
    }
    void put(const std::string& s) { put(s.data(), s.size()); }
    void putf(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        char buf[256];
        va_list args;
        va_start(args, format);
        const int n = std::vsnprintf(buf, sizeof buf, format, args);
        va_end(args);
        put(buf, static_cast<size_t>(std::clamp(n, 0, static_cast<int>(sizeof buf) - 1)));
    }

    // A new object number, from 1.
    int reserve()
    {
        offsets_.push_back(-1);
        return static_cast<int>(offsets_.size());
    }
    void beginObject(int n)
    {
        offsets_[static_cast<size_t>(n) - 1] = pos_;
        putf("%d 0 obj\n", n);
    }
    void endObject() { put("endobj\n", 7); }

    // Deflated stream data: start, any number of pieces, finish; finishing answers the length.
    void beginStream()
    {
        put("stream\n", 7);
        streamStart_ = pos_;
        if (ok_ && deflateReset(&z_) != Z_OK)
            ok_ = false;
    }
    void deflatePiece(const uchar* data, size_t n, bool last)
    {
        if (!ok_)
            return;
        z_.next_in = const_cast<uchar*>(data);
        z_.avail_in = static_cast<uInt>(n);
        const int flush = last ? Z_FINISH : Z_NO_FLUSH;
        int status;
        do {
            z_.next_out = zbuf_.data();
            z_.avail_out = static_cast<uInt>(zbuf_.size());
            status = deflate(&z_, flush);
            if (status == Z_STREAM_ERROR) {
                ok_ = false;
                return;
            }
            put(zbuf_.data(), zbuf_.size() - z_.avail_out);
        } while (z_.avail_out == 0 || (last && status != Z_STREAM_END));
    }
    int64_t endStream()
    {
        const int64_t length = pos_ - streamStart_;
        put("\nendstream\n", 11);
        return length;
    }

    // The cross-reference table, the trailer and the file closed; false when anything failed.
    bool finish(int root, int info)
    {
        const int64_t xref = pos_;
        putf("xref\n0 %zu\n0000000000 65535 f \n", offsets_.size() + 1);
        for (const int64_t at : offsets_)
            putf("%010lld 00000 n \n", static_cast<long long>(at < 0 ? 0 : at));
        putf("trailer\n<< /Size %zu /Root %d 0 R /Info %d 0 R >>\nstartxref\n%lld\n%%%%EOF\n", offsets_.size() + 1,
             root, info, static_cast<long long>(xref));
        std::FILE* f = file_;
        file_ = nullptr;
        return std::fclose(f) == 0 && ok_;
    }

    std::vector<int> pages;  // page objects, in order

private:
    std::FILE* file_;
    bool ok_ = true;
    bool zlibReady_ = false;
    int64_t pos_ = 0;
    int64_t streamStart_ = 0;
    std::vector<int64_t> offsets_;
    z_stream z_{};
    std::array<uchar, 1 << 18> zbuf_{};
};

// One image of a sheet: its dots in the sheet and how its pixels are coded.
struct PdfSheetPrinter::Image {
    enum Kind { Mono, Palette, Rgb };
    Kind kind = Mono;
    QRect rect;
    ColourIndex* palette = nullptr;
    int depth = 1;  // bits per pixel of a palette image
};

PdfSheetPrinter::PdfSheetPrinter(int dpi, double paperWidthMM, double paperHeightMM, std::string path)
    : PaperSheetPrinter(dpi, paperWidthMM, paperHeightMM), path_(std::move(path))
{
}

PdfSheetPrinter::~PdfSheetPrinter()
{
    if (printing())
        abort();
}

void PdfSheetPrinter::fail()
{
    throw VError("Cannot write " + path_);
}

// Objects 1 and 2 are the catalog and the page tree, written last when the pages are known.
void PdfSheetPrinter::startJob()
{
    out_ = std::make_unique<Writer>(path_);
    if (!out_->ok()) {
        out_.reset();
        std::remove(path_.c_str());
        fail();
    }
    out_->put("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    out_->reserve();
    out_->reserve();
}

int PdfSheetPrinter::writeImage(const QImage& sheet, const Image& image)
{
    Writer& out = *out_;
    const QRect& r = image.rect;
    const int w = r.width(), h = r.height();
    const int obj = out.reserve();
    const int length = out.reserve();
    out.beginObject(obj);
    out.putf("<< /Type /XObject /Subtype /Image /Width %d /Height %d", w, h);
    size_t rowBytes = 0;
    switch (image.kind) {
    case Image::Mono:
        out.put(" /BitsPerComponent 1 /ColorSpace /DeviceGray");
        rowBytes = static_cast<size_t>((w + 7) / 8);
        break;
    case Image::Palette: {
        const QList<QRgb>& colours = image.palette->colours;
        out.putf(" /BitsPerComponent %d /ColorSpace [/Indexed /DeviceRGB %d <", image.depth,
                 static_cast<int>(colours.size()) - 1);
        for (const QRgb c : colours)
            out.putf("%06X", static_cast<unsigned>(c & 0xFFFFFFu));
        out.put(">]");
        rowBytes = static_cast<size_t>((w * image.depth + 7) / 8);
        break;
    }
    case Image::Rgb:
        // Each row is predicted from the one above (a filter byte, then the differences): rows
        // of pictures drawn larger than they are repeat, and deflate gets through zeros fast.
        out.putf(" /BitsPerComponent 8 /ColorSpace /DeviceRGB /DecodeParms << /Predictor 12 /Colors 3 /Columns %d >>",
                 w);
        rowBytes = 1 + static_cast<size_t>(w) * 3;
        break;
    }
    out.putf(" /Filter /FlateDecode /Length %d 0 R >>\n", length);
    out.beginStream();

    // Rows are coded into a buffer of about 1 MB and deflated a buffer at a time.
    const size_t rowsPerPiece = std::max<size_t>(1, (1u << 20) / rowBytes);
    std::vector<uchar> piece(rowsPerPiece * rowBytes);
    size_t filled = 0;
    ColourIndex* index = image.palette;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        uchar* row = piece.data() + filled * rowBytes;
        const auto* px = reinterpret_cast<const QRgb*>(sheet.constScanLine(y)) + r.left();
        switch (image.kind) {
        case Image::Mono:
            std::memcpy(row, bits_.data() + static_cast<size_t>(y) * bitsPerLine_, rowBytes);
            break;
        case Image::Palette: {
            std::memset(row, 0, rowBytes);
            const int depth = image.depth;
            const int perByte = 8 / depth;
            QRgb last = px[0];
            int idx = index->find(last);
            for (int x = 0; x < w; ++x) {
                if (px[x] != last) {
                    last = px[x];
                    idx = index->find(last);
                }
                row[x / perByte] = static_cast<uchar>(row[x / perByte] | (idx << (8 - depth * (x % perByte + 1))));
            }
            break;
        }
        case Image::Rgb: {
            row[0] = 2;  // Up
            uchar* o = row + 1;
            if (y == r.top()) {
                for (int x = 0; x < w; ++x, o += 3) {
                    o[0] = static_cast<uchar>(px[x] >> 16);
                    o[1] = static_cast<uchar>(px[x] >> 8);
                    o[2] = static_cast<uchar>(px[x]);
                }
            } else {
                const auto* up = reinterpret_cast<const QRgb*>(sheet.constScanLine(y - 1)) + r.left();
                for (int x = 0; x < w; ++x, o += 3) {
                    const QRgb a = px[x], b = up[x];
                    o[0] = static_cast<uchar>((a >> 16) - (b >> 16));
                    o[1] = static_cast<uchar>((a >> 8) - (b >> 8));
                    o[2] = static_cast<uchar>(a - b);
                }
            }
            break;
        }
        }
        if (++filled == rowsPerPiece || y == r.bottom()) {
            out.deflatePiece(piece.data(), filled * rowBytes, y == r.bottom());
            filled = 0;
        }
    }
    const int64_t bytes = out.endStream();
    out.endObject();
    out.beginObject(length);
    out.putf("%lld\n", static_cast<long long>(bytes));
    out.endObject();
    return obj;
}

void PdfSheetPrinter::emitSheet(QImage& sheet)
{
    if (!out_)
        fail();
    // Sheets are Format_RGB32 unless a subclass drew them otherwise.
    const bool rgb32 = sheet.format() == QImage::Format_RGB32 || sheet.format() == QImage::Format_ARGB32;
    const QImage converted = rgb32 ? QImage() : sheet.convertToFormat(QImage::Format_RGB32);
    const QImage& rgb = rgb32 ? sheet : converted;
    const SheetContent content = scanSheet(rgb, bits_);
    bitsPerLine_ = static_cast<size_t>(content.bytesPerLine);
    const int dpi = logPixelsX();
    const QSizeF mm = areaMM();
    const double pageW = mm.width() * kPointsPerMM, pageH = mm.height() * kPointsPerMM;
    const double dot = 72.0 / dpi;

    // The images, bottom first: the black pixels, then the bands of other colours.
    std::vector<Image> images;
    std::vector<std::unique_ptr<ColourIndex>> palettes;
    const bool wholeBand = content.bands.size() == 1 && content.bands.front().rect == sheet.rect();
    if (content.anyBlack && !wholeBand)
        images.push_back(Image{Image::Mono, sheet.rect(), nullptr, 1});
    for (const SheetContent::Band& band : content.bands) {
        // Greys only (at most 256 of them) always fit a palette.
        auto palette = std::make_unique<ColourIndex>();
        if (collectPalette(rgb, band.rect, *palette)) {
            images.push_back(Image{Image::Palette, band.rect, palette.get(), paletteDepth(palette->colours.size())});
            palettes.push_back(std::move(palette));
        } else {
            images.push_back(Image{Image::Rgb, band.rect, nullptr, 8});
        }
    }

    std::string resources, drawing;
    for (size_t i = 0; i < images.size(); ++i) {
        const QRect& r = images[i].rect;
        const int obj = writeImage(rgb, images[i]);
        resources += " /Im" + std::to_string(i + 1) + " " + std::to_string(obj) + " 0 R";
        // One image pixel per dot, from the page's top left corner.
        drawing += "q " + points(r.width() * dot) + " 0 0 " + points(r.height() * dot) + " " + points(r.left() * dot) +
            " " + points(pageH - (r.top() + r.height()) * dot) + " cm /Im" + std::to_string(i + 1) + " Do Q\n";
    }
    Writer& out = *out_;
    const int contents = out.reserve();
    out.beginObject(contents);
    out.putf("<< /Length %zu >>\nstream\n", drawing.size());
    out.put(drawing);
    out.put("\nendstream\n");
    out.endObject();
    const int page = out.reserve();
    out.beginObject(page);
    out.put("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + points(pageW) + " " + points(pageH) + "]");
    out.put(" /Resources << /XObject <<" + resources + " >> >>");
    out.putf(" /Contents %d 0 R >>\n", contents);
    out.endObject();
    out.pages.push_back(page);
    if (!out.ok())
        fail();
}

void PdfSheetPrinter::finishJob()
{
    if (!out_)
        fail();
    std::unique_ptr<Writer> out = std::move(out_);
    out->beginObject(1);
    out->put("<< /Type /Catalog /Pages 2 0 R >>\n");
    out->endObject();
    out->beginObject(2);
    out->put("<< /Type /Pages /Kids [");
    for (size_t i = 0; i < out->pages.size(); ++i)
        out->putf("%s%d 0 R", i == 0 ? "" : i % 10 == 0 ? "\n" : " ", out->pages[i]);
    out->putf("] /Count %zu >>\n", out->pages.size());
    out->endObject();
    const int info = out->reserve();
    out->beginObject(info);
    out->put("<< /Creator (Velmora Reader) /Producer (Velmora Reader) >>\n");
    out->endObject();
    if (!out->finish(1, info)) {
        std::remove(path_.c_str());
        fail();
    }
}

void PdfSheetPrinter::abortJob()
{
    if (!out_)
        return;
    out_.reset();
    std::remove(path_.c_str());
}

}  // namespace vr
