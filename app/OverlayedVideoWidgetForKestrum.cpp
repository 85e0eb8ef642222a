#include "OverlayedVideoWidgetForKestrum.h"

#include "KestrumSettings.h"

OverlayedVideoWidgetForKestrum::OverlayedVideoWidgetForKestrum(KestrumSettings* settings, QWidget* parent)
    : OverlayedVideoWidget(parent)
{
    connect(settings, &KestrumSettings::changedOverlayOptions, this, &OverlayedVideoWidget::setOverlayOption);
    setOverlayOption(settings->getOverlayOptions());
}
