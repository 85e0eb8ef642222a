#pragma once

#include "ConnectionHelper.h"
#include "VideoOverlayOptions.h"

#include <QList>
#include <QWidget>

class DirectJumpSlider;
class PlayableOverlay;
class QLabel;
class QPushButton;
class RatOverlayWidget;
class ShadowMapOverlayWidget;
class TrackDataFile;
class WidgetWithOverlays;

namespace ZCV {
class VideoPlayer;
}

// Replays a run's video with a transport bar (play, pause, frame steps, a position slider and
// the times) and one overlay drawn over the picture in step with it: the animal of each frame
// (Blob), its recent path (Track) or a heat map of its recent places (Shadow).
//
// Playback runs only from the play button; every seek, the end of the video, a new video and
// the pause button leave it paused. A new video starts paused at 0 once it is loaded.
class OverlayedVideoWidget : public QWidget
{
    Q_OBJECT

public:
    using OverlayOptions = VideoOverlayOptions::OverlayOptions;
    using enum VideoOverlayOptions::OverlayOptions;

    explicit OverlayedVideoWidget(QWidget* parent = nullptr);
    ~OverlayedVideoWidget() override;

    void loadVideo(const QString& path);
    // The run's Track.tdata or older Track.data, opened and owned by the caller, who may close
    // it once it is detached (null, or another file): detaching waits for the overlays' loaders.
    void setTrackFile(TrackDataFile* file);
    void setLegacyTrackFile(TrackDataFile* file);
    // When the run's video began (wall-clock ms since the epoch; 0 when not known).
    void setVideoStart(qint64 wallMs);

    void pause();
    // Plays only when asked to and the play button asked for playback before.
    void setPlaying(bool play);
    // Shows the position ms (kept inside the video) on the slider and the time label; with
    // seekPlayer, the player goes there and stays paused.
    void seek(qint64 ms, bool seekPlayer);
    void setDuration(qint64 ms);
    // One frame on (+1) or back (-1); nothing while the frame rate is unknown.
    void stepFrames(int direction);
    void setFrameSteppingEnabled(bool enabled);
    void updateFrameButtons();
    void setOverlayOption(OverlayOptions option);

signals:
    void posChanged(qlonglong ms);

private:
    static QPushButton* createButton(const QString& iconPath, const QString& toolTip);
    void createOverlays();
    void connectTransport();
    void connectPlayer();
    QLayout* createBar();
    void updateButtons();
    void makeCurrent(PlayableOverlay* overlay);
    void syncCurrentOverlay(qint64 ms);
    void setOverlaysVideoSize(QSize size);

    void onPlayClicked();
    void onPauseClicked();
    void onSliderJump(int position);
    void onSliderMoved(int position);
    void onSliderReleased();
    void onVideoLoaded();
    void onPositionChanged(qlonglong ms);
    void onVideoFinished();

    WidgetWithOverlays* overlayContainer;
    ZCV::VideoPlayer* player;
    QList<PlayableOverlay*> overlays;
    PlayableOverlay* currentOverlay = nullptr;
    RatOverlayWidget* ratOverlay = nullptr;
    ShadowMapOverlayWidget* shadowOverlay = nullptr;
    ConnectionHelper connections;
    QPushButton* playButton;
    QPushButton* pauseButton;
    QPushButton* previousFrameButton;
    QPushButton* nextFrameButton;
    QLabel* positionLabel;
    QLabel* durationLabel;
    DirectJumpSlider* slider;
    bool frameSteppingEnabled = false;
    bool playing = false;
    bool wasPlaying = false;
    bool userWantsPlayback = false;
    qint64 duration = 0;
};
