// Reads one object record of a page-layout page: the 21-byte class tag, then the object named by
// it reads its own body. Records carry no lengths, so each reader consumes exactly its bytes.
#pragma once
#include "text/memo.h"
#include <functional>

namespace vr {

class DocStream;
class TSurfaceT;
struct PictureFolders;
struct DocumentState;

// The ten class tags, compared whole (length byte included, case-sensitive).
enum class ObjectTag {
    RichEdit,
    OleContainer,
    TabeauD,
    TabeauRE,
    Memo,
    Image,
    Shape,
    Ligne,
    TextLigne,
    Player,
    Unknown
};

ObjectTag matchObjectTag(const unsigned char* tag21);
const char* objectTagName(ObjectTag t);

// An unknown tag consumes only its 21 bytes. A kind whose reader is not built yet stops the
// document with an error naming it, rather than reading on from the wrong place.
// Text frames read with `frames` (the frame's own stacking request goes to its page).
// Content that cannot be loaded (a rich text that is no text) goes to `report`; its object stays
// on the page, empty, and the reading goes on.
void readObjectRecord(DocStream& s, TSurfaceT& page, const PictureFolders& folders, const FrameReadContext& frames,
                      const std::function<void(const std::string&)>& report = {});

// What text frames of the open document read with: its version tags and folder, the installed
// faces, and background pictures looked for as stored, then beside the document.
FrameReadContext frameReadContext(const DocumentState& state, FontInstalledFn fontInstalled);

// The faces the platform knows, taken once (exact, case-sensitive names); no faces without a
// graphical application.
FontInstalledFn installedFontCatalogue();

}  // namespace vr
