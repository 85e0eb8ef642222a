#include "KestrumBaseDevice.h"
#include "MusicHelper.h"
#include "VirtualKestrumDevice.h"

#include <QMetaEnum>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <thread>

namespace {

// Records the calls that reach the implementation, and the thread they ran in.
class RecordingChamber : public KestrumBaseDevice
{
public:
    QStringList calls;
    QList<QThread*> threads;
    // A call that itself switches something off, as a timer step does.
    bool lightOffInsideCircuit = false;

    bool hasDoor() const override { return false; }
    bool doorAttached() const override { return false; }

protected:
    void applyStart() override {}
    bool applyOpenDevicePort() override { return true; }
    void applyShutdown() override {}
    void applyCloseDevice() override {}
    void applyWriteSerialNumber(const QString&) override {}
    void applyDispose() override {}
    void record(const QString& call)
    {
        calls.append(call);
        threads.append(QThread::currentThread());
    }
    void applyAllOff() override { record("off"); }
    void applyCircuit(double mA, int duration) override
    {
        record(QStringLiteral("circuit %1 %2").arg(mA).arg(duration));
        if (lightOffInsideCircuit)
            lightOff();
    }
    void applyLightLevels(int left, int right, int duration) override
    {
        record(QStringLiteral("light %1 %2 %3").arg(left).arg(right).arg(duration));
    }
    void applySound(KestrumSide side, int tone, int duration) override
    {
        record(QStringLiteral("sound %1 %2 %3").arg(int(side)).arg(tone).arg(duration));
    }
    void applyDoorOpen(bool open) override { record(open ? "open" : "close"); }
};

} // namespace

class TestKestrumBaseDevice : public QObject
{
    Q_OBJECT

private slots:
    void helpersMapToLevels()
    {
        RecordingChamber chamber;
        chamber.setLight(KestrumBaseDevice::Right, 150, 40);
        chamber.setLight(KestrumBaseDevice::Both, -5, 41);
        chamber.setLight(KestrumBaseDevice::Left, 30, 42);
        chamber.setLight(KestrumBaseDevice::Both, 70, 43);
        chamber.lightOff();
        chamber.soundOff();
        chamber.circuitOff();
        chamber.invokeSlot();
        QCOMPARE(chamber.calls, (QStringList{"light 0 100 40", "light 0 0 41", "light 30 0 42", "light 70 70 43",
                                             "light 0 0 -1", "sound 2 0 -1", "circuit 0 -1", "circuit 0 -1"}));
    }

    void statusChangesAreReportedOnce()
    {
        RecordingChamber chamber;
        QCOMPARE(chamber.statusConnect(), BaseDevice::NotConnected);
        QSignalSpy connectedSpy(&chamber, &BaseDevice::connected);
        QSignalSpy disconnectedSpy(&chamber, &BaseDevice::disconnected);
        chamber.setStatusConnect(BaseDevice::Connecting);
        QCOMPARE(connectedSpy.count() + disconnectedSpy.count(), 0);
        chamber.setStatusConnect(BaseDevice::Connected);
        chamber.setStatusConnect(BaseDevice::Connected);
        QCOMPARE(connectedSpy.count(), 1);
        chamber.setStatusConnect(BaseDevice::NotConnected);
        QCOMPARE(disconnectedSpy.count(), 1);
    }

    void enumerationsAreRegisteredByName()
    {
        RecordingChamber chamber;
        QVERIFY(QMetaType::fromName("KestrumSide").isValid());
        QVERIFY(QMetaType::fromName("KestrumSideness").isValid());
        QVERIFY(QMetaType::fromName("KestrumAction").isValid());
        QCOMPARE(QMetaEnum::fromType<KestrumBaseDevice::KestrumAction>().valueToKey(1), "Circuit");
        QCOMPARE(QMetaEnum::fromType<KestrumBaseDevice::KestrumSideness>().valueToKey(1), "RightSide");
        QString printed;
        QDebug(&printed) << KestrumBaseDevice::Both;
        QVERIFY2(printed.contains("Both"), qPrintable(printed));
    }

    void callsFromAnotherThreadRunInTheDeviceThreadInOrder()
    {
        RecordingChamber chamber;
        std::thread detector([&chamber] {
            for (int i = 0; i < 100; ++i)
                chamber.setLightLevels(i, 0, 0);
            chamber.setSound(KestrumBaseDevice::Left, 500, 0);
            chamber.setCircuit(1.5, 0);
            chamber.setDoorOpen(true);
            chamber.allOff();
        });
        detector.join();
        QVERIFY(chamber.calls.isEmpty());
        QTRY_COMPARE(chamber.calls.size(), 104);
        for (int i = 0; i < 100; ++i)
            QCOMPARE(chamber.calls[i], QStringLiteral("light %1 0 0").arg(i));
        QCOMPARE(chamber.calls.mid(100), (QStringList{"sound 0 500 0", "circuit 1.5 0", "open", "off"}));
        for (QThread* thread : std::as_const(chamber.threads))
            QCOMPARE(thread, QThread::currentThread());
    }

    void aDirectCallWaitsForCallsQueuedBeforeIt()
    {
        RecordingChamber chamber;
        std::thread detector([&chamber] { chamber.setCircuit(2.0, 0); });
        detector.join();
        chamber.allOff();
        QCOMPARE(chamber.calls, (QStringList{"circuit 2 0", "off"}));
        QTest::qWait(0);
        QCOMPARE(chamber.calls.size(), 2);
    }

    void aCallInsideACallKeepsItsPlace()
    {
        RecordingChamber chamber;
        chamber.lightOffInsideCircuit = true;
        std::thread detector([&chamber] {
            chamber.setCircuit(1.0, 0);
            chamber.setSound(KestrumBaseDevice::Both, 100, 0);
        });
        detector.join();
        QTRY_COMPARE(chamber.calls.size(), 3);
        QCOMPARE(chamber.calls, (QStringList{"circuit 1 0", "light 0 0 -1", "sound 2 100 0"}));
    }

    void virtualChamberAcceptsEverythingQuietly()
    {
        VirtualKestrumDevice chamber;
        QCOMPARE(chamber.serialNumber(), QString("VirtualKestrum"));
        QCOMPARE(chamber.portName(), QString("VirtualCOM"));
        QCOMPARE(chamber.statusConnect(), BaseDevice::Connected);
        QVERIFY(chamber.version().isEmpty());
        QVERIFY(chamber.openDevicePort());
        QVERIFY(chamber.hasDoor());
        QVERIFY(!chamber.doorAttached());

        QList<QSignalSpy*> spies;
        for (auto signal :
             {&KestrumBaseDevice::onLightOn, &KestrumBaseDevice::onLightOff, &KestrumBaseDevice::onSoundOn,
              &KestrumBaseDevice::onSoundOff, &KestrumBaseDevice::onCircuitOn, &KestrumBaseDevice::onCircuitOff,
              &KestrumBaseDevice::doorChanged})
            spies.append(new QSignalSpy(&chamber, signal));
        chamber.setLight(KestrumBaseDevice::Both, 80, 100);
        chamber.setSound(KestrumBaseDevice::Left, 1000, 100);
        chamber.setCircuit(1.5, 100);
        chamber.setDoorOpen(true);
        chamber.allOff();
        chamber.writeSerialNumber("S1");
        chamber.shutdown();
        for (QSignalSpy* spy : std::as_const(spies))
            QCOMPARE(spy->count(), 0);
        qDeleteAll(spies);
        QCOMPARE(chamber.serialNumber(), QString("VirtualKestrum"));

        QSignalSpy disconnectedSpy(&chamber, &BaseDevice::disconnected);
        chamber.disconnectVirtual();
        QCOMPARE(disconnectedSpy.count(), 1);
        QCOMPARE(chamber.statusConnect(), BaseDevice::NotConnected);
    }

    void notesCarryTheirFrequencies()
    {
        const QMetaEnum notes = QMetaEnum::fromType<MusicHelper::Notes>();
        QCOMPARE(notes.keyToValue("None"), 0);
        QCOMPARE(notes.keyToValue("C0"), 16);
        QCOMPARE(notes.keyToValue("G1"), 49);
        QCOMPARE(notes.keyToValue("A4"), 440);
        QCOMPARE(notes.keyToValue("Bs4"), 523);
        QCOMPARE(notes.keyToValue("C5"), 523);
        QCOMPARE(notes.keyToValue("Cs3"), notes.keyToValue("Db3"));
        QCOMPARE(notes.keyToValue("B8"), 7902);
        QCOMPARE(notes.keyCount(), 1 + 9 * 17 + 1);
        QCOMPARE(QByteArray(notes.key(1)), QByteArray("C0"));
    }
};

QTEST_GUILESS_MAIN(TestKestrumBaseDevice)
#include "tst_kestrumbasedevice.moc"
