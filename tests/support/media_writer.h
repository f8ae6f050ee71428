// Test-only writers of books (.BOK), player records and short sound clips.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "support/doc_writer.h"

namespace vrtest {

struct ChapterEntry {
    std::string fileName;  // counted string of 120
    std::string title;  // counted string of 255, keyboard-font codes
    std::string kept1, kept2, kept3;  // counted strings of 4
};

// A book: the 1524-byte header with `countText` as the count field at 968 (the number of entries
// unless given), then one 396-byte entry each.
Bytes bookFile(const std::vector<ChapterEntry>& entries, const std::string& countText = "\x01");

struct PlayerRec {
    std::string left = "10", height = "120", top = "20", width = "200";
    std::string deviceType = "1";
    std::string fileName;
};
// The 649-byte player record (after the tag): Left, Height, Top, Width, device type, file name.
Bytes playerRecord(const PlayerRec& p);

// A mono 16-bit PCM WAV file of `ms` milliseconds at `rate` samples per second: a few soft notes.
Bytes chimeWav(int ms = 1200, int rate = 22050);

}  // namespace vrtest
