#pragma once

#include <QBoxLayout>
#include <QList>
#include <QWidget>

// A box of widgets packed at its start, top to bottom or left to right.
class ZStackPanel : public QWidget
{
    Q_OBJECT
public:
    explicit ZStackPanel(Qt::Orientation orientation = Qt::Vertical, QWidget* parent = nullptr);
    ~ZStackPanel() override;

    // A null widget is ignored.
    void add(QWidget* widget);
    ZStackPanel& operator<<(QWidget* widget);
    // Null outside 0 .. count-1.
    QWidget* at(int index) const;
    int count() const;
    QBoxLayout::Direction boxOrientation() const;
    // Hands the item back to the caller, without a parent.
    void remove(QWidget* widget);
    // Deletes every item through the event loop.
    void clear();

    void setItemAlignment(QWidget* widget, Qt::Alignment alignment);
    void setItemAlignmentByIndex(int index, Qt::Alignment alignment);
    // Contents margins of every current item.
    void setItemPadding(int margin);
    void setItemPadding(int left, int top, int right, int bottom);
    // Margins around all items.
    void setPadding(int margin);
    void setPadding(int left, int top, int right, int bottom);
    void setSpacing(int spacing);
    void setOrientation(Qt::Orientation orientation);

private:
    void forget(QWidget* widget);

    Qt::Orientation orientation;
    QBoxLayout* itemLayout;
    QBoxLayout* outerLayout;
    QList<QWidget*> items;
};
