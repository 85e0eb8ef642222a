#include "ApparatusThread.h"
#include "Clock.h"
#include "CurlyKestrum.h"
#include "KestrumDevice.h"
#include "Patience.h"
#include "RecordingDevice.h"
#include "ScriptedBoard.h"
#include "SerialPortEnumerator.h"
#include "SerialPortManager.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QPointer>
#include <QSerialPort>
#include <QTest>
#include <QThread>

#include <atomic>
#include <mutex>
#include <optional>
#include <poll.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// The devices' own clock, so that an off-time and the arrival it is checked against count
// whole milliseconds from the same start.
qint64 nowMs()
{
    return Clock::system()->monotonicMs();
}

// A frame that arrived on the terminal, and when (ms).
struct Arrival
{
    QByteArray frame;
    qint64 atMs = 0;
};

// The chamber's end of a pseudo-terminal, read by a thread of its own that stamps each frame as
// it arrives: the test's main thread is the frozen user interface and reads nothing meanwhile.
// Every `request` seen is answered with `reply`, as a chamber answers its identification.
class TimedTerminal
{
public:
    TimedTerminal(const QByteArray& request, const QByteArray& reply)
        : m_request(request)
        , m_reply(reply)
    {
        if (!ScriptedBoard::openTerminal(m_master, m_nearEnd, m_path))
            return;
        SerialPortEnumerator::addExtraPort(m_path, QStringLiteral("Timed terminal"), QStringLiteral("Kestrum"));
        m_reader = std::thread([this] { readUntilStopped(); });
    }

    ~TimedTerminal()
    {
        m_stop = true;
        if (m_reader.joinable())
            m_reader.join();
        SerialPortEnumerator::removeExtraPort(m_path);
        ::close(m_master);
        ::close(m_nearEnd);
    }

    QString portName() const { return SerialPortEnumerator::portNameFromLocation(m_path); }

    // The thread that reads and stamps the frames.
    pid_t readerThread() const { return m_readerThread; }

    // A copy of its own: the reader thread goes on appending.
    QList<Arrival> arrivals() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return QList<Arrival>(m_arrivals.cbegin(), m_arrivals.cend());
    }

    // The frames received so far that begin with the prefix, in order.
    QList<QByteArray> frames(const QByteArray& prefix) const
    {
        QList<QByteArray> frames;
        const QList<Arrival> all = arrivals();
        for (const Arrival& arrival : all) {
            if (arrival.frame.startsWith(prefix))
                frames.append(arrival.frame);
        }
        return frames;
    }

    QByteArray lastFrame() const
    {
        const QList<Arrival> all = arrivals();
        return all.isEmpty() ? QByteArray() : all.last().frame;
    }

private:
    void readUntilStopped()
    {
        m_readerThread = ::gettid();
        pollfd watched{m_master, POLLIN, 0};
        while (!m_stop) {
            if (::poll(&watched, 1, 10) <= 0)
                continue;
            char buffer[4096];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n > 0)
                take(QByteArray(buffer, n), nowMs());
        }
    }

    void take(const QByteArray& chunk, qint64 atMs)
    {
        m_pending.append(chunk);
        const qsizetype lastEnd = m_pending.lastIndexOf('}');
        if (lastEnd < 0)
            return;
        const QList<QByteArray> frames = ScriptedBoard::splitFrames(m_pending.left(lastEnd + 1));
        m_pending.remove(0, lastEnd + 1);
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const QByteArray& frame : frames) {
            m_arrivals.push_back({frame, atMs});
            if (!m_request.isEmpty() && frame == m_request)
                ::write(m_master, m_reply.constData(), size_t(m_reply.size()));
        }
    }

    QByteArray m_request;
    QByteArray m_reply;
    int m_master = -1;
    int m_nearEnd = -1;
    QString m_path;
    QByteArray m_pending;
    mutable std::mutex m_mutex;
    std::vector<Arrival> m_arrivals;
    std::atomic<bool> m_stop = false;
    std::atomic<pid_t> m_readerThread = 0;
    std::thread m_reader;
};

// The grid state a frame sets: the current chamber's "off" and "grid=..." texts, and the
// classic chamber's state frame (grid flag in bit 2 of its flag byte).
std::optional<bool> gridStateOf(const QByteArray& frame)
{
    if (frame == "off")
        return false;
    if (frame.startsWith("grid="))
        return frame.mid(5).toDouble() > 0.0;
    if (frame.size() == 14 && frame.at(0) == 0x0A)
        return (quint8(frame.at(12)) & 0x04) != 0;
    return std::nullopt;
}

// When the first frame that switched the grid off after one that switched it on arrived.
std::optional<qint64> gridOffArrival(const QList<Arrival>& arrivals)
{
    bool on = false;
    for (const Arrival& arrival : arrivals) {
        const std::optional<bool> grid = gridStateOf(arrival.frame);
        if (grid == true)
            on = true;
        else if (grid == false && on)
            return arrival.atMs;
    }
    return std::nullopt;
}

// How long a thread of this process has waited, all told, for a processor while it was ready to
// run (the second field of its scheduler statistics, in ns). A stimulus that ends late only
// because the threads carrying it were kept waiting is the machine's fault, not theirs.
qint64 runQueueWaitMs(pid_t thread)
{
    QFile statistics(QStringLiteral("/proc/self/task/%1/schedstat").arg(thread));
    if (!statistics.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statistics.readAll().split(' ');
    return fields.size() >= 2 ? fields.at(1).toLongLong() / 1000000 : 0;
}

const QByteArray classicSerialNumberRequest = QByteArray::fromHex("0D0002F1");
const QByteArray classicSerialNumberReply = QByteArray::fromHex("7B0D90025334323631323533A77D");
const QByteArray classicAllOffState = QByteArray::fromHex("0A000000000000000000000000F6");

// A chamber on a timed terminal, handed its port as the application does and then adopted by
// the apparatus thread, ready to take stimuli.
struct AdoptedChamber
{
    TimedTerminal terminal;
    KestrumBaseDevice* chamber = nullptr;

    explicit AdoptedChamber(bool classic)
        : terminal(classic ? classicSerialNumberRequest : QByteArray(), classicSerialNumberReply)
    {
        const QString owner = classic ? QStringLiteral("ClassicKestrum") : QStringLiteral("KestrumV4");
        QSerialPort* port = SerialPortManager::instance()->openPort(terminal.portName(), owner);
        if (!port || !port->open(QIODevice::ReadWrite))
            return;
        if (classic)
            chamber = new KestrumDevice(port);
        else
            chamber = new CurlyKestrum(port);
        if (!ApparatusThread::adopt(chamber))
            return;
        chamber->start();
    }

    // The classic chamber sends its state once it has identified itself; the current one
    // takes commands at once.
    bool isReady() const { return chamber && chamber->statusConnect() == BaseDevice::Connected; }

    // Deletes the chamber in its own thread and waits until it is gone.
    void drop()
    {
        const QPointer<KestrumBaseDevice> guard(chamber);
        chamber->deleteLater();
        chamber = nullptr;
        QTRY_VERIFY(guard.isNull());
    }

    ~AdoptedChamber()
    {
        if (chamber)
            drop();
    }
};

} // namespace

class TestApparatusThread : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { SerialPortEnumerator::setSystemPortsIncluded(false); }

    void cleanup() { QTRY_VERIFY(SerialPortManager::instance()->ports().isEmpty()); }

    void aGridEndsOnTimeWhileTheInterfaceIsFrozen_data()
    {
        QTest::addColumn<bool>("classic");
        QTest::newRow("current chamber") << false;
        QTest::newRow("classic chamber") << true;
    }

    void aGridEndsOnTimeWhileTheInterfaceIsFrozen()
    {
        QFETCH(bool, classic);
        AdoptedChamber rig(classic);
        QTRY_VERIFY(rig.isReady());
        pid_t apparatusThread = 0;
        ApparatusThread::runAndWait([&apparatusThread] { apparatusThread = ::gettid(); });
        QTRY_VERIFY(rig.terminal.readerThread() != 0);
        const auto waitedMs = [&] {
            return runQueueWaitMs(apparatusThread) + runQueueWaitMs(rig.terminal.readerThread());
        };
        const qint64 waitedBeforeMs = waitedMs();
        const qint64 dueOffMs = nowMs() + 100;
        rig.chamber->setCircuit(3.0, 100);
        QThread::msleep(1000);
        QTRY_VERIFY(gridOffArrival(rig.terminal.arrivals()));
        const qint64 lateMs = *gridOffArrival(rig.terminal.arrivals()) - dueOffMs;
        // At most 100 ms late, beyond what the apparatus thread and the terminal's reader were
        // kept waiting for a processor meanwhile.
        const qint64 starvedMs = waitedMs() - waitedBeforeMs;
        QVERIFY2(lateMs >= 0 && lateMs - starvedMs <= 100,
                 qPrintable(QStringLiteral("grid off %1 ms after its time; its threads waited %2 ms for a processor")
                                .arg(lateMs)
                                .arg(starvedMs)));
    }

    void callsFromTwoThreadsKeepTheirOrder()
    {
        AdoptedChamber rig(false);
        QTRY_VERIFY(rig.isReady());
        std::thread detector([&rig] {
            for (int i = 1; i <= 30; ++i)
                rig.chamber->setSound(KestrumBaseDevice::Left, 100 + i, 0);
        });
        for (int i = 1; i <= 30; ++i)
            rig.chamber->setLightLevels(i, 0, 0);
        detector.join();
        rig.chamber->allOff();
        // All-off ends with the door's opening.
        QTRY_COMPARE(rig.terminal.lastFrame(), QByteArray("openDoor"));

        QList<QByteArray> lights;
        QList<QByteArray> sounds;
        for (int i = 1; i <= 30; ++i) {
            lights.append(CurlyKestrum::lightCommand(i, 0).toLatin1());
            sounds.append(CurlyKestrum::soundCommand(KestrumBaseDevice::Left, 100 + i).toLatin1());
        }
        QCOMPARE(rig.terminal.frames("lightSide="), lights);
        QCOMPARE(rig.terminal.frames("sound="), sounds);
    }

    // The tests' recording chamber is read from their thread while the apparatus thread records
    // into it: each read is a list of its own (ThreadSanitizer sees any storage they share).
    void aRecordingChamberIsReadWhileItRecords()
    {
        constexpr int count = 300;
        auto* chamber = new RecordingDevice;
        const QPointer<KestrumBaseDevice> guard(chamber);
        chamber->setStatusConnect(BaseDevice::Connected);
        QVERIFY(ApparatusThread::adopt(chamber));
        QStringList expected;
        for (int i = 1; i <= count; ++i) {
            chamber->setLightLevels(i, 0, 0);
            expected << QStringLiteral("light %1,0 0").arg(i);
        }
        const QDeadlineTimer deadline(generous);
        QStringList texts;
        while (texts.size() < count && !deadline.hasExpired()) {
            texts = chamber->texts();
            QList<RecordingDevice::Command> commands = chamber->commands();
            for (RecordingDevice::Command& command : commands)
                command.text.clear();
        }
        QCOMPARE(texts, expected);
        chamber->deleteLater();
        QTRY_VERIFY(guard.isNull());
    }

    void droppingAnAdoptedChamberLeavesItOff_data()
    {
        QTest::addColumn<bool>("classic");
        QTest::addColumn<bool>("disposeFirst");
        QTest::newRow("current chamber, deleted") << false << false;
        QTest::newRow("current chamber, disposed") << false << true;
        QTest::newRow("classic chamber, deleted") << true << false;
        QTest::newRow("classic chamber, disposed") << true << true;
    }

    void droppingAnAdoptedChamberLeavesItOff()
    {
        QFETCH(bool, classic);
        QFETCH(bool, disposeFirst);
        AdoptedChamber rig(classic);
        QTRY_VERIFY(rig.isReady());
        rig.chamber->setCircuit(3.0, -1);
        QTRY_COMPARE(gridStateOf(rig.terminal.lastFrame()), std::optional<bool>(true));
        if (disposeFirst) {
            rig.chamber->dispose();
            QCOMPARE(rig.chamber->portName(), classic ? QStringLiteral("NOCOM") : QStringLiteral("COM?"));
        }
        rig.drop();
        QTRY_VERIFY(SerialPortManager::instance()->ports().isEmpty());
        // Sent before the port closed; the terminal's reader may still be on its way to it.
        QTRY_COMPARE(rig.terminal.lastFrame(), classic ? classicAllOffState : QByteArray("off"));
    }
};

QTEST_GUILESS_MAIN(TestApparatusThread)
#include "tst_apparatusthread.moc"
