#pragma once

// Colours sampled from grabbed widgets and rendered icons, and the program's shipped themes, for
// tests of how widgets look. Header only; the executable must link the widgets library.

#include "StyleHelper.h"

#include <QHash>
#include <QIcon>
#include <QImage>
#include <QWidget>

inline QColor pixelAt(QWidget& widget, int x, int y)
{
    return widget.grab().toImage().pixelColor(x, y);
}

inline QColor centreColour(QWidget& widget)
{
    return pixelAt(widget, widget.width() / 2, widget.height() / 2);
}

// The colour of the picture's first fully covered pixel: the colour it is drawn in.
inline QColor drawnColour(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).alpha() == 255)
                return image.pixelColor(x, y);
        }
    }
    return QColor();
}

inline QColor drawnColour(const QIcon& icon)
{
    return drawnColour(icon.pixmap(24, 24).toImage());
}

// From 0 for black to 1 for white, the channels weighed as the eye weighs them.
inline double luminance(const QColor& colour)
{
    return 0.2126 * colour.redF() + 0.7152 * colour.greenF() + 0.0722 * colour.blueF();
}

// The mean luminance of the picture's pixels that are at least half covered; -1 when there are none.
inline double opaqueLuminance(const QImage& image)
{
    double sum = 0;
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            if (colour.alpha() >= 128) {
                sum += luminance(colour);
                ++count;
            }
        }
    }
    return count ? sum / count : -1;
}

// The colour that covers most of the picture, such as the background behind a few strokes.
inline QColor dominantColour(const QImage& image)
{
    QHash<QRgb, int> counts;
    QRgb dominant = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (++counts[pixel] > counts.value(dominant))
                dominant = pixel;
        }
    }
    return QColor::fromRgba(dominant);
}

// The style sheets and the light and dark themes as the program adds them at start.
inline bool addShippedThemes()
{
    StyleHelper* style = StyleHelper::Instance();
    return style->addStyleFile(QStringLiteral(":/themes/zt.theme.css"))
           && style->addStyleFile(QStringLiteral(":/KestrumStyle.css"))
           && style->addThemeFile(QStringLiteral(":/themes/light.css"), QStringLiteral("light"))
           && style->addThemeFile(QStringLiteral(":/themes/dark.css"), QStringLiteral("dark"));
}
