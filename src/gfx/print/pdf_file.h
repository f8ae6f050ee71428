// Printed sheets written straight to a PDF file, one page per sheet, as they are printed.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "gfx/print/printer.h"

namespace vr {

// A printer that writes its sheets to a PDF file at `path`, each sheet a page of the paper's size
// (landscape: sides swapped) showing the sheet's pixels exactly, one image pixel per dot, from the
// page's top left corner. The file is written as the sheets come (only the sheet in progress is
// held), so memory stays flat over any number of sheets.
//
// Each sheet goes as cheaply as its content allows, deflated at zlib's fastest level: the black
// pixels as one 1-bit image; each band of rows holding other colours (see scanSheet) over it as
// a palette image at the smallest depth when it holds at most 256 colours (bands of greys always
// do), else 8-bit RGB with each row predicted from the one above. A white sheet is an empty page.
//
// Errors writing the file throw VError("Cannot write <path>"); an aborted job, or one that
// failed, removes the file.
class PdfSheetPrinter : public PaperSheetPrinter {
public:
    PdfSheetPrinter(int dpi, double paperWidthMM, double paperHeightMM, std::string path);
    ~PdfSheetPrinter() override;

    const std::string& path() const { return path_; }

protected:
    void startJob() override;
    void emitSheet(QImage& sheet) override;
    void finishJob() override;
    void abortJob() override;

private:
    class Writer;
    struct Image;
    void fail();
    int writeImage(const QImage& sheet, const Image& image);

    std::string path_;
    std::unique_ptr<Writer> out_;
    std::vector<uchar> bits_;  // the sheet's 1-bit view
    size_t bitsPerLine_ = 0;
};

}  // namespace vr
