// Windows metafiles (WMF, with or without the placeable header) and enhanced metafiles (EMF),
// played on a Canvas: each record becomes Canvas calls in device pixels of the destination.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/diagnostics.h"
#include "gfx/canvas/canvas.h"

namespace vr {

class Metafile {
public:
    enum class Kind { Wmf, Emf };

    // Checks the header and keeps the bytes; nullopt when the data is not a metafile of that kind.
    // Records are read only when the picture is played.
    static std::optional<Metafile> parse(Kind kind, std::vector<uint8_t> bytes);

    Kind kind() const { return kind_; }
    // The picture's own size in screen pixels at 96 pixels per inch (from the placeable header's
    // bounds and units per inch, or the EMF frame), at least 1 x 1.
    int width() const { return width_; }
    int height() const { return height_; }

    // Plays the records so that the picture's frame fills dest. Unknown records are skipped, and
    // so is a record whose contents are inconsistent (reported to `diagnostics` when given); only
    // a record whose size breaks the framing ends the picture. Never throws for bad data.
    void play(Canvas& canvas, const IRect& dest, Diagnostics* diagnostics = nullptr) const;

private:
    Kind kind_ = Kind::Wmf;
    std::shared_ptr<const std::vector<uint8_t>> bytes_;
    int width_ = 1, height_ = 1;
    friend class MetafilePlayerAccess;
};

}  // namespace vr
