#include "document/document_reader.h"

#include <QFontDatabase>
#include <QGuiApplication>

#include "core/diagnostics.h"
#include "core/doc_stream.h"
#include "core/errors.h"
#include "core/fields.h"
#include "core/rounding.h"
#include "document/document_state.h"
#include "document/object_reader.h"
#include "document/page_sink.h"
#include "page/surface.h"
#include "text/memo.h"

namespace vr {

namespace {

constexpr double kMmPerInch = 25.4;

}  // namespace

void readPageLayout(DocStream& s, DocumentState& state, PageSink& pages, const DocumentReadContext& ctx,
                    DocumentReadResult& result)
{
    uint8_t header[254];
    s.readFixed(header, sizeof header);
    result.orientationCode = countedText(header + 106, 1);
    state.DocVersion = countedText(header + 108, 5);
    state.DocSubVersion = countedText(header + 114, 4);

    uint8_t size[8];
    s.readFixed(size, sizeof size);
    state.PageSetup.SizeCodeA = le16(size);
    state.PageSetup.SizeCodeB = le16(size + 2);
    const double ppi = state.PixelsPerInch;
    state.PageSetup.PageWidthMM = roundHalfEven(le16(size + 4) * kMmPerInch / ppi);
    state.PageSetup.PageHeightMM = roundHalfEven(le16(size + 6) * kMmPerInch / ppi);

    s.readFixed(result.reservedPair.data(), result.reservedPair.size());

    uint8_t count[4];
    s.readFixed(count, sizeof count);
    const int32_t skipped = numericField(count, 3);
    uint8_t skip[19];
    for (int32_t i = 0; i < skipped; ++i)
        s.readFixed(skip, sizeof skip);

    s.readFixed(count, sizeof count);
    const int32_t pageTotal = numericField(count, 3);
    result.pagesRead = pageTotal;
    const ObjectReadContext objects = objectReadContext(state, ctx.fontInstalled, ctx.diagnostics);
    for (int32_t i = 1; i <= pageTotal; ++i) {
        TSurfaceT& page = pages.createnewpage(true);
        uint8_t tag[5];
        s.readFixed(tag, sizeof tag);
        const std::string tagText = countedText(tag, 4);
        page.pageNumber = strictToInt(tagText.size() > 1 ? tagText.substr(1) : std::string());
        s.readFixed(page.attributes.data(), page.attributes.size());
        s.readFixed(count, sizeof count);
        const int32_t objectCount = numericField(count, 3);
        for (int32_t j = 1; j <= objectCount; ++j) {
            const DiagnosticPlace place(ctx.diagnostics, i, j - 1);
            readObjectRecord(s, page, objects);
        }
    }
}

void readTextDocument(DocStream& s, DocumentState& state, PageSink& pages, const DocumentReadContext& ctx,
                      DocumentReadResult& result)
{
    s.seek(0);
    uint8_t signature[7];
    s.readFixed(signature, sizeof signature);
    if (codeIndex(signature, 6, {"QV2000"}) != 0 || signature[0] != 6)
        return;
    const std::string signatureText(reinterpret_cast<const char*>(signature), sizeof signature);

    uint8_t recordA[255];
    s.readFixed(recordA, sizeof recordA, ' ');
    // The orientation field runs at most to the end of its record.
    if (recordA[62] == 0)
        state.Orientation = 0;
    else
        state.Orientation = lowByte(numericField(recordA + 62, sizeof recordA - 63));

    TDMemo* memo = &pages.CreateNewMemo();
    uint8_t recordB[353];
    s.readFixed(recordB, sizeof recordB, ' ');
    const int32_t pageTotal = numericField(recordB + 349, 3);
    result.pagesRead = pageTotal;
    bool endReported = false;
    for (int32_t i = 1; i <= pageTotal; ++i) {
        const DiagnosticPlace place(ctx.diagnostics, i, -1);
        if (s.remaining() == 0 && !endReported) {
            warnTo(ctx.diagnostics,
                   "the file ends after " + std::to_string(i - 1) + " of " + std::to_string(pageTotal) + " text pages",
                   static_cast<int64_t>(s.size()));
            endReported = true;
        }
        const size_t start = s.position();
        try {
            memo->ReadTextPage(s, signatureText);
        } catch (const VError& e) {
            // A damaged text page is skipped; the next one is read from where the stream stands.
            if (!endReported)
                warnTo(ctx.diagnostics, "text page skipped: " + std::string(e.what()), static_cast<int64_t>(start));
        }
        if (pageTotal > i)
            memo = &pages.CreateNewMemo();
    }
}

FontInstalledFn installedFontCatalogue()
{
    std::vector<std::string> faces;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        for (const QString& family : QFontDatabase::families())
            faces.push_back(family.toStdString());
    }
    return fontCatalogue(std::move(faces));
}

}  // namespace vr
