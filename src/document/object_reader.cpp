#include "document/object_reader.h"

#include <algorithm>
#include <memory>

#include "core/doc_stream.h"
#include "core/errors.h"
#include "core/fields.h"
#include "document/document_state.h"
#include "objects/ligne.h"
#include "objects/shape.h"
#include "objects/text_ligne.h"
#include "ole/ole_container.h"
#include "page/object_records.h"
#include "page/surface.h"
#include "richtext/rich_edit.h"
#include "table/tabeau_d.h"
#include "table/tabeau_re.h"

namespace vr {

namespace {

constexpr const char* kTagNames[] = {"TDRICHEDIT", "TDOleContainer", "TabeauD", "TabeauRE",   "TDMEMO",
                                     "TDImage",    "TDShape",        "TLigne",  "TTextLigne", "TDPlayer"};

}  // namespace

ObjectTag matchObjectTag(const unsigned char* tag21)
{
    const int i = codeIndex(tag21, 20,
                            {kTagNames[0], kTagNames[1], kTagNames[2], kTagNames[3], kTagNames[4], kTagNames[5],
                             kTagNames[6], kTagNames[7], kTagNames[8], kTagNames[9]});
    return i < 0 ? ObjectTag::Unknown : static_cast<ObjectTag>(i);
}

const char* objectTagName(ObjectTag t)
{
    return t == ObjectTag::Unknown ? "" : kTagNames[static_cast<int>(t)];
}

ObjectReadContext objectReadContext(const DocumentState& state, FontInstalledFn fontInstalled, Diagnostics* diagnostics)
{
    ObjectReadContext ctx;
    ctx.folders = PictureFolders{state.AppFolder, state.DocFolder};
    ctx.diagnostics = diagnostics;
    ctx.players.DocFolder = state.DocFolder;
    ctx.players.diagnostics = diagnostics;
    FrameReadContext& frames = ctx.frames;
    frames.DocVersion = state.DocVersion;
    frames.DocSubVersion = state.DocSubVersion;
    frames.fontInstalled = std::move(fontInstalled);
    frames.DocFolder = state.DocFolder;
    frames.diagnostics = diagnostics;
    frames.loadBackground = [diagnostics](QImage& bitmap, const std::string& name, const std::string& docFolder) {
        if (findPictureFile(name, docFolder).empty())
            return false;
        LoadBackgroundBitmap(bitmap, name, docFolder, diagnostics);
        return true;
    };
    return ctx;
}

void readObjectRecord(DocStream& s, TSurfaceT& page, const ObjectReadContext& ctx)
{
    uint8_t tag[21];
    s.readFixed(tag, sizeof tag);
    const ObjectTag kind = matchObjectTag(tag);
    switch (kind) {
    case ObjectTag::Unknown:
        return;
    case ObjectTag::Ligne: {
        auto& line = static_cast<TLigne&>(page.add(std::make_unique<TLigne>(1, 1, 2, 2, 0, 1, 0, 0)));
        line.ReadRecord(s);
        return;
    }
    case ObjectTag::Image: {
        auto& image = static_cast<TDImage&>(page.add(std::make_unique<TDImage>()));
        image.ReadRecord(s, true, page, ctx.folders, ctx.diagnostics);
        return;
    }
    case ObjectTag::TextLigne: {
        auto& textLine = static_cast<TTextLigne&>(page.add(std::make_unique<TTextLigne>(1, 1, 2, 2)));
        textLine.ReadRecord(s);
        return;
    }
    case ObjectTag::Memo: {
        auto& memo = static_cast<TDMemo&>(page.add(std::make_unique<TDMemo>()));
        FrameReadContext frames = ctx.frames;
        frames.setInFront = [&page, &memo](bool front) { page.setInFront(memo, front); };
        memo.ReadFrame(s, true, frames);
        return;
    }
    case ObjectTag::Shape: {
        auto& shape = static_cast<TDShape&>(page.add(std::make_unique<TDShape>()));
        shape.ReadRecord(s, true, ctx.diagnostics);
        return;
    }
    case ObjectTag::Player: {
        auto& player = static_cast<TDPlayer&>(page.add(std::make_unique<TDPlayer>()));
        player.ReadRecord(s, ctx.players);
        return;
    }
    case ObjectTag::OleContainer: {
        auto& ole = static_cast<TDOleContainer&>(page.add(std::make_unique<TDOleContainer>()));
        ole.ReadRecord(s);
        try {
            ole.LoadContent();
        } catch (const VError& e) {
            // The record was read whole: the object stays empty, is reported, and the objects and
            // pages after it are read as usual.
            const int64_t contentAt = static_cast<int64_t>(s.position()) - std::max(ole.ContentSize, 0);
            warnTo(ctx.diagnostics, std::string("embedded object not loaded: ") + e.what(), contentAt);
        }
        return;
    }
    case ObjectTag::TabeauD: {
        auto& table = static_cast<TTabeauD&>(page.add(std::make_unique<TTabeauD>()));
        ReadBoundsRecord(s, table);
        table.ReadRecord(s, true, ctx.frames);
        return;
    }
    case ObjectTag::RichEdit: {
        auto& frame = static_cast<TDRichEdit&>(page.add(std::make_unique<TDRichEdit>()));
        frame.ReadRecord(s,
                         [&](const std::string& m) { warnTo(ctx.diagnostics, m, static_cast<int64_t>(s.position())); });
        return;
    }
    case ObjectTag::TabeauRE: {
        auto& table = static_cast<TTabeauRE&>(page.add(std::make_unique<TTabeauRE>()));
        ReadBoundsRecord(s, table);
        table.ReadRecord(s, true,
                         [&](const std::string& m) { warnTo(ctx.diagnostics, m, static_cast<int64_t>(s.position())); });
        return;
    }
    }
}

}  // namespace vr
