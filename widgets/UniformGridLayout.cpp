#include "UniformGridLayout.h"

#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

int rowsFor(qsizetype items, int columns)
{
    return std::max(int((items + columns - 1) / columns), 1);
}

} // namespace

UniformGridLayout::UniformGridLayout(const QSize& cellSize, Qt::AspectRatioMode mode, QWidget* parent)
    : EqualCellLayout(parent)
    , cellSize(cellSize.expandedTo(QSize(0, 0)))
    , aspectMode(mode)
{
}

void UniformGridLayout::addItem(QLayoutItem* item)
{
    if (item->widget())
        item->widget()->setMinimumSize(cellSize);
    EqualCellLayout::addItem(item);
}

double UniformGridLayout::proportion() const
{
    if (cellSize.width() <= 0 || cellSize.height() <= 0)
        return 1.0;
    return double(cellSize.width()) / cellSize.height();
}

QSize UniformGridLayout::proportionalCell(const QSize& area, int columns) const
{
    const int rows = rowsFor(items.size(), columns);
    const int width = area.width() / columns;
    // Worked out in floating point: a narrow proportion would overflow a whole number.
    const double height = std::floor(width / proportion());
    if (height * rows <= area.height())
        return QSize(width, int(height));
    const int fittedHeight = area.height() / rows;
    return QSize(int(fittedHeight * proportion()), fittedHeight);
}

int UniformGridLayout::bestColumnCount(const QSize& area) const
{
    int best = 1;
    qint64 bestArea = -1;
    for (int columns = 1; columns <= items.size(); ++columns) {
        const QSize cell = proportionalCell(area, columns);
        const qint64 covered = qint64(cell.width()) * cell.height() * items.size();
        if (covered > bestArea) {
            bestArea = covered;
            best = columns;
        }
    }
    return best;
}

void UniformGridLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    const QRect area = rect.marginsRemoved(contentsMargins());
    const int columns = bestColumnCount(area.size());
    const int rows = rowsFor(items.size(), columns);
    const QSize cell = aspectMode == Qt::KeepAspectRatio ? proportionalCell(area.size(), columns)
                                                         : QSize(area.width() / columns, area.height() / rows);
    const int spacing = cellSpacing();
    for (int index = 0; index < items.size(); ++index) {
        const int row = index / columns;
        const int column = index % columns;
        items[index]->setGeometry(
            QRect(area.x() + spacing + column * cell.width(), area.y() + spacing + row * cell.height(),
                  std::max(cell.width() - 2 * spacing, 0), std::max(cell.height() - 2 * spacing, 0)));
    }
}
