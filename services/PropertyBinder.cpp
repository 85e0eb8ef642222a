#include "PropertyBinder.h"

#include "GlobalConsole.h"

#include <QMetaObject>
#include <QSignalBlocker>
#include <QVariant>

namespace {
QMetaProperty propertyNamed(const QObject* object, const QString& name)
{
    const QMetaObject* meta = object->metaObject();
    return meta->property(meta->indexOfProperty(name.toUtf8().constData()));
}
} // namespace

PropertyBinder::PropertyBinder(QObject* parent)
    : QObject(parent)
{
}

PropertyBinder::~PropertyBinder()
{
    connections.clear();
}

bool PropertyBinder::bind(QObject* source, QObject* target, const QString& sourceProperty,
                          const QString& targetProperty, BindingMode mode)
{
    destroyBinding();
    if (!source || !target || sourceProperty.isEmpty() || targetProperty.isEmpty())
        return false;
    const QMetaProperty from = propertyNamed(source, sourceProperty);
    const QMetaProperty to = propertyNamed(target, targetProperty);
    if (!from.isValid() || !to.isValid())
        return false;
    if (mode != OneTime)
        connectChange(source, from, "onValueChanged1()");
    if (mode == TwoWay)
        connectChange(target, to, "onValueChanged2()");
    hold(source, target);
    this->sourceProperty = from;
    this->targetProperty = to;
    onValueChanged1();
    return true;
}

bool PropertyBinder::bind(QObject* source, QObject* target, const QList<QString>& sourceProperties,
                          const QString& method, const QString& targetProperty)
{
    destroyBinding();
    if (!source || !target || sourceProperties.isEmpty() || targetProperty.isEmpty())
        return false;
    const QMetaProperty to = propertyNamed(target, targetProperty);
    const QMetaObject* meta = source->metaObject();
    const QMetaMethod found = meta->method(meta->indexOfMethod(QMetaObject::normalizedSignature(method.toUtf8())));
    if (!to.isValid())
        return false;
    if (!found.isValid() || found.returnMetaType().id() == QMetaType::Void) {
        listMethods(source, method);
        return false;
    }
    for (const QString& name : sourceProperties) {
        const QMetaProperty property = propertyNamed(source, name);
        if (property.isValid())
            connectChange(source, property, "onValueChangedForMethod()");
    }
    hold(source, target);
    this->method = found;
    this->targetProperty = to;
    onValueChangedForMethod();
    return true;
}

void PropertyBinder::connectChange(QObject* object, const QMetaProperty& property, const char* slot)
{
    if (!property.hasNotifySignal())
        return;
    const QMetaMethod handler = metaObject()->method(metaObject()->indexOfSlot(slot));
    connections << connect(object, property.notifySignal(), this, handler);
}

void PropertyBinder::hold(QObject* source, QObject* target)
{
    for (QObject* object : {source, target})
        connections << connect(object, &QObject::destroyed, this, &PropertyBinder::destroyBinding);
    this->source = source;
    this->target = target;
}

void PropertyBinder::listMethods(const QObject* source, const QString& method)
{
    QString text = QStringLiteral("Method %1 not found, available methods are:").arg(method);
    const QMetaObject* meta = source->metaObject();
    for (int index = 0; index < meta->methodCount(); ++index)
        text += u' ' + QString::fromUtf8(meta->method(index).name());
    GlobalConsole::writeItem(text.toHtmlEscaped(), QStringLiteral("Error"));
}

void PropertyBinder::writeProperty(QObject* from, QObject* to, const QMetaProperty& fromProperty,
                                   const QMetaProperty& toProperty)
{
    if (!from || !to)
        return;
    const QVariant value = fromProperty.read(from);
    if (value != toProperty.read(to))
        toProperty.write(to, value);
}

void PropertyBinder::onValueChanged1()
{
    writeProperty(source, target, sourceProperty, targetProperty);
}

void PropertyBinder::onValueChanged2()
{
    writeProperty(target, source, targetProperty, sourceProperty);
}

void PropertyBinder::onValueChangedForMethod()
{
    if (!source || !target)
        return;
    QVariant result(method.returnMetaType());
    if (!method.invoke(source, Qt::AutoConnection, QGenericReturnArgument(method.typeName(), result.data())))
        return;
    const QSignalBlocker blocker(target);
    targetProperty.write(target, result);
}

void PropertyBinder::destroyBinding()
{
    connections.clear();
    source = nullptr;
    target = nullptr;
}
