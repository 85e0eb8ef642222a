#pragma once

#include "ZList.h"

#include <QList>
#include <QObject>

// An ordered list of objects, not owned, that announces every change with the added and the
// removed items so that a view can follow it without rebuilding. An announcement with two
// empty lists (clear) asks the view to rebuild from the collection.
class ObservableCollection : public QObject
{
    Q_OBJECT
public:
    explicit ObservableCollection(QObject* parent = nullptr);

    void add(QObject* item);
    void add(const QList<QObject*>& list);
    void add(const ZList<QObject*>& list);
    // Positions below 0 insert at the front, beyond count at the end.
    void insertAt(QObject* item, int index);
    void removeAt(int index);
    void remove(QObject* item);
    void clear();

    QObject* at(int index) const;
    int indexOf(QObject* item) const;
    bool contains(QObject* item) const;
    int count() const;

signals:
    void collectionChanged(QList<QObject*> newItems, QList<QObject*> oldItems);
    void countChanged(int count);

private:
    void announce(const QList<QObject*>& newItems, const QList<QObject*>& oldItems);

    QList<QObject*> items;
};
