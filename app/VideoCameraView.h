#pragma once

#include "PanelCameraView.h"
#include "VideoWidget.h"

#include <QPointer>

// An apparatus panel's camera view on screen: the camera widget, shown in grey with the
// detection drawn over it, handing on every frame it shows.
class VideoCameraView : public PanelCameraView
{
    Q_OBJECT

public:
    // An empty name takes the first free preferred camera.
    explicit VideoCameraView(const QString& cameraName, QObject* parent = nullptr);
    ~VideoCameraView() override;

    // The widget to lay out; the view gives it up when it goes.
    VideoWidget* widget() const { return m_widget; }

    QSize frameSize() const override;
    void startRecord(const QString& path, QMediaRecorder::Quality quality) override;
    void stopRecord() override;
    void drawUnderlay(const QImage& image) override;
    void drawOverlay(const QImage& image) override;

private:
    QPointer<VideoWidget> m_widget;
};
