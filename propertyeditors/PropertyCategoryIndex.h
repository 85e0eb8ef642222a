#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class AbstractMetaDescription;
class AbstractMetaDescriptor;

// The listed properties of one settings object (editable and not "NotVisible") grouped by
// category: categories in ascending text order, the uncategorised (null) one first; inside a
// category by ascending priority (undeclared last), then by display name.
class PropertyCategoryIndex
{
public:
    explicit PropertyCategoryIndex(const AbstractMetaDescriptor* descriptor);

    QHash<QString, QList<AbstractMetaDescription*>> byCategory;
    QHash<QString, AbstractMetaDescription*> byName;
    QStringList categories;
};
