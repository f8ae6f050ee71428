// Metafiles are played by a player of our own rather than a library: Debian offers libwmf for
// WMF only, and it draws through its own output devices rather than onto a caller's surface,
// and there is no maintained EMF player. Our Canvas has to receive every drawing call, so that a
// picture printed at printer resolution is drawn there afresh, with the same pixel rules as the
// rest of the page.
//
// The players (metafile_wmf.cpp, metafile_emf.cpp, metafile_emfplus.cpp) read records only within
// their own size and only within the file: a record whose size is 0 or runs past the end ends the
// picture; a record whose counts do not fit its size is skipped and reported; unknown records are
// skipped.
#include "gfx/metafile/metafile.h"

#include <algorithm>
#include <cmath>

#include "gfx/metafile/metafile_player.h"

namespace vr {
namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7u;
constexpr uint32_t kEmfSignature = 0x464D4520u;  // " EMF"

int pixels(double v)
{
    return static_cast<int>(std::clamp(std::floor(std::abs(v) + 0.5), 1.0, 32767.0));
}

}  // namespace

std::optional<Metafile> Metafile::parse(Kind kind, std::vector<uint8_t> bytes)
{
    const mf::Record r(bytes.data(), bytes.size());
    Metafile m;
    m.kind_ = kind;
    if (kind == Kind::Wmf) {
        size_t off = 0;
        if (r.u32(0) == kPlaceableKey) {
            const double l = r.i16(6), t = r.i16(8), rr = r.i16(10), b = r.i16(12);
            const double inch = r.u16(14) != 0 ? r.u16(14) : 1440;
            m.width_ = pixels((rr - l) * 96 / inch);
            m.height_ = pixels((b - t) * 96 / inch);
            off = mf::wmfHeaderOffset(bytes);
        }
        const uint16_t type = r.u16(off), headerWords = r.u16(off + 2);
        if (r.shortRead() || !r.has(off, 18) || (type != 1 && type != 2) || headerWords != 9)
            return std::nullopt;
        double l = 0, t = 0, w = 0, h = 0;
        bool fromBounds = false;
        if (off == 0 && mf::wmfFrame(bytes, l, t, w, h, fromBounds)) {
            m.width_ = pixels(w);
            m.height_ = pixels(h);
        }
    } else {
        if (!r.has(0, 88) || r.u32(0) != 1 || r.u32(40) != kEmfSignature)
            return std::nullopt;
        const double fl = r.i32(24), ft = r.i32(28), fr = r.i32(32), fb = r.i32(36);
        if (fr > fl && fb > ft) {
            m.width_ = pixels((fr - fl) * 96 / 2540);
            m.height_ = pixels((fb - ft) * 96 / 2540);
        } else {
            m.width_ = pixels(static_cast<double>(r.i32(16)) - r.i32(8) + 1);
            m.height_ = pixels(static_cast<double>(r.i32(20)) - r.i32(12) + 1);
        }
    }
    m.bytes_ = std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
    return m;
}

void Metafile::play(Canvas& canvas, const IRect& dest, Diagnostics* diagnostics) const
{
    if (!bytes_ || dest.empty())
        return;
    if (kind_ == Kind::Wmf)
        mf::playWmf(*bytes_, canvas, dest, diagnostics, 0);
    else
        mf::playEmf(*bytes_, canvas, dest, diagnostics, 0);
}

}  // namespace vr
