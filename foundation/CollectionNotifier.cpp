#include "CollectionNotifier.h"

CollectionNotifier::CollectionNotifier()
    : QObject(nullptr)
{
}

void CollectionNotifier::onItemChangedProperty()
{
    emit itemAnyPropertyChanged();
}
