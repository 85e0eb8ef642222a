#pragma once

#include <QWidget>

// The console's items beside its averages and statuses, in splitters.
class GlobalConsoleTotalWidget : public QWidget
{
    Q_OBJECT

public:
    explicit GlobalConsoleTotalWidget(QWidget* parent = nullptr);

signals:
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;
};
