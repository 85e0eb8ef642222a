#pragma once

// Colours sampled from grabbed widgets and rendered icons, and the program's shipped themes, for
// tests of how widgets look. Header only; the executable must link the widgets library.

#include "StyleHelper.h"

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

// The style sheets and the light and dark themes as the program adds them at start.
inline bool addShippedThemes()
{
    StyleHelper* style = StyleHelper::Instance();
    return style->addStyleFile(QStringLiteral(":/themes/zt.theme.css"))
           && style->addStyleFile(QStringLiteral(":/KestrumStyle.css"))
           && style->addThemeFile(QStringLiteral(":/themes/light.css"), QStringLiteral("light"))
           && style->addThemeFile(QStringLiteral(":/themes/dark.css"), QStringLiteral("dark"));
}
