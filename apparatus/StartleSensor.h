#pragma once

#include "CurlyDevice.h"
#include "SensorSample.h"

#include <QFile>

#include <memory>
#include <optional>

// The force sensor under the chamber floor for the startle test: a text board streaming sample
// lines such as "x:-123,y:45,z:6,t:1200". Samples are reported relative to a calibration
// baseline and, while a recording is open, appended to its file.
class StartleSensor : public CurlyDevice
{
    Q_OBJECT
public:
    explicit StartleSensor(QSerialPort* port, QObject* parent = nullptr);
    ~StartleSensor() override;

    QString deviceTypeName() const override;
    QString probeRequest() const override;
    QString greetingText() const override;
    int baudRate() const override;
    QString generateSerialNumber() override;
    void handleMessage(const QString& msg) override;
    void requestIdentification() override;

    // These four may be called from any thread: they run in the sensor's own thread, where its
    // samples are recorded, in the order they were called.
    void calibrate();
    // Starts a recording into the file (replacing its content). False, with a console message,
    // when it cannot be opened or another sensor is recording into it.
    bool openRecordFile(const QString& path);
    void closeRecordFile();
    bool isRecording();

    static QString formatSampleLine(const SensorSample& sample, qint64 startMs);
    // Reads one sample line; pieces that are not "key:value", have unknown keys or carry no
    // number are skipped. Nothing when a number lies beyond what a sample may carry: such a
    // line is not a sample.
    static std::optional<SensorSample> parseSampleLine(const QString& line, qint64 defaultTimeMs);

signals:
    void sensorSample(SensorSample sample);

private:
    void handleSample(const QString& line);
    void takeBaseline();
    bool startRecording(const QString& path);
    void finishRecording();
    void handleSerialNumberReply(const QString& msg);
    void record(const SensorSample& sample);
    void reportRecordingFailure(const QString& what);
    void forgetRecordFile();

    float m_offsetX = 0.0f;
    float m_offsetY = 0.0f;
    float m_offsetZ = 0.0f;
    qint64 m_recordStartMs = -1;
    std::unique_ptr<QFile> m_recordFile;
    SensorSample m_lastRaw;
    bool m_calibrated = false;
};
