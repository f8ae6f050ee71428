#include "objects/image.h"

#include <QDir>
#include <QFileInfo>

#include "core/doc_stream.h"
#include "core/fields.h"
#include "core/rounding.h"
#include "drawing/print_bitmap.h"
#include "gfx/print/printer.h"
#include "page/surface.h"

namespace vr {

namespace {

bool fileExists(const std::string& path)
{
    return !path.empty() && QFileInfo(QString::fromStdString(path)).isFile();
}

std::string bareName(const std::string& name)
{
    const size_t sep = name.find_last_of("\\/");
    return sep == std::string::npos ? name : name.substr(sep + 1);
}

// True when the bytes after an image record are a BMP file rather than the next object tag: a tag
// starts with its length (at most 20), a BMP with "BM" (66, 77).
bool bitmapFollows(const DocStream& s)
{
    uint8_t sig[2];
    return s.peek(sig, 2) == 2 && sig[0] == 'B' && sig[1] == 'M';
}

}  // namespace

std::string findPictureFile(const std::string& name, const std::string& fallbackFolder)
{
    if (name.empty())
        return {};
    if (fileExists(name))
        return name;
    const std::string bare = bareName(name);
    if (bare.empty() || fallbackFolder.empty())
        return {};
    const std::string direct = fallbackFolder + bare;
    if (fileExists(direct))
        return direct;
    // The documents come from a file system that ignores case.
    const QString wanted = QString::fromStdString(bare);
    const QDir dir(QString::fromStdString(fallbackFolder));
    for (const QString& entry : dir.entryList(QDir::Files)) {
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0)
            return fallbackFolder + entry.toStdString();
    }
    return {};
}

void LoadBackgroundBitmap(QImage& bitmap, const std::string& name, const std::string& docFolder,
                          Diagnostics* diagnostics)
{
    const std::string path = findPictureFile(name, docFolder);
    if (path.empty())
        return;
    try {
        DocStream s = DocStream::openFile(path);
        const std::vector<uint8_t> bytes = s.readExact(s.size());
        bitmap = decodeBmp(bytes.data(), bytes.size());
    } catch (const VError& e) {
        // A background that cannot be loaded leaves the frame's bitmap as it was.
        warnTo(diagnostics, "background picture " + path + " not loaded: " + e.what());
    }
}

TDImage::TDImage() = default;

const ImageBorder* TDImage::imageBorder() const
{
    border_ =
        ImageBorder{BorderLeft != 0, BorderBottom != 0, BorderRight != 0, BorderTop != 0, BorderWidth, BorderColor};
    return &border_;
}

void TDImage::ReadRecord(DocStream& s, bool withImage, TSurfaceT& page, const PictureFolders& folders,
                         Diagnostics* diagnostics)
{
    uint8_t rec[kRecordSize];
    s.readFixed(rec, sizeof rec);
    left = numericField(rec + 0, 4);
    top = numericField(rec + 5, 4);
    width = numericField(rec + 10, 4);
    height = numericField(rec + 15, 4);
    const int layer = codeIndex(rec + 20, 1, {"0", "1", "2", "3"});
    if (layer >= 0) {
        BorderLeft = layer & 1;
        InFront = static_cast<uint8_t>(layer >> 1);
        page.setInFront(*this, InFront == 1);
    }
    BorderBottom = lowByte(numericField(rec + 22, 1));
    BorderRight = lowByte(numericField(rec + 24, 1));
    BorderTop = lowByte(numericField(rec + 26, 1));
    BorderWidth = lowByte(numericField(rec + 28, 1));
    BorderColor = static_cast<Color>(numericField(rec + 30, 9));
    switch (codeIndex(rec + 40, 1, {"1", "2", "3"})) {
    case 0:
        AutoSize = true;
        Stretch = false;
        Center = false;
        break;
    case 1:
        Stretch = true;
        AutoSize = false;
        Center = false;
        break;
    case 2:
        Center = true;
        AutoSize = false;
        Stretch = false;
        break;
    default:
        break;
    }
    ImageSize = numericField(rec + 42, 9);
    PictureFileName = countedText(rec + 52, 60);

    if (!PictureFileName.empty()) {
        // A record may carry both a file name and a bitmap: the bytes are consumed when they are
        // a bitmap, and the bitmap serves when the file gives no picture.
        std::vector<uint8_t> embedded;
        if (ImageSize >= 1 && withImage && bitmapFollows(s))
            embedded = s.readExact(static_cast<size_t>(ImageSize));
        LoadImageFile(PictureFileName, folders, diagnostics);
        if (picture.empty() && !embedded.empty()) {
            try {
                picture = Picture::fromBytes(Picture::Kind::Bitmap, std::move(embedded));
                pictureLoaded();
            } catch (const GraphicError& e) {
                warnTo(diagnostics, std::string("embedded bitmap not decoded: ") + e.what());
            }
        }
    } else if (ImageSize >= 1 && withImage) {
        picture = Picture::fromBytes(Picture::Kind::Bitmap, s.readExact(static_cast<size_t>(ImageSize)));
        pictureLoaded();
    }
}

void TDImage::LoadImageFile(const std::string& name, const PictureFolders& folders, Diagnostics* diagnostics)
{
    if (name.empty())
        return;
    std::string path = findPictureFile(name, folders.AppFolder);
    if (path.empty())
        path = findPictureFile(name, folders.DocFolder);
    if (path.empty())
        return;
    try {
        picture = Picture::loadFile(path);
        PictureFileName = path;
        pictureLoaded();
    } catch (const GraphicError& e) {
        picture = Picture{};
        warnTo(diagnostics, "picture " + path + " not decoded: " + e.what());
    }
}

void TDImage::ReloadImageFile(const PictureFolders& folders)
{
    if (!fileExists(PictureFileName))
        return;
    try {
        LoadImageFile(PictureFileName, folders);
    } catch (const VError&) {
    }
}

void TDImage::pictureLoaded()
{
    if (AutoSize && !picture.empty()) {
        width = picture.width();
        height = picture.height();
    }
}

IRect TDImage::pictureRect() const
{
    const int pw = picture.width(), ph = picture.height();
    if (Stretch)
        return IRect{0, 0, width, height};
    if (Center) {
        const int x = (width - pw) / 2, y = (height - ph) / 2;
        return IRect{x, y, x + pw, y + ph};
    }
    return IRect{0, 0, pw, ph};
}

void TDImage::paintOnPage(Canvas& canvas, const PaintContext&)
{
    if (picture.empty())
        return;
    CanvasSaver saver(canvas);
    canvas.translate(left, top);
    canvas.clipTo(IRect{0, 0, width, height});
    picture.draw(canvas, pictureRect(), JpegOutput::Rgb24);
}

void TDImage::Print(PrinterDevice& printer, double sx, double sy)
{
    Canvas& c = printer.canvas();
    int pw = 0, half = 0;
    if (BorderLeft || BorderBottom || BorderRight || BorderTop) {
        c.pen.width = roundHalfEven(BorderWidth * sx);
        pw = lowByte(c.pen.width);
        c.pen.color = resolveColor(BorderColor);
        half = roundHalfEven(pw / 2.0);
        auto line = [&](int x0, int y0, int x1, int y1) {
            c.moveTo(roundHalfEven(x0 * sx), roundHalfEven(y0 * sy));
            c.lineTo(roundHalfEven(x1 * sx), roundHalfEven(y1 * sy));
        };
        const int L = left, T = top, R = left + width, B = top + height;
        if (BorderLeft)
            line(L, T, L, B);
        if (BorderBottom)
            line(L, B, R, B);
        if (BorderRight)
            line(R, T, R, B);
        if (BorderTop)
            line(L, T, R, T);
    }
    if (picture.empty())
        return;
    IRect src = pictureRect();
    if (!Stretch && !Center)
        src = IRect{pw, pw, picture.width() - pw, picture.height() - pw};
    const IRect dest{roundHalfEven((left + src.left) * sx) + 2 * half, roundHalfEven((top + src.top) * sy) + 2 * half,
                     roundHalfEven((left + src.right) * sx) - 2 * half,
                     roundHalfEven((top + src.bottom) * sy) - 2 * half};
    switch (picture.kind()) {
    case Picture::Kind::Bitmap:
        PrintBitmap(printer, picture.image(), dest.left, dest.top, dest.width(), dest.height(), rop::SrcCopy);
        break;
    case Picture::Kind::Jpeg:
        // Paper takes the 8-bit decode; the screen decodes again at its next paint.
        PrintBitmap(printer, picture.image(JpegOutput::Quantised236), dest.left, dest.top, dest.width(), dest.height(),
                    rop::SrcCopy);
        break;
    default:
        picture.draw(c, dest);
        break;
    }
}

void TDImage::dumpFields(JsonWriter& out) const
{
    dumpBounds(out);
    out.field("InFront", static_cast<int32_t>(InFront));
    out.field("BorderLeft", static_cast<int32_t>(BorderLeft));
    out.field("BorderBottom", static_cast<int32_t>(BorderBottom));
    out.field("BorderRight", static_cast<int32_t>(BorderRight));
    out.field("BorderTop", static_cast<int32_t>(BorderTop));
    out.field("BorderWidth", static_cast<int32_t>(BorderWidth));
    out.field("BorderColor", BorderColor);
    out.field("AutoSize", AutoSize);
    out.field("Stretch", Stretch);
    out.field("Center", Center);
    out.field("ImageSize", ImageSize);
    out.key("PictureFileName");
    out.bytes(PictureFileName);
    static constexpr const char* kKinds[] = {"empty", "bmp", "ico", "wmf", "emf", "jpeg", "gif"};
    out.key("Picture");
    out.beginObject();
    out.field("kind", kKinds[static_cast<int>(picture.kind())]);
    out.field("width", static_cast<int32_t>(picture.width()));
    out.field("height", static_cast<int32_t>(picture.height()));
    out.endObject();
}

}  // namespace vr
