#include "ObservableCollection.h"

ObservableCollection::ObservableCollection(QObject* parent)
    : QObject(parent)
{
}

void ObservableCollection::add(QObject* item)
{
    if (!item)
        return;
    items.append(item);
    announce({item}, {});
}

void ObservableCollection::add(const QList<QObject*>& list)
{
    items.append(list);
    announce(list, {});
}

void ObservableCollection::add(const ZList<QObject*>& list)
{
    add(static_cast<const QList<QObject*>&>(list));
}

void ObservableCollection::insertAt(QObject* item, int index)
{
    if (!item)
        return;
    items.insert(qBound(0, index, count()), item);
    announce({item}, {});
}

void ObservableCollection::removeAt(int index)
{
    if (index < 0 || index >= count())
        return;
    QObject* removed = items.takeAt(index);
    announce({}, {removed});
}

void ObservableCollection::remove(QObject* item)
{
    removeAt(indexOf(item));
}

void ObservableCollection::clear()
{
    items.clear();
    announce({}, {});
}

QObject* ObservableCollection::at(int index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    return items.at(index);
}

int ObservableCollection::indexOf(QObject* item) const
{
    return int(items.indexOf(item));
}

bool ObservableCollection::contains(QObject* item) const
{
    return items.contains(item);
}

int ObservableCollection::count() const
{
    return int(items.size());
}

void ObservableCollection::announce(const QList<QObject*>& newItems, const QList<QObject*>& oldItems)
{
    emit collectionChanged(newItems, oldItems);
    emit countChanged(count());
}
