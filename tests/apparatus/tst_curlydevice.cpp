#include "CurlyDevice.h"
#include "GlobalConsole.h"
#include "ScriptedBoard.h"
#include "SerialPortEnumerator.h"
#include "SerialPortManager.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTest>

namespace {

const QString TestType = QStringLiteral("TestCurly");

// The smallest board: remembers what it was told and switches off with "off".
class RecordingBoard : public CurlyDevice
{
public:
    using CurlyDevice::CurlyDevice;

    QString deviceTypeName() const override { return TestType; }
    QString generateSerialNumber() override { return QStringLiteral("T1"); }
    QString greetingText() const override { return QStringLiteral("iamtest"); }
    void handleMessage(const QString& msg) override { messages.append(msg); }
    void requestIdentification() override { sendMessage(QStringLiteral("sn")); }
    bool handleRawBytes(const QByteArray&) override
    {
        ++chunks;
        return false;
    }
    int deduplicationWindow() const override { return window; }

    QStringList messages;
    int chunks = 0;
    int window = 0;

protected:
    QString safeStateMessage() const override { return QStringLiteral("off"); }
};

} // namespace

class TestCurlyDevice : public QObject
{
    Q_OBJECT

    ScriptedBoard* board = nullptr;
    RecordingBoard* device = nullptr;

    void openDevice()
    {
        QSerialPort* port = board->takePort(TestType);
        QVERIFY(port);
        device = new RecordingBoard(port);
        device->openPort();
    }

    // Opens the device and waits until its identification request is on the wire.
    void openDeviceQuietly()
    {
        openDevice();
        QVERIFY(board->waitForReceived("{sn}"));
        board->clearReceived();
    }

private slots:
    void initTestCase() { SerialPortEnumerator::setSystemPortsIncluded(false); }

    void init()
    {
        board = new ScriptedBoard();
        QVERIFY(board->isValid());
    }

    void cleanup()
    {
        delete device;
        device = nullptr;
        delete board;
        board = nullptr;
    }

    void openingConnectsAndAsksForTheSerialNumber()
    {
        QSerialPort* port = board->takePort(TestType);
        QVERIFY(port);
        device = new RecordingBoard(port);
        QSignalSpy connectedSpy(device, &CurlyDevice::connectedChanged);
        QSignalSpy nameSpy(device, &CurlyDevice::gotPortName);
        device->openPort();
        QCOMPARE(connectedSpy.count(), 1);
        QCOMPARE(connectedSpy.at(0).at(0).toBool(), true);
        QCOMPARE(nameSpy.at(0).at(0).toString(), board->portName());
        QVERIFY(board->waitForReceived("{sn}"));
        QCOMPARE(board->received(), QByteArray("{sn}"));
    }

    void queuedCommandsLeaveInOneStepInOrder()
    {
        openDeviceQuietly();
        device->sendMessage("lightSide=30,0");
        device->sendMessage("grid=1.5");
        device->sendMessage("sound=B,4000");
        QCOMPARE(device->pendingSendCount(), 3);
        device->exchangeTimerHandler();
        QCOMPARE(device->pendingSendCount(), 0);
        QVERIFY(board->waitForReceived("{sound=B,4000}"));
        QCOMPARE(board->received(), QByteArray("{lightSide=30,0}{grid=1.5}{sound=B,4000}"));
    }

    void theExchangeTimerSendsWithoutHelp()
    {
        openDevice();
        device->sendMessage("openDoor");
        QVERIFY(board->waitForReceived("{openDoor}"));
    }

    void longMessagesArriveWhole()
    {
        openDevice();
        const QString text(300, QLatin1Char('w'));
        device->sendMessage(text);
        QVERIFY(board->waitForReceived(text.toLatin1() + "}"));
        QCOMPARE(board->receivedMessages().last(), text);
    }

    void keepAliveFillsSilenceOnly()
    {
        openDevice();
        device->setKeepAlive("p", 1000, false);
        QVERIFY(board->waitForReceived("{sn}"));
        QTRY_COMPARE_WITH_TIMEOUT(board->received().count('p'), 2, 5000);
        QVERIFY(!board->received().contains("{p}"));

        // A steady flow of commands leaves no silence to fill.
        board->clearReceived();
        for (int i = 0; i < 30; ++i) {
            device->sendMessage("x");
            QTest::qWait(100);
        }
        const QByteArray flow = board->received();
        QCOMPARE(flow.count('p'), 0);
        QCOMPARE(flow.count("{x}"), 30);
    }

    void keepAliveIntervalHasAFloor()
    {
        RecordingBoard unattached(nullptr);
        unattached.setKeepAlive("ping", 20, true);
        QCOMPARE(unattached.keepAliveInterval(), 50);
        QCOMPARE(unattached.currentPortName(), QString("COM?"));
        unattached.sendMessage("ignored");
        QCOMPARE(unattached.pendingSendCount(), 0);
    }

    // A serial number with unprintable characters is line noise, one that is no plain file name
    // would lead the board's settings file out of its folder, and one too long for a file name
    // leaves the board's settings unsaved: the board never sees any of them.
    void repliesReachTheBoardInOrder()
    {
        openDevice();
        board->send(QByteArray("{sn=T4\x01\x00"
                               "2}{sn=T\x7F}",
                               17));
        board->send("{sn=../../x}{sn=.T42}{sn=T\\42}{sn=T 42}");
        const QByteArray longest(CurlyDevice::MaxSerialNumberLength, 'S');
        board->send("{sn=" + longest + "T}{sn=" + QByteArray(300, 'A') + "}");
        board->send("{iamtest}\r\n{sn=T-4_2}{sn=" + longest + "}");
        board->send("\r\nversion=1.0\r\n");
        QTRY_COMPARE(device->messages, (QStringList{"iamtest", "sn=T-4_2", "sn=" + longest, "version=1.0"}));
        QTRY_VERIFY(GlobalConsole::currentText().contains("reported a serial number longer than 32 characters"));
    }

    void aCharacterSplitAcrossReadsSurvives()
    {
        openDevice();
        const QByteArray text = QStringLiteral("{имя=Камера}").toUtf8();
        const qsizetype middle = text.indexOf(QByteArray("К")) + 1; // inside the two bytes of К
        board->send(text.left(middle));
        QTRY_COMPARE(device->chunks, 1);
        board->send(text.mid(middle));
        QTRY_COMPARE(device->messages, QStringList{QStringLiteral("имя=Камера")});
    }

    // The lost port's object ends with the loss: nobody will ever give it back.
    void losingTheFarEndDisconnectsOnce()
    {
        openDevice();
        const QPointer<QSerialPort> port = device->port();
        QSignalSpy changedSpy(device, &CurlyDevice::connectedChanged);
        QSignalSpy disconnectedSpy(device, &CurlyDevice::onDisconnected);
        // One more error from the dying port, as a port may give, must not count as a second loss.
        connect(device, &CurlyDevice::onDisconnected, port, [port] {
            QVERIFY(!port->isOpen());
            emit port->errorOccurred(QSerialPort::ResourceError);
        });
        board->closeFarEnd();
        QTRY_COMPARE(disconnectedSpy.count(), 1);
        QCOMPARE(changedSpy.count(), 1);
        QCOMPARE(changedSpy.at(0).at(0).toBool(), false);
        QVERIFY(!device->isConnected());

        QTRY_VERIFY(port.isNull());
        QCOMPARE(disconnectedSpy.count(), 1);
        device->sendMessage("grid=1.5");
        QCOMPARE(device->pendingSendCount(), 0);
    }

    void closingWritesTheSafeStateLastAndReleasesThePort()
    {
        openDevice();
        device->exchangeTimerHandler();
        QPointer<QSerialPort> port = device->port();
        QSignalSpy snSpy(device, &CurlyDevice::gotSerialNumber);
        QSignalSpy disconnectedSpy(device, &CurlyDevice::onDisconnected);
        device->sendMessage("grid=1.5");
        device->closePort();
        QCOMPARE(board->receivedMessages().mid(1), (QStringList{"grid=1.5", "off"}));
        QCOMPARE(snSpy.count(), 1);
        QVERIFY(snSpy.at(0).at(0).toString().isEmpty());
        QCOMPARE(disconnectedSpy.count(), 1);
        QCOMPARE(device->currentPortName(), QString("COM?"));
        QVERIFY(SerialPortManager::instance()->ownerOf(port).isEmpty());

        // Nothing queued afterwards can reach the released port.
        device->sendMessage("grid=2.0");
        device->exchangeTimerHandler();
        QTRY_VERIFY(port.isNull());
        QVERIFY(!board->received().contains("grid=2.0"));
    }

    void deduplicatedSendsStillGoOut()
    {
        openDeviceQuietly();
        device->window = 100;
        device->sendMessage("state");
        device->sendMessage("state");
        device->sendMessage("raw");
        device->exchangeTimerHandler();
        QVERIFY(board->waitForReceived("{raw}"));
        QCOMPARE(board->received(), QByteArray("{state}{raw}"));
    }
};

QTEST_GUILESS_MAIN(TestCurlyDevice)
#include "tst_curlydevice.moc"
