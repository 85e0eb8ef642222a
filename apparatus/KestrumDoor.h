#pragma once

#include "CurlyDevice.h"

class QTimer;

// The motorised door unit of a classic chamber: a text board on its own port. It is polled for
// its position once a second and opened or closed on request.
class KestrumDoor : public CurlyDevice
{
    Q_OBJECT
public:
    enum DoorState { DoorOpen = 0, DoorClosed = 1, DoorMiddle = 2 };
    Q_ENUM(DoorState)

    static constexpr int pollIntervalMs = 1000;

    explicit KestrumDoor(QSerialPort* port, QObject* parent = nullptr);

    DoorState doorState() const;
    // Sends "open" even when the board last reported the door open: a close may still be on its
    // way, and the poll reports it late. All-off uses it; an open door is always safe.
    void openWhateverReported();
    int minDrive() const;
    int maxDrive() const;
    bool stepsEnabled() const;
    int stepTime() const;
    int step() const;
    int rawPosition() const;

    QString deviceTypeName() const override;
    QString greetingText() const override;
    QString generateSerialNumber() override;
    void handleMessage(const QString& msg) override;
    void requestIdentification() override;

public slots:
    void openDoor();
    void closeDoor();
    void setOpened(bool open);
    void poll();

signals:
    void opened();
    void closed();
    void doorStateChanged(KestrumDoor::DoorState state);
    void stepChanged(int value);
    void stepTimeChanged(int value);
    void stepsEnabledChanged(bool enabled);
    void minDriveChanged(int min);
    void maxDriveChanged(int max);
    void rawPosChanged(int value);

private:
    // Position and motor reports; anything else is not understood and left alone.
    void handleReport(const QString& msg);
    void handleSerialNumberReply(const QString& msg);
    void reportState(DoorState state);

    int m_minDrive = 0;
    int m_maxDrive = 0;
    bool m_stepsEnabled = false;
    int m_stepTime = 0;
    int m_step = 0;
    DoorState m_doorState = DoorMiddle;
    int m_rawPosition = 0;
    QTimer* m_pollTimer = nullptr;
};

Q_DECLARE_METATYPE(KestrumDoor::DoorState)
