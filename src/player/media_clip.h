// A media clip opened on the platform's media back end (player/media_backend.h): the file is
// opened at once and plays only when asked. Video frames are kept as images for the player's
// display area. Without a back end the clip fails at once, with the reason.
#pragma once
#include <QImage>
#include <QObject>
#include <memory>
#include <string>
#include <vector>

#include "player/media_backend.h"

namespace vr {

class MediaClip : public QObject, private MediaEvents {
    Q_OBJECT
public:
    // Starts opening the file; `withVideo` false keeps video out (audio-only device types).
    MediaClip(const std::string& path, bool withVideo, QObject* parent = nullptr);
    ~MediaClip() override;

    ClipState state() const { return state_; }
    PlayState playState() const;
    bool hasVideo() const;
    bool hasAudio() const;
    int64_t durationMs() const;
    int64_t positionMs() const;
    // The last video frame shown (null before the first).
    const QImage& frame() const { return frame_; }
    // The back end's message when opening or playing failed.
    const std::string& errorText() const { return error_; }

    MediaButtons buttons() const { return mediaButtonsEnabled(state_, playState()); }
    // A button of the bar: play (from the start again once the end was reached), pause (or resume),
    // stop (back to the start), next (to the end), previous (to the start), step and back (a tenth
    // of the clip forwards or backwards). A disabled button does nothing.
    void press(MediaButton b);

    // Runs the event loop until none of the clips is opening any more, at most timeoutMs; true
    // when all have settled. For runs without a window, which have no event loop of their own.
    static bool waitUntilSettled(const std::vector<MediaClip*>& clips, int timeoutMs);

signals:
    // State, position or frame changed.
    void changed();
    // The clip cannot be opened or played: told once, with the back end's message.
    void failed(const QString& message);

private:
    void fail(const std::string& message);
    void backendOpened() override;
    void backendFailed(const std::string& message) override;
    void backendChanged() override;
    void backendFrame(const QImage& frame) override;

    std::unique_ptr<MediaBackend> backend_;
    ClipState state_ = ClipState::Opening;
    QImage frame_;
    std::string error_;
};

}  // namespace vr
