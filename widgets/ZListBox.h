#pragma once

#include "ConnectionHelper.h"
#include "ContextableWidget.h"
#include "ObservableCollection.h"

#include <QList>
#include <QPointer>

#include <memory>

class ClickableWidget;
class QGridLayout;
class QLabel;
class QScrollArea;

// The elements of an observable collection as a column or a row of item widgets with single
// selection, rebuilt whenever the collection's count changes; a rebuild ends with nothing
// selected. Each element's widget comes from createItemWidget, by default from whoever answers
// itemCreateDelegate. A collection handed over as the context becomes the items.
//
// It stands here rather than among the toolkit's widgets because it is a ContextableWidget.
// The list box does not own a collection it is given. A null element leaves its place empty and
// can be neither clicked nor selected; the placeholder text shows while the current collection
// is empty. Item widgets are deleted through the event loop, so a rebuild caused from a click
// handler never deletes the item that is being clicked.
class ZListBox : public ContextableWidget
{
    Q_OBJECT
    Q_PROPERTY(ObservableCollection* items READ getItems WRITE setItems NOTIFY itemsChanged)
    Q_PROPERTY(QObject* SelectedItem READ getSelectedItem WRITE setSelectedItem NOTIFY changedSelectedItem)
    Q_PROPERTY(int SelectedIndex READ getSelectedIndex WRITE setSelectedIndex NOTIFY changedSelectedIndex)
    Q_PROPERTY(Qt::Orientation Orientation READ getOrientation WRITE setOrientation NOTIFY changedOrientation)
public:
    explicit ZListBox(QWidget* parent = nullptr);
    ~ZListBox() override;

    void setItems(ObservableCollection* collection);
    ObservableCollection* getItems() const;
    // Null outside the collection.
    QObject* at(int index) const;
    int count() const;
    void clear();

    // An index outside the collection selects nothing.
    void setSelectedIndex(int index);
    int getSelectedIndex() const;
    // An element outside the collection is ignored.
    void setSelectedItem(QObject* element);
    QObject* getSelectedItem() const;
    void setOrientation(Qt::Orientation orientation);
    Qt::Orientation getOrientation() const;
    void setEmptyListText(const QString& text);

    void setBackgroundAndBorder(const QColor& background, quint8 borderWidth, const QColor& borderColor);
    void setBackground(const QColor& background);
    void setTransparentBackground();

public slots:
    void rebuild();
    void itemClicked(int clickCount);
    void onItemsCountChanged(int count);

signals:
    void itemsChanged(ObservableCollection* collection);
    void internalRebuildStart();
    void internalRebuildEnd();
    void changedSelectedItem(QObject* element);
    void selectedItemDoubleClicked(QObject* element);
    void anythingSelected(bool selected);
    void changedSelectedIndex(int index);
    void changedOrientation(Qt::Orientation orientation);
    QWidget* itemCreateDelegate(QObject* element);

protected:
    void onContextChanged() override;
    virtual QWidget* createItemWidget(QObject* element);

private:
    void removeItemWidgets();
    void placeItemWidgets();
    void place(QWidget* widget, int position, int stretch);
    void showHighlight();

    QLabel* emptyListLabel;
    std::unique_ptr<ObservableCollection> ownCollection;
    QPointer<ObservableCollection> items;
    // One entry per element, null where the element is null.
    QList<ClickableWidget*> itemWidgets;
    QScrollArea* scrollArea;
    QGridLayout* itemGrid;
    QWidget* filler = nullptr;
    int selectedIndex = -1;
    Qt::Orientation orientation = Qt::Vertical;
    ConnectionHelper clickConnections;
    QMetaObject::Connection countConnection;
};
