// Metafiles written by the tests: little-endian byte builders, a placeable WMF of given records,
// an EMF header, and playback onto a recording canvas.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/diagnostics.h"
#include "gfx/canvas/recording_canvas.h"
#include "gfx/metafile/metafile.h"

namespace vr::test {

using Lines = std::vector<std::string>;

struct Bytes {
    std::vector<uint8_t> b;
    Bytes& u8(uint32_t v)
    {
        b.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    Bytes& u16(uint32_t v)
    {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
        return *this;
    }
    Bytes& u32(uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Bytes& f32(float v)
    {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        return u32(bits);
    }
    Bytes& bytes(const std::vector<uint8_t>& v)
    {
        b.insert(b.end(), v.begin(), v.end());
        return *this;
    }
    size_t size() const { return b.size(); }
};

inline uint16_t s(int v)
{
    return static_cast<uint16_t>(v);
}

// A WMF's records, each a function and its 16-bit parameters, then the end record.
inline void wmfRecords(Bytes& f, const std::vector<std::vector<uint16_t>>& records)
{
    for (const auto& r : records) {
        f.u32(static_cast<uint32_t>(r.size() + 2));
        for (const uint16_t v : r)
            f.u16(v);
    }
    f.u32(3).u16(0);
}

// A placeable WMF of bounds (0, 0)-(w, h) at `inch` units per inch, then the records.
inline std::vector<uint8_t> wmf(int w, int h, int inch, const std::vector<std::vector<uint16_t>>& records)
{
    Bytes f;
    f.u32(0x9AC6CDD7).u16(0).u16(0).u16(0).u16(static_cast<uint16_t>(w)).u16(static_cast<uint16_t>(h));
    f.u16(static_cast<uint16_t>(inch)).u32(0).u16(0);
    f.u16(1).u16(9).u16(0x300).u32(0).u16(8).u32(0).u16(0);
    wmfRecords(f, records);
    return f.b;
}

// A WMF without the placeable header.
inline std::vector<uint8_t> plainWmf(const std::vector<std::vector<uint16_t>>& records)
{
    Bytes f;
    f.u16(1).u16(9).u16(0x300).u32(0).u16(8).u32(0).u16(0);
    wmfRecords(f, records);
    return f.b;
}

// Bytes as 16-bit parameters (padded with a zero byte).
inline std::vector<uint16_t> words(const std::vector<uint8_t>& bytes)
{
    std::vector<uint16_t> out;
    for (size_t k = 0; k < bytes.size(); k += 2)
        out.push_back(static_cast<uint16_t>(bytes[k] | (k + 1 < bytes.size() ? bytes[k + 1] << 8 : 0)));
    return out;
}

// An EMF header for a frame of w x h pixels at 96 per inch (device 96 px per 25.4 mm).
inline Bytes emfHeader(int w, int h)
{
    Bytes f;
    f.u32(1).u32(88).u32(0).u32(0).u32(static_cast<uint32_t>(w - 1)).u32(static_cast<uint32_t>(h - 1));
    f.u32(0).u32(0).u32(static_cast<uint32_t>(w * 2540 / 96)).u32(static_cast<uint32_t>(h * 2540 / 96));
    f.u32(0x464D4520).u32(0x10000).u32(0).u32(0).u16(4).u16(0).u32(0).u32(0).u32(0);
    f.u32(960).u32(960).u32(254).u32(254);
    return f;
}

// An EMF record of a type and its 32-bit parameters.
inline Bytes& emfRecord(Bytes& f, uint32_t type, const std::vector<uint32_t>& params)
{
    f.u32(type).u32(static_cast<uint32_t>(8 + 4 * params.size()));
    for (const uint32_t v : params)
        f.u32(v);
    return f;
}

inline Bytes& emfEnd(Bytes& f)
{
    return emfRecord(f, 14, {0, 0, 20});
}

inline Lines play(Metafile::Kind kind, const std::vector<uint8_t>& bytes, IRect dest, Diagnostics* d = nullptr)
{
    auto m = Metafile::parse(kind, bytes);
    EXPECT_TRUE(m.has_value());
    RecordingCanvas c;
    if (m)
        m->play(c, dest, d);
    return c.calls;
}

// The recorded lines that begin with `prefix`.
inline Lines only(const Lines& lines, const std::string& prefix)
{
    Lines out;
    for (const std::string& l : lines)
        if (l.rfind(prefix, 0) == 0)
            out.push_back(l);
    return out;
}

}  // namespace vr::test
