// Reads one object record of a page-layout page: the 21-byte class tag, then the object named by
// it reads its own body. Records carry no lengths, so each reader consumes exactly its bytes.
#pragma once

namespace vr {

class DocStream;
class TSurfaceT;
struct PictureFolders;

// The ten class tags, compared whole (length byte included, case-sensitive).
enum class ObjectTag { RichEdit, OleContainer, TabeauD, TabeauRE, Memo, Image, Shape, Ligne, TextLigne, Player, Unknown };

ObjectTag matchObjectTag(const unsigned char* tag21);
const char* objectTagName(ObjectTag t);

// An unknown tag consumes only its 21 bytes. A kind whose reader is not built yet stops the
// document with an error naming it, rather than reading on from the wrong place.
void readObjectRecord(DocStream& s, TSurfaceT& page, const PictureFolders& folders);

} // namespace vr
