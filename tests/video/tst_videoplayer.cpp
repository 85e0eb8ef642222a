#include "ChildScenario.h"
#include "Clock.h"
#include "CodedFrames.h"
#include "CvConversions.h"
#include "Patience.h"
#include "VideoPlayer.h"
#include "VideoRecorder.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <bit>

namespace {
constexpr char videoFolderVariable[] = "KESTRUM_TEST_VIDEO_FOLDER";
constexpr int framesPerInput = 5;
constexpr int inputMs = 200; // five frames at 25 frames/s
constexpr int inputs = 10;

// A 2 s video of 640 × 480 at 25 frames/s, written by the recorder: input n fills the frames
// from n × 200 ms on. Before the recording stops, its ".part" is copied to `killedCopy`: what
// a recording killed then leaves.
bool recordVideo(const QString& path, const QString& killedCopy)
{
    ManualClock clock;
    VideoRecorder recorder(path, 25);
    recorder.setClock(&clock);
    bool finished = false;
    QObject::connect(&recorder, &VideoRecorder::recordFinished, &recorder, [&] { finished = true; });
    recorder.startRecord();
    const auto reaches = [&](int frames) {
        return QTest::qWaitFor([&] { return recorder.getFrameCount() == frames; }, generous);
    };
    // Each input is handed in just before its first slot, and the clock then moves to the slot:
    // a recorder thread that comes round in between finds nothing due.
    for (int n = 0; n < inputs; ++n) {
        recorder.setFrame(CodedFrames::frame(n, cv::Size(640, 480)));
        if (n > 0)
            clock.advance(1);
        if (!reaches(n * framesPerInput + 1))
            return false;
        clock.advance(inputMs - 1); // the input's last slot is due, the next input's first not yet
        if (!reaches((n + 1) * framesPerInput))
            return false;
    }
    if (!QFile::copy(recorder.getTempFilePath(), killedCopy))
        return false;
    recorder.stopRecord();
    return QTest::qWaitFor([&] { return finished; }, generous);
}

// The number of the frame input the widget shows inside its video rectangle.
bool endsPaused(const QSignalSpy& states)
{
    return !states.isEmpty() && states.last()[0].value<QMediaPlayer::PlaybackState>() == QMediaPlayer::PausedState;
}

// The child's log without the back end's probing of hardware decoders, which fills it.
QByteArray withoutDecoderProbes(const QByteArray& log)
{
    QByteArrayList kept;
    for (const QByteArray& line : log.split('\n'))
        if (!line.contains("HW acceleration") && !line.contains("HW context") && !line.contains("hw context"))
            kept << line;
    return kept.join('\n');
}

int shownInput(ZCV::VideoPlayer& player)
{
    const QImage shown = player.grab().toImage().copy(player.videoRect()).convertToFormat(QImage::Format_RGB32);
    return CodedFrames::numberIn(QImageToCvMat(shown));
}
} // namespace

// Run in a child process per back end, which is chosen once per process.
class PlayerChecks : public QObject
{
    Q_OBJECT

    ZCV::VideoPlayer player;

private slots:
    void initTestCase()
    {
        player.resize(1000, 500);
        player.show();
    }

    // The stream's size and rate, whether from the metadata or (GStreamer, Motion JPEG in AVI)
    // from the first frame, come once each; the duration is that of the frames OpenCV reads.
    void loadingShowsTheFirstFrameAndPauses_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("Motion JPEG in AVI") << "video.avi";
        QTest::newRow("a killed recording's part") << "killed.part.mp4";
        QTest::newRow("MPEG-4 in MP4") << "video.mp4";
    }

    void loadingShowsTheFirstFrameAndPauses()
    {
        QFETCH(QString, file);
        const QString path = QDir(qEnvironmentVariable(videoFolderVariable)).filePath(file);
        const qlonglong durationMs = CodedFrames::numbersInVideo(path).size() * inputMs / framesPerInput;
        QSignalSpy loaded(&player, &ZCV::VideoPlayer::videoLoaded);
        QSignalSpy durations(&player, &ZCV::VideoPlayer::durationChanged);
        QSignalSpy sizes(&player, &ZCV::VideoPlayer::videoSizeChanged);
        QSignalSpy rates(&player, &ZCV::VideoPlayer::videoFrameRateChanged);
        QSignalSpy states(&player, &ZCV::VideoPlayer::playbackStateChanged);
        QSignalSpy placed(&player, &ZCV::VideoPlayer::resized);
        player.setSource(path);
        QTRY_VERIFY_WITH_TIMEOUT(sizes.size() == 1 && rates.size() == 1 && loaded.size() == 1, generous);
        QTRY_VERIFY_WITH_TIMEOUT(endsPaused(states), generous);
        QCOMPARE(durations.size(), 1);
        QVERIFY2(qAbs(durations[0][0].toLongLong() - durationMs) <= 40,
                 qPrintable(QString::number(durations[0][0].toLongLong())));
        QCOMPARE(sizes[0][0].toSize(), QSize(640, 480));
        QCOMPARE(rates[0][0].toDouble(), 25.0);
        QCOMPARE(placed.last()[0].toRect(), QRect(167, 0, 666, 500));
        QCOMPARE(placed.last()[1].toDouble(), 640.0 / 480.0);
        QCOMPARE(placed.last()[2].toDouble(), 666.0 / 640.0);
        QCOMPARE(shownInput(player), 0);
    }

    // While this thread is held up, frames decoded before the seek wait in its queue and come
    // after it (none of them is the frame to pause on), and so does the end of the video when
    // the back end reaches it meanwhile: the seek is made all the same, and that end is not told.
    void seekingShowsTheFrameThereAndPauses_data()
    {
        QTest::addColumn<int>("heldUpMs");
        QTest::addColumn<QString>("file");
        QTest::newRow("frames of before queued") << 300 << "video.mp4";
        QTest::newRow("the end queued") << 2500 << "video.mp4";
        QTest::newRow("a killed recording's part") << 300 << "killed.part.mp4";
    }

    void seekingShowsTheFrameThereAndPauses()
    {
        QFETCH(int, heldUpMs);
        QFETCH(QString, file);
        QSignalSpy states(&player, &ZCV::VideoPlayer::playbackStateChanged);
        QSignalSpy finished(&player, &ZCV::VideoPlayer::videoFinished);
        const QString path = QDir(qEnvironmentVariable(videoFolderVariable)).filePath(file);
        if (player.source() != path) {
            player.setSource(path);
            QTRY_VERIFY_WITH_TIMEOUT(endsPaused(states), generous);
        }
        player.setPosition(0);
        QTRY_VERIFY_WITH_TIMEOUT(endsPaused(states), generous);
        player.play();
        QTRY_VERIFY_WITH_TIMEOUT(player.position() > 0, generous);
        QThread::msleep(heldUpMs);
        states.clear();
        player.setPosition(1300); // input 6 fills 1200 to 1399 ms
        QTRY_VERIFY_WITH_TIMEOUT(endsPaused(states), generous);
        // On the frame sought, or, where the back end fell behind and dropped the frames there, on
        // one it played after them; either way the position the overlays follow is the frame's.
        QTRY_VERIFY2_WITH_TIMEOUT(
            shownInput(player) >= 6 && shownInput(player) == player.position() / inputMs,
            qPrintable(QStringLiteral("input %1 at %2 ms").arg(shownInput(player)).arg(player.position())), generous);
        QVERIFY(finished.isEmpty());
        QVERIFY(endsPaused(states));
    }

    void greyLevels()
    {
        const int shown = shownInput(player);
        QVERIFY(shown > 0);
        player.setGrayscale(true);
        const QImage grey = player.grab().toImage();
        const QRect video = player.videoRect();
        const int litBit = std::countr_zero(unsigned(shown));
        const QRgb lit = grey.pixel(video.left() + video.width() * (2 * litBit + 1) / 16, video.center().y());
        QVERIFY(qGray(lit) > 120 && qRed(lit) == qGreen(lit) && qGreen(lit) == qBlue(lit));
        player.setGrayscale(false);
    }

    void emptySourceLeavesADarkWidget()
    {
        QSignalSpy placed(&player, &ZCV::VideoPlayer::resized);
        player.setSource(QString());
        player.resize(800, 400);
        QTRY_VERIFY(!placed.isEmpty());
        QCOMPARE(placed.last()[0].toRect(), QRect());
        const QImage shown = player.grab().toImage();
        QCOMPARE(shown.pixel(400, 200), qRgb(0x33, 0x33, 0x33));
        QCOMPARE(shown.pixel(10, 10), qRgb(0x33, 0x33, 0x33));
    }
};

class TestVideoPlayer : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;

private slots:
    void initTestCase()
    {
        QVERIFY(folder.isValid());
        QVERIFY(recordVideo(folder.filePath("video.mp4"), folder.filePath("killed.part.mp4")));
        QList<int> inputsInPlace;
        for (int n = 0; n < inputs * framesPerInput; ++n)
            inputsInPlace << n / framesPerInput;
        QCOMPARE(CodedFrames::numbersInVideo(folder.filePath("video.mp4")), inputsInPlace);
        // The fragments up to the last key frame written, and key frames come every twelve frames
        // at the latest.
        const QList<int> killed = CodedFrames::numbersInVideo(folder.filePath("killed.part.mp4"));
        QVERIFY2(killed.size() > inputsInPlace.size() - 12, qPrintable(QString::number(killed.size())));
        QCOMPARE(killed, inputsInPlace.mid(0, killed.size()));
        QCOMPARE(VideoRecorder::cutVideo(folder.filePath("video.mp4"), folder.filePath("video.avi"), {{0, 49}}),
                 size_t(1));
    }

    void playsWithEveryBackEnd_data()
    {
        QTest::addColumn<QByteArray>("backEnd");
        QTest::addColumn<QByteArray>("sanitizerOptions");
        // Both back ends leave allocations behind in libraries built without frame pointers:
        // GStreamer's PulseAudio device monitor, whose stacks, unwound in full, reach GStreamer
        // and its suppression; Qt 6.4's FFmpeg plugin, a codec option dictionary per player,
        // which no suppression covers, so that child is not checked for leaks.
        QTest::newRow("GStreamer") << QByteArray("gstreamer") << QByteArray(":fast_unwind_on_malloc=0");
        QTest::newRow("FFmpeg") << QByteArray("ffmpeg") << QByteArray(":detect_leaks=0");
    }

    void playsWithEveryBackEnd()
    {
#ifdef __SANITIZE_THREAD__
        QSKIP("The back ends hand decoded frames to the widget through Debian's Qt, whose locks "
              "ThreadSanitizer cannot see; the player itself runs in one thread");
#endif
        QFETCH(QByteArray, backEnd);
        QFETCH(QByteArray, sanitizerOptions);
        const QString log = folder.filePath("player-" + backEnd + ".txt");
        qputenv("QT_MEDIA_BACKEND", backEnd);
        qputenv(videoFolderVariable, QFile::encodeName(folder.path()));
        qputenv("KESTRUM_TEST_PLAYER_LOG", QFile::encodeName(log));
        const QByteArray ownOptions = qgetenv("ASAN_OPTIONS");
        qputenv("ASAN_OPTIONS", ownOptions + sanitizerOptions);
        const ChildOutcome outcome = runChildScenario(QStringLiteral("player"), 4 * generous);
        qputenv("ASAN_OPTIONS", ownOptions);
        QFile report(log);
        report.open(QIODevice::ReadOnly);
        const QByteArray checks = report.readAll();
        const bool passed = !outcome.crashed && outcome.exitCode == 0 && checks.contains("Totals: 10 passed, 0 failed");
        if (!passed) // the whole story: a check's message is cut at a thousand characters
            qWarning().noquote() << withoutDecoderProbes(checks) << "\nThe child's error output:\n"
                                 << outcome.errorOutput;
        QVERIFY2(!outcome.timedOut, "the child took longer than it was given; its log is above");
        QVERIFY2(passed, "the child's log is above");
    }
};

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (qEnvironmentVariable(ChildScenarioVariable) == QLatin1String("player")) {
        PlayerChecks checks;
        const QByteArray log = qgetenv("KESTRUM_TEST_PLAYER_LOG") + ",txt";
        return QTest::qExec(&checks, QStringList{"player", "-o", QString::fromLocal8Bit(log)});
    }
    TestVideoPlayer test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_videoplayer.moc"
