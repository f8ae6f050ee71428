#include "player/media_clip.h"

#include <QAudioOutput>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>
#include <algorithm>

namespace vr {

namespace {

void chooseAudioSinks()
{
    // Where no sound server runs (a build machine, a terminal session) the back end tries every
    // sink it has before it drops the sound; OpenAL's prints its failures on the way. A desktop's
    // sound server comes before it anyway.
    static const bool done = [] {
        if (qEnvironmentVariableIsEmpty("GST_PLUGIN_FEATURE_RANK"))
            qputenv("GST_PLUGIN_FEATURE_RANK", "openalsink:NONE");
        return true;
    }();
    (void)done;
}

}  // namespace

MediaClip::MediaClip(const std::string& path, bool withVideo, QObject* parent) : QObject(parent)
{
    chooseAudioSinks();
    player_ = new QMediaPlayer(this);
    // A sound track with nowhere to go stops the back end's pipeline: the clip always has an
    // output, the default one.
    audio_ = new QAudioOutput(this);
    player_->setAudioOutput(audio_);
    if (withVideo) {
        sink_ = new QVideoSink(this);
        player_->setVideoSink(sink_);
        // Frames may come from the back end's thread; this object's thread takes them.
        connect(sink_, &QVideoSink::videoFrameChanged, this, &MediaClip::frameArrived, Qt::QueuedConnection);
    }
    connect(player_, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error error, const QString& text) {
        if (error != QMediaPlayer::NoError)
            fail(text.isEmpty() ? QStringLiteral("the media back end reports an error") : text);
    });
    connect(player_, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        switch (status) {
        case QMediaPlayer::LoadedMedia:
        case QMediaPlayer::BufferingMedia:
        case QMediaPlayer::BufferedMedia:
        case QMediaPlayer::StalledMedia:
        case QMediaPlayer::EndOfMedia:
            if (state_ == ClipState::Opening)
                state_ = ClipState::Open;
            break;
        case QMediaPlayer::InvalidMedia:
            fail(player_->errorString().isEmpty() ? QStringLiteral("the file is not a clip the media back end can play")
                                                  : player_->errorString());
            break;
        case QMediaPlayer::NoMedia:
        case QMediaPlayer::LoadingMedia:
            break;
        }
        emit changed();
    });
    connect(player_, &QMediaPlayer::playbackStateChanged, this, &MediaClip::changed);
    connect(player_, &QMediaPlayer::positionChanged, this, &MediaClip::changed);
    player_->setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
}

MediaClip::~MediaClip()
{
    // Closing: the back end stops before its outputs go.
    if (player_)
        player_->stop();
}

PlayState MediaClip::playState() const
{
    switch (player_->playbackState()) {
    case QMediaPlayer::PlayingState:
        return PlayState::Playing;
    case QMediaPlayer::PausedState:
        return PlayState::Paused;
    case QMediaPlayer::StoppedState:
        break;
    }
    return PlayState::Stopped;
}

bool MediaClip::hasVideo() const
{
    return sink_ && player_->hasVideo();
}

bool MediaClip::hasAudio() const
{
    return player_->hasAudio();
}

int64_t MediaClip::durationMs() const
{
    return player_->duration();
}

int64_t MediaClip::positionMs() const
{
    return player_->position();
}

void MediaClip::fail(const QString& message)
{
    if (state_ == ClipState::Failed)
        return;
    state_ = ClipState::Failed;
    error_ = message.toStdString();
    player_->stop();
    emit failed(message);
    emit changed();
}

void MediaClip::frameArrived(const QVideoFrame& frame)
{
    if (!frame.isValid())
        return;
    frame_ = frame.toImage().convertToFormat(QImage::Format_RGB32);
    emit changed();
}

void MediaClip::press(MediaButton b)
{
    if (!buttons()[static_cast<size_t>(b)])
        return;
    const int64_t duration = player_->duration();
    const int64_t tenth = std::max<int64_t>(duration / 10, 1);
    switch (b) {
    case MediaButton::Play:
        if (duration > 0 && player_->position() >= duration)
            player_->setPosition(0);
        player_->play();
        break;
    case MediaButton::Pause:
        if (player_->playbackState() == QMediaPlayer::PausedState)
            player_->play();
        else
            player_->pause();
        break;
    case MediaButton::Stop:
        player_->stop();
        break;
    case MediaButton::Next:
        player_->setPosition(duration);
        break;
    case MediaButton::Prev:
        player_->setPosition(0);
        break;
    case MediaButton::Step:
        player_->setPosition(std::min<int64_t>(duration, player_->position() + tenth));
        break;
    case MediaButton::Back:
        player_->setPosition(std::max<int64_t>(0, player_->position() - tenth));
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
