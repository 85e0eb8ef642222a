#include "Clock.h"
#include "CurlyKestrum.h"
#include "CurlyKestrumDevice.h"
#include "ScriptedBoard.h"
#include "SerialPortEnumerator.h"
#include "SerialPortManager.h"

#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <memory>
#include <thread>

namespace {

// The last command that set the grid: "off" switches it off as well as "grid=0.0".
QString lastGridCommand(const QStringList& messages)
{
    for (auto it = messages.crbegin(); it != messages.crend(); ++it) {
        if (*it == QLatin1String("off") || it->startsWith(QLatin1String("grid=")))
            return *it;
    }
    return QString();
}

bool switchesGridOff(const QString& command)
{
    return command == QLatin1String("off") || command == QLatin1String("grid=0.0");
}

} // namespace

class TestCurlyKestrum : public QObject
{
    Q_OBJECT

    ScriptedBoard* board = nullptr;
    CurlyKestrum* kestrum = nullptr;
    std::unique_ptr<ManualClock> clock;

    void createChamber()
    {
        QSerialPort* port = board->takePort("KestrumV4");
        QVERIFY(port);
        kestrum = new CurlyKestrum(port);
        kestrum->setClock(clock.get());
    }

    // A chamber that has identified itself, with its identification traffic cleared.
    void createIdentifiedChamber()
    {
        createChamber();
        QTRY_COMPARE(kestrum->serialNumber(), QString("S42612537"));
        QTRY_COMPARE(kestrum->version(), QString("4.2"));
        board->clearReceived();
    }

    // Sends what is queued and returns the messages that reached the board since the last call.
    QStringList flushed()
    {
        if (kestrum->curlyDevice())
            kestrum->curlyDevice()->exchangeTimerHandler();
        QTest::qWait(0);
        QStringList messages = board->receivedMessages();
        board->clearReceived();
        return messages;
    }

    void advance(qint64 ms)
    {
        clock->advance(ms);
        kestrum->stimulusTimerStep();
    }

private slots:
    void initTestCase() { SerialPortEnumerator::setSystemPortsIncluded(false); }

    void init()
    {
        clock = std::make_unique<ManualClock>(0, 1000);
        board = new ScriptedBoard();
        board->replyToFrame("sn", "{sn=S42612537}\r\n");
        board->replyToFrame("version", "{version=4.2}\r\n");
    }

    void cleanup()
    {
        delete kestrum;
        kestrum = nullptr;
        delete board;
        board = nullptr;
        QTest::qWait(0);
    }

    void identifiesItselfAndKeepsTheLineAlive()
    {
        createChamber();
        QSignalSpy connectedSpy(kestrum, &BaseDevice::connected);
        QSignalSpy serialSpy(kestrum, &BaseDevice::serialNumberFetched);
        QSignalSpy versionSpy(kestrum, &BaseDevice::versionFetched);
        // "sn" goes out twice (identification and connection), so each answer comes twice.
        QTRY_COMPARE(versionSpy.count(), 2);
        QCOMPARE(connectedSpy.count(), 1);
        QCOMPARE(kestrum->statusConnect(), BaseDevice::Connected);
        QCOMPARE(serialSpy.count(), 2);
        QCOMPARE(serialSpy.at(0).at(0).toString(), QString("S42612537"));
        QCOMPARE(versionSpy.at(0).at(0).toString(), QString("4.2"));
        QCOMPARE(kestrum->portName(), board->portName());
        QCOMPARE(board->receivedMessages().mid(0, 2), (QStringList{"sn", "sn"}));
        QVERIFY(board->receivedMessages().contains("version"));

        // Silence is filled with a bare "p" about once a second.
        board->clearReceived();
        QTRY_VERIFY_WITH_TIMEOUT(board->received().contains('p'), 5000);
        QVERIFY(!board->received().contains("{p}"));
    }

    void everyCommandHasItsBytes()
    {
        createIdentifiedChamber();
        kestrum->setCircuit(1.5, 0);
        kestrum->setLightLevels(30, 0, 0);
        kestrum->setSound(KestrumBaseDevice::Both, 1000, 0);
        kestrum->setSound(KestrumBaseDevice::Left, 1000, 0);
        kestrum->setSound(KestrumBaseDevice::Right, 2000, 0);
        // A door asked for on every frame is sent only when it changes; all-off opens it, since a
        // close may be on its way, and a close asked for after it goes out again.
        kestrum->setDoorOpen(true);
        kestrum->setDoorOpen(true);
        kestrum->setDoorOpen(false);
        kestrum->setDoorOpen(false);
        kestrum->writeSerialNumber("S42612999");
        kestrum->allOff();
        kestrum->setDoorOpen(false);
        kestrum->curlyDevice()->exchangeTimerHandler();
        const QByteArray expected = "{grid=1.5}{lightSide=30,0}{sound=B,1000}{sound=L,1000}{sound=R,2000}"
                                    "{openDoor}{closeDoor}{writesn=S42612999}{off}{openDoor}{closeDoor}";
        QVERIFY(board->waitForReceived(expected));
        QCOMPARE(board->received(), expected);
    }

    void valuesAreClampedAndWrittenInTheCLocale()
    {
        createIdentifiedChamber();
        QSignalSpy onSpy(kestrum, &KestrumBaseDevice::onCircuitOn);
        QSignalSpy offSpy(kestrum, &KestrumBaseDevice::onCircuitOff);
        kestrum->setCircuit(22.0, 0);
        kestrum->setCircuit(0.26, 0);
        kestrum->setCircuit(-1.0, 0);
        kestrum->setLight(KestrumBaseDevice::Right, 150, 0);
        kestrum->setLight(KestrumBaseDevice::Both, -5, 0);
        kestrum->setSound(KestrumBaseDevice::Both, 5000, 0);
        kestrum->setSound(KestrumBaseDevice::Both, -3, 0);
        QCOMPARE(flushed(), (QStringList{"grid=15.0", "grid=0.3", "grid=0.0", "lightSide=0,100", "lightSide=0,0",
                                         "sound=B,4000", "sound=B,0"}));
        QCOMPARE(onSpy.count(), 2);
        QCOMPARE(offSpy.count(), 1);
    }

    void repeatedStimuliSendOnceAndReArm()
    {
        createIdentifiedChamber();
        kestrum->setLightLevels(30, 0, 1000);
        advance(500);
        kestrum->setLightLevels(30, 0, 1000);
        QCOMPARE(flushed(), QStringList{"lightSide=30,0"});
        advance(900);
        QCOMPARE(flushed(), QStringList());
        advance(100);
        QCOMPARE(flushed(), QStringList{"lightSide=0,0"});
    }

    void timedSoundEndsAfterItsDuration()
    {
        createIdentifiedChamber();
        QSignalSpy offSpy(kestrum, &KestrumBaseDevice::onSoundOff);
        kestrum->setSound(KestrumBaseDevice::Both, 5000, 200);
        QCOMPARE(flushed(), QStringList{"sound=B,4000"});
        advance(150);
        QCOMPARE(flushed(), QStringList());
        advance(50);
        QCOMPARE(flushed(), QStringList{"sound=B,0"});
        QCOMPARE(offSpy.count(), 1);
        advance(1000);
        QCOMPARE(offSpy.count(), 1);
    }

    void timedGridEndsWithGridOff()
    {
        createIdentifiedChamber();
        kestrum->setCircuit(1.5, 300);
        advance(350);
        // The step that ended the grid wrote it out, rather than leaving it for the next
        // exchange step.
        QCOMPARE(kestrum->curlyDevice()->pendingSendCount(), 0);
        const QStringList messages = flushed();
        QCOMPARE(messages, (QStringList{"grid=1.5", "grid=0.0"}));
    }

    void untilChangedDisarmsAnEarlierOffTime()
    {
        createIdentifiedChamber();
        kestrum->setCircuit(1.5, 300);
        kestrum->setCircuit(1.5, 0);
        kestrum->setLightLevels(20, 20, 300);
        kestrum->setLightLevels(20, 20, -1);
        kestrum->setSound(KestrumBaseDevice::Left, 800, 300);
        kestrum->setSound(KestrumBaseDevice::Left, 800, 0);
        advance(10000);
        QCOMPARE(flushed(), (QStringList{"grid=1.5", "lightSide=20,20", "sound=L,800"}));
    }

    void anInvalidSerialNumberIsReplaced()
    {
        board->clearRules();
        board->replyToFrame("sn", "{sn=000000}\r\n");
        createChamber();
        QSignalSpy serialSpy(kestrum, &BaseDevice::serialNumberFetched);
        QVERIFY(board->waitForReceived("writesn="));
        QTest::qWait(200);
        const QStringList writes = board->receivedMessages().filter("writesn=");
        QVERIFY(!writes.isEmpty());
        const QRegularExpression scheme(
            QStringLiteral("^writesn=S4%1(\\d{3})$").arg(QDate::currentDate().toString(QStringLiteral("yyMM"))));
        const auto match = scheme.match(writes.first());
        QVERIFY2(match.hasMatch(), qPrintable(writes.first()));
        QVERIFY(match.captured(1).toInt() >= 101 && match.captured(1).toInt() <= 998);
        QCOMPARE(serialSpy.count(), 0);
        QVERIFY(!board->receivedMessages().contains("version"));
        QVERIFY(kestrum->serialNumber().isEmpty());
    }

    void invalidSerialNumberReplies()
    {
        QVERIFY(CurlyKestrumDevice::isInvalidSerialNumberReply("sn=000000"));
        QVERIFY(CurlyKestrumDevice::isInvalidSerialNumberReply("sn="));
        QVERIFY(CurlyKestrumDevice::isInvalidSerialNumberReply("sn=yy12"));
        QVERIFY(!CurlyKestrumDevice::isInvalidSerialNumberReply("sn=S42612537"));
        QVERIFY(!CurlyKestrumDevice::isInvalidSerialNumberReply("sn=0000000"));
    }

    void shortVersionRepliesAndNoiseAreHandled()
    {
        board->clearRules();
        board->replyToFrame("sn", "S,1,2\r\n{sn=S42612537}\r\n");
        board->replyToFrame("version", "{v=5.1}\r\n");
        createChamber();
        QTRY_COMPARE(kestrum->version(), QString("5.1"));
        QCOMPARE(kestrum->serialNumber(), QString("S42612537"));
    }

    void allOffLeavesTheGridOff()
    {
        createIdentifiedChamber();
        kestrum->setCircuit(3.0, 0);
        kestrum->allOff();
        QCOMPARE(lastGridCommand(flushed()), QString("off"));
        // Everything was forgotten, so the same stimulus is sent again.
        kestrum->setCircuit(3.0, 0);
        QCOMPARE(flushed(), QStringList{"grid=3.0"});
    }

    void shutdownSwitchesOffBeforeClosing()
    {
        createIdentifiedChamber();
        QPointer<QSerialPort> port = kestrum->curlyDevice()->port();
        QSignalSpy disconnectedSpy(kestrum, &BaseDevice::disconnected);
        kestrum->setCircuit(2.5, 0);
        kestrum->setLight(KestrumBaseDevice::Left, 50, 0);
        kestrum->shutdown();
        const QStringList messages = board->receivedMessages();
        QCOMPARE(messages.last(), QString("off"));
        QVERIFY(messages.contains("grid=2.5"));
        QVERIFY(messages.contains("lightSide=50,0"));
        QTRY_VERIFY(port.isNull());
        QTRY_COMPARE(disconnectedSpy.count(), 1);
        QCOMPARE(kestrum->statusConnect(), BaseDevice::NotConnected);
        // Stimuli after the shutdown go nowhere.
        kestrum->setCircuit(5.0, 0);
        QCOMPARE(lastGridCommand(flushed()), QString("off"));
    }

    void disposeSwitchesOffBeforeReleasing()
    {
        createIdentifiedChamber();
        kestrum->setCircuit(2.5, 5000);
        kestrum->dispose();
        QCOMPARE(lastGridCommand(board->receivedMessages()), QString("off"));
        QCOMPARE(board->receivedMessages().last(), QString("off"));
        QVERIFY(!kestrum->curlyDevice());
        QCOMPARE(kestrum->portName(), QString("COM?"));
        QVERIFY(SerialPortManager::instance()->ports().isEmpty());
    }

    void droppingTheChamberSwitchesItOff()
    {
        createIdentifiedChamber();
        kestrum->setCircuit(2.5, 0);
        delete kestrum;
        kestrum = nullptr;
        QCOMPARE(board->receivedMessages().last(), QString("off"));
        QVERIFY(board->receivedMessages().contains("grid=2.5"));
        QTest::qWait(0);
        QVERIFY(SerialPortManager::instance()->ports().isEmpty());
    }

    void losingThePortDisconnectsOnce()
    {
        createIdentifiedChamber();
        QSignalSpy disconnectedSpy(kestrum, &BaseDevice::disconnected);
        kestrum->setCircuit(2.5, 0);
        board->closeFarEnd();
        QTRY_COMPARE(disconnectedSpy.count(), 1);
        QTest::qWait(200);
        QCOMPARE(disconnectedSpy.count(), 1);
        QCOMPARE(kestrum->statusConnect(), BaseDevice::NotConnected);
        QTRY_VERIFY(!kestrum->curlyDevice()->port());
        QVERIFY(SerialPortManager::instance()->ports().isEmpty());
        QCOMPARE(kestrum->curlyDevice()->pendingSendCount(), 0);
    }

    void detectorThreadCallsKeepTheirOrder()
    {
        createIdentifiedChamber();
        std::thread detector([this] {
            for (int level = 1; level <= 40; ++level)
                kestrum->setLightLevels(level, 0, 0);
            kestrum->setCircuit(1.5, 0);
            kestrum->setSound(KestrumBaseDevice::Left, 700, 0);
        });
        detector.join();
        QTRY_VERIFY(flushedUntil("sound=L,700"));
        QStringList expected;
        for (int level = 1; level <= 40; ++level)
            expected.append(QStringLiteral("lightSide=%1,0").arg(level));
        expected << "grid=1.5"
                 << "sound=L,700";
        QCOMPARE(collected, expected);
    }

    void aStopFromTheUserInterfaceComesAfterDetectorCalls()
    {
        createIdentifiedChamber();
        std::thread detector([this] {
            for (int i = 0; i < 20; ++i)
                kestrum->setCircuit(1.0 + i * 0.5, 0);
        });
        detector.join();
        // The detector's calls are still queued when the stop comes; they must not follow it.
        kestrum->shutdown();
        const QStringList messages = board->receivedMessages();
        QCOMPARE(messages.last(), QString("off"));
        QVERIFY(messages.contains("grid=10.5"));
        QTest::qWait(100);
        QCOMPARE(board->receivedMessages(), messages);
    }

    void lastGridCommandHelperReadsStopPaths()
    {
        QVERIFY(switchesGridOff(lastGridCommand({"grid=1.5", "lightSide=0,0", "grid=0.0"})));
        QVERIFY(!switchesGridOff(lastGridCommand({"off", "grid=1.5"})));
    }

private:
    QStringList collected;

    bool flushedUntil(const QString& message)
    {
        collected += flushed();
        return collected.contains(message);
    }
};

QTEST_GUILESS_MAIN(TestCurlyKestrum)
#include "tst_curlykestrum.moc"
