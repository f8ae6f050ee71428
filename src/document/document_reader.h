// Reading whole documents: the page-layout loop (header, page set-up, pages of object records)
// and the text-document loop (signature, two header records, text pages). The readers fill the
// document state and make pages through a PageSink; they never show anything.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "text/records.h"

namespace vr {

class DocStream;
class Diagnostics;
class PageSink;
struct DocumentState;

// What the readers need beyond the stream: the installed faces for the text frames' font
// substitution, and where recovered damage is reported (may be null).
struct DocumentReadContext {
    FontInstalledFn fontInstalled;
    Diagnostics* diagnostics = nullptr;
};

struct DocumentReadResult {
    int32_t pagesRead = 0;  // the page count the file announced and the loop ran to
    std::string orientationCode;  // page layouts: the header's orientation field, as stored
    std::array<uint8_t, 2> reservedPair{};  // page layouts: the two bytes after the page size
};

// A page-layout document from the stream's position 0. Errors (a conversion error, a blob cut
// short) pass on with the pages read so far kept by the sink; `result` holds what was read up to
// then.
void readPageLayout(DocStream& s, DocumentState& state, PageSink& pages, const DocumentReadContext& ctx,
                    DocumentReadResult& result);

// A text document: nothing is read unless the signature is exactly "QV2000". A damaged text page
// is skipped (and reported), and the next one is read from where the stream stands.
void readTextDocument(DocStream& s, DocumentState& state, PageSink& pages, const DocumentReadContext& ctx,
                      DocumentReadResult& result);

// The faces the platform knows, taken once (exact, case-sensitive names); no faces without a
// graphical application.
FontInstalledFn installedFontCatalogue();

}  // namespace vr
