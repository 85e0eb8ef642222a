#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

class AbstractMetaDescriptor;

// The narrow face of a settings object for views and helpers that only need values by name.
class AbstractSettings : public QObject
{
    Q_OBJECT
public:
    explicit AbstractSettings(QObject* parent = nullptr);

    virtual AbstractMetaDescriptor* metaDescriptor() = 0;
    virtual QVariant getValue(const QString& name, const QVariant& defaultValue = QVariant());
    virtual bool setValue(const QString& name, const QVariant& value) = 0;

signals:
    void propertyChanged(QString name);
};
