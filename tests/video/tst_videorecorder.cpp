#include "ChildScenario.h"
#include "Clock.h"
#include "CodedFrames.h"
#include "CvConversions.h"
#include "FragmentedVideoWriter.h"
#include "GlobalConsole.h"
#include "Patience.h"
#include "StorageSpace.h"
#include "TestFiles.h"
#include "TrackDataFile.h"
#include "VideoRecorder.h"

#include <QDir>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <linux/fs.h>
#include <opencv2/imgcodecs.hpp>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <unistd.h>
#include <vector>

namespace {
constexpr char recordingVariable[] = "KESTRUM_TEST_RECORDING";
const cv::Size frameSize(160, 120);

QList<int> range(int first, int last)
{
    QList<int> values;
    for (int n = first; n <= last; ++n)
        values << n;
    return values;
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// A folder that even root cannot write to: immutable for root, without write permission for
// others. False when the file system does not allow it.
bool setWritable(const QString& folder, bool writable)
{
    const QByteArray path = QFile::encodeName(folder);
    if (geteuid() != 0)
        return chmod(path.constData(), writable ? 0700 : 0500) == 0;
    const int descriptor = open(path.constData(), O_RDONLY | O_DIRECTORY);
    long flags = 0;
    bool done = descriptor >= 0 && ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0;
    flags = writable ? flags & ~long(FS_IMMUTABLE_FL) : flags | FS_IMMUTABLE_FL;
    done = done && ioctl(descriptor, FS_IOC_SETFLAGS, &flags) == 0;
    if (descriptor >= 0)
        close(descriptor);
    return done;
}

// The length in ms that the movie header at the start of an MP4 claims; -1 without one.
qint64 headerDurationMs(const QString& path)
{
    const QByteArray head = readFileBytes(path).left(4096);
    const qsizetype box = head.indexOf("mvhd");
    if (box < 0 || box + 36 > head.size())
        return -1;
    // Version 1 has 64-bit times, version 0 32-bit ones; the time scale follows two of them.
    const bool wide = head.at(box + 4) == 1;
    const char* scaleField = head.constData() + box + (wide ? 24 : 16);
    const quint32 scale = qFromBigEndian<quint32>(scaleField);
    const quint64 duration =
        wide ? qFromBigEndian<quint64>(scaleField + 4) : quint64(qFromBigEndian<quint32>(scaleField + 4));
    return scale > 0 ? qint64(duration * 1000 / scale) : -1;
}

// What a recorder announced, received in the test's thread.
struct Outcome : QObject
{
    QList<QPair<QString, qlonglong>> finished;
    int finished2 = 0;
    QStringList failed;

    explicit Outcome(VideoRecorder& recorder)
    {
        connect(&recorder, &VideoRecorder::recordFinished, this, [this](const QString& file, qlonglong ms) {
            finished.append({file, ms});
        });
        connect(&recorder, &VideoRecorder::recordFinished2, this, [this] { ++finished2; });
        connect(&recorder, &VideoRecorder::recordFailed, this,
                [this](const QString& file, const QString& reason) { failed << file + ": " + reason; });
    }
    bool ended() const { return !finished.isEmpty() || !failed.isEmpty(); }
};

// Other work keeping every core busy while it lives: a spinning shell per core.
class BusyCores
{
public:
    BusyCores()
    {
        for (long core = 0; core < sysconf(_SC_NPROCESSORS_ONLN); ++core) {
            const pid_t child = fork();
            if (child == 0) {
                execl("/bin/sh", "sh", "-c", "while :; do :; done", static_cast<char*>(nullptr));
                _exit(127);
            }
            if (child > 0)
                children.push_back(child);
        }
    }
    ~BusyCores()
    {
        for (const pid_t child : children) {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
        }
    }
    Q_DISABLE_COPY_MOVE(BusyCores)

private:
    std::vector<pid_t> children;
};

// A recorder on a clock that the test moves.
struct Session
{
    ManualClock clock{1'700'000'000'000, 0};
    QString destination;
    std::optional<VideoRecorder> recorder;
    std::optional<Outcome> outcome;

    Session(const QString& path, double rate)
        : destination(path)
    {
        recorder.emplace(path, rate);
        recorder->setClock(&clock);
        outcome.emplace(*recorder);
    }
    void at(qint64 ms) { clock.advance(ms - clock.monotonicMs()); }
    bool reaches(int frames) const
    {
        return QTest::qWaitFor([&] { return recorder->getFrameCount() == frames; }, generous);
    }
    // Input n is handed in just before its slot at n × 40 ms, and the clock then moves to the
    // slot: a recorder thread that comes round in between finds nothing due. Odd inputs come as
    // the camera view hands frames over, as images with premultiplied alpha.
    bool recordInputs(int first, int last)
    {
        for (int n = first; n <= last; ++n) {
            at(std::max(0, n * 40 - 1));
            if (n % 2)
                recorder->setFrame(
                    cvMatToQImage(CodedFrames::frame(n), false).convertToFormat(QImage::Format_ARGB32_Premultiplied));
            else
                recorder->setFrame(CodedFrames::frame(n));
            at(n * 40);
            if (!reaches(n + 1))
                return false;
        }
        return true;
    }
    bool ends() const
    {
        return QTest::qWaitFor([&] { return outcome->ended() && !recorder->isSavingFile(); }, generous);
    }
};
// The child that a test kills mid-recording: it records input after input, the file getting a
// frame per input, and tells how many frames are written.
int recordUntilKilled()
{
    Session session(qEnvironmentVariable(recordingVariable), 25);
    session.recorder->startRecord();
    for (int n = 0; session.recordInputs(n, n); ++n)
        std::fprintf(stderr, "recorded %d\n", n + 1);
    return 1;
}

int runScenario(const QString& scenario)
{
    return scenario == QLatin1String("record until killed") ? recordUntilKilled() : 2;
}

// The last count of frames a child told it had recorded.
int lastRecordedCount(const QString& output)
{
    const QRegularExpression count(QStringLiteral("^recorded (\\d+)$"), QRegularExpression::MultilineOption);
    int recorded = -1;
    for (const QRegularExpressionMatch& match : count.globalMatch(output))
        recorded = match.captured(1).toInt();
    return recorded;
}
} // namespace

class TestVideoRecorder : public QObject
{
    Q_OBJECT

    QTemporaryDir root;
    QString systemTemp;

private slots:
    void initTestCase()
    {
        QVERIFY(root.isValid());
        // Where recordings go when their folder takes no files; set before any thread reads it.
        systemTemp = root.filePath("system-temp");
        QVERIFY(QDir().mkpath(systemTemp));
        qputenv("TMPDIR", QFile::encodeName(systemTemp));
    }

    // Inputs come every `inputMs` (just before a slot, from the second on); the file gets one
    // frame per slot of the clock, each the newest input, and a pause is filled by the first
    // frame after it. The frame-time log tells when each frame's picture arrived.
    void framesFollowTheClock_data()
    {
        QTest::addColumn<int>("inputMs");
        QTest::addColumn<int>("durationMs");
        QTest::addColumn<int>("pauseFromMs");
        QTest::addColumn<int>("pauseToMs");
        QTest::newRow("camera slower: 5 into 25 frames/s") << 200 << 2000 << -1 << -1;
        QTest::newRow("camera faster: 100 into 25 frames/s") << 10 << 1000 << -1 << -1;
        QTest::newRow("paused from 0.4 s to 1.2 s") << 100 << 1600 << 400 << 1200;
    }

    void framesFollowTheClock()
    {
        QFETCH(int, inputMs);
        QFETCH(int, durationMs);
        QFETCH(int, pauseFromMs);
        QFETCH(int, pauseToMs);
        constexpr int slotMs = 40;
        QTemporaryDir folder;
        Session session(folder.filePath("run/video.mp4"), 25);
        session.recorder->setLogEnabled(true);
        session.recorder->startRecord();

        QMap<int, int> inputAt; // time → input
        for (int n = 0; n * inputMs < durationMs; ++n)
            inputAt[n == 0 ? 0 : n * inputMs - 1] = n;
        QList<int> events = inputAt.keys();
        for (int t = 0; t <= durationMs; t += slotMs)
            events << t;
        std::sort(events.begin(), events.end());
        events.erase(std::unique(events.begin(), events.end()), events.end());

        QList<int> shown; // the input each frame shows
        int newest = -1;
        for (int t : events) {
            session.at(t);
            if (inputAt.contains(t)) {
                newest = inputAt[t];
                session.recorder->setFrame(CodedFrames::frame(newest));
            }
            if (t == pauseToMs)
                session.recorder->resumeRecord();
            if (t % slotMs == 0 && !(t > pauseFromMs && t < pauseToMs)) {
                while (shown.size() <= t / slotMs)
                    shown << newest;
                QVERIFY2(session.reaches(int(shown.size())), qPrintable(QString("at %1 ms").arg(t)));
            }
            if (t == pauseFromMs)
                session.recorder->pauseRecord();
        }
        session.recorder->stopRecord();
        QVERIFY(session.ends());

        QCOMPARE(session.outcome->failed, QStringList());
        QCOMPARE(session.outcome->finished.size(), 1);
        QCOMPARE(session.outcome->finished[0].first, session.destination);
        QCOMPARE(session.outcome->finished[0].second, qlonglong(shown.size() * slotMs));
        QCOMPARE(CodedFrames::numbersInVideo(session.destination), shown);
        TrackDataFile log;
        QVERIFY(log.open(folder.filePath("run/video.log"), true));
        QCOMPARE(log.keys().size(), shown.size());
        for (int frame = 0; frame < shown.size(); ++frame) {
            qint64 arrivedMs = -1;
            QVERIFY(log.readRecord(quint32(frame), arrivedMs));
            QCOMPARE(arrivedMs, qint64(inputAt.key(shown[frame])));
        }
        QCOMPARE(filesIn(folder.filePath("run")), QStringList({"video.log", "video.mp4"}));
    }

    // A process killed mid-recording leaves its ".part", which reads back, in order, up to the
    // frames of the last half second or so.
    void killedRecordingLeavesAPlayableVideo()
    {
        QTemporaryDir folder;
        const QString part = folder.filePath("run/video.part.mp4");
        qputenv(recordingVariable, QFile::encodeName(folder.filePath("run/video.mp4")));
        const StartedChild child = startChildScenario(QStringLiteral("record until killed"));
        QVERIFY(child.pid > 0);
        const bool enoughWritten =
            QTest::qWaitFor([&] { return CodedFrames::numbersInVideo(part).size() >= 100; }, generous);
        kill(child.pid, SIGKILL);
        const ChildOutcome outcome = awaitChild(child, generous);
        QVERIFY2(enoughWritten, qPrintable(outcome.errorOutput));
        QVERIFY(outcome.crashed);

        // Input n carries n's lowest eight bits.
        const QList<int> numbers = CodedFrames::numbersInVideo(part);
        QList<int> inOrder;
        for (int n = 0; n < numbers.size(); ++n)
            inOrder << n % 256;
        QCOMPARE(numbers, inOrder);
        const int recorded = lastRecordedCount(outcome.errorOutput);
        const int lost = recorded - int(numbers.size());
        qInfo("%d of %d frames read back", int(numbers.size()), recorded);
        QVERIFY2(lost >= -1 && lost < 25, qPrintable(QStringLiteral("%1 frames of %2 lost").arg(lost).arg(recorded)));
        QCOMPARE(filesIn(folder.filePath("run")), QStringList{"video.part.mp4"});
    }

    // A destination already there is replaced only by a complete recording.
    void stopEndsTheRecordingAsAsked_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<QList<int>>("keptInputs"); // empty: the old file stays
        QTest::addColumn<qlonglong>("durationMs");
        QTest::addColumn<QString>("failure");
        QTest::newRow("kept") << "keep" << range(0, 7) << 320LL << QString();
        QTest::newRow("kept in fragments: no room for the copy") << "no room" << range(0, 7) << 320LL << QString();
        QTest::newRow("kept in fragments: the room runs short during the copy")
            << "no room later" << range(0, 7) << 320LL << QString();
        QTest::newRow("removed") << "remove" << QList<int>() << 0LL << QString();
        QTest::newRow("cut to frames 2 to 5") << "cut 2 5" << range(2, 5) << 160LL << QString();
        QTest::newRow("cut beyond the end: kept whole") << "cut 5 20" << range(0, 7) << 320LL << QString();
        QTest::newRow("recorder destroyed: saved") << "destroy" << range(0, 7) << 320LL << QString();
        QTest::newRow("no frame arrived")
            << "no frame" << QList<int>() << 0LL << "no camera frame arrived, so nothing was recorded";
    }

    void stopEndsTheRecordingAsAsked()
    {
        QFETCH(QString, ending);
        QFETCH(QList<int>, keptInputs);
        QFETCH(qlonglong, durationMs);
        QFETCH(QString, failure);
        QTemporaryDir folder;
        const QString destination = folder.filePath("video.mp4");
        QVERIFY(writeFileBytes(destination, "an older video"));
        Session session(destination, 25);
        // A megabyte left: room for a copy of this short video, none to spare for the recordings
        // of other chambers that may share the disk; or plenty as the copy begins (the folder's
        // first reading) and that megabyte while it goes on.
        const bool fragmentsKept = ending == "no room" || ending == "no room later";
        auto folderReadings = std::make_shared<std::atomic<int>>(0);
        if (fragmentsKept)
            session.recorder->setSpaceReader([ending, folderReadings](const QString& path) {
                const bool plenty = ending == "no room later" && QFileInfo(path).isDir() && (*folderReadings)++ == 0;
                return StorageSpace::Reading{0, plenty ? quint64(1) << 40 : quint64(1) << 20};
            });
        GlobalConsole::ClearText();
        session.recorder->startRecord();
        if (ending != "no frame") {
            QVERIFY(session.recordInputs(0, 3));
            session.recorder->startRecord();                                       // already recording: changes nothing
            session.recorder->setFrame(CodedFrames::frame(255, cv::Size(80, 60))); // another size: dropped
            QVERIFY(session.recordInputs(4, 7));
            QCOMPARE(session.recorder->getFrameSize(), frameSize);
        }
        const QStringList words = ending.split(' ');
        if (words[0] == "keep" || words[0] == "no")
            session.recorder->stopRecord(false);
        else if (words[0] == "remove")
            session.recorder->stopRecord(true);
        else if (words[0] == "cut")
            session.recorder->stopAndCut(VideoInterval{words[1].toUInt(), words[2].toUInt()});
        Outcome& outcome = *session.outcome;
        if (ending == "destroy")
            session.recorder.reset();
        else if (ending == "remove")
            QVERIFY(QTest::qWaitFor([&] { return filesIn(folder.path()) == QStringList{"video.mp4"}; }, generous));
        else
            QVERIFY(session.ends());
        QCoreApplication::processEvents();

        if (keptInputs.isEmpty()) {
            QCOMPARE(readFileBytes(destination), QByteArray("an older video"));
            QCOMPARE(outcome.finished.size(), 0);
        } else {
            QCOMPARE(CodedFrames::numbersInVideo(destination), keptInputs);
            QCOMPARE(outcome.finished, (QList<QPair<QString, qlonglong>>{{destination, durationMs}}));
            // Copied into the plain layout where the disk has the room.
            QCOMPARE(readFileBytes(destination).contains("moof"), fragmentsKept);
            QCOMPARE(GlobalConsole::currentText().contains("kept in fragments"), fragmentsKept);
        }
        QCOMPARE(outcome.finished2, outcome.finished.size());
        QCOMPARE(outcome.failed, failure.isEmpty() ? QStringList() : QStringList{destination + ": " + failure});
        if (!failure.isEmpty())
            QVERIFY(GlobalConsole::currentText().contains("Video recording to \"" + destination + "\" failed"));
        QCOMPARE(filesIn(folder.path()), QStringList{"video.mp4"});
    }

    // Named on the console and never announced as saved; a recording that could not be placed
    // stays where it grew.
    void failedRecordingIsReportedAndKept_data()
    {
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("keptIn"); // "" : nothing was written
        QTest::newRow("read-only folder: kept in the temporary folder") << "read-only"
                                                                        << "system-temp";
        QTest::newRow("full disk: kept beside the destination") << "full"
                                                                << "run";
        QTest::newRow("nowhere to write: the writer never opens") << "nowhere"
                                                                  << "";
    }

    void failedRecordingIsReportedAndKept()
    {
        QFETCH(QString, place);
        QFETCH(QString, keptIn);
        QTemporaryDir folder;
        const QString destination = folder.filePath("run/video.mp4");
        QVERIFY(QDir().mkpath(folder.filePath("run")));
        Session session(destination, 25);
        const QStringList readOnly = place == "read-only" ? QStringList{folder.filePath("run")}
                                     : place == "nowhere" ? QStringList{folder.filePath("run"), systemTemp}
                                                          : QStringList();
        const auto writableAgain = qScopeGuard([&] {
            for (const QString& readOnlyFolder : readOnly)
                setWritable(readOnlyFolder, true);
        });
        for (const QString& readOnlyFolder : readOnly)
            if (!setWritable(readOnlyFolder, false))
                QSKIP("This file system cannot make a folder read-only to root");
        rlimit previous{};
        getrlimit(RLIMIT_FSIZE, &previous);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        const auto unlimited = qScopeGuard([&] {
            setrlimit(RLIMIT_FSIZE, &previous);
            std::signal(SIGXFSZ, previousHandler);
        });
        if (place == "full") {
            const rlimit diskFull{1024, previous.rlim_max};
            setrlimit(RLIMIT_FSIZE, &diskFull);
        }
        GlobalConsole::ClearText();
        session.recorder->startRecord();
        if (place == "nowhere") {
            session.recorder->setFrame(CodedFrames::frame(0));
            QVERIFY(QTest::qWaitFor([] { return GlobalConsole::currentText().contains("cannot start"); }, generous));
        } else {
            QVERIFY(session.recordInputs(0, 4));
        }
        session.recorder->stopRecord();
        QVERIFY(session.ends());
        setrlimit(RLIMIT_FSIZE, &previous);

        QVERIFY(!QFileInfo::exists(destination));
        QCOMPARE(session.outcome->finished.size(), 0);
        QCOMPARE(session.outcome->failed.size(), 1);
        QVERIFY(GlobalConsole::currentText().contains("Video recording to \"" + destination + "\" failed"));
        const QString kept = session.recorder->getTempFilePath();
        if (keptIn.isEmpty()) {
            QCOMPARE(kept, QString());
            QCOMPARE(session.outcome->failed[0], destination + ": the video writer could not be opened");
            return;
        }
        QCOMPARE(QFileInfo(kept).absolutePath(), keptIn == "run" ? folder.filePath("run") : systemTemp);
        QVERIFY(QFileInfo(kept).size() > 0);
        if (place == "read-only")
            QCOMPARE(CodedFrames::numbersInVideo(kept), range(0, 4));
        QVERIFY2(session.outcome->failed[0].endsWith("; the recording is kept as " + kept),
                 qPrintable(session.outcome->failed[0]));
        QVERIFY(session.recorder->removeTempFile());
    }

    // A file that can take no more bytes fails a write part-way; the frames it holds stay, and
    // its header claims as long a video as they make, not the frames handed in: those of its
    // complete fragments, short of what a player may still read from the one cut off (a key
    // frame, at most every twelve frames, begins each).
    void failedVideoClaimsOnlyTheFramesItHolds()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath("video.part.mp4");
        FragmentedVideoWriter writer;
        QVERIFY(writer.open(path, 25, frameSize, "mp4v"));
        int sent = 0;
        {
            const FileSizeLimit diskFull(64 * 1024);
            while (sent < 5000 && writer.write(CodedFrames::frame(sent % 256)))
                ++sent;
            QVERIFY(!writer.release());
        }
        const qsizetype held = CodedFrames::numbersInVideo(path).size();
        const qint64 claimedMs = headerDurationMs(path);
        qInfo("%lld ms claimed for %lld of %d frames", claimedMs, qlonglong(held), sent);
        QVERIFY(held > 12 && held < sent);
        QVERIFY(claimedMs <= held * 40 && claimedMs > (held - 12) * 40);
    }

    // The room is what statvfs tells this process it may fill; a file system without block
    // counts (ramfs, some FUSE mounts) does not say, and is not taken as full.
    void roomIsReadAsTheFileSystemTellsIt_data()
    {
        QTest::addColumn<qulonglong>("blocks");
        QTest::addColumn<qulonglong>("freeBlocks");
        QTest::addColumn<qulonglong>("freeToUsers");
        QTest::addColumn<qlonglong>("forRoot"); // bytes; -1: not said
        QTest::addColumn<qlonglong>("forUsers");
        QTest::newRow("room") << 1000ULL << 30ULL << 20ULL << 30LL * 4096 << 20LL * 4096;
        QTest::newRow("the rest kept for root") << 1000ULL << 10ULL << 0ULL << 10LL * 4096 << 0LL;
        QTest::newRow("full") << 1000ULL << 0ULL << 0ULL << 0LL << 0LL;
        QTest::newRow("no block counts") << 0ULL << 0ULL << 0ULL << -1LL << -1LL;
    }

    void roomIsReadAsTheFileSystemTellsIt()
    {
        QFETCH(qulonglong, blocks);
        QFETCH(qulonglong, freeBlocks);
        QFETCH(qulonglong, freeToUsers);
        QFETCH(qlonglong, forRoot);
        QFETCH(qlonglong, forUsers);
        struct statvfs space = {};
        space.f_bsize = 4096;
        space.f_frsize = 4096;
        space.f_blocks = blocks;
        space.f_bfree = freeBlocks;
        space.f_bavail = freeToUsers;
        const auto bytes = [](std::optional<quint64> room) { return room ? qlonglong(*room) : -1LL; };
        QCOMPARE(bytes(StorageSpace::availableBytes(space, true)), forRoot);
        QCOMPARE(bytes(StorageSpace::availableBytes(space, false)), forUsers);
        // The temporary folder, read for real, has a size and some room.
        const StorageSpace::Reading here = StorageSpace::read(QDir::tempPath());
        QCOMPARE(here.error, 0);
        QVERIFY(!here.availableBytes || *here.availableBytes > 0);
        QCOMPARE(StorageSpace::read(QDir::temp().filePath("no such folder")).error, ENOENT);
    }

    // The recorder's thread gets to its slots late when every core is busy with other work, and
    // its writer opens late; the video still covers the time from the start request to the
    // stop request at its rate, each late slot filled with the newest frame.
    void videoCoversTheRecordingOnABusyMachine()
    {
        constexpr double rate = 30;
        constexpr qint64 recordedMs = 3000;
        const BusyCores load;
        QTemporaryDir folder;
        const QString destination = folder.filePath("video.mp4");
        VideoRecorder recorder(destination, rate);
        const Outcome outcome(recorder);
        // A camera whose frames already flow when the recording starts.
        QTimer camera;
        int delivered = 0;
        connect(&camera, &QTimer::timeout, &recorder,
                [&] { recorder.setFrame(CodedFrames::frame(++delivered % 256, cv::Size(640, 480))); });
        camera.start(int(1000 / rate));
        QVERIFY(QTest::qWaitFor([&] { return delivered > 0; }, generous));

        const Clock* clock = Clock::system();
        const qint64 startAsked = clock->monotonicMs();
        recorder.startRecord();
        const qint64 startTaken = clock->monotonicMs();
        QVERIFY(QTest::qWaitFor([&] { return clock->monotonicMs() - startTaken >= recordedMs; }, 2 * recordedMs));
        const qint64 stopAsked = clock->monotonicMs();
        recorder.stopRecord();
        const qint64 stopTaken = clock->monotonicMs();
        camera.stop();
        QVERIFY(QTest::qWaitFor([&] { return outcome.ended() && !recorder.isSavingFile(); }, generous));

        QCOMPARE(outcome.failed, QStringList());
        const auto framesFor = [&](qint64 ms) { return int(std::floor(double(ms) * rate / 1000)) + 1; };
        const int fewest = framesFor(stopAsked - startTaken);
        const int most = framesFor(stopTaken - startAsked);
        const int frames = int(CodedFrames::numbersInVideo(destination).size());
        qInfo("%d frames for %lld to %lld ms at %g frames/s", frames, stopAsked - startTaken, stopTaken - startAsked,
              rate);
        QVERIFY2(frames >= fewest - 1 && frames <= most + 1,
                 qPrintable(QStringLiteral("%1 frames where %2 to %3 were due").arg(frames).arg(fewest).arg(most)));
        QCOMPARE(outcome.finished[0].second, qlonglong(frames * 1000 / rate));
    }

    void framesArePreparedForTheWriter_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QSize>("target");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QList<int>>("pixel"); // blue, green, red at the centre
        QTest::newRow("grey, resized") << CV_8UC1 << QSize(80, 60) << true << QList<int>{50, 50, 50};
        QTest::newRow("BGRA") << CV_8UC4 << QSize(160, 120) << true << QList<int>{50, 100, 150};
        QTest::newRow("BGR") << CV_8UC3 << QSize(320, 240) << true << QList<int>{50, 100, 150};
        QTest::newRow("16-bit") << CV_16UC3 << QSize(160, 120) << false << QList<int>();
        QTest::newRow("two channels") << CV_8UC2 << QSize(160, 120) << false << QList<int>();
        QTest::newRow("no target size") << CV_8UC3 << QSize(0, 120) << false << QList<int>();
        QTest::newRow("empty") << -1 << QSize(160, 120) << false << QList<int>();
    }

    void framesArePreparedForTheWriter()
    {
        QFETCH(int, type);
        QFETCH(QSize, target);
        QFETCH(bool, accepted);
        QFETCH(QList<int>, pixel);
        cv::Mat frame = type < 0 ? cv::Mat() : cv::Mat(frameSize, type, cv::Scalar(50, 100, 150, 200));
        QCOMPARE(VideoRecorder::prepareFrame(frame, cv::Size(target.width(), target.height())), accepted);
        if (!accepted)
            return;
        QCOMPARE(frame.type(), CV_8UC3);
        QCOMPARE(QSize(frame.cols, frame.rows), target);
        const cv::Vec3b centre = frame.at<cv::Vec3b>(target.height() / 2, target.width() / 2);
        QCOMPARE((QList<int>{centre[0], centre[1], centre[2]}), pixel);
    }

    // Made from images, cut into spans (also into itself), joined; MP4 and AVI alike.
    void videoToolsKeepTheChosenFrames()
    {
        QTemporaryDir folder;
        const QString whole = folder.filePath("whole.mp4");
        QList<cv::Mat> images;
        for (int n = 0; n < 10; ++n)
            images << CodedFrames::frame(n);
        QVERIFY(VideoRecorder::createVideoFromImages(whole, images, 25, QSize()));
        QCOMPARE(CodedFrames::numbersInVideo(whole), range(0, 9));

        const QString cut = folder.filePath("cut.avi");
        const std::vector<VideoInterval> spans{{2, 4}, {7, 8}, {5, 3}, {8, 10}};
        QCOMPARE(VideoRecorder::cutVideo(whole, cut, spans), size_t(2));
        const QList<int> cutInputs{2, 3, 4, 7, 8};
        QCOMPARE(CodedFrames::numbersInVideo(cut), cutInputs);

        const QString joined = folder.filePath("joined.mp4");
        QVERIFY(VideoRecorder::joinVideo(whole, cut, joined));
        QCOMPARE(CodedFrames::numbersInVideo(joined), range(0, 9) + cutInputs);
        QVERIFY(cv::imwrite(folder.filePath("small.png").toStdString(), CodedFrames::frame(1, cv::Size(80, 60))));
        QVERIFY(writeFileBytes(folder.filePath("broken.png"), "not an image"));
        const QString fromFiles = folder.filePath("files.mp4");
        QVERIFY(VideoRecorder::createVideoFromImages(
            fromFiles, QList<QString>{folder.filePath("broken.png"), folder.filePath("small.png")}, 25, QSize()));
        QCOMPARE(CodedFrames::numbersInVideo(fromFiles), QList<int>{1});
        QVERIFY(!VideoRecorder::joinVideo(whole, fromFiles, folder.filePath("mismatch.mp4")));

        QCOMPARE(VideoRecorder::cutVideo(whole, whole, {{0, 1}}), size_t(1));
        QCOMPARE(CodedFrames::numbersInVideo(whole), range(0, 1));
        QCOMPARE(filesIn(folder.path()),
                 QStringList({"broken.png", "cut.avi", "files.mp4", "joined.mp4", "small.png", "whole.mp4"}));

        // Probed once, in a folder of its own that goes with the probe.
        QVERIFY(VideoRecorder::GetAvailableCodecs().contains("MP4V"));
        QCOMPARE(QDir(systemTemp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{QFileInfo(folder.path()).fileName()});
        QCOMPARE(QDir().entryList({"test_*"}), QStringList());
    }
};

int main(int argc, char** argv)
{
    return testMainWithChildScenarios<TestVideoRecorder>(argc, argv, runScenario);
}
#include "tst_videorecorder.moc"
