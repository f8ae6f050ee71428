// TDPlayer: a media clip on the page. A black framed panel holds a display area on top, where
// video is shown, and the media bar at the bottom. The clip is opened once when the record has
// been read and plays only when the user presses play. Players are shown on screen and never
// printed.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "page/page_object.h"
#include "player/media_bar.h"

namespace vr {

class DocStream;
class MediaClip;

// The device types a document names, as codes 1..13; any other code is automatic.
enum class MediaDeviceType {
    AutoSelect,
    AVIVideo,
    CDAudio,
    DAT,
    DigitalVideo,
    MMMovie,
    Other,
    Overlay,
    Scanner,
    Sequencer,
    VCR,
    Videodisc,
    WaveAudio
};
MediaDeviceType deviceTypeFromCode(int32_t code);
const char* deviceTypeName(MediaDeviceType t);
// Device types kept as hints for the back end: those of sound alone show no video; those of
// hardware this system does not drive (CD audio, DAT, VCR, video disc, scanner, overlay) cannot
// be opened.
bool deviceShowsVideo(MediaDeviceType t);
bool deviceUsable(MediaDeviceType t);

// How the document's clips are opened.
struct ClipOpening {
    bool open = true;  // false: clips are looked up but not opened (fuzzing, record tests)
    // Told once per clip that cannot be opened, with the message (the window shows it).
    std::function<void(const std::string& message)> onDeviceError;
};

struct PlayerReadContext {
    std::string DocFolder;  // the document's folder, with its trailing separator
    ClipOpening media;
    Diagnostics* diagnostics = nullptr;
};

class TDPlayer : public PageObject {
public:
    static constexpr size_t kRecordSize = 649;
    static constexpr int kBarHeight = 22;

    TDPlayer();  // 65 x 65, laid out
    ~TDPlayer() override;

    const char* className() const override { return "TDPlayer"; }
    bool windowed() const override { return true; }

    // Reads the 649-byte record: Left, Height, Top and Width in that order (each change of size
    // lays the player out again), the device type and the clip's name, then opens the clip. A clip
    // that cannot be opened is reported once and leaves the bar disabled; the reading goes on.
    void ReadRecord(DocStream& s, const PlayerReadContext& ctx);

    // The panel, the display area (with the clip's current frame) and the media bar, still.
    void paintOnPage(Canvas& canvas, const PaintContext& ctx) override;
    // Players are never printed (pass 0).
    void printOnSheet(PrinterDevice&, double, double) override { }
    void dumpFields(JsonWriter& out) const override;
    void changeScale(int m, int d) override;

    // Sets the size and lays the player out again.
    void setSize(int w, int h);

    // The display area and the media bar in the player's coordinates: (2, 2, W - 4, H - 26) and
    // (2, H - 24, W - 4, 22).
    IRect DisplayArea() const { return display_; }
    IRect MediaBar() const { return bar_; }

    MediaClip* clip() const { return clip_.get(); }
    ClipState clipState() const;
    MediaButtons buttons() const;
    // The message of a clip that could not be opened ("" otherwise).
    const std::string& deviceError() const { return deviceError_; }

    std::array<uint8_t, kRecordSize> Record{};
    int32_t DeviceTypeCode = 1;
    MediaDeviceType DeviceType = MediaDeviceType::AutoSelect;
    std::string FileName;  // as stored
    std::string ClipPath;  // the file found for it, or ""

    // The button drawn pushed in (the live bar of the window sets it while the mouse is down).
    int pressedButton = -1;

private:
    void applyLayout();
    void openClip(const PlayerReadContext& ctx);
    // `name` and `reason` are UTF-8 text.
    void reportDeviceError(const std::string& reason, const std::string& name);

    IRect display_, bar_;
    std::unique_ptr<MediaClip> clip_;
    std::string deviceError_;
    std::function<void(const std::string&)> onDeviceError_;
    Diagnostics* diagnostics_ = nullptr;
    int page_ = 0, object_ = -1;
};

// The clip a stored name refers to: the name itself when it is a file, else the file of the
// document's folder whose name matches the name's file-name part (after its last '\', '/' or
// drive colon) without regard to case (an empty folder is the current one). Empty when nothing is found.
std::string findClipFile(const std::string& name, const std::string& docFolder);

}  // namespace vr
