#include "support/media_writer.h"

#include <cmath>
#include <numbers>

namespace vrtest {

namespace {

void put16(Bytes& b, uint32_t v)
{
    b.push_back(static_cast<uint8_t>(v & 0xFF));
    b.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

void put32(Bytes& b, uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

void putTag(Bytes& b, const char* tag)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(tag[i]));
}

}  // namespace

Bytes bookFile(const std::vector<ChapterEntry>& entries, const std::string& countText)
{
    Bytes out(1524, 0);
    const std::string count = countText == "\x01" ? std::to_string(entries.size()) : countText;
    const Bytes field = counted(count, 255);
    std::copy(field.begin(), field.end(), out.begin() + 968);
    for (const ChapterEntry& e : entries) {
        append(out, fields({e.fileName, e.title, e.kept1, e.kept2, e.kept3}, {120, 255, 4, 4, 4}));
        append(out, Bytes(4, 0));
    }
    return out;
}

Bytes playerRecord(const PlayerRec& p)
{
    Bytes out = fields({p.left, p.height, p.top, p.width, p.deviceType, p.fileName}, {4, 4, 4, 4, 14, 255});
    out.resize(649, 0);
    return out;
}

Bytes chimeWav(int ms, int rate)
{
    const uint32_t samples = static_cast<uint32_t>(static_cast<int64_t>(rate) * ms / 1000);
    Bytes b;
    putTag(b, "RIFF");
    put32(b, 36 + samples * 2);
    putTag(b, "WAVE");
    putTag(b, "fmt ");
    put32(b, 16);
    put16(b, 1);  // PCM
    put16(b, 1);  // mono
    put32(b, static_cast<uint32_t>(rate));
    put32(b, static_cast<uint32_t>(rate) * 2);
    put16(b, 2);
    put16(b, 16);
    putTag(b, "data");
    put32(b, samples * 2);
    // Three notes (E, G, C) one after the other, each dying away.
    const double notes[3] = {659.25, 783.99, 1046.50};
    const uint32_t noteLength = samples / 3 + 1;
    for (uint32_t i = 0; i < samples; ++i) {
        const double freq = notes[std::min<uint32_t>(i / noteLength, 2)];
        const double t = static_cast<double>(i % noteLength) / rate;
        const double v = std::sin(2 * std::numbers::pi * freq * t) * std::exp(-4.0 * t) * 0.4;
        put16(b, static_cast<uint16_t>(static_cast<int16_t>(std::lround(v * 32767))));
    }
    return b;
}

}  // namespace vrtest
