// Reads one object record of a page-layout page: the 21-byte class tag, then the object named by
// it reads its own body. Records carry no lengths, so each reader consumes exactly its bytes.
#pragma once
#include "objects/image.h"
#include "player/player.h"
#include "text/memo.h"

namespace vr {

class DocStream;
class Diagnostics;
class TSurfaceT;
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

// What every object of the open document reads with.
struct ObjectReadContext {
    PictureFolders folders;  // where picture files are looked for
    FrameReadContext frames;  // text frames: version tags, faces, background pictures
    Diagnostics* diagnostics = nullptr;  // recovered damage (may be null)
    PlayerReadContext players;  // players: the document's folder and how clips are opened
};

ObjectReadContext objectReadContext(const DocumentState& state, FontInstalledFn fontInstalled,
                                    Diagnostics* diagnostics);

// An unknown tag consumes only its 21 bytes. Content that cannot be used (a rich text that is no
// text, an embedded object whose storage is damaged, a clip that cannot be opened) is reported to
// the diagnostics with its message; its object stays on the page, empty, and the reading goes on.
void readObjectRecord(DocStream& s, TSurfaceT& page, const ObjectReadContext& ctx);

}  // namespace vr
