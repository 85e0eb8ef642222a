#include "SquareLayout.h"

#include <algorithm>

SquareLayout::SquareLayout(int columns, int rows, QWidget* parent)
    : EqualCellLayout(parent)
    , columns(std::max(columns, 1))
    , rows(std::max(rows, 1))
{
}

Qt::Orientations SquareLayout::expandingDirections() const
{
    return Qt::Horizontal;
}

bool SquareLayout::hasHeightForWidth() const
{
    return false;
}

void SquareLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    const QRect area = rect.marginsRemoved(contentsMargins());
    const int side = std::min(area.width() / columns, area.height() / rows);
    // Centred within the owning widget, whatever the rectangle's own position.
    const int left = (rect.width() - columns * side) / 2;
    const int top = (rect.height() - rows * side) / 2;
    const auto placed = int(std::min<qint64>(items.size(), qint64(columns) * rows));
    for (int index = 0; index < placed; ++index)
        items[index]->setGeometry(QRect(left + index % columns * side, top + index / columns * side, side, side));
}
