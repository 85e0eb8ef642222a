#include "CameraFormatSelector.h"
#include "Clock.h"
#include "CodedFrames.h"
#include "CvConversions.h"
#include "GlobalConsole.h"
#include "MyVideoSink.h"
#include "Patience.h"
#include "ScreenGrabber.h"
#include "VideoRecorder.h"
#include "VideoWidget.h"
#include "VirtualCameraDevice.h"
#include "VirtualMediaPlayer.h"

#include <QMediaDevices>
#include <QMenu>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <opencv2/videoio.hpp>

namespace {
using PixelFormat = QVideoFrameFormat::PixelFormat;
constexpr PixelFormat yuyv = QVideoFrameFormat::Format_YUYV;
constexpr PixelFormat nv12 = QVideoFrameFormat::Format_NV12;
constexpr PixelFormat yuv420p = QVideoFrameFormat::Format_YUV420P;
constexpr PixelFormat mjpeg = QVideoFrameFormat::Format_Jpeg;

CameraFormatOffer offer(int width, int height, float maxFps, PixelFormat format)
{
    return CameraFormatOffer{QSize(width, height), 5, maxFps, format};
}

QList<cv::Mat> framesOf(const QString& path)
{
    cv::VideoCapture capture(QFile::encodeName(path).toStdString(), cv::CAP_FFMPEG);
    QList<cv::Mat> frames;
    cv::Mat frame;
    while (capture.read(frame))
        frames << frame.clone();
    return frames;
}

QList<QAction*> entriesOf(QMenu& menu)
{
    QList<QAction*> entries;
    for (QAction* action : menu.actions())
        if (!action->isSeparator())
            entries << action;
    return entries;
}

QAction* entryWithId(QMenu& menu, const QString& id)
{
    for (QAction* action : entriesOf(menu))
        if (action->data().toString() == id && action->isEnabled())
            return action;
    return nullptr;
}

QStringList idsOf(QMenu& menu)
{
    QStringList ids;
    for (QAction* action : entriesOf(menu))
        ids << (action->isEnabled() ? action->data().toString() : QStringLiteral("-"));
    return ids;
}

// The left edge of the animation's disc, drawn in the pen's black, in the frame the player shows at
// this index.
QPoint discEdge(int frameIndex)
{
    return QPoint(100 + frameIndex - 1, 150);
}

bool isRed(QColor colour)
{
    return colour.red() > 200 && colour.green() < 60 && colour.blue() < 60;
}

// Whether the animation's red disc crosses the row through its middle; blue if red and blue
// were swapped on the way into the file.
bool hasRedDisc(const cv::Mat& bgr)
{
    for (int x = 0; x < bgr.cols; ++x) {
        const cv::Vec3b pixel = bgr.at<cv::Vec3b>(150, x);
        if (pixel[2] > 200 && pixel[0] < 60)
            return true;
    }
    return false;
}

// Runs the events already queued (frames included) and forgets what the spy caught.
void settle(QSignalSpy& spy)
{
    QCoreApplication::processEvents();
    spy.clear();
}
} // namespace

class TestCameraView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // GStreamer's PulseAudio device monitor keeps allocations the leak checker cannot place.
        qputenv("QT_MEDIA_BACKEND", "ffmpeg");
        QVERIFY(folder.isValid());
        VideoWidget::setAllowVirtual(true);
    }

    void cleanup() { VideoWidget::camerasInUse.clear(); }

    void cameraFormatRules_data()
    {
        QTest::addColumn<QList<CameraFormatOffer>>("offers");
        QTest::addColumn<QSize>("wanted");
        QTest::addColumn<int>("chosen");
        QTest::newRow("YUYV of the wanted size at any rate")
            << QList{offer(640, 480, 30, yuyv)} << QSize(640, 480) << 0;
        QTest::newRow("exact pixel format before an earlier NV12")
            << QList{offer(1280, 720, 30, nv12), offer(1280, 720, 30, yuyv)} << QSize(1280, 720) << 1;
        QTest::newRow("NV12 of the wanted size when there is no YUYV")
            << QList{offer(1280, 720, 60, mjpeg), offer(1280, 720, 30, nv12), offer(1280, 720, 60, nv12)}
            << QSize(1280, 720) << 1;
        QTest::newRow("YUYV full HD at 60 when the wanted size is missing")
            << QList{offer(1280, 720, 60, mjpeg), offer(1920, 1080, 60, yuyv)} << QSize(1280, 720) << 1;
        QTest::newRow("YUV420P of the wanted size at 60")
            << QList{offer(1280, 720, 30, yuv420p), offer(1280, 720, 60, yuv420p)} << QSize(1280, 720) << 1;
        QTest::newRow("YUV420P full HD at 30 last")
            << QList{offer(640, 480, 30, mjpeg), offer(1920, 1080, 30, yuv420p)} << QSize(640, 480) << 1;
        QTest::newRow("no wanted size stands for full HD")
            << QList{offer(640, 480, 30, yuyv), offer(1920, 1080, 5, yuyv)} << QSize(0, 0) << 1;
        QTest::newRow("NV12 narrower than 640 only at 60 exactly")
            << QList{offer(320, 240, 30, nv12), offer(320, 240, 60, nv12)} << QSize(320, 240) << 1;
        QTest::newRow("59.94 frames per second are below 60")
            << QList{offer(1280, 720, 59.94f, nv12), offer(640, 480, 30, mjpeg)} << QSize(1280, 720) << 0;
        QTest::newRow("nothing fits") << QList{offer(640, 480, 30, mjpeg), offer(1920, 1080, 25, nv12)}
                                      << QSize(640, 480) << -1;
    }

    void cameraFormatRules()
    {
        QFETCH(QList<CameraFormatOffer>, offers);
        QFETCH(QSize, wanted);
        QFETCH(int, chosen);
        QCOMPARE(CameraFormatSelector::choose(offers, wanted), chosen);
    }

    // The animation steps through its hundred frames and starts again, never past the last.
    void animationShowsEachFrameOnceAPass()
    {
        VirtualMediaPlayer player;
        QCOMPARE(player.intervalMs(), 33);
        MyVideoSink sink;
        player.setVideoSink(&sink);
        QSignalSpy images(&sink, &MyVideoSink::newImage);
        for (int step = 1; step <= 101; ++step) {
            player.pushNextFrame();
            const int index = step <= 100 ? step : 1;
            QCOMPARE(player.frameIndex(), index);
            const QImage image = images.takeLast()[0].value<QImage>();
            QCOMPARE(image.size(), QSize(640, 480));
            QCOMPARE(image.pixelColor(discEdge(index) - QPoint(1, 0)), QColor(Qt::gray));
            QVERIFY2(isRed(image.pixelColor(discEdge(index) + QPoint(1, 0))), qPrintable(QString::number(step)));
        }
    }

    // A clip of five numbered frames played twelve times: 0 .. 4, 0 .. 4, 0, 1.
    void fileCameraLoopsAndReportsItsPosition()
    {
        QList<cv::Mat> numbered;
        for (int n = 0; n < 5; ++n)
            numbered << CodedFrames::frame(n);
        const QString clip = folder.filePath("numbered.mp4");
        QVERIFY(VideoRecorder::createVideoFromImages(clip, numbered, 10, QSize(160, 120)));

        VirtualCameraDevice camera;
        QSignalSpy props(&camera, &VirtualCameraDevice::propsChanged);
        QSignalSpy positions(&camera, &VirtualCameraDevice::posChanged);
        QVERIFY(camera.open(clip));
        QCOMPARE(props.size(), 1);
        QCOMPARE(props[0][0].toSize(), QSize(160, 120));
        QCOMPARE(props[0][1].toInt(), 5);
        QCOMPARE(camera.intervalMs(), 100);
        MyVideoSink sink;
        camera.setVideoSink(&sink);
        QSignalSpy images(&sink, &MyVideoSink::newImage);
        QList<int> shown, reported;
        for (int tick = 0; tick < 12; ++tick) {
            camera.pushNextFrame();
            shown << CodedFrames::numberIn(QImageToCvMat(images.takeLast()[0].value<QImage>()));
            reported << positions.takeLast()[0].toInt();
        }
        const QList<int> loop{0, 1, 2, 3, 4, 0, 1, 2, 3, 4, 0, 1};
        QCOMPARE(shown, loop);
        QCOMPARE(reported, loop);
        QCOMPARE(camera.position(), 1);

        // The bundled clip plays from a copy that leaves nothing in the temporary folder, however
        // the program ends.
        const QTemporaryDir systemTemp;
        const QByteArray ownTemp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(systemTemp.path()));
        const bool opened = camera.open(VirtualCameraDevice::defaultClipPath());
        const QStringList inTemp =
            QDir(systemTemp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        qputenv("TMPDIR", ownTemp);
        QVERIFY(opened);
        QCOMPARE(inTemp, QStringList());
        QCOMPARE(camera.frameSize(), QSize(640, 480));
        QVERIFY(camera.frameCount() > 30 * 30 && camera.frameCount() <= 60 * 30);
        QCOMPARE(camera.intervalMs(), 33);
        camera.pushNextFrame();
        QCOMPARE(images.takeLast()[0].value<QImage>().size(), QSize(640, 480));

        QVERIFY(!camera.open(folder.filePath("missing.mp4")));
        QVERIFY(GlobalConsole::currentText().contains("missing.mp4"));
        camera.pushNextFrame();
        QVERIFY(images.isEmpty());
    }

    // Each virtual source feeds the view's sink and, through it, the per-frame path, one frame a
    // tick at the source's own rate.
    void virtualSourcesFeedThePerFramePath_data()
    {
        QTest::addColumn<QString>("source");
        QTest::newRow("animation") << VideoWidget::virtualAnimationName;
        QTest::newRow("clip") << VideoWidget::virtualClipName;
    }

    void virtualSourcesFeedThePerFramePath()
    {
        QFETCH(QString, source);
        VideoWidget view(source, QSize(640, 480), false, nullptr);
        view.setFetchFrames(true);
        view.setGrayscale(true);
        QSignalSpy selected(&view, &VideoWidget::cameraSelected);
        view.selectCam();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected[0], (QVariantList{source, source}));
        VirtualMediaPlayer* player = view.virtualPlayer();
        QVERIFY(player && player->isPlaying());
        QCOMPARE(player->intervalMs(), 33);
        QCOMPARE(source == VideoWidget::virtualClipName, qobject_cast<VirtualCameraDevice*>(player) != nullptr);

        // From here on the test gives the ticks.
        player->stop();
        QSignalSpy fetched(&view, &VideoWidget::fetchFrame);
        settle(fetched);
        for (int tick = 0; tick < 3; ++tick)
            player->pushNextFrame();
        QCoreApplication::processEvents();
        QCOMPARE(fetched.size(), 3);
        for (const QList<QVariant>& frame : fetched) {
            const QImage image = frame[0].value<QImage>();
            QCOMPARE(image.size(), QSize(640, 480));
            QCOMPARE(image.format(), QImage::Format_Grayscale8);
        }
        // Hidden: the frames are fetched but not shown.
        QVERIFY(!view.frameSize().isValid());
    }

    // Asked before any frame arrived, a recording fails aloud; once frames arrive it records, the
    // view hidden or not, and the file holds a frame per 1/24 s of the clock.
    void recordingOfEachNonCameraSource_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QSize>("size");
        QTest::newRow("animation") << VideoWidget::virtualAnimationName << QSize(640, 480);
        QTest::newRow("clip") << VideoWidget::virtualClipName << QSize(640, 480);
        QTest::newRow("screen") << "scr1" << QGuiApplication::primaryScreen()->size();
    }

    void recordingOfEachNonCameraSource()
    {
        QFETCH(QString, source);
        QFETCH(QSize, size);
        ManualClock clock;
        VideoWidget view(source, QSize(640, 480), false, nullptr);
        view.setClock(&clock);
        view.setFetchFrames(true);
        QSignalSpy failed(&view, &VideoWidget::recordFailed);
        QSignalSpy started(&view, &VideoWidget::recordStarted);
        QSignalSpy begun(&view, &VideoWidget::recordingBegan);
        QSignalSpy stopped(&view, &VideoWidget::recordStopped);
        QSignalSpy duration(&view, &VideoWidget::recordDurationChanged);
        QSignalSpy fetched(&view, &VideoWidget::fetchFrame);
        const QString path = folder.filePath(QTest::currentDataTag() + QStringLiteral("/video.mp4"));

        view.selectCam();
        view.startRecord(path);
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed[0][0].toString(), path);
        QVERIFY(GlobalConsole::currentText().contains(path));
        QVERIFY(!view.getIsRecording());

        QVERIFY(fetched.wait(generous));
        const qint64 askedMs = clock.wallMs();
        view.startRecord(path);
        view.startRecord(path);
        QCOMPARE(started.size(), 1);
        // The video begins when it is asked for, not when its writer has opened.
        QCOMPARE(begun.size(), 1);
        QCOMPARE(begun[0][0].toLongLong(), askedMs);
        QCOMPARE(started[0][0].toString(), path);
        QVERIFY(view.getIsRecording());
        QVERIFY(!view.frameSize().isValid());
        // The first frame is written once the writer has opened; then two seconds pass.
        QTRY_VERIFY_WITH_TIMEOUT(!duration.isEmpty(), generous);
        clock.advance(2000);
        QTRY_VERIFY_WITH_TIMEOUT(duration.last()[0].toLongLong() >= 2000, generous);
        view.stopRecord();
        view.stopRecord();
        QVERIFY(!view.getIsRecording());
        QTRY_COMPARE_WITH_TIMEOUT(stopped.size(), 1, generous);
        QCOMPARE(stopped[0][0].toString(), path);
        QCOMPARE(begun.size(), 1);
        QCOMPARE(failed.size(), 1);

        const QList<cv::Mat> frames = framesOf(path);
        QVERIFY2(frames.size() >= 48 && frames.size() <= 50, qPrintable(QString::number(frames.size())));
        QCOMPARE(QSize(frames[0].cols, frames[0].rows), size);
        if (source == VideoWidget::virtualAnimationName)
            QVERIFY(hasRedDisc(frames[0]));
    }

    // Without cameras (none are attached here): the menu offers what the view may run, and a pick
    // starts it and marks it as in use.
    void sourceMenuOffersTheAllowedSources()
    {
        if (!QMediaDevices::videoInputs().isEmpty())
            QSKIP("a camera is attached");
        VideoWidget view;
        {
            VideoWidget::setAllowVirtual(false);
            std::unique_ptr<QMenu> menu(view.createSourceMenu());
            VideoWidget::setAllowVirtual(true);
            QCOMPARE(idsOf(*menu), QStringList{"-"});
            QCOMPARE(menu->actions().first()->text(), VideoWidget::tr("No available cameras"));
        }
        view.setAllowScreenCapture(true);
        std::unique_ptr<QMenu> menu(view.createSourceMenu());
        QStringList expected{"", "-"};
        for (int screen = 1; screen <= QGuiApplication::screens().size(); ++screen)
            expected << "scr" + QString::number(screen);
        expected << VideoWidget::virtualAnimationName << VideoWidget::virtualClipName;
        QCOMPARE(idsOf(*menu), expected);
        const QSize screenSize = QGuiApplication::screens().first()->size();
        QCOMPARE(entryWithId(*menu, "scr1")->text(), QStringLiteral("%1 1 (%2x%3)")
                                                         .arg(QCoreApplication::translate("Generic", "Screen"))
                                                         .arg(screenSize.width())
                                                         .arg(screenSize.height()));
        QCOMPARE(entryWithId(*menu, VideoWidget::virtualAnimationName)->text(), QStringLiteral("Virt"));
        QVERIFY(entryWithId(*menu, "")->isChecked());

        QSignalSpy selected(&view, &VideoWidget::cameraSelected);
        entryWithId(*menu, VideoWidget::virtualClipName)->trigger();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(view.getCameraName(), VideoWidget::virtualClipName);
        menu.reset(view.createSourceMenu());
        const QString inUse = QStringLiteral(" [") + VideoWidget::tr("In use") + QStringLiteral("]");
        QVERIFY(entryWithId(*menu, VideoWidget::virtualClipName)->isChecked());
        QVERIFY(entryWithId(*menu, VideoWidget::virtualClipName)->text().endsWith(inUse));
        QVERIFY(!entryWithId(*menu, VideoWidget::virtualAnimationName)->isChecked());
        QVERIFY(!entryWithId(*menu, "")->isChecked());
        QVERIFY(!entryWithId(*menu, "")->text().endsWith(inUse));

        // Another view's pick leaves this view's registration alone.
        VideoWidget other;
        other.setAllowScreenCapture(true);
        std::unique_ptr<QMenu> otherMenu(other.createSourceMenu());
        entryWithId(*otherMenu, "scr1")->trigger();
        QCOMPARE(VideoWidget::camerasInUse.size(), 2);
        QVERIFY(other.screenGrabber() && other.screenGrabber()->isActive());
        otherMenu.reset(other.createSourceMenu());
        entryWithId(*otherMenu, "")->trigger();
        QVERIFY(!other.screenGrabber());
        QCOMPARE(VideoWidget::camerasInUse.keys(), (QStringList{"", VideoWidget::virtualClipName}));
    }

    // The frame is centred in a wider view, with the layers over it; without a source the view
    // shows its placeholder.
    void shownViewDrawsTheFrameAndItsLayers()
    {
        VideoWidget view(VideoWidget::virtualAnimationName, QSize(640, 480), false, nullptr);
        view.resize(800, 480);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const QColor placeholder = view.grab().toImage().pixelColor(400, 5);
        QCOMPARE(placeholder.red(), placeholder.blue());
        QVERIFY(placeholder.red() >= 0x55 && placeholder.red() <= 0x66);

        view.selectCam();
        QTRY_COMPARE_WITH_TIMEOUT(view.frameSize(), QSize(640, 480), generous);
        view.virtualPlayer()->stop();
        QCoreApplication::processEvents();
        QImage shown = view.grab().toImage();
        QCOMPARE(shown.pixelColor(40, 240), QColor(0x33, 0x33, 0x33));
        QCOMPARE(shown.pixelColor(760, 240), QColor(0x33, 0x33, 0x33));
        QCOMPARE(shown.pixelColor(80 + 100, 240), QColor(Qt::gray));

        QImage overlay(640, 480, QImage::Format_ARGB32);
        overlay.fill(Qt::transparent);
        QPainter(&overlay).fillRect(0, 0, 320, 480, QColor(0, 0, 255));
        view.drawOverlay(overlay);
        shown = view.grab().toImage();
        QCOMPARE(shown.pixelColor(80 + 100, 240), QColor(0, 0, 255));
        QCOMPARE(shown.pixelColor(80 + 600, 240), QColor(Qt::gray));
        view.drawOverlay(QImage());
        QCOMPARE(view.grab().toImage().pixelColor(80 + 100, 240), QColor(Qt::gray));
    }

    // A source that stops delivering (a camera error takes the chain down) is chosen again by
    // the watchdog, in the user-interface thread; a virtual camera no longer allowed is let go.
    void lostSourceIsPickedUpAgain()
    {
        QList<QThread*> selectingThreads;
        VideoWidget view(VideoWidget::virtualClipName, QSize(640, 480), false, nullptr);
        view.setFetchFrames(true);
        view.selectCam();
        connect(
            &view, &VideoWidget::cameraSelected, this, [&] { selectingThreads << QThread::currentThread(); },
            Qt::DirectConnection);
        view.setWatchdogInterval(20);
        view.stopCamera();
        QVERIFY(!view.virtualPlayer()->isPlaying());
        QSignalSpy fetched(&view, &VideoWidget::fetchFrame);
        settle(fetched);
        QTRY_VERIFY_WITH_TIMEOUT(!selectingThreads.isEmpty(), generous);
        QCOMPARE(selectingThreads.first(), QThread::currentThread());
        QVERIFY(fetched.wait(generous));

        VideoWidget::setAllowVirtual(false);
        QTRY_VERIFY_WITH_TIMEOUT(!view.virtualPlayer()->isPlaying(), generous);
        VideoWidget::setAllowVirtual(true);
    }

private:
    QTemporaryDir folder;
};

QTEST_MAIN(TestCameraView)
#include "tst_cameraview.moc"
