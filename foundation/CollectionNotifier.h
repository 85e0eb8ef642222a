#pragma once

#include <QObject>

// A hub of collection-change signals that a collection's owner emits on behalf of its items;
// the owner connects its items' change signals to onItemChangedProperty so that listeners see
// one signal for any change of any item.
class CollectionNotifier : public QObject
{
    Q_OBJECT
public:
    CollectionNotifier();

signals:
    void collectionChanged();
    void itemAnyPropertyChanged();
    void itemAdded(int index);
    void itemRemoved(int index);
    void itemMoved(int oldIndex, int newIndex);
    void collectionCleared();

public slots:
    void onItemChangedProperty();
};
