#include "OverlayedVideoWidget.h"

#include "DirectJumpSlider.h"
#include "RatOverlayWidget.h"
#include "ShadowMapOverlayWidget.h"
#include "StyleHelper.h"
#include "TextHelper.h"
#include "UIHelper.h"
#include "VideoPlayer.h"
#include "WidgetWithOverlays.h"
#include "ZPushButton.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// The size overlays assume until the player knows the video's own.
const QSize assumedVideoSize(640, 480);

int sliderValue(qint64 ms)
{
    return int(std::clamp<qint64>(ms, 0, INT_MAX));
}

} // namespace

OverlayedVideoWidget::OverlayedVideoWidget(QWidget* parent)
    : QWidget(parent)
    , overlayContainer(new WidgetWithOverlays(this))
    , player(new ZCV::VideoPlayer(this))
    , playButton(createButton(QStringLiteral(":/icons/play.svg"), QCoreApplication::translate("Generic", "Play")))
    , pauseButton(createButton(QStringLiteral(":/icons/pause.svg"), QCoreApplication::translate("Generic", "Pause")))
    , previousFrameButton(createButton(QStringLiteral(":/icons/chevron-left.svg"),
                                       QCoreApplication::translate("Generic", "Previous frame")))
    , nextFrameButton(createButton(QStringLiteral(":/icons/chevron-right.svg"),
                                   QCoreApplication::translate("Generic", "Next frame")))
    , positionLabel(new QLabel(QStringLiteral("00:00.000")))
    , durationLabel(new QLabel(QStringLiteral("00:00")))
    , slider(new DirectJumpSlider)
{
    overlayContainer->setAttribute(Qt::WA_TransparentForMouseEvents);
    player->setAttribute(Qt::WA_TransparentForMouseEvents);
    durationLabel->setObjectName(QStringLiteral("subtext"));
    connectTransport();
    connectPlayer();

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(player, 0, 0);
    layout->addWidget(overlayContainer, 0, 0);
    overlayContainer->raise();
    layout->addWidget(slider, 1, 0);
    layout->addLayout(createBar(), 2, 0);
    layout->setRowStretch(0, 100);

    createOverlays();
    StyleHelper::Instance()->setStyledBackground(this, QStringLiteral("--z-bg"), Qt::white);
    makeCurrent(ratOverlay);
    updateButtons();
    updateFrameButtons();
}

OverlayedVideoWidget::~OverlayedVideoWidget()
{
    connections.clear();
}

QPushButton* OverlayedVideoWidget::createButton(const QString& iconPath, const QString& toolTip)
{
    QPushButton* button = UIHelper::btn(iconPath, QString(), toolTip, QSize(24, 24));
    button->setFixedSize(28, 28);
    StyleHelper::SetButtonIcon(button, iconPath, QStringLiteral("#FFF"));
    button->setStyleSheet(QStringLiteral("QPushButton { padding: 0 }"));
    return button;
}

void OverlayedVideoWidget::createOverlays()
{
    ratOverlay = new RatOverlayWidget;
    shadowOverlay = new ShadowMapOverlayWidget;
    for (PlayableOverlay* overlay : std::initializer_list<PlayableOverlay*>{ratOverlay, shadowOverlay}) {
        overlay->hide();
        overlays.append(overlay);
        overlayContainer->addOverlay(overlay);
    }
}

void OverlayedVideoWidget::connectTransport()
{
    connect(playButton, &QPushButton::clicked, this, &OverlayedVideoWidget::onPlayClicked);
    connect(pauseButton, &QPushButton::clicked, this, &OverlayedVideoWidget::onPauseClicked);
    connect(nextFrameButton, &QPushButton::clicked, this, [this] { stepFrames(1); });
    connect(previousFrameButton, &QPushButton::clicked, this, [this] { stepFrames(-1); });
    connections << connect(slider, &QSlider::valueChanged, positionLabel,
                           [this](int value) { positionLabel->setText(TextHelper::TimeToText(value / 1000.0, true)); });
    connections << connect(slider, &QSlider::sliderReleased, this, &OverlayedVideoWidget::onSliderReleased);
    connections << connect(slider, &DirectJumpSlider::sliderJump, this, &OverlayedVideoWidget::onSliderJump);
    connections << connect(slider, &QSlider::sliderMoved, this, &OverlayedVideoWidget::onSliderMoved);
}

void OverlayedVideoWidget::connectPlayer()
{
    connections << connect(
        player, &ZCV::VideoPlayer::resized, overlayContainer,
        [this](QRect shown, double, double visibleRatio) {
            overlayContainer->setVideoMapping(float(visibleRatio), shown.x(), shown.y());
        },
        Qt::QueuedConnection);
    connections << connect(player, &ZCV::VideoPlayer::videoLoaded, this, &OverlayedVideoWidget::onVideoLoaded,
                           Qt::QueuedConnection);
    // Not every back end tells the size at loading; the first frame does.
    connections << connect(player, &ZCV::VideoPlayer::videoSizeChanged, this,
                           &OverlayedVideoWidget::setOverlaysVideoSize, Qt::QueuedConnection);
    connections << connect(player, &ZCV::VideoPlayer::positionChanged, this, &OverlayedVideoWidget::onPositionChanged,
                           Qt::QueuedConnection);
    connections << connect(player, &ZCV::VideoPlayer::videoFinished, this, &OverlayedVideoWidget::onVideoFinished,
                           Qt::DirectConnection);
}

QLayout* OverlayedVideoWidget::createBar()
{
    auto* separator = new QLabel(QStringLiteral(" / "));
    separator->setObjectName(QStringLiteral("subtext"));
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(2);
    bar->addWidget(playButton);
    bar->addWidget(pauseButton);
    bar->addSpacing(20);
    bar->addWidget(previousFrameButton);
    bar->addWidget(nextFrameButton);
    bar->addStretch(100);
    for (QLabel* label : {positionLabel, separator, durationLabel})
        bar->addWidget(label, 0, Qt::AlignTop);
    return bar;
}

void OverlayedVideoWidget::loadVideo(const QString& path)
{
    // Until the new video is loaded there is nothing to play or seek.
    setDuration(0);
    player->setSource(path);
    setOverlaysVideoSize(assumedVideoSize);
}

void OverlayedVideoWidget::setTrackFile(TrackDataFile* file)
{
    for (PlayableOverlay* overlay : std::as_const(overlays))
        overlay->setTrackFile(file);
}

void OverlayedVideoWidget::setLegacyTrackFile(TrackDataFile* file)
{
    for (PlayableOverlay* overlay : std::as_const(overlays))
        overlay->setLegacyTrackFile(file);
}

void OverlayedVideoWidget::setVideoStart(qint64 wallMs)
{
    for (PlayableOverlay* overlay : std::as_const(overlays))
        overlay->setVideoStart(wallMs);
}

void OverlayedVideoWidget::pause()
{
    playing = false;
    player->pause();
    updateButtons();
}

void OverlayedVideoWidget::setPlaying(bool play)
{
    if (play && userWantsPlayback) {
        playing = true;
        player->play();
    } else {
        playing = false;
        player->pause();
    }
    updateButtons();
}

void OverlayedVideoWidget::seek(qint64 ms, bool seekPlayer)
{
    const qint64 position = std::clamp<qint64>(ms, 0, duration);
    slider->setValue(sliderValue(position));
    if (seekPlayer) {
        playing = false;
        player->pause();
        player->setPosition(position);
    }
    emit posChanged(position);
    updateButtons();
}

void OverlayedVideoWidget::setDuration(qint64 ms)
{
    if (ms == duration)
        return;
    duration = ms;
    slider->setMaximum(sliderValue(ms));
    slider->setEnabled(ms >= 1);
    durationLabel->setText(TextHelper::TimeToText(std::ceil(ms / 1000.0), false));
    pause();
    slider->setValue(0);
    if (ms >= 1)
        player->setPosition(0);
    emit posChanged(0);
    updateButtons();
}

void OverlayedVideoWidget::stepFrames(int direction)
{
    const double frameRate = player->frameRate();
    if (!(frameRate > 0))
        return;
    const qint64 step = qint64(1000 / frameRate);
    seek(std::clamp<qint64>(player->position() + step * direction, 0, duration), true);
}

void OverlayedVideoWidget::setFrameSteppingEnabled(bool enabled)
{
    frameSteppingEnabled = enabled;
    updateFrameButtons();
}

void OverlayedVideoWidget::updateFrameButtons()
{
    const bool visible = frameSteppingEnabled && !player->source().isEmpty();
    previousFrameButton->setVisible(visible);
    nextFrameButton->setVisible(visible);
    if (!visible)
        return;
    previousFrameButton->setEnabled(player->position() != 0);
    nextFrameButton->setEnabled(player->position() < duration);
}

void OverlayedVideoWidget::updateButtons()
{
    playButton->setVisible(!playing && duration > 0);
    pauseButton->setVisible(playing && duration >= 1);
}

void OverlayedVideoWidget::setOverlayOption(OverlayOptions option)
{
    switch (option) {
    case NoOverlay:
        currentOverlay->hide();
        break;
    case Track:
        makeCurrent(shadowOverlay);
        shadowOverlay->setView(ShadowMapOverlayWidget::Path);
        break;
    case Blob:
        makeCurrent(ratOverlay);
        break;
    case Shadow:
        makeCurrent(shadowOverlay);
        shadowOverlay->setView(ShadowMapOverlayWidget::HeatMap);
        break;
    default:
        return;
    }
    // The overlay now shown starts at the frame on screen, not where it was last left.
    syncCurrentOverlay(slider->value());
}

void OverlayedVideoWidget::makeCurrent(PlayableOverlay* overlay)
{
    if (currentOverlay)
        currentOverlay->hide();
    currentOverlay = overlay;
    currentOverlay->show();
}

void OverlayedVideoWidget::syncCurrentOverlay(qint64 ms)
{
    if (currentOverlay && duration >= 1)
        currentOverlay->syncToPosition(ms, player->duration());
}

void OverlayedVideoWidget::setOverlaysVideoSize(QSize size)
{
    if (size.isEmpty())
        return;
    for (PlayableOverlay* overlay : std::as_const(overlays))
        overlay->setVideoSize(size);
}

void OverlayedVideoWidget::onPlayClicked()
{
    userWantsPlayback = true;
    playing = true;
    player->play();
    updateButtons();
}

void OverlayedVideoWidget::onPauseClicked()
{
    userWantsPlayback = false;
    wasPlaying = false;
    pause();
}

void OverlayedVideoWidget::onSliderJump(int position)
{
    wasPlaying = playing;
    pause();
    seek(position, true);
    if (wasPlaying)
        setPlaying(true);
}

// Follows the handle while it is held, whether the press jumped it there or took it up.
void OverlayedVideoWidget::onSliderMoved(int position)
{
    if (slider->isSliderDown())
        seek(position, true);
}

void OverlayedVideoWidget::onSliderReleased()
{
    seek(slider->value(), true);
    pause();
}

void OverlayedVideoWidget::onVideoLoaded()
{
    setDuration(player->duration());
    setOverlaysVideoSize(player->videoSize());
    updateFrameButtons();
}

void OverlayedVideoWidget::onPositionChanged(qlonglong ms)
{
    seek(ms, false);
    syncCurrentOverlay(ms);
    updateFrameButtons();
}

void OverlayedVideoWidget::onVideoFinished()
{
    playing = false;
    player->pause();
    updateButtons();
}
