#pragma once

#include "AbstractMetaDescription.h"

#include <QMetaProperty>

// The description of one Q_PROPERTY of a settings object, read from the property and the
// class-info pairs named after it. The value is never cached: every read goes to the object.
class MetaDescription : public AbstractMetaDescription
{
    Q_OBJECT
public:
    explicit MetaDescription(QObject* parent = nullptr);

    int propertyIndex = 0;
    QObject* object = nullptr;

    QMetaEnum enumerator() override;
    bool isEnumType() override;
    QMetaType valueMetaType() const override;
    QMetaProperty metaprop() const;

    QString clinfo(const QString& word) const;
    int clindex(const QString& word) const;
    QString getClassInfo(const QString& word) const;
    QString stringForAlias(const QString& word) const;

    static bool parsePointOrSize(QString text, double& first, double& second);
    static bool assignDouble(double& target, QString text);
    static bool assignInt(int& target, const QString& text);

public slots:
    void set(int index, QObject* described);
    bool setValue(const QVariant& value) override;
    QVariant getValue() override;
    void setDefault() override;
    void valueChangedSlot() override;
    bool setTextValue(QString text) override;

private:
    void readFlags();
    void readDefault();
    QString processedDefault(const QString& raw);
    QString defaultFromFunction(const QString& functionName);
    void readVisibleBound();
    void readNumbersAndTexts();
    void readEditorHints();
    void connectNotifySignal();
};
