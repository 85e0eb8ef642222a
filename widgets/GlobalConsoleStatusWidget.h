#pragma once

#include "ConnectionHelper.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QWidget>

class QGridLayout;
class QLabel;

// A two-column grid of the message console's named statuses or named running averages, in name
// order, kept current through the console's signals (queued, so they may come from any
// thread). Names and values show as plain text.
class GlobalConsoleStatusWidget : public QWidget
{
    Q_OBJECT

public:
    enum ViewType { Averages = 0, Status = 1 };
    Q_ENUM(ViewType)

    explicit GlobalConsoleStatusWidget(ViewType type = Status, QWidget* parent = nullptr);

    // The name-and-text and name-and-value slots below would hide the repaint ones.
    using QWidget::update;

public slots:
    void refill();
    void update(const QString& name, const QString& text);
    void update(const QString& name, double value);
    void updateAll();
    // Decimals of the averages, from the next update on.
    void setPrecision(quint8 decimals);

private:
    QString formatted(double value) const;
    void dropRows();
    void addRow(int row, const QString& name, const QString& nameStyle);

    QMap<QString, QLabel*> valueLabels;
    QList<QWidget*> createdWidgets;
    QGridLayout* grid;
    ViewType viewType;
    quint8 precision = 2;
    ConnectionHelper connections;
};
