#include "SimpleGraphic.h"

#include "TextHelper.h"
#include "UpdateTimer.h"

#include <QCursor>
#include <QEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace {

const QColor DefaultChannelColor(0x11, 0x55, 0x99);
constexpr int MaxValuesDrawn = 1000;
constexpr int MaxVerticalLines = 1000;
constexpr int MaxHorizontalLines = 100;
constexpr int MaxXTexts = 100;
constexpr double DefaultLineWidth = 2.0;

QMap<int, QColor> defaultColors()
{
    return {{0, DefaultChannelColor},
            {1, QColor(0x99, 0x55, 0x11)},
            {2, QColor(0x55, 0x99, 0x11)},
            {3, QColor(0xCC, 0x33, 0x00)}};
}

} // namespace

struct SimpleGraphic::Scale
{
    double min = 0.0;
    double max = 0.0;
    // Pixels per unit of value.
    double perUnit = 1.0;
    int width = 0;
    int plotHeight = 0;
    int fontHeight = 0;
    // Values in the longest channel.
    int count = 0;
    double xStep = 1.0;

    double y(double value) const { return plotHeight - (value - min) * perUnit; }
    double clampedY(double value) const { return std::clamp(y(value), 0.0, double(plotHeight)); }
    bool holdsZero() const { return min < 0.0 && 0.0 < max; }
};

SimpleGraphic::SimpleGraphic(const QString& title, QWidget* parent)
    : QWidget(parent)
    , colors(defaultColors())
    , title(title)
    , repaintTimer(new UpdateTimer(10, 4, this))
{
    connections << connect(repaintTimer, &UpdateTimer::update, this, qOverload<>(&QWidget::update),
                           Qt::QueuedConnection);
}

void SimpleGraphic::setBackgroundColor(const QColor& color)
{
    backgroundColor = color;
    requestRepaint();
}

void SimpleGraphic::setBottomLineVisible(bool visible)
{
    bottomLineVisible = visible;
    requestRepaint();
}

void SimpleGraphic::setDrawingStyle(DrawingStyle style)
{
    drawingStyle = style;
    requestRepaint();
}

void SimpleGraphic::setHeaderTextAlignment(Qt::Alignment alignment)
{
    headerTextAlignment = alignment;
    requestRepaint();
}

void SimpleGraphic::setTextColor(const QColor& color)
{
    textColor = color;
    requestRepaint();
}

void SimpleGraphic::setTextFontSize(float pixels)
{
    textFontSize = pixels;
    requestRepaint();
}

void SimpleGraphic::setTextGridStyle(TextGridStyle style)
{
    textGridStyle = style;
    requestRepaint();
}

void SimpleGraphic::setTextVisible(bool xVisible, bool yVisible)
{
    xTextsVisible = xVisible;
    yTextsVisible = yVisible;
    requestRepaint();
}

void SimpleGraphic::setTextXAlignment(Qt::Alignment alignment)
{
    xTextAlignment = alignment;
    requestRepaint();
}

void SimpleGraphic::setTextXVisible(bool visible)
{
    xTextsVisible = visible;
    requestRepaint();
}

void SimpleGraphic::setTextYVisible(bool visible)
{
    yTextsVisible = visible;
    requestRepaint();
}

void SimpleGraphic::setZeroYTextVisible(bool visible)
{
    zeroYTextVisible = visible;
    requestRepaint();
}

void SimpleGraphic::setDrawAsBars(bool bars)
{
    drawingStyle = bars ? Drawing_Bars : Drawing_Lines;
}

void SimpleGraphic::setFixedYRange(float min, float max)
{
    yMinimum = min;
    yMaximum = max;
    fixedYRange = true;
}

void SimpleGraphic::setGraphicColor(const QColor& color, int channel)
{
    if (channel >= 0)
        colors.insert(channel, color);
}

void SimpleGraphic::setGraphicWidth(int width, int channel)
{
    if (channel >= 0)
        widths.insert(channel, float(width));
}

void SimpleGraphic::setGridPen(const QPen& pen)
{
    gridPen = pen;
}

void SimpleGraphic::setHorizontalPointTickScale(float pointsPerLine)
{
    horizontalTickScale = pointsPerLine;
}

void SimpleGraphic::setVerticalPointTickScale(float valuesPerLine)
{
    verticalTickScale = valuesPerLine;
}

void SimpleGraphic::showTooltips(bool show)
{
    tooltipsShown = show;
}

void SimpleGraphic::setPoints(int channel, const QList<float>& values, bool update)
{
    if (channel < 0)
        return;
    channels.insert(channel, values);
    if (update)
        requestRepaint();
}

void SimpleGraphic::setPoints(const QList<float>& values, bool update)
{
    setPoints(0, values, update);
}

void SimpleGraphic::setMultiPoints(const QList<QList<float>>& channelValues, bool update)
{
    for (int channel = 0; channel < channelValues.size(); ++channel)
        channels.insert(channel, channelValues[channel]);
    if (update)
        requestRepaint();
}

void SimpleGraphic::setCustomTextGrid(const QMap<float, QString>& texts)
{
    customTexts = texts;
    textGridStyle = TextGrid_CustomText;
    requestRepaint();
}

void SimpleGraphic::setCustomTextGrid(const QList<QString>& texts)
{
    customTexts.clear();
    for (int index = 0; index < texts.size(); ++index)
        customTexts.insert(float(index), texts[index]);
    horizontalTickScale = 1.0f;
    textGridStyle = TextGrid_CustomText;
    requestRepaint();
}

void SimpleGraphic::clear()
{
    clearGraphicColors();
    channels.clear();
    requestRepaint();
}

void SimpleGraphic::clearGraphicColors()
{
    colors = defaultColors();
}

int SimpleGraphic::countChannels() const
{
    return int(channels.size());
}

void SimpleGraphic::requestRepaint()
{
    repaintTimer->start();
}

bool SimpleGraphic::event(QEvent* event)
{
    if (event->type() == QEvent::Enter) {
        hovered = true;
    } else if (event->type() == QEvent::Leave) {
        hovered = false;
        QToolTip::hideText();
    }
    return QWidget::event(event);
}

SimpleGraphic::Scale SimpleGraphic::scaleFor(int plotHeight, int fontHeight) const
{
    Scale scale;
    scale.width = width();
    scale.plotHeight = plotHeight;
    scale.fontHeight = fontHeight;
    bool found = false;
    for (const QList<float>& values : channels) {
        scale.count = std::max(scale.count, int(values.size()));
        for (float value : values) {
            if (!std::isfinite(value))
                continue;
            scale.min = found ? std::min(scale.min, double(value)) : value;
            scale.max = found ? std::max(scale.max, double(value)) : value;
            found = true;
        }
    }
    if (fixedYRange) {
        scale.min = yMinimum;
        scale.max = yMaximum;
    }
    const double span = scale.max - scale.min;
    if (!(span > 0.0) || !std::isfinite(span)) {
        scale.min = std::isfinite(scale.min) ? scale.min - 0.5 : -0.5;
        scale.max = scale.min + 1.0;
    }
    scale.perUnit = plotHeight / (scale.max - scale.min);
    scale.xStep = std::max(double(scale.width) / std::max(scale.count, 1), 1.0);
    return scale;
}

void SimpleGraphic::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    cursor = mapFromGlobal(QCursor::pos());
    tooltipShownInPaint = false;
    const int w = width();
    const int h = height() - 2;
    QFont font = painter.font();
    font.setPixelSize(std::max(int(textFontSize), 1));
    painter.setFont(font);
    const int fontHeight = painter.fontMetrics().height();
    const int plotHeight = xTextsVisible ? h - fontHeight : h;
    painter.fillRect(rect(), backgroundColor);
    if (w < 10 || h < 10 || channels.isEmpty())
        return;
    const Scale scale = scaleFor(plotHeight, fontHeight);
    drawGrid(painter, scale);
    painter.setRenderHint(QPainter::Antialiasing, drawingStyle == Drawing_Lines);
    for (auto channel = channels.cbegin(); channel != channels.cend(); ++channel)
        drawChannel(painter, scale, channel.key(), channel.value());
    painter.setRenderHint(QPainter::Antialiasing, false);
    drawXTexts(painter, scale);
    drawYTexts(painter, scale);
    if (!title.isEmpty()) {
        painter.setPen(textColor);
        painter.drawText(QRect(0, 0, w, fontHeight), int(headerTextAlignment), title);
    }
}

void SimpleGraphic::drawGrid(QPainter& painter, const Scale& scale) const
{
    painter.setPen(gridPen);
    if (scale.holdsZero())
        painter.drawLine(QPointF(0, scale.y(0.0)), QPointF(scale.width, scale.y(0.0)));
    if (horizontalTickScale > 0.0f) {
        const double step = scale.xStep * horizontalTickScale;
        for (int line = 0; line < MaxVerticalLines && line * step <= scale.width; ++line)
            painter.drawLine(QPointF(line * step, 0), QPointF(line * step, scale.plotHeight));
    }
    if (bottomLineVisible)
        painter.drawLine(0, scale.plotHeight - 1, scale.width, scale.plotHeight - 1);
    if (verticalTickScale > 0.0f) {
        const double start = scale.holdsZero() ? scale.y(0.0) : scale.plotHeight;
        const double step = verticalTickScale * scale.perUnit;
        for (int line = 0; line < MaxHorizontalLines && start - line * step > 0; ++line)
            painter.drawLine(QPointF(0, start - line * step), QPointF(scale.width, start - line * step));
    }
}

void SimpleGraphic::drawChannel(QPainter& painter, const Scale& scale, int channel, const QList<float>& values)
{
    if (drawingStyle == Drawing_Lines)
        drawLine(painter, scale, channel, values);
    else
        drawBars(painter, scale, channel, values);
}

void SimpleGraphic::drawBars(QPainter& painter, const Scale& scale, int channel, const QList<float>& values)
{
    const bool separate = drawingStyle != Drawing_Bars;
    const bool percent = drawingStyle == Drawing_SeparateBarsLocalValue;
    const double inset = scale.xStep > 4 ? 1.0 : 0.0;
    const double barWidth = std::max(scale.xStep - 2 * inset, 1.0);
    painter.setPen(Qt::NoPen);
    const int drawn = std::min(int(values.size()), MaxValuesDrawn);
    for (int index = 0; index < drawn; ++index) {
        const float value = values[index];
        if (!std::isfinite(value))
            continue;
        const double top = scale.clampedY(value);
        const QRectF bar(index * scale.xStep + inset, top, barWidth, scale.plotHeight - top);
        painter.fillRect(bar, separate ? colors.value(index) : colors.value(channel, DefaultChannelColor));
        if (percent) {
            painter.setPen(textColor);
            painter.drawText(bar, Qt::AlignCenter, QString::number(value) + QLatin1Char('%'));
            painter.setPen(Qt::NoPen);
        }
        offerTooltip(bar.contains(cursor), value, percent);
    }
}

void SimpleGraphic::drawLine(QPainter& painter, const Scale& scale, int channel, const QList<float>& values)
{
    const int drawn = std::min(int(values.size()), MaxValuesDrawn);
    if (drawn < 2)
        return;
    QPen pen(colors.value(channel, DefaultChannelColor), widths.value(channel, DefaultLineWidth));
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    // Spaced by the longest channel, so that point k of every channel stands at the same x.
    const double advance = double(scale.width) / (scale.count - 1);
    for (int index = 0; index < drawn; ++index) {
        const float value = values[index];
        if (!std::isfinite(value))
            continue;
        const QPointF point(index * advance, scale.clampedY(value));
        if (index > 0 && std::isfinite(values[index - 1]))
            painter.drawLine(QPointF((index - 1) * advance, scale.clampedY(values[index - 1])), point);
        offerTooltip(int(point.x()) == cursor.x(), value, false);
    }
}

void SimpleGraphic::offerTooltip(bool hit, float value, bool percent)
{
    if (!hit || !tooltipsShown || !hovered || tooltipShownInPaint)
        return;
    QString text = QString::number(value, 'g', 6);
    if (percent)
        text += QLatin1Char('%');
    QToolTip::showText(mapToGlobal(cursor), text, this);
    tooltipShownInPaint = true;
}

void SimpleGraphic::drawXTexts(QPainter& painter, const Scale& scale) const
{
    if (!(horizontalTickScale > 0.0f) || !xTextsVisible)
        return;
    painter.setPen(textColor);
    const double step = scale.xStep * horizontalTickScale;
    bool skipNext = false;
    for (int label = 0; label < MaxXTexts && label * step < scale.width; ++label) {
        if (skipNext) {
            skipNext = false;
            continue;
        }
        const QString text = xText(label);
        const int labelWidth = painter.fontMetrics().horizontalAdvance(text) + 2;
        const QRectF box(label * step + 1, scale.plotHeight, std::max(double(labelWidth), step), scale.fontHeight);
        painter.drawText(box, int(xTextAlignment), text);
        skipNext = labelWidth > step;
    }
}

QString SimpleGraphic::xText(int index) const
{
    switch (textGridStyle) {
    case TextGrid_Time:
        return TextHelper::TimeToText(index, false);
    case TextGrid_CustomText:
        return customTexts.value(float(index));
    default:
        return QString::number(index);
    }
}

void SimpleGraphic::drawYTexts(QPainter& painter, const Scale& scale) const
{
    if (!yTextsVisible || drawingStyle == Drawing_SeparateBarsLocalValue)
        return;
    painter.setPen(textColor);
    painter.drawText(QRectF(0, 0, width(), scale.fontHeight), QString::number(scale.max, 'f', 2), headerTextOption);
    if (zeroYTextVisible)
        painter.drawText(QRectF(0, scale.plotHeight - scale.fontHeight, 200, scale.fontHeight),
                         QString::number(scale.min, 'f', 2), QTextOption(Qt::AlignLeft));
}
