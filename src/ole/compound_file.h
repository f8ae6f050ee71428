// A compound file (structured storage) read whole from memory: its tree of storages and streams,
// the class identifiers of its storages, and the bytes of the streams the caller asks to keep.
// The file is read through libgsf's reader (loaded on first use, see gsf_library.h); nothing of
// it stays open once read() returns.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vr::ole {

using ClassId = std::array<uint8_t, 16>;

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with the first three groups little-endian, as the
// platform writes class identifiers.
std::string classIdText(const ClassId& id);

struct StorageEntry {
    std::string name;  // UTF-8; the first character may be a control character ("\1Ole")
    std::string path;  // the names from the root down, joined by '/'
    int depth = 1;  // 1 for the root's children
    bool isStorage = false;
    uint64_t size = 0;  // a stream's byte count
    ClassId classId{};  // a storage's class identifier
    bool kept = false;
    std::vector<uint8_t> bytes;  // a kept stream's bytes
};

class CompoundFile {
public:
    using KeepFn = std::function<bool(const StorageEntry&)>;

    // Checks the header, opens the file and walks its whole tree. Every stream is read to its
    // end, so that a damaged chain anywhere is found now; the streams `keep` accepts keep their
    // bytes. Throws OleError (see ole_error.h for which case gives which code). Memory stays
    // within what the file holds: the streams together may not claim more bytes than the file.
    static CompoundFile read(const uint8_t* data, size_t size, const KeepFn& keep = {});

    const ClassId& rootClassId() const { return rootClassId_; }
    // Every storage and stream, each storage followed by its children in directory order
    // (shorter names first, then by upper-case name, as the platform lists them).
    const std::vector<StorageEntry>& entries() const { return entries_; }
    // A stream of the root storage, by name compared without regard to ASCII case as the
    // platform compares them; nullptr when there is none.
    const StorageEntry* rootStream(const std::string& name) const;

private:
    ClassId rootClassId_{};
    std::vector<StorageEntry> entries_;
};

// The header check alone: throws OleError(kNotCompoundFile) or OleError(kInvalidHeader).
void checkCompoundHeader(const uint8_t* data, size_t size);

}  // namespace vr::ole
