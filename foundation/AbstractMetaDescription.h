#pragma once

#include <QMap>
#include <QMetaEnum>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <climits>

// One uniform view of one described property: its name and type, its current value and the
// editor attributes declared for it. The fields are public data that the property editors,
// the file formats and the capability reports read directly.
class AbstractMetaDescription : public QObject
{
    Q_OBJECT
public:
    explicit AbstractMetaDescription(QObject* parent = nullptr);

    QString defaultText;
    double minimum = 0;
    double maximum = 0;
    double step = 0;
    int maxWidth = -1;
    int minWidth = -1;
    QString typeName;
    QString displayName;
    QMap<QString, QString> visibleBound;
    QString name;
    QString category;
    QString pickOption;
    QString pickExtensions;
    QString specialType;
    QString suffix;
    QString prefix;
    QStringList enums;
    QString icon;
    QMap<QString, QString> extraInfo;
    int typeId = 0;
    int priority = INT_MAX;
    bool showDefault = true;
    bool readOnly = false;
    bool editable = false;
    bool visible = true;
    bool boundVisible = true;
    bool hasMinimum = false;
    bool hasMaximum = false;
    bool hasDefault = false;
    bool hasStep = false;
    bool hasSpecialType = false;
    bool hasMinWidth = false;
    bool hasMaxWidth = false;

    virtual QMetaEnum enumerator() = 0;
    virtual bool isEnumType() = 0;

public slots:
    virtual bool setValue(const QVariant& value) = 0;
    virtual QVariant getValue() = 0;
    virtual void setDefault() = 0;
    virtual void valueChangedSlot() = 0;
    virtual bool setTextValue(QString text) = 0;

public:
    // The real type of the value, also for an enumeration whose typeName reads "Enum".
    virtual QMetaType valueMetaType() const = 0;

signals:
    void valueChanged(QVariant value);
};
