#include "VideoCameraView.h"

VideoCameraView::VideoCameraView(const QString& cameraName, QObject* parent)
    : PanelCameraView(parent)
    , m_widget(new VideoWidget(cameraName, QSize(640, 480), false))
{
    m_widget->setSoftwareRendering(true);
    m_widget->setGrayscale(true);
    connect(m_widget, &VideoWidget::fetchFrame, this, &PanelCameraView::fetchFrame);
    connect(m_widget, &VideoWidget::recordingBegan, this, &PanelCameraView::recordingStarted, Qt::DirectConnection);
    connect(m_widget, &VideoWidget::recordFailed, this, &PanelCameraView::recordingFailed);
    m_widget->setFetchFrames(true);
}

// The recording is finished first; the widget goes once its events are through.
VideoCameraView::~VideoCameraView()
{
    if (!m_widget)
        return;
    m_widget->stopRecord();
    m_widget->hide();
    m_widget->setParent(nullptr);
    m_widget->deleteLater();
}

QSize VideoCameraView::frameSize() const
{
    return m_widget ? m_widget->frameSize() : QSize();
}

void VideoCameraView::startRecord(const QString& path, QMediaRecorder::Quality quality)
{
    if (m_widget)
        m_widget->startRecord(path, quality);
}

void VideoCameraView::stopRecord()
{
    if (m_widget)
        m_widget->stopRecord();
}

void VideoCameraView::drawUnderlay(const QImage& image)
{
    if (m_widget)
        m_widget->drawUnderlay(image);
}

void VideoCameraView::drawOverlay(const QImage& image)
{
    if (m_widget)
        m_widget->drawOverlay(image);
}
