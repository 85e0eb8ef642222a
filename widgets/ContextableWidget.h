#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

// A widget that shows one object and reacts whenever that object is set, replaced or not.
class ContextableWidget : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QObject* context READ getContext WRITE setContext NOTIFY contextChanged)

public:
    explicit ContextableWidget(QWidget* parent = nullptr);

    void setContext(QObject* value);
    QObject* getContext() const;

signals:
    void contextChanged(QObject* value);

protected:
    virtual void onContextChanged() = 0;

private:
    // Guarded: the context is not owned and may be destroyed first.
    QPointer<QObject> context;
};
