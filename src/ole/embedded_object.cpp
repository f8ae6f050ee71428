#include "ole/embedded_object.h"

#include "ole/container_stream.h"
#include "ole/ole_error.h"

namespace vr::ole {
namespace {

// The streams the object loader reads from an object's storage before anything else.
bool holdsObjectStreams(const CompoundFile& file)
{
    for (const StorageEntry& e : file.entries())
        if (e.depth == 1 && !e.isStorage &&
            (e.name == "\x01Ole" ||
             e.name ==
                 "\x01"
                 "CompObj" ||
             isPresentationStream(e)))
            return true;
    return false;
}

}  // namespace

EmbeddedObject loadEmbeddedObject(const uint8_t* storage, size_t size, uint32_t drawAspect)
{
    const CompoundFile file = CompoundFile::read(storage, size, isPresentationStream);
    if (!holdsObjectStreams(file))
        throw OleError(kStreamNotFound);
    EmbeddedObject obj;
    obj.classId = file.rootClassId();
    obj.names.reserve(file.entries().size());
    for (const StorageEntry& e : file.entries())
        obj.names.push_back({e.path, e.isStorage, e.size});
    obj.screen = choosePresentation(file, drawAspect);
    obj.print = drawAspect == kAspectContent ? obj.screen : choosePresentation(file, kAspectContent);
    return obj;
}

}  // namespace vr::ole
