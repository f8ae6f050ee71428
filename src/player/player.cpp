#include "player/player.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "core/diagnostics.h"
#include "core/doc_stream.h"
#include "core/errors.h"
#include "core/fields.h"
#include "player/media_clip.h"

namespace vr {

namespace {

constexpr Color kFace = 0xC0C0C0;
constexpr Color kShadow = 0x808080;

bool isFile(const std::string& path)
{
    return !path.empty() && QFileInfo(QString::fromStdString(path)).isFile();
}

// The toolkit's raised bevel of one pixel inside r: light on the left and top, shadow on the right
// and bottom.
void raisedBevel(Canvas& c, const IRect& r)
{
    if (r.width() < 2 || r.height() < 2)
        return;
    c.pen = Pen{kWhite};
    c.moveTo(r.left, r.bottom - 1);
    c.lineTo(r.left, r.top);
    c.lineTo(r.right - 1, r.top);
    c.pen = Pen{kShadow};
    c.lineTo(r.right - 1, r.bottom - 1);
    c.lineTo(r.left - 1, r.bottom - 1);
}

const char* clipStateName(ClipState s)
{
    switch (s) {
    case ClipState::Closed:
        return "closed";
    case ClipState::Opening:
        return "opening";
    case ClipState::Open:
        return "open";
    case ClipState::Failed:
        return "failed";
    }
    return "";
}

void dumpRect(JsonWriter& out, const std::string& key, const IRect& r)
{
    out.key(key);
    out.beginArray();
    out.value(static_cast<int32_t>(r.left));
    out.value(static_cast<int32_t>(r.top));
    out.value(static_cast<int32_t>(r.width()));
    out.value(static_cast<int32_t>(r.height()));
    out.endArray();
}

}  // namespace

MediaDeviceType deviceTypeFromCode(int32_t code)
{
    if (code < 1 || code > 13)
        return MediaDeviceType::AutoSelect;
    return static_cast<MediaDeviceType>(code - 1);
}

const char* deviceTypeName(MediaDeviceType t)
{
    static constexpr const char* kNames[] = {"AutoSelect", "AVIVideo",  "CDAudio",  "DAT",     "DigitalVideo",
                                             "MMMovie",    "Other",     "Overlay",  "Scanner", "Sequencer",
                                             "VCR",        "Videodisc", "WaveAudio"};
    return kNames[static_cast<int>(t)];
}

bool deviceShowsVideo(MediaDeviceType t)
{
    return t != MediaDeviceType::WaveAudio && t != MediaDeviceType::Sequencer && t != MediaDeviceType::CDAudio &&
        t != MediaDeviceType::DAT;
}

bool deviceUsable(MediaDeviceType t)
{
    switch (t) {
    case MediaDeviceType::CDAudio:
    case MediaDeviceType::DAT:
    case MediaDeviceType::VCR:
    case MediaDeviceType::Videodisc:
    case MediaDeviceType::Scanner:
    case MediaDeviceType::Overlay:
        return false;
    default:
        return true;
    }
}

std::string findClipFile(const std::string& name, const std::string& docFolder)
{
    if (name.empty())
        return {};
    if (isFile(name))
        return name;
    const size_t sep = name.find_last_of("\\/:");
    const std::string part = sep == std::string::npos ? name : name.substr(sep + 1);
    if (part.empty())
        return {};
    // A document named without a folder lies in the current one.
    if (isFile(docFolder + part))
        return docFolder + part;
    // Clips come from a file system that ignores case.
    const QString wanted = QString::fromStdString(part);
    const QDir dir(docFolder.empty() ? QStringLiteral(".") : QString::fromStdString(docFolder));
    for (const QString& entry : dir.entryList(QDir::Files)) {
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0)
            return docFolder + entry.toStdString();
    }
    return {};
}

TDPlayer::TDPlayer()
{
    width = 65;
    height = 65;
    applyLayout();
}

TDPlayer::~TDPlayer() = default;

void TDPlayer::applyLayout()
{
    // The bar keeps its height at the bottom; the display area, aligned to the top, takes the
    // client width inside the two one-pixel bevels and the height above the bar.
    const int barTop = height - kBarHeight - 2;
    bar_ = IRect{2, barTop, 2 + (width - 4), barTop + kBarHeight};
    display_ = IRect{2, 2, 2 + (width - 4), 2 + (barTop - 2)};
}

void TDPlayer::setSize(int w, int h)
{
    width = w;
    height = h;
    applyLayout();
}

void TDPlayer::changeScale(int m, int d)
{
    PageObject::changeScale(m, d);
    applyLayout();
}

void TDPlayer::ReadRecord(DocStream& s, const PlayerReadContext& ctx)
{
    s.readFixed(Record.data(), Record.size());
    const uint8_t* rec = Record.data();
    left = numericField(rec + 0, 4);
    setSize(width, numericField(rec + 5, 4));
    top = numericField(rec + 10, 4);
    setSize(numericField(rec + 15, 4), height);
    DeviceTypeCode = numericField(rec + 20, 14);
    DeviceType = deviceTypeFromCode(DeviceTypeCode);
    FileName = countedText(rec + 35, 255);
    openClip(ctx);
}

void TDPlayer::openClip(const PlayerReadContext& ctx)
{
    onDeviceError_ = ctx.media.onDeviceError;
    diagnostics_ = ctx.diagnostics;
    if (ctx.diagnostics) {
        page_ = ctx.diagnostics->page;
        object_ = ctx.diagnostics->object;
    }
    // Stored names are the editor's paths; the file is looked for as stored, then in the
    // document's folder.
    ClipPath = findClipFile(FileName, ctx.DocFolder);
    if (!ctx.media.open)
        return;
    if (!deviceUsable(DeviceType)) {
        reportDeviceError(std::string("there is no ") + deviceTypeName(DeviceType) + " device", latin1ToUtf8(FileName));
        return;
    }
    if (ClipPath.empty()) {
        reportDeviceError("the file is not found", latin1ToUtf8(FileName));
        return;
    }
    if (!QCoreApplication::instance()) {
        reportDeviceError("no media back end runs", ClipPath);
        return;
    }
    clip_ = std::make_unique<MediaClip>(ClipPath, deviceShowsVideo(DeviceType));
    if (clip_->state() == ClipState::Failed) {
        reportDeviceError(clip_->errorText(), ClipPath);
        return;
    }
    const std::string path = ClipPath;
    QObject::connect(clip_.get(), &MediaClip::failed, clip_.get(),
                     [this, path](const QString& message) { reportDeviceError(message.toStdString(), path); });
}

void TDPlayer::reportDeviceError(const std::string& reason, const std::string& name)
{
    if (!deviceError_.empty())
        return;
    deviceError_ = "Cannot open the media clip " + name + ": " + reason;
    if (diagnostics_) {
        const DiagnosticPlace place(diagnostics_, page_, object_);
        diagnostics_->warn(deviceError_);
    }
    if (onDeviceError_)
        onDeviceError_(deviceError_);
}

ClipState TDPlayer::clipState() const
{
    if (clip_)
        return clip_->state();
    return deviceError_.empty() ? ClipState::Closed : ClipState::Failed;
}

MediaButtons TDPlayer::buttons() const
{
    return clip_ ? clip_->buttons() : MediaButtons{};
}

void TDPlayer::paintOnPage(Canvas& c, const PaintContext&)
{
    c.resetDrawingState();
    // The panel: black, with an outer and an inner raised bevel of one pixel each.
    c.fillRect(IRect{0, 0, width, height}, kBlack);
    raisedBevel(c, IRect{0, 0, width, height});
    raisedBevel(c, IRect{1, 1, width - 1, height - 1});

    if (!display_.empty()) {
        CanvasSaver saver(c);
        c.clipTo(display_);
        c.fillRect(display_, kFace);
        raisedBevel(c, display_);
        // Video at its own size from the display area's corner, as the media device drew it.
        if (clip_ && clip_->hasVideo() && !clip_->frame().isNull()) {
            const QImage& f = clip_->frame();
            c.stretchBlt(IRect{display_.left, display_.top, display_.left + f.width(), display_.top + f.height()}, f,
                         IRect{0, 0, f.width(), f.height()}, rop::SrcCopy);
        }
    }
    drawMediaBar(c, bar_, buttons(), pressedButton);
}

void TDPlayer::dumpFields(JsonWriter& out) const
{
    dumpBounds(out);
    out.field("DeviceTypeCode", DeviceTypeCode);
    out.field("DeviceType", deviceTypeName(DeviceType));
    out.key("FileName");
    out.bytes(FileName);
    out.field("ClipPath", ClipPath);
    dumpRect(out, "DisplayArea", display_);
    dumpRect(out, "MediaBar", bar_);
    out.field("Clip", clipStateName(clipState()));
    if (!deviceError_.empty())
        out.field("DeviceError", deviceError_);
    if (clip_ && clip_->state() == ClipState::Open) {
        out.field("HasVideo", clip_->hasVideo());
        out.field("HasAudio", clip_->hasAudio());
        out.field("DurationMs", static_cast<int64_t>(clip_->durationMs()));
    }
    out.key("Buttons");
    out.beginArray();
    const MediaButtons on = buttons();
    for (int i = 0; i < kMediaButtonCount; ++i)
        if (on[static_cast<size_t>(i)])
            out.value(mediaButtonName(static_cast<MediaButton>(i)));
    out.endArray();
}

}  // namespace vr
