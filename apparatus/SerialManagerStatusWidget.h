#pragma once

#include "SerialPortManager.h"

#include <QWidget>

class QDateTime;
class QLabel;
class QTimer;
struct SerialPortEntry;

// A service view of every serial port with the owner that holds it in SerialPortManager, so a
// technician sees at a glance which board sits on which port and where the prober is busy.
class SerialManagerStatusWidget : public QWidget
{
    Q_OBJECT
public:
    static constexpr int refreshIntervalMs = 1000;

    explicit SerialManagerStatusWidget(QWidget* parent = nullptr);
    ~SerialManagerStatusWidget() override;

    QString statusText() const;

    // The table for the current ports, headed by the given time.
    static QString buildStatusText(const QDateTime& now);

public slots:
    void refresh();

private:
    static QString headerRow();
    static QString portRow(const SerialPortEntry& entry, const SerialPortManager::PortState* held);

    QLabel* m_label = nullptr;
    QTimer* m_refreshTimer = nullptr;
};
