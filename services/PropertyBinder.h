#pragma once

#include "ConnectionHelper.h"

#include <QList>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QObject>
#include <QPointer>
#include <QString>

// Keeps a property of one object equal to a property of another, found by name at run time and
// driven by their change signals; or feeds a target property from the result of a method of the
// source, worked out again whenever one of a list of source properties changes. One binding at
// a time; the binder never owns the objects, and the destruction of either ends the binding.
class PropertyBinder : public QObject
{
    Q_OBJECT

public:
    enum BindingMode {
        TwoWay = 0,
        OneWay = 1,
        OneTime = 2,
    };
    Q_ENUM(BindingMode)

    explicit PropertyBinder(QObject* parent = nullptr);
    ~PropertyBinder() override;

    // Copies the source's value to the target at once, then as the mode says. False, and
    // unbound, when an object is missing or lacks the named property.
    bool bind(QObject* source, QObject* target, const QString& sourceProperty, const QString& targetProperty,
              BindingMode mode = TwoWay);
    // Writes the result of the source's method (by its signature, as "sum()") to the target's
    // property at once and after every change of the listed source properties; names the
    // source lacks are passed over. False, and unbound, when an object is missing, no property
    // is listed, the target lacks its property or the source lacks a method with a result (the
    // console then lists the source's methods).
    bool bind(QObject* source, QObject* target, const QList<QString>& sourceProperties, const QString& method,
              const QString& targetProperty);

    // Writes the first object's value to the second object's property when they differ.
    static void writeProperty(QObject* from, QObject* to, const QMetaProperty& fromProperty,
                              const QMetaProperty& toProperty);

private slots:
    void onValueChanged1();
    void onValueChanged2();
    void onValueChangedForMethod();
    void destroyBinding();

private:
    void connectChange(QObject* object, const QMetaProperty& property, const char* slot);
    // Keeps the two objects, unbinding when either is destroyed.
    void hold(QObject* source, QObject* target);
    static void listMethods(const QObject* source, const QString& method);

    ConnectionHelper connections;
    QPointer<QObject> source;
    QPointer<QObject> target;
    QMetaProperty sourceProperty;
    QMetaProperty targetProperty;
    QMetaMethod method;
};
