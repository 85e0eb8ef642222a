#pragma once

#include "ConnectionHelper.h"

#include <QColor>
#include <QList>
#include <QMap>
#include <QPen>
#include <QString>
#include <QTextOption>
#include <QWidget>

class UpdateTimer;

// A painted chart of float series: channels of values drawn as lines or bars over one shared
// scale, with an optional grid, axis texts (numbers, times or custom texts), a title and value
// tool tips under the mouse. Bursts of changes give one repaint.
//
// The scale spans the finite values of every channel, so no channel runs off the plot; a span
// without height (one value, or all equal) is widened to one unit around it. Values that are
// not finite are left out of the lines and the bars.
class SimpleGraphic : public QWidget
{
    Q_OBJECT
public:
    enum DrawingStyle { Drawing_Lines, Drawing_Bars, Drawing_SeparateBars, Drawing_SeparateBarsLocalValue };
    Q_ENUM(DrawingStyle)
    enum TextGridStyle { TextGrid_Numeric, TextGrid_Time, TextGrid_CustomText };
    Q_ENUM(TextGridStyle)

    explicit SimpleGraphic(const QString& title = QString(), QWidget* parent = nullptr);

    void setBackgroundColor(const QColor& color);
    void setBottomLineVisible(bool visible);
    void setDrawingStyle(DrawingStyle style);
    void setHeaderTextAlignment(Qt::Alignment alignment);
    void setTextColor(const QColor& color);
    void setTextFontSize(float pixels);
    void setTextGridStyle(TextGridStyle style);
    void setTextVisible(bool xVisible, bool yVisible);
    void setTextXAlignment(Qt::Alignment alignment);
    void setTextXVisible(bool visible);
    void setTextYVisible(bool visible);
    void setZeroYTextVisible(bool visible);

    // These take effect at the next repaint.
    void setDrawAsBars(bool bars);
    void setFixedYRange(float min, float max);
    void setGraphicColor(const QColor& color, int channel);
    void setGraphicWidth(int width, int channel);
    void setGridPen(const QPen& pen);
    void setHorizontalPointTickScale(float pointsPerLine);
    void setVerticalPointTickScale(float valuesPerLine);
    void showTooltips(bool show);

    void setPoints(int channel, const QList<float>& values, bool update = true);
    void setPoints(const QList<float>& values, bool update = true);
    void setMultiPoints(const QList<QList<float>>& channelValues, bool update = true);
    void setCustomTextGrid(const QMap<float, QString>& texts);
    void setCustomTextGrid(const QList<QString>& texts);

    void clear();
    void clearGraphicColors();
    int countChannels() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct Scale;

    Scale scaleFor(int plotHeight, int fontHeight) const;
    void drawGrid(QPainter& painter, const Scale& scale) const;
    void drawChannel(QPainter& painter, const Scale& scale, int channel, const QList<float>& values);
    void drawBars(QPainter& painter, const Scale& scale, int channel, const QList<float>& values);
    void drawLine(QPainter& painter, const Scale& scale, int channel, const QList<float>& values);
    void offerTooltip(bool hit, float value, bool percent);
    void drawXTexts(QPainter& painter, const Scale& scale) const;
    QString xText(int index) const;
    void drawYTexts(QPainter& painter, const Scale& scale) const;
    void requestRepaint();

    QTextOption headerTextOption = QTextOption(Qt::AlignLeft | Qt::AlignTop);
    QMap<int, QList<float>> channels;
    QMap<int, QColor> colors;
    QMap<int, float> widths;
    QMap<float, QString> customTexts;
    bool hovered = false;
    bool tooltipsShown = false;
    bool xTextsVisible = true;
    bool yTextsVisible = true;
    bool bottomLineVisible = true;
    bool zeroYTextVisible = true;
    QPen gridPen = QPen(QColor(0xAA, 0xAA, 0xAA));
    QColor backgroundColor = Qt::white;
    QColor textColor = Qt::black;
    float textFontSize = 14.0f;
    Qt::Alignment xTextAlignment = Qt::AlignLeft;
    Qt::Alignment headerTextAlignment = Qt::AlignRight;
    DrawingStyle drawingStyle = Drawing_Lines;
    TextGridStyle textGridStyle = TextGrid_Numeric;
    QString title;
    bool fixedYRange = false;
    float yMinimum = 0.0f;
    float yMaximum = 0.0f;
    float horizontalTickScale = 0.0f;
    float verticalTickScale = 0.0f;
    ConnectionHelper connections;
    UpdateTimer* repaintTimer;
    // Set once a tool tip is shown in the paint running now.
    bool tooltipShownInPaint = false;
    QPoint cursor;
};
