#pragma once

#include "EqualCellLayout.h"

// Cells of at least a given size, filled line by line: along rows for a vertical layout (the
// line length is the cells per row), along columns for a horizontal one. A widget added takes
// the cell size as its minimum size. A line length below 1 counts as 1.
class FixedGridLayout : public EqualCellLayout
{
    Q_OBJECT
public:
    FixedGridLayout(Qt::Orientation orientation, int lineLength, const QSize& cellSize, QWidget* parent = nullptr);

    void addItem(QLayoutItem* item) override;
    void setGeometry(const QRect& rect) override;

private:
    Qt::Orientation orientation;
    int lineLength;
    QSize cellSize;
};
