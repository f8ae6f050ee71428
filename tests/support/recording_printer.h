// A printer whose sheet is a recording canvas: printing traced call by call, at a chosen
// resolution and printable area.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "gfx/canvas/recording_canvas.h"
#include "gfx/print/printer.h"

namespace vrtest {

struct SheetGeometry {
    int dpiX = 96, dpiY = 96;
    int widthDots = 4960, heightDots = 7016;  // HORZRES, VERTRES
    int widthMM = 210, heightMM = 297;  // HORZSIZE, VERTSIZE
};

class RecordingPrinter : public vr::PrinterDevice {
public:
    explicit RecordingPrinter(SheetGeometry g = {}, std::unique_ptr<vr::RecordingCanvas> sheet = nullptr)
        : g_(g),
          sheet_(sheet ? std::move(sheet) : std::make_unique<vr::RecordingCanvas>(g.widthDots, g.heightDots, g.dpiY))
    {
    }
    int logPixelsX() const override { return g_.dpiX; }
    int logPixelsY() const override { return g_.dpiY; }
    int horzRes() const override { return g_.widthDots; }
    int vertRes() const override { return g_.heightDots; }
    int horzSize() const override { return g_.widthMM; }
    int vertSize() const override { return g_.heightMM; }
    vr::PaperOrientation orientation() const override { return vr::PaperOrientation::Portrait; }
    void setOrientation(vr::PaperOrientation) override { }
    void beginDoc() override { }
    void newPage() override { }
    void endDoc() override { }
    void abort() override { }
    bool printing() const override { return true; }
    vr::Canvas& canvas() override { return *sheet_; }

    const std::vector<std::string>& calls() const { return sheet_->calls; }
    // The calls of one kind ("line", "fillrect", "text", ...), in order.
    std::vector<std::string> callsOf(const std::string& kind) const
    {
        std::vector<std::string> out;
        for (const std::string& c : sheet_->calls)
            if (c.rfind(kind + " ", 0) == 0)
                out.push_back(c);
        return out;
    }

private:
    SheetGeometry g_;
    std::unique_ptr<vr::RecordingCanvas> sheet_;
};

}  // namespace vrtest
