#pragma once

#include "ConnectionHelper.h"

#include <QImage>
#include <QWidget>

class QLabel;
class QSvgRenderer;

// Draws an SVG or raster picture fitted into its area with its proportion kept and centred,
// plays an animated SVG, and shows itself at half opacity while disabled.
class IconWidget : public QWidget
{
    Q_OBJECT
public:
    // A size with a positive width and height fixes the widget's size.
    explicit IconWidget(const QString& path, const QString& color = QString(), const QSize& size = QSize(),
                        const QString& replacedColor = QString(), QWidget* parent = nullptr);

    // An SVG with a colour has replacedColor (#303030 when empty) recoloured to it.
    void setIcon(const QString& path, const QString& color = QString(), const QString& replacedColor = QString());
    void animate(bool animate);
    // Whether the SVG shown is an animated one.
    bool isAnimated() const;
    // Inverted: an animated SVG plays while the widget is disabled rather than while enabled.
    void setInvertedEnabledBehavior(bool inverted);

    // A label of the size showing the picture once: the file as it is for the colour "none",
    // the theme's icon for an empty colour, else the SVG recoloured from #303030.
    static QLabel* PlainIconWidget(const QString& path, const QSize& size, const QString& color = QString());

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void loadSvg(const QString& path, const QString& color, const QString& replacedColor);
    void loadImage(const QString& path);
    bool isActive() const;
    bool playsLive() const;
    QRect targetRect() const;

    QImage picture;
    QSvgRenderer* renderer = nullptr;
    ConnectionHelper connections;
    bool svgAnimated = false;
    int pictureWidth = 0;
    int pictureHeight = 0;
    bool animateFlag = true;
    bool invertedEnabled = false;
};
