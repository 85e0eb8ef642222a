#include "FixedGridLayout.h"

#include <QWidget>

#include <algorithm>

FixedGridLayout::FixedGridLayout(Qt::Orientation orientation, int lineLength, const QSize& cellSize, QWidget* parent)
    : EqualCellLayout(parent)
    , orientation(orientation)
    , lineLength(std::max(lineLength, 1))
    , cellSize(cellSize.expandedTo(QSize(0, 0)))
{
}

void FixedGridLayout::addItem(QLayoutItem* item)
{
    if (item->widget())
        item->widget()->setMinimumSize(cellSize);
    EqualCellLayout::addItem(item);
}

void FixedGridLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    if (items.isEmpty())
        return;
    const QRect area = rect.marginsRemoved(contentsMargins());
    const int spacing = cellSpacing();
    const int lines = int((items.size() + lineLength - 1) / lineLength);
    const bool vertical = orientation == Qt::Vertical;
    const int columns = vertical ? lineLength : lines;
    const int rows = vertical ? lines : lineLength;
    const int cellWidth = std::max(area.width() / columns, cellSize.width() + 2 * spacing);
    const int cellHeight = std::max(area.height() / rows, cellSize.height() + 2 * spacing);
    for (int index = 0; index < items.size(); ++index) {
        const int line = index / lineLength;
        const int place = index % lineLength;
        const int column = vertical ? place : line;
        const int row = vertical ? line : place;
        items[index]->setGeometry(QRect(area.x() + spacing + column * cellWidth, area.y() + spacing + row * cellHeight,
                                        cellWidth - 2 * spacing, cellHeight - 2 * spacing));
    }
}
