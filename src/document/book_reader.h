// Books (.BOK): a header with the chapter count, then one 396-byte entry per chapter naming a
// page-layout or text document of the book's own folder and its title in the keyboard font.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vr {

class DocStream;
class Diagnostics;

inline constexpr size_t kBookHeaderSize = 1524;
inline constexpr size_t kBookCountOffset = 968;
inline constexpr size_t kChapterEntrySize = 396;

// One chapter as the book lists it.
struct ChapterRecord {
    // The book's folder followed by the file-name part of the entry's name; empty when that part
    // is empty (such a chapter opens nothing).
    std::string FileName;
    std::string EntryName;  // the entry's name as stored
    std::string Title;  // 8-bit codes of the keyboard font, as stored
    std::array<std::string, 3> Kept;  // the three 4-character fields, kept as stored
};

// The part of a stored name after its last '\', '/' or drive colon.
std::string fileNamePart(const std::string& name);

// Reads the header and the entries from the stream's position 0. Only the entries the file holds
// are read, however many the count announces (a last entry cut short is read with zeros); the
// shortfall is reported. A count field that is not an integer throws the conversion error.
// `bookFolder` ends with its separator.
std::vector<ChapterRecord> readBook(DocStream& s, const std::string& bookFolder, Diagnostics* diagnostics = nullptr);

// The file a chapter names: the name itself when it exists, else the file of its folder whose
// name matches without regard to case (books come from media whose file system ignores case).
// The name unchanged when neither exists.
std::string findChapterFile(const std::string& fileName);

}  // namespace vr
