#include "RoundToggle.h"

#include "CursorHelper.h"
#include "StyleHelper.h"

#include <QMouseEvent>
#include <QPainter>

RoundToggle::RoundToggle(QWidget* parent, bool followTheme)
    : QWidget(parent)
{
    setMinimumSize(48, 24);
    CursorHelper::setCursor(this, Qt::PointingHandCursor);
    if (!followTheme)
        return;
    StyleHelper::Link(this, [this] {
        untoggledColor = StyleHelper::ThemeColor(QStringLiteral("--z-btn-bg"), QColor(0x77, 0x77, 0x77));
        toggledColor = StyleHelper::ThemeColor(QStringLiteral("--z-accent"), QColor(0x00, 0xCC, 0xFF));
        emit toggledColorChanged(toggledColor);
        emit untoggledColorChanged(untoggledColor);
        update();
    });
}

void RoundToggle::setChecked(bool isChecked)
{
    if (isChecked == checked)
        return;
    checked = isChecked;
    emit isCheckedChanged(checked);
    update();
}

void RoundToggle::setIsChecked(bool isChecked)
{
    setChecked(isChecked);
}

bool RoundToggle::getIsChecked() const
{
    return checked;
}

void RoundToggle::setToggledColor(const QColor& color)
{
    toggledColor = color;
    emit toggledColorChanged(color);
}

QColor RoundToggle::getToggledColor() const
{
    return toggledColor;
}

void RoundToggle::setUntoggledColor(const QColor& color)
{
    untoggledColor = color;
    emit untoggledColorChanged(color);
}

QColor RoundToggle::getUntoggledColor() const
{
    return untoggledColor;
}

void RoundToggle::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    setChecked(!checked);
    emit clicked();
}

void RoundToggle::paintEvent(QPaintEvent*)
{
    const int w = width() - 2;
    const int h = height() - 2;
    const int track = qMax(h / 3, 6);
    const QColor colour = checked ? toggledColor : untoggledColor;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(1, 1);
    painter.setBrush(colour);
    painter.setPen(colour.darker(200));
    painter.drawRoundedRect(0, (h - track) / 2, w - 1, track, track / 2, track / 2);
    painter.drawEllipse(checked ? w - h : 0, 0, h, h);
}
