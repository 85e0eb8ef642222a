#pragma once

#include "OverlayedVideoWidget.h"

class KestrumSettings;

// The player of the results page, which shows the overlay the application settings choose,
// from the start and after every change of the choice.
class OverlayedVideoWidgetForKestrum : public OverlayedVideoWidget
{
    Q_OBJECT

public:
    explicit OverlayedVideoWidgetForKestrum(KestrumSettings* settings, QWidget* parent = nullptr);
};
