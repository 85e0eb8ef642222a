#pragma once

#include <QLayout>
#include <QList>

// What the grid layouts of equal cells share: they own their items, in insertion order, and ask
// for the largest minimum size among them. Placing is each layout's own.
class EqualCellLayout : public QLayout
{
    Q_OBJECT
public:
    explicit EqualCellLayout(QWidget* parent = nullptr);
    ~EqualCellLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    // Null outside 0 .. count-1.
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;

protected:
    // The spacing in pixels, 0 where neither the layout nor the style gives one.
    int cellSpacing() const;

    QList<QLayoutItem*> items;
};
