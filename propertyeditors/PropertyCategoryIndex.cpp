#include "PropertyCategoryIndex.h"

#include "AbstractMetaDescription.h"
#include "AbstractMetaDescriptor.h"

#include <algorithm>

PropertyCategoryIndex::PropertyCategoryIndex(const AbstractMetaDescriptor* descriptor)
{
    if (!descriptor)
        return;
    for (int i = 0; i < descriptor->count(); ++i) {
        AbstractMetaDescription* description = descriptor->at(i);
        if (!description->editable || !description->visible)
            continue;
        byCategory[description->category].append(description);
        byName.insert(description->name, description);
    }
    categories = byCategory.keys();
    std::sort(categories.begin(), categories.end());
    for (QList<AbstractMetaDescription*>& list : byCategory)
        std::stable_sort(list.begin(), list.end(),
                         [](const AbstractMetaDescription* a, const AbstractMetaDescription* b) {
                             if (a->priority != b->priority)
                                 return a->priority < b->priority;
                             return a->displayName < b->displayName;
                         });
}
