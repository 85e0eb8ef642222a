#include "MetaDescriptor.h"

#include "MetaDescription.h"

MetaDescriptor::MetaDescriptor(QObject* parent)
    : AbstractMetaDescriptor(parent)
{
}

void MetaDescriptor::set(QObject* described)
{
    parse(described);
}

QString MetaDescriptor::getClassName()
{
    return object ? QString::fromLatin1(object->metaObject()->className()) : QString();
}

bool MetaDescriptor::acceptsRootName(const QString& name)
{
    if (!object)
        return AbstractMetaDescriptor::acceptsRootName(name);
    for (const QMetaObject* meta = object->metaObject(); meta; meta = meta->superClass())
        if (name == QLatin1String(meta->className()))
            return true;
    return false;
}

void MetaDescriptor::parse(QObject* described)
{
    clear();
    object = described;
    const QMetaObject* meta = described->metaObject();
    for (int index = 0; index < meta->propertyCount(); ++index) {
        const QMetaProperty property = meta->property(index);
        if (qstricmp(property.name(), "objectName") == 0 || !property.isWritable())
            continue;
        auto* description = new MetaDescription(this);
        description->set(index, described);
        properties.append(description);
        propertiesByName.insert(description->name, description);
    }
}

QMetaProperty* MetaDescriptor::getItem() const
{
    return item;
}

void MetaDescriptor::setItem(QMetaProperty* newItem)
{
    item = newItem;
    emit itemChanged(item);
}
