#pragma once

#include "EqualCellLayout.h"

// A fixed number of columns and rows of square cells, as large as the rectangle allows, centred
// in it. Items beyond columns × rows are not placed. Counts below 1 count as 1.
class SquareLayout : public EqualCellLayout
{
    Q_OBJECT
public:
    SquareLayout(int columns, int rows, QWidget* parent = nullptr);

    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    void setGeometry(const QRect& rect) override;

private:
    int columns;
    int rows;
};
