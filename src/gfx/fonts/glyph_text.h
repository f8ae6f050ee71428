// 8-bit text drawn one glyph per byte.
//
// The documents' text is made of 8-bit codes of the suite's own fonts. Each byte is drawn as the
// font's glyph for that code, the way the platform drew non-Unicode TrueType fonts, and never
// handed to Qt as Unicode text that it would shape, reorder or substitute:
//
// - byte b looks up, in this order, the code point the platform's ANSI code page gives b (the
//   Latin-1 code point U+00bb, except 0x80..0x9F which follow code page 1252, e.g. 0x80 -> U+20AC),
//   then U+00bb itself, then U+F000 + b (where symbol-encoded fonts keep their codes);
// - a byte the face has no glyph for takes the fallback face's glyph for the same code point;
//   when neither has one, the face's missing-glyph box (glyph 0) is drawn;
// - a face that is not installed (no family of that name, compared without regard to case as the
//   platform matched face names) is replaced as a whole by the fallback face. The fallback face is
//   always kFallbackFamily, so the choice is the same on every run of a machine.
//
// Measures are whole pixels, as the platform gave them: each glyph's advance is its hinted
// advance rounded to the nearest pixel, and a text's width is the sum of its bytes' advances.
// Ascent and descent are the font's Windows ascent and descent (OS/2 usWinAscent and
// usWinDescent) scaled to the em size and rounded to the nearest pixel, halves up; a face without
// that table uses Qt's ascent and descent rounded the same way. The em size is the font's pixel
// size (a character height, as a negative height asked the platform for).
#pragma once
#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include <QRawFont>

#include "gfx/fonts/font_request.h"

class QPainter;

namespace vr {

inline constexpr const char* kFallbackFamily = "DejaVu Sans";

// One face at one pixel size, bold and italic fixed, with every byte's glyph and advance.
struct ByteFont {
    QRawFont face;  // the face asked for, or the fallback face when that is not installed
    QRawFont fallback;  // the fallback face at the same size and style
    bool substituted = false;  // the face asked for is not installed
    std::array<quint32, 256> glyph{};
    std::bitset<256> fromFallback;  // bytes whose glyph is the fallback face's
    std::array<int, 256> advance{};
    TextMetrics metrics;
    // Underline and strike-out bars: top relative to the baseline (positive downwards), thickness.
    int underlineTop = 1, underlineThickness = 1;
    int strikeTop = -3, strikeThickness = 1;

    int width(std::string_view bytes) const;
    // Draws the bytes with their left end of the baseline at (0, baseline) of the painter's
    // current transformation, in the painter's pen colour; underline and strike-out bars when
    // asked. The painter should have antialiasing off.
    void draw(QPainter& p, int baseline, std::string_view bytes, bool underline, bool strikeOut) const;
};

// ByteFonts by (face name, pixel size, bold, italic). Building one costs a font lookup and 256
// glyph lookups; looking one up costs a hash. The cache follows the font database: it empties
// itself when fonts are added to the application, so that a face loaded later is found.
class ByteFontCache {
public:
    ByteFontCache();
    ~ByteFontCache();
    ByteFontCache(const ByteFontCache&) = delete;
    ByteFontCache& operator=(const ByteFontCache&) = delete;

    // Pixel sizes are clamped to 1..4096.
    std::shared_ptr<const ByteFont> get(const std::string& face, int pixelSize, bool bold, bool italic);
    void clear();
    size_t size() const;

    // The cache the canvases share unless they are given one. It holds nothing but what can be
    // rebuilt from the font database, so sharing it is not observable apart from speed.
    static ByteFontCache& shared();

private:
    static constexpr size_t kMaxEntries = 512;
    mutable std::mutex mutex_;
    std::unordered_map<std::string, std::shared_ptr<const ByteFont>> fonts_;
    struct Watch;
    std::unique_ptr<Watch> watch_;
};

}  // namespace vr
