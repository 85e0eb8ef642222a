#pragma once

#include "AbstractMetaDescriptor.h"

#include <QMetaProperty>

Q_DECLARE_METATYPE(QMetaProperty*)

// The descriptor of a QObject: one MetaDescription per writable property of its most-derived
// class and its bases, in declaration order ("objectName" excluded).
class MetaDescriptor : public AbstractMetaDescriptor
{
    Q_OBJECT
    Q_PROPERTY(QMetaProperty* item READ getItem WRITE setItem NOTIFY itemChanged)
public:
    explicit MetaDescriptor(QObject* parent = nullptr);

    void set(QObject* described) override;
    QString getClassName() override;
    bool acceptsRootName(const QString& name) override;
    void parse(QObject* described);

    QMetaProperty* getItem() const;
    void setItem(QMetaProperty* newItem);

signals:
    void itemChanged(QMetaProperty* item);

private:
    QMetaProperty* item = nullptr;
    QObject* object = nullptr;
};
