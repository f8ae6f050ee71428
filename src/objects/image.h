// TDImage: a picture on the page, from a file named in the document or a bitmap embedded after
// its record, with optional border lines drawn by the page surface (screen) or itself (paper).
#pragma once
#include <cstdint>
#include <string>

#include "gfx/picture/picture.h"
#include "page/page_object.h"

namespace vr {

class DocStream;
class TSurfaceT;

// Where picture files are looked for when the stored name does not exist as it is.
struct PictureFolders {
    std::string AppFolder;  // the program's folder, with its trailing separator
    std::string DocFolder;  // the open document's folder, with its trailing separator
};

class TDImage : public PageObject {
public:
    static constexpr size_t kRecordSize = 113;

    TDImage();

    const char* className() const override { return "TDImage"; }
    const ImageBorder* imageBorder() const override;

    // Reads the 113-byte record, then loads the picture: from the named file, or from the
    // ImageSize bytes of an embedded bitmap that follow the record. The layer code brings the
    // image to the front of its page or sends it to the back.
    void ReadRecord(DocStream& s, bool withImage, TSurfaceT& page, const PictureFolders& folders,
                    Diagnostics* diagnostics = nullptr);

    // Loads a picture file with the folder fallback; an invalid picture empties the picture (and
    // is reported), an unreadable file throws. Nothing happens when no file is found.
    void LoadImageFile(const std::string& name, const PictureFolders& folders, Diagnostics* diagnostics = nullptr);
    // Loads the named file again when it exists; every failure is ignored.
    void ReloadImageFile(const PictureFolders& folders);

    void paintOnPage(Canvas& canvas, const PaintContext& ctx) override;
    void Print(PrinterDevice& printer, double horzScale, double vertScale);
    void printOnSheet(PrinterDevice& printer, double sx, double sy) override { Print(printer, sx, sy); }
    int printPass() const override { return InFront == 1 ? 2 : 1; }
    void dumpFields(JsonWriter& out) const override;

    uint8_t InFront = 0;
    uint8_t BorderLeft = 0, BorderBottom = 0, BorderRight = 0, BorderTop = 0;
    uint8_t BorderWidth = 0;
    Color BorderColor = 0;
    std::string PictureFileName;  // the name as stored, or the whole path it was found at
    bool AutoSize = false;
    bool Stretch = true;
    bool Center = false;
    int32_t ImageSize = 0;
    Picture picture;

private:
    // The picture's rectangle in the image's own coordinates by the screen rule.
    IRect pictureRect() const;
    void pictureLoaded();
    mutable ImageBorder border_;
};

// The file a stored picture name refers to: the name itself when it exists, else the bare file
// name in the fallback folder. Names from the documents' platform may use backslashes and differ
// in case from the file on disk: both are matched. Empty when nothing is found.
std::string findPictureFile(const std::string& name, const std::string& fallbackFolder);

// A frame background picture: the file (with the document's folder as fallback) as a bitmap;
// every failure leaves `bitmap` as it was and is reported.
void LoadBackgroundBitmap(QImage& bitmap, const std::string& name, const std::string& docFolder,
                          Diagnostics* diagnostics = nullptr);

}  // namespace vr
