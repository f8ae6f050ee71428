#include "player/media_clip.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>

#include "player/media_module.h"

namespace vr {

MediaClip::MediaClip(const std::string& path, bool withVideo, QObject* parent) : QObject(parent)
{
    std::string why;
    const MediaBackendEntry open = mediaBackendEntry(why);
    if (!open) {
        fail(why);
        return;
    }
    backend_.reset(open(path.c_str(), withVideo, this));
}

MediaClip::~MediaClip() = default;

PlayState MediaClip::playState() const
{
    return backend_ ? backend_->playState() : PlayState::Stopped;
}

bool MediaClip::hasVideo() const
{
    return backend_ && backend_->hasVideo();
}

bool MediaClip::hasAudio() const
{
    return backend_ && backend_->hasAudio();
}

int64_t MediaClip::durationMs() const
{
    return backend_ ? backend_->durationMs() : 0;
}

int64_t MediaClip::positionMs() const
{
    return backend_ ? backend_->positionMs() : 0;
}

void MediaClip::fail(const std::string& message)
{
    if (state_ == ClipState::Failed)
        return;
    state_ = ClipState::Failed;
    error_ = message;
    if (backend_)
        backend_->stop();
    emit failed(QString::fromStdString(message));
    emit changed();
}

void MediaClip::backendOpened()
{
    if (state_ == ClipState::Opening)
        state_ = ClipState::Open;
    emit changed();
}

void MediaClip::backendFailed(const std::string& message)
{
    fail(message);
}

void MediaClip::backendChanged()
{
    emit changed();
}

void MediaClip::backendFrame(const QImage& frame)
{
    frame_ = frame;
    emit changed();
}

void MediaClip::press(MediaButton b)
{
    if (!backend_ || !buttons()[static_cast<size_t>(b)])
        return;
    MediaBackend& player = *backend_;
    const int64_t duration = player.durationMs();
    const int64_t tenth = std::max<int64_t>(duration / 10, 1);
    switch (b) {
    case MediaButton::Play:
        if (duration > 0 && player.positionMs() >= duration)
            player.setPositionMs(0);
        player.play();
        break;
    case MediaButton::Pause:
        if (player.playState() == PlayState::Paused)
            player.play();
        else
            player.pause();
        break;
    case MediaButton::Stop:
        player.stop();
        break;
    case MediaButton::Next:
        player.setPositionMs(duration);
        break;
    case MediaButton::Prev:
        player.setPositionMs(0);
        break;
    case MediaButton::Step:
        player.setPositionMs(std::min<int64_t>(duration, player.positionMs() + tenth));
        break;
    case MediaButton::Back:
        player.setPositionMs(std::max<int64_t>(0, player.positionMs() - tenth));
        break;
    case MediaButton::Record:
    case MediaButton::Eject:
        break;
    }
    emit changed();
}

bool MediaClip::waitUntilSettled(const std::vector<MediaClip*>& clips, int timeoutMs)
{
    const auto opening = [&clips] {
        return std::any_of(clips.begin(), clips.end(),
                           [](const MediaClip* c) { return c->state() == ClipState::Opening; });
    };
    if (!opening())
        return true;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(5);
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!opening() || clock.elapsed() >= timeoutMs)
            loop.quit();
    });
    poll.start();
    loop.exec();
    return !opening();
}

}  // namespace vr
