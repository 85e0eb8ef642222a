#include "EqualCellLayout.h"

#include <algorithm>

EqualCellLayout::EqualCellLayout(QWidget* parent)
    : QLayout(parent)
{
}

EqualCellLayout::~EqualCellLayout()
{
    qDeleteAll(items);
}

void EqualCellLayout::addItem(QLayoutItem* item)
{
    items.append(item);
}

int EqualCellLayout::count() const
{
    return int(items.size());
}

QLayoutItem* EqualCellLayout::itemAt(int index) const
{
    return items.value(index);
}

QLayoutItem* EqualCellLayout::takeAt(int index)
{
    return index >= 0 && index < items.size() ? items.takeAt(index) : nullptr;
}

QSize EqualCellLayout::minimumSize() const
{
    QSize size;
    for (const QLayoutItem* item : items)
        size = size.expandedTo(item->minimumSize());
    const QMargins margins = contentsMargins();
    return size + QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

QSize EqualCellLayout::sizeHint() const
{
    return minimumSize();
}

int EqualCellLayout::cellSpacing() const
{
    return std::max(spacing(), 0);
}
