#pragma once

#include <QObject>
#include <QString>

// A single text value that announces every assignment, also of an unchanged text, and that a
// descriptor lists as the editable described property Value.
class NotifyString : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString Value READ getValue WRITE setValue NOTIFY changedValue)
    Q_CLASSINFO("ValueEditable", "true")
public:
    Q_INVOKABLE explicit NotifyString(const QString& value = QString(), QObject* parent = nullptr);

    Q_INVOKABLE QString getValue() const;
    Q_INVOKABLE void setValue(const QString& value);

signals:
    void changedValue(const QString& value);

private:
    QString value;
};
