#pragma once

#include "CurlyDevice.h"

// The controller board of the current chamber: answers "iamkestrum" and reports its serial
// number and firmware version as key=value text.
class CurlyKestrumDevice : public CurlyDevice
{
    Q_OBJECT
public:
    static constexpr int SerialNumberRandomMin = 101;
    static constexpr int SerialNumberRandomMax = 998;

    explicit CurlyKestrumDevice(QSerialPort* port, QObject* parent = nullptr);
    ~CurlyKestrumDevice() override;

public slots:
    QString deviceTypeName() const override;
    QString greetingText() const override;
    QString generateSerialNumber() override;
    void handleMessage(const QString& msg) override;
    void requestIdentification() override;

protected:
    QString safeStateMessage() const override;
};
