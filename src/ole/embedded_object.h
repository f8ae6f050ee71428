// An embedded object as the container holds it once loaded and not running: its class, the names
// in its storage, and the pictures the cache draws on the screen (the stored aspect) and on paper
// (the content aspect). No storage stays open: what is kept is copied out of it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ole/compound_file.h"
#include "ole/presentation.h"

namespace vr::ole {

struct StorageName {
    std::string path;
    bool isStorage = false;
    uint64_t size = 0;
};

struct EmbeddedObject {
    ClassId classId{};
    std::vector<StorageName> names;  // every storage and stream, in directory order
    std::optional<Presentation> screen;  // for the stored draw aspect
    std::optional<Presentation> print;  // for the content aspect
};

// Opens the storage bytes and loads the object from them. A storage that cannot be opened, or
// one that holds none of the streams an object's storage has, throws OleError with the code the
// platform's storage functions answer (ole_error.h). An object whose presentation cannot be
// drawn loads without one: it shows as an empty area.
EmbeddedObject loadEmbeddedObject(const uint8_t* storage, size_t size, uint32_t drawAspect);

}  // namespace vr::ole
