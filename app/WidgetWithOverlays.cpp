#include "WidgetWithOverlays.h"

#include "VideoOverlayWidget.h"

#include <QGridLayout>

WidgetWithOverlays::WidgetWithOverlays(QWidget* parent)
    : QWidget(parent)
    , grid(new QGridLayout(this))
{
    setContentsMargins(0, 0, 0, 0);
    grid->setContentsMargins(0, 0, 0, 0);
}

void WidgetWithOverlays::addOverlay(VideoOverlayWidget* overlay)
{
    if (!overlay)
        return;
    overlays.append(overlay);
    grid->addWidget(overlay, 0, 0);
}

void WidgetWithOverlays::setVideoMapping(float scale, int x, int y)
{
    for (VideoOverlayWidget* overlay : std::as_const(overlays))
        overlay->setVideoMapping(scale, x, y);
}
