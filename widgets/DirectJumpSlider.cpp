#include "DirectJumpSlider.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>

#include <algorithm>

DirectJumpSlider::DirectJumpSlider(QWidget* parent)
    : QSlider(Qt::Horizontal, parent)
{
}

void DirectJumpSlider::disableMouseWheel(bool disabled)
{
    wheelDisabled = disabled;
}

void DirectJumpSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const int value = valueAt(event->position().x());
        // Moved first, the handle lies under the pointer, so the press goes on as a drag of it.
        setValue(value);
        QSlider::mousePressEvent(event);
        emit sliderJump(value);
        emit sliderReleased();
    } else if (event->button() == Qt::RightButton && !isOnHandle(event->position().toPoint())) {
        QSlider::mousePressEvent(event);
        emit rightButtonPressed();
    }
}

void DirectJumpSlider::wheelEvent(QWheelEvent* event)
{
    if (wheelDisabled)
        event->ignore();
    else
        event->accept();
}

int DirectJumpSlider::valueAt(double x) const
{
    const double span = double(maximum()) - double(minimum());
    const double share = width() > 0 ? x / width() : 0;
    const double value = invertedAppearance() ? maximum() - span * share : minimum() + span * share;
    return int(std::clamp(value, double(minimum()), double(maximum())));
}

bool DirectJumpSlider::isOnHandle(const QPoint& position) const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this).contains(position);
}
