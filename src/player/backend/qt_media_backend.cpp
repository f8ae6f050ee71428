// The media back end over Qt Multimedia (GStreamer here), built as the module
// velmora-reader-media.so. Sound goes to the default output; video frames are handed over as
// images. Opening needs no display and no sound device (without one the sound is dropped).
#include <QAudioOutput>
#include <QMediaPlayer>
#include <QObject>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>

#include "player/media_backend.h"

namespace vr {

namespace {

void chooseAudioSinks()
{
    // Where no sound server runs (a build machine, a terminal session) the back end tries every
    // sink it has before it drops the sound; OpenAL's prints its failures on the way. A desktop's
    // sound server comes before it anyway.
    if (qEnvironmentVariableIsEmpty("GST_PLUGIN_FEATURE_RANK"))
        qputenv("GST_PLUGIN_FEATURE_RANK", "openalsink:NONE");
}

class QtMediaBackend final : public MediaBackend {
public:
    QtMediaBackend(const QString& path, bool withVideo, MediaEvents* events) : events_(events)
    {
        chooseAudioSinks();
        player_ = new QMediaPlayer(&owner_);
        // A sound track with nowhere to go stops the back end's pipeline: the clip always has an
        // output, the default one.
        audio_ = new QAudioOutput(&owner_);
        player_->setAudioOutput(audio_);
        if (withVideo) {
            sink_ = new QVideoSink(&owner_);
            player_->setVideoSink(sink_);
            // Frames may come from the back end's thread; the owner's thread takes them.
            QObject::connect(
                sink_, &QVideoSink::videoFrameChanged, &owner_,
                [this](const QVideoFrame& frame) {
                    if (frame.isValid())
                        events_->backendFrame(frame.toImage().convertToFormat(QImage::Format_RGB32));
                },
                Qt::QueuedConnection);
        }
        QObject::connect(player_, &QMediaPlayer::errorOccurred, &owner_,
                         [this](QMediaPlayer::Error error, const QString& text) {
                             if (error != QMediaPlayer::NoError)
                                 events_->backendFailed(text.isEmpty() ? "the media back end reports an error"
                                                                       : text.toStdString());
                         });
        QObject::connect(player_, &QMediaPlayer::mediaStatusChanged, &owner_, [this](QMediaPlayer::MediaStatus s) {
            switch (s) {
            case QMediaPlayer::LoadedMedia:
            case QMediaPlayer::BufferingMedia:
            case QMediaPlayer::BufferedMedia:
            case QMediaPlayer::StalledMedia:
            case QMediaPlayer::EndOfMedia:
                events_->backendOpened();
                break;
            case QMediaPlayer::InvalidMedia:
                events_->backendFailed(player_->errorString().isEmpty()
                                           ? std::string("the file is not a clip the media back end can play")
                                           : player_->errorString().toStdString());
                break;
            case QMediaPlayer::NoMedia:
            case QMediaPlayer::LoadingMedia:
                events_->backendChanged();
                break;
            }
        });
        QObject::connect(player_, &QMediaPlayer::playbackStateChanged, &owner_, [this] { events_->backendChanged(); });
        QObject::connect(player_, &QMediaPlayer::positionChanged, &owner_, [this] { events_->backendChanged(); });
        player_->setSource(QUrl::fromLocalFile(path));
    }

    ~QtMediaBackend() override
    {
        // Closing: the back end stops, and tells nobody, before its outputs go.
        QObject::disconnect(player_, nullptr, &owner_, nullptr);
        player_->stop();
        delete player_;
    }

    PlayState playState() const override
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
    bool hasVideo() const override { return sink_ && player_->hasVideo(); }
    bool hasAudio() const override { return player_->hasAudio(); }
    int64_t durationMs() const override { return player_->duration(); }
    int64_t positionMs() const override { return player_->position(); }
    void play() override { player_->play(); }
    void pause() override { player_->pause(); }
    void stop() override { player_->stop(); }
    void setPositionMs(int64_t ms) override { player_->setPosition(ms); }

private:
    MediaEvents* events_;
    QObject owner_;  // parent of the back end's objects and receiver of their signals
    QMediaPlayer* player_ = nullptr;
    QAudioOutput* audio_ = nullptr;
    QVideoSink* sink_ = nullptr;
};

}  // namespace

}  // namespace vr

extern "C" __attribute__((visibility("default"))) vr::MediaBackend* vr_open_media_backend(const char* path,
                                                                                         bool withVideo,
                                                                                         vr::MediaEvents* events)
{
    return new vr::QtMediaBackend(QString::fromUtf8(path), withVideo, events);
}
