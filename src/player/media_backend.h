// What a media clip asks of the platform's media back end. The back end (Qt Multimedia over
// GStreamer here) lives in a module of its own, velmora-reader-media.so, loaded when the first
// clip is opened: runs that never open a clip never load the media libraries, which cost a tenth
// of the program's start. The interface is header-only so that the module needs nothing from the
// program that loads it.
#pragma once
#include <cstdint>
#include <string>

#include <QImage>

#include "player/media_bar.h"

namespace vr {

// How the back end tells its clip what happened; called on the thread of the clip.
class MediaEvents {
public:
    // Opened far enough to play.
    virtual void backendOpened() = 0;
    // Opening or playing failed, with the back end's message.
    virtual void backendFailed(const std::string& message) = 0;
    // Play state or position changed.
    virtual void backendChanged() = 0;
    // A video frame to show.
    virtual void backendFrame(const QImage& frame) = 0;

protected:
    ~MediaEvents() = default;
};

// One opened file. Opening starts when it is made and goes on in the event loop.
class MediaBackend {
public:
    virtual ~MediaBackend() = default;
    virtual PlayState playState() const = 0;
    virtual bool hasVideo() const = 0;
    virtual bool hasAudio() const = 0;
    virtual int64_t durationMs() const = 0;
    virtual int64_t positionMs() const = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;
    virtual void setPositionMs(int64_t ms) = 0;
};

// The module's one entry point, under the name kMediaBackendEntry: opens `path` (video kept out
// when `withVideo` is false) and reports to `events`, which outlives the back end.
using MediaBackendEntry = MediaBackend* (*)(const char* path, bool withVideo, MediaEvents* events);
inline constexpr const char* kMediaBackendEntry = "vr_open_media_backend";
inline constexpr const char* kMediaModuleName = "velmora-reader-media.so";

}  // namespace vr
