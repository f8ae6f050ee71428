#include "viewer/object_reader.h"

#include <memory>

#include <QFontDatabase>
#include <QGuiApplication>

#include "core/doc_stream.h"
#include "core/errors.h"
#include "core/fields.h"
#include "objects/image.h"
#include "objects/ligne.h"
#include "objects/shape.h"
#include "objects/text_ligne.h"
#include "page/surface.h"
#include "richtext/rich_edit.h"
#include "table/tabeau_re.h"
#include "viewer/document_state.h"

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

FrameReadContext frameReadContext(const DocumentState& state, FontInstalledFn fontInstalled)
{
    FrameReadContext ctx;
    ctx.DocVersion = state.DocVersion;
    ctx.DocSubVersion = state.DocSubVersion;
    ctx.fontInstalled = std::move(fontInstalled);
    ctx.DocFolder = state.DocFolder;
    ctx.loadBackground = [](QImage& bitmap, const std::string& name, const std::string& docFolder) {
        if (findPictureFile(name, docFolder).empty())
            return false;
        LoadBackgroundBitmap(bitmap, name, docFolder);
        return true;
    };
    return ctx;
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

void readObjectRecord(DocStream& s, TSurfaceT& page, const PictureFolders& folders, const FrameReadContext& frames,
                      const std::function<void(const std::string&)>& report)
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
        image.ReadRecord(s, true, page, folders);
        return;
    }
    case ObjectTag::TextLigne: {
        auto& textLine = static_cast<TTextLigne&>(page.add(std::make_unique<TTextLigne>(1, 1, 2, 2)));
        textLine.ReadRecord(s);
        return;
    }
    case ObjectTag::Memo: {
        auto& memo = static_cast<TDMemo&>(page.add(std::make_unique<TDMemo>()));
        FrameReadContext ctx = frames;
        ctx.setInFront = [&page, &memo](bool front) { page.setInFront(memo, front); };
        memo.ReadFrame(s, true, ctx);
        return;
    }
    case ObjectTag::Shape: {
        auto& shape = static_cast<TDShape&>(page.add(std::make_unique<TDShape>()));
        shape.ReadRecord(s, true);
        return;
    }
    case ObjectTag::RichEdit: {
        auto& frame = static_cast<TDRichEdit&>(page.add(std::make_unique<TDRichEdit>()));
        frame.ReadRecord(s, report);
        return;
    }
    case ObjectTag::TabeauRE: {
        auto& table = static_cast<TTabeauRE&>(page.add(std::make_unique<TTabeauRE>()));
        ReadBoundsRecord(s, table);
        table.ReadRecord(s, true, report);
        return;
    }
    default:
        throw VError(std::string("Objects of kind ") + objectTagName(kind) + " cannot be read yet");
    }
}

}  // namespace vr
