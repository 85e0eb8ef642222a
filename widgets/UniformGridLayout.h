#pragma once

#include "EqualCellLayout.h"

// Equal cells of one proportion (the cell size's width over its height), with the column count
// chosen to make them as large as the rectangle allows. In the mode that keeps the aspect ratio
// the cells keep the proportion; in the others they share the whole rectangle. A cell size
// without width or height counts as square. A widget added takes the cell size as its minimum.
class UniformGridLayout : public EqualCellLayout
{
    Q_OBJECT
public:
    UniformGridLayout(const QSize& cellSize, Qt::AspectRatioMode mode, QWidget* parent = nullptr);

    void addItem(QLayoutItem* item) override;
    void setGeometry(const QRect& rect) override;

private:
    // The largest cell of the proportion that rows of `columns` cells fit into the area with.
    QSize proportionalCell(const QSize& area, int columns) const;
    int bestColumnCount(const QSize& area) const;
    double proportion() const;

    QSize cellSize;
    Qt::AspectRatioMode aspectMode;
};
