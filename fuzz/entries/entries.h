// What each fuzz target does with its input, callable from the libFuzzer targets and from the
// test that replays tests/regressions/<reader>/ in every build. Every entry must end without a
// crash, a hang or a leak for any bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace vr::fuzz {

using Entry = void (*)(const uint8_t* data, size_t size);

// Picture decoders: BMP (as a file and as a bare DIB), ICO, GIF, JPEG (the last byte picks the
// screen or the printing output).
void bmp(const uint8_t* data, size_t size);
void ico(const uint8_t* data, size_t size);
void gif(const uint8_t* data, size_t size);
void jpeg(const uint8_t* data, size_t size);
// Metafiles: the first byte picks WMF or EMF; played onto a small raster canvas.
void metafile(const uint8_t* data, size_t size);
// Documents: the first byte picks a page layout or a text document; the document is loaded,
// dumped, its first page painted and printed on a small sheet. Needs a QGuiApplication.
void document(const uint8_t* data, size_t size);
// Books: the chapter entries the file holds, and the chapter list's lines made from them.
void book(const uint8_t* data, size_t size);

// Embedded objects: an OLE container's saved stream ("BDOC", aspect, size, compound file) loaded
// as the container loads it, its screen and paper presentations drawn on a small raster canvas; a
// bare compound file (the real-world corpus) as the storage of an object shown by its content;
// other input without the signature as one presentation stream. Needs a QGuiApplication.
void ole(const uint8_t* data, size_t size);

// Rich text: read, then built into a text document laid out on a narrow column split into
// pages, and its first page painted. Needs a QGuiApplication.
void rtf(const uint8_t* data, size_t size);

// Makes the QGuiApplication the painting entries need (offscreen), once.
void initGui(int* argc, char*** argv);

}  // namespace vr::fuzz
