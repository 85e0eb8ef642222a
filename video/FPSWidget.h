#pragma once

#include "FrameRateCounter.h"

#include <QLabel>
#include <QPointer>
#include <QWidget>

// A one-line label showing a counter's rate; it follows the counter only while visible.
class FPSWidget : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(FrameRateCounter* counter READ getCounter WRITE setCounter NOTIFY counterChanged)

public:
    explicit FPSWidget(FrameRateCounter* counter = nullptr, QWidget* parent = nullptr);

    void setCounter(FrameRateCounter* counter);
    FrameRateCounter* getCounter() const;
    void setSuffix(const QString& suffix);
    QString text() const;

signals:
    void counterChanged(FrameRateCounter* value);

public slots:
    void frameRateChanged(double value);

private:
    // Guarded: a counter may be destroyed before the widget.
    QPointer<FrameRateCounter> counter;
    QLabel* label = nullptr;
    QString suffix;
};
