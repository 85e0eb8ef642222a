#include "Clock.h"
#include "CodedFrames.h"
#include "CvConversions.h"
#include "DirectJumpSlider.h"
#include "Experiment_PlacePreference.h"
#include "Experiment_Stats.h"
#include "HeatMapRenderer.h"
#include "KestrumSettings.h"
#include "OverlayedVideoWidgetForKestrum.h"
#include "Patience.h"
#include "PlayableOverlayWithPoints.h"
#include "RatOverlayWidget.h"
#include "RecordingDevice.h"
#include "ReplayTrack.h"
#include "ShadowMapOverlayWidget.h"
#include "TrackDataFile.h"
#include "TrackFrame.h"
#include "VideoPlayer.h"
#include "VideoRecorder.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

namespace {

// The run: one record every 40 ms, the animal unseen in records 10 to 14. The detector works
// on frames half the video's size.
constexpr int records = 50;
constexpr int recordMs = 40;
// The wall-clock time the runs begin at; the first record is taken then.
constexpr qint64 runStartMs = 1'700'000'000'000;
// A run's video that begins this long after the run.
constexpr qint64 videoLateMs = 180;
const QSize recognition(320, 240);
const QSize video(640, 480);
const QColor blobColour(0, 255, 0);

bool seen(int record)
{
    return record < 10 || record >= 15;
}

QPoint centreOf(int record)
{
    return QPoint(10 + 6 * record, 40 + 3 * record);
}

QPoint onVideo(int record)
{
    return centreOf(record) * 2;
}

QRect blobRect(int record)
{
    return QRect(centreOf(record) - QPoint(3, 3), QSize(6, 6));
}

// A blob image as the detector hands it on: the whole frame, the animal painted in.
QImage blobImage(int record)
{
    QImage image(recognition, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter(&image).fillRect(blobRect(record), blobColour);
    return image;
}

struct Frame
{
    bool detected = false;
    QPoint centre;
    QImage blob;
};

// The short run, in step with the video.
Frame runFrame(int record)
{
    return {seen(record), centreOf(record), seen(record) ? blobImage(record) : QImage()};
}

// A long run without blob images, which would cost time.
Frame longRunFrame(int record)
{
    return {true, QPoint(record % 300 + 1, 100), QImage()};
}

// A place preference run on a manual clock, its records written as the engine writes them.
struct EngineRun
{
    explicit EngineRun(const QString& folder)
        : experiment(folder)
    {
        experiment.setClock(&clock);
        experiment.initSettingsFile(false);
        experiment.setDevice(&device);
        experiment.setBackground(QImage(64, 48, QImage::Format_RGB32));
    }

    // The detector's step and the track record of one frame.
    void take(bool detected, const QImage& blob, QPoint centre, const QRect& rect)
    {
        bool inDanger = false;
        experiment.processFrame(detected, recognition, centre, rect, inDanger);
        experiment.saveTrack(detected, blob, centre, rect, rect.width() * rect.height());
    }

    ManualClock clock{runStartMs};
    RecordingDevice device{&clock};
    Experiment_PlacePreference experiment;
};

QString writeRun(const QString& folder, int count, Frame (*frameOf)(int))
{
    EngineRun run(folder);
    run.experiment.start(true);
    for (int record = 0; record < count; ++record) {
        const Frame frame = frameOf(record);
        run.take(frame.detected, frame.blob, frame.centre, QRect(frame.centre - QPoint(3, 3), QSize(6, 6)));
        run.clock.advance(recordMs);
    }
    const QString folderOfRun = run.experiment.runFolder();
    run.experiment.stop();
    return folderOfRun + QStringLiteral("Track.tdata");
}

// The recorded run: its frames carry their number in a band above the arena, in which the
// animal, 40 pixels across on the video, runs 12 pixels a frame to the right.
constexpr int recordedFrames = 40;
constexpr int bandHeight = 120;

QRect animalOnVideo(int frame)
{
    return QRect(40 + 12 * frame, 280, 40, 40);
}

cv::Mat cameraPicture(int frame)
{
    cv::Mat picture(video.height(), video.width(), CV_8UC3, cv::Scalar(30, 30, 30));
    CodedFrames::frame(frame, cv::Size(video.width(), bandHeight))
        .copyTo(picture(cv::Rect(0, 0, video.width(), bandHeight)));
    const QRect animal = animalOnVideo(frame);
    picture(cv::Rect(animal.x(), animal.y(), animal.width(), animal.height())).setTo(cv::Scalar(255, 255, 255));
    return picture;
}

// A run recorded as a panel records one: every picture goes to the recorder, then through the
// detector's step; once a frame has begun the run, the user-interface thread asks for the video
// and the run notes that it began. The run folder, or nothing when the video was not made.
QString recordRun(const QString& folder)
{
    EngineRun run(folder);
    VideoRecorder recorder(QString(), 1000.0 / recordMs);
    recorder.setClock(&run.clock);
    bool finished = false;
    QObject::connect(&recorder, &VideoRecorder::recordFinished, &recorder, [&finished] { finished = true; });
    QObject::connect(
        &run.experiment, &BaseExperiment::startVideoRecord, &recorder,
        [&](const QString& path) {
            run.experiment.noteVideoStart(run.clock.wallMs());
            recorder.startRecord(path);
        },
        Qt::QueuedConnection);
    run.experiment.start(true);
    for (int frame = 0; frame < recordedFrames; ++frame) {
        if (frame > 0)
            run.clock.advance(recordMs);
        recorder.setFrame(cameraPicture(frame));
        const QRect rect(animalOnVideo(frame).topLeft() / 2, animalOnVideo(frame).size() / 2);
        QImage blob(recognition, QImage::Format_ARGB32);
        blob.fill(Qt::transparent);
        QPainter(&blob).fillRect(rect, blobColour);
        run.take(true, blob, rect.center(), rect);
        QCoreApplication::processEvents();
        // Each frame slot passes once its picture is in.
        if (frame > 0 && !QTest::qWaitFor([&] { return recorder.getFrameCount() == frame + 1; }, generous))
            return {};
    }
    const QString folderOfRun = run.experiment.runFolder();
    recorder.stopRecord();
    run.experiment.stop();
    return QTest::qWaitFor([&finished] { return finished; }, generous) ? folderOfRun : QString();
}

// The short run's records, the animal unseen in the first ten: the paradigms that start on the
// first frame whether or not the animal is there write such tracks. The writer's layout: keys
// from 1, the time only in records that saw the animal.
QString writeUnseenStart(const QString& path)
{
    TrackDataFile file;
    file.open(path, false);
    for (int record = 0; record < records; ++record) {
        TrackFrame frame;
        frame.detected = record >= 10;
        frame.timeMs = runStartMs + record * recordMs;
        frame.setCenter(centreOf(record));
        file.writeRecord(quint32(record + 1), frame, true);
    }
    return path;
}

// Undetected records are stored alike in both layouts, so the container writes a legacy track.
QString writeLegacyTrack(const QString& path, int count)
{
    TrackDataFile file;
    file.open(path, false);
    for (int key = 0; key < count; ++key)
        file.writeRecord(quint32(key), TrackFrame(), false);
    return path;
}

// What the overlay draws, on a transparent ground.
QImage picture(QWidget& overlay)
{
    QImage image(overlay.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    overlay.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

int alphaAt(const QImage& image, QPoint point)
{
    return image.pixelColor(point).alpha();
}

bool blank(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                return false;
    return true;
}

bool near(const QColor& one, const QColor& other)
{
    return qAbs(one.red() - other.red()) <= 3 && qAbs(one.green() - other.green()) <= 3
           && qAbs(one.blue() - other.blue()) <= 3 && qAbs(one.alpha() - other.alpha()) <= 3;
}

bool showsLabel(const QWidget& widget, const QString& text)
{
    const QList<QLabel*> labels = widget.findChildren<QLabel*>();
    return std::any_of(labels.cbegin(), labels.cend(), [&text](const QLabel* label) { return label->text() == text; });
}

// The middle of the pixels inside `area` that pass `test`; none when no pixel does.
std::optional<QPointF> middleOf(const QImage& image, const QRect& area, const std::function<bool(QColor)>& test)
{
    QPointF sum;
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (test(image.pixelColor(x, y))) {
                sum += QPointF(x, y);
                ++count;
            }
    return count > 0 ? std::optional<QPointF>(sum / count) : std::nullopt;
}

// The player last told that it rests on a frame.
bool endsPaused(const QSignalSpy& states)
{
    return !states.isEmpty() && states.last().at(0).value<QMediaPlayer::PlaybackState>() == QMediaPlayer::PausedState;
}

// A player starts the multimedia back end and its sound output, which hand their work over
// through locks in libraries ThreadSanitizer cannot see; the player runs in one thread.
#ifdef __SANITIZE_THREAD__
#define skipPlayersUnderThreadSanitizer() QSKIP("The multimedia back ends are not built for ThreadSanitizer")
#else
#define skipPlayersUnderThreadSanitizer()
#endif

template <typename Overlay>
void placeOverVideo(Overlay& overlay)
{
    overlay.resize(video);
    overlay.setVideoSize(video);
    overlay.show();
}

template <typename Overlay>
bool loadedOverVideo(Overlay& overlay, TrackDataFile& file)
{
    placeOverVideo(overlay);
    overlay.setTrackFile(&file);
    return QTest::qWaitFor([&overlay] { return !overlay.isLoading(); }, generous);
}

} // namespace

class ReplayOverlaysTest : public QObject
{
    Q_OBJECT

    // What is wrong between the frame on screen and what the animal overlay shows over it: which
    // frame's record it shows, and how far its blob lies from the animal; empty when they agree.
    static QString overlayOffTheAnimal(OverlayedVideoWidget& widget)
    {
        const auto* player = widget.findChild<ZCV::VideoPlayer*>();
        const auto* rat = widget.findChild<RatOverlayWidget*>();
        const QRect shown = player->videoRect().translated(player->mapTo(&widget, QPoint()));
        const int band = bandHeight * shown.height() / video.height();
        const QRect arena = shown.adjusted(0, band + 2, 0, 0);
        const int record = rat->currentIndex();
        const QImage covered = widget.grab().toImage();
        widget.setOverlayOption(OverlayedVideoWidget::NoOverlay);
        const QImage bare = widget.grab().toImage();
        widget.setOverlayOption(OverlayedVideoWidget::Blob);
        const int frame = CodedFrames::numberIn(
            QImageToCvMat(bare.copy(shown.x(), shown.y(), shown.width(), band).convertToFormat(QImage::Format_RGB32)));
        const auto animal = middleOf(bare, arena, [](QColor colour) { return colour.lightness() > 200; });
        const auto blob = middleOf(covered, arena, [](QColor colour) { return colour.green() - colour.red() > 60; });
        if (!animal || !blob)
            return QStringLiteral("frame %1 shows no animal or record %2 no blob").arg(frame).arg(record);
        const double apart = QLineF(*animal, *blob).length();
        if (record != frame || apart > 3)
            return QStringLiteral("frame %1 on screen, the record of frame %2 shown %3 pixels away")
                .arg(frame)
                .arg(record)
                .arg(apart, 0, 'f', 1);
        return {};
    }

    // Where the Track overlay's path lies against the animal on screen: how many of its pixels
    // are over the arena behind the animal, and how many reach past it.
    struct PathAndAnimal
    {
        int behind = 0;
        int ahead = 0;
    };

    static std::optional<PathAndAnimal> pathAgainstTheAnimal(OverlayedVideoWidget& widget)
    {
        const auto* player = widget.findChild<ZCV::VideoPlayer*>();
        const QRect shown = player->videoRect().translated(player->mapTo(&widget, QPoint()));
        const QRect arena = shown.adjusted(0, bandHeight * shown.height() / video.height() + 2, 0, 0);
        const QImage covered = widget.grab().toImage();
        widget.setOverlayOption(OverlayedVideoWidget::NoOverlay);
        const QImage bare = widget.grab().toImage();
        widget.setOverlayOption(OverlayedVideoWidget::Track);
        int animalRight = -1;
        for (int y = arena.top(); y <= arena.bottom(); ++y)
            for (int x = arena.left(); x <= arena.right(); ++x)
                if (bare.pixelColor(x, y).lightness() > 200)
                    animalRight = std::max(animalRight, x);
        if (animalRight < 0)
            return std::nullopt;
        PathAndAnimal found;
        for (int y = arena.top(); y <= arena.bottom(); ++y)
            for (int x = arena.left(); x <= arena.right(); ++x) {
                const QColor colour = covered.pixelColor(x, y);
                if (colour.blue() - colour.red() > 60)
                    ++(x > animalRight ? found.ahead : found.behind);
            }
        return found;
    }

    // The run recorded through the recorder, made once for the tests that replay it.
    QString recordedRun()
    {
        if (recorded.isEmpty())
            recorded = recordRun(folder.filePath(QStringLiteral("recorded")));
        return recorded;
    }

    QTemporaryDir folder;
    QString runTrack;
    QString unseenStartTrack;
    QString longTrack;
    QString legacyTrack;
    QString videoPath;
    QString recorded;

private slots:
    void initTestCase()
    {
        // GStreamer's PulseAudio device monitor keeps allocations the leak checker cannot place.
        qputenv("QT_MEDIA_BACKEND", "ffmpeg");
        QVERIFY(folder.isValid());
        runTrack = writeRun(folder.filePath(QStringLiteral("short")), records, runFrame);
        unseenStartTrack = writeUnseenStart(folder.filePath(QStringLiteral("unseen-start.tdata")));
        longTrack = writeRun(folder.filePath(QStringLiteral("long")), 4000, longRunFrame);
        legacyTrack = writeLegacyTrack(folder.filePath(QStringLiteral("Track.data")), 250);
        QList<cv::Mat> frames;
        for (int frame = 0; frame < records; ++frame)
            frames << CodedFrames::frame(frame, cv::Size(video.width(), video.height()));
        videoPath = folder.filePath(QStringLiteral("video.mp4"));
        QVERIFY(VideoRecorder::createVideoFromImages(videoPath, frames, 1000.0 / recordMs, video));
    }

    // The writer numbers its records from 1. The record shown is the one taken with the frame on
    // screen: undetected records, which carry no time, lie between the timed ones, also at the
    // start of a run; a video whose beginning the run noted starts with the first record taken
    // after it, as its first picture came after it.
    void positionsPickTheRecordShown_data()
    {
        QTest::addColumn<QString>("track");
        QTest::addColumn<qint64>("videoStart");
        QTest::addColumn<qint64>("position");
        QTest::addColumn<qint64>("duration");
        QTest::addColumn<int>("index");
        const QString run = QStringLiteral("run");
        const QString unseenStart = QStringLiteral("unseen start");
        const qint64 late = runStartMs + videoLateMs;
        QTest::newRow("start") << run << qint64(0) << qint64(0) << qint64(2000) << 0;
        QTest::newRow("between two records") << run << qint64(0) << qint64(50) << qint64(2000) << 1;
        QTest::newRow("on a record") << run << qint64(0) << qint64(80) << qint64(2000) << 2;
        QTest::newRow("last seen before a gap") << run << qint64(0) << qint64(370) << qint64(2000) << 9;
        QTest::newRow("while unseen") << run << qint64(0) << qint64(490) << qint64(2000) << 12;
        QTest::newRow("seen again") << run << qint64(0) << qint64(600) << qint64(2000) << 15;
        QTest::newRow("last record") << run << qint64(0) << qint64(1960) << qint64(2000) << 49;
        QTest::newRow("past the last") << run << qint64(0) << qint64(1990) << qint64(2000) << 50;
        QTest::newRow("unseen at the start") << unseenStart << qint64(0) << qint64(210) << qint64(2000) << 5;
        QTest::newRow("first sighting") << unseenStart << qint64(0) << qint64(410) << qint64(2000) << 10;
        QTest::newRow("video begins with the run") << run << runStartMs << qint64(0) << qint64(2000) << 1;
        QTest::newRow("video begins late") << run << late << qint64(0) << qint64(1820) << 5;
        QTest::newRow("late video, later") << run << late << qint64(630) << qint64(1820) << 20;
        QTest::newRow("late video, unseen start") << unseenStart << late << qint64(230) << qint64(1820) << 10;
        QTest::newRow("video begins early") << run << runStartMs - 100 << qint64(50) << qint64(2100) << -1;
        QTest::newRow("legacy, spread evenly") << "legacy" << qint64(0) << qint64(4000) << qint64(10000) << 100;
    }

    void positionsPickTheRecordShown()
    {
        QFETCH(QString, track);
        QFETCH(qint64, videoStart);
        QFETCH(qint64, position);
        QFETCH(qint64, duration);
        QFETCH(int, index);
        const bool legacy = track == QLatin1String("legacy");
        TrackDataFile file;
        QVERIFY(file.open(legacy ? legacyTrack : track == QLatin1String("run") ? runTrack : unseenStartTrack, true));
        ReplayTrack replay(file.keys(), legacy);
        QVERIFY(replay.load(file, [] { return true; }));
        QCOMPARE(replay.recordIndexAt(position, duration, videoStart), index);
        QCOMPARE(replay.recordIndexAt(position, 0, videoStart), std::nullopt);
        QCOMPARE(replay.count(), legacy ? 250 : records);
        if (track == QLatin1String("run"))
            QCOMPARE(replay.blobSize(), recognition);
    }

    // The blob image covers the whole detector frame, so it is stretched over the video.
    void animalOverlayShowsTheBlobOfTheFrame()
    {
        TrackDataFile file;
        QVERIFY(file.open(runTrack, true));
        RatOverlayWidget overlay;
        QVERIFY(loadedOverVideo(overlay, file));
        const auto showsBlobOf = [&overlay](int record) {
            const QImage shown = picture(overlay);
            return shown.pixelColor(onVideo(record)).green() > 200 && qAbs(alphaAt(shown, onVideo(record)) - 128) <= 2
                   && alphaAt(shown, onVideo(record + 1)) == 0 && alphaAt(shown, onVideo(record - 1)) == 0;
        };
        overlay.syncToPosition(20 * recordMs + 10, 2000);
        QVERIFY(showsBlobOf(20));
        // While another reader holds the file, the blob shown stays.
        QVERIFY(file.claim());
        overlay.syncToPosition(30 * recordMs, 2000);
        QVERIFY(showsBlobOf(20));
        file.release();
        overlay.syncToPosition(30 * recordMs, 2000);
        QVERIFY(showsBlobOf(30));
        // A video that began after the run shows, at each position, the record taken with it.
        overlay.setVideoStart(runStartMs + videoLateMs);
        overlay.syncToPosition(20 * recordMs + 10 - videoLateMs, 2000);
        QVERIFY(showsBlobOf(20));
        overlay.setVideoStart(0);
        // Nothing for a record without the animal, nor past the last record.
        for (qint64 position : {qint64(12 * recordMs), qint64(1999)}) {
            overlay.syncToPosition(position, 2000);
            QVERIFY(blank(picture(overlay)));
        }
    }

    // Undetected records keep their places: neither view runs ahead of the video or draws across
    // the stretch where the animal was not seen.
    void pathAndHeatMapStayInStepAfterUndetectedFrames()
    {
        TrackDataFile file;
        QVERIFY(file.open(runTrack, true));
        ShadowMapOverlayWidget overlay;
        QVERIFY(loadedOverVideo(overlay, file));
        QCOMPARE(overlay.points().size(), records);
        QCOMPARE(overlay.points().first(), centreOf(0));
        QCOMPARE(overlay.points().at(12), PlayableOverlayWithPoints::noPoint);
        QCOMPARE(overlay.points().at(15), centreOf(15));
        overlay.syncToPosition(20 * recordMs, 2000);
        QCOMPARE(overlay.currentIndex(), 20);

        overlay.setView(ShadowMapOverlayWidget::Path);
        QImage shown = picture(overlay);
        const QPoint newest = (onVideo(18) + onVideo(19)) / 2;
        QVERIFY(near(shown.pixelColor(newest), QColor(0x00, 0xCC, 0xFF, 180)));
        QVERIFY(alphaAt(shown, (onVideo(4) + onVideo(5)) / 2) > 0);
        for (int unseen : {9, 10, 12, 14})
            QCOMPARE(alphaAt(shown, (onVideo(unseen) + onVideo(unseen + 1)) / 2), 0);
        QCOMPARE(alphaAt(shown, onVideo(22)), 0);

        overlay.setView(ShadowMapOverlayWidget::HeatMap);
        shown = picture(overlay);
        QVERIFY(alphaAt(shown, onVideo(17)) > 0);
        QCOMPARE(alphaAt(shown, onVideo(23)), 0);
        QCOMPARE(alphaAt(shown, onVideo(45)), 0);
        // Before the first record the map covers the whole run.
        overlay.syncToPosition(0, 2000);
        QVERIFY(alphaAt(picture(overlay), onVideo(45)) > 0);
    }

    void heatMapCentreAndPalettes_data()
    {
        QTest::addColumn<int>("palette");
        QTest::addColumn<QColor>("lowest");
        QTest::addColumn<QColor>("highest");
        const QColor clear(0, 0, 0, 0);
        QTest::newRow("1") << 1 << QColor(Qt::black) << clear;
        QTest::newRow("2") << 2 << QColor(Qt::blue) << QColor(Qt::red);
        QTest::newRow("3") << 3 << QColor(0, 0, 255, 0) << QColor(Qt::red);
        QTest::newRow("4") << 4 << clear << QColor(Qt::white);
        QTest::newRow("5") << 5 << QColor(Qt::white) << clear;
        QTest::newRow("other") << 0 << clear << QColor(Qt::black);
    }

    void heatMapCentreAndPalettes()
    {
        QFETCH(int, palette);
        QFETCH(QColor, lowest);
        QFETCH(QColor, highest);
        const HeatMapRenderer renderer(24, palette, 1.0);
        QVERIFY(near(renderer.paletteColor(0), lowest) || lowest.alpha() == 0);
        QVERIFY(near(renderer.paletteColor(1023), highest) || highest.alpha() == 0);
        QCOMPARE(renderer.paletteColor(0).alpha(), lowest.alpha());
        QVERIFY(qAbs(renderer.paletteColor(1023).alpha() - highest.alpha()) <= 3);

        const QImage map = renderer.render({QPoint(50, 50), QPoint(-100, -100)}, 100, 100, 1, 1);
        QCOMPARE(map.pixelColor(50, 50), renderer.paletteColor(1023));
        QVERIFY(map.pixelColor(50 + 20, 50) != renderer.paletteColor(0));
        QCOMPARE(map.pixelColor(50 + 24, 50), renderer.paletteColor(0));
        QCOMPARE(map.pixelColor(50, 50 - 25), renderer.paletteColor(0));
        // A whole run's many points are spread by several threads, to the same picture.
        QCOMPARE(renderer.render(QList<QPoint>(3000, QPoint(50, 50)), 100, 100, 1, 1), map);
        const QImage empty = renderer.render({}, 8, 8, 1, 1);
        QCOMPARE(empty.pixelColor(3, 3), renderer.paletteColor(0));
        QVERIFY(renderer.render({QPoint(1, 1)}, 0, 8, 1, 1).isNull());
        QCOMPARE(HeatMapRenderer(24, 3, 0.8).paletteColor(1023).alpha(), 204);
    }

    // The track is read in the overlay's loader, which waits while another reader holds the
    // file; meanwhile this thread reads records too. Detaching stops the loader before it returns.
    void loadingStaysOffTheWindowThread()
    {
        TrackDataFile file;
        QVERIFY(file.open(longTrack, true));
        ShadowMapOverlayWidget overlay;
        placeOverVideo(overlay);
        QVERIFY(file.claim());
        overlay.setTrackFile(&file);
        overlay.syncToPosition(2000 * recordMs, 4000 * recordMs);
        QVERIFY(overlay.isLoading());
        QCOMPARE(overlay.currentIndex(), 0);
        QVERIFY(!blank(picture(overlay))); // "Loading data"
        file.release();

        const QList<quint32> keys = file.keys();
        int wrong = 0;
        do {
            for (int record = 0; record < keys.size(); record += 7) {
                TrackFrame frame;
                if (!file.readRecord(keys.at(record), frame) || frame.center() != longRunFrame(record).centre)
                    ++wrong;
            }
            QCoreApplication::processEvents();
        } while (overlay.isLoading());
        QCOMPARE(wrong, 0);
        QCOMPARE(overlay.currentIndex(), 2000);

        overlay.setTrackFile(&file);
        QVERIFY(overlay.isLoading());
        overlay.setTrackFile(nullptr);
        QVERIFY(!file.isInUse());
        file.close();
        QCoreApplication::processEvents();
        QVERIFY(!overlay.isLoading());
        QCOMPARE(overlay.frameCount(), 0);
    }

    void playerSeeksPausesAndSteps()
    {
        skipPlayersUnderThreadSanitizer();
        TrackDataFile file; // outlives the player it is attached to
        QVERIFY(file.open(runTrack, true));
        OverlayedVideoWidget widget;
        widget.resize(800, 700);
        widget.show();
        auto* player = widget.findChild<ZCV::VideoPlayer*>();
        auto* slider = widget.findChild<DirectJumpSlider*>();
        auto* rat = widget.findChild<RatOverlayWidget*>();
        const auto button = [&widget](const char* toolTip) {
            for (QPushButton* candidate : widget.findChildren<QPushButton*>())
                if (candidate->toolTip() == QLatin1String(toolTip))
                    return candidate;
            return static_cast<QPushButton*>(nullptr);
        };
        QSignalSpy positions(&widget, &OverlayedVideoWidget::posChanged);

        // No frame rate before a video is loaded: a step does nothing.
        widget.setFrameSteppingEnabled(true);
        QVERIFY(!button("Next frame")->isVisible());
        widget.stepFrames(1);
        QVERIFY(positions.isEmpty());

        widget.setDuration(61500);
        QVERIFY(showsLabel(widget, QStringLiteral("01:02")));
        widget.seek(61500, false);
        QVERIFY(showsLabel(widget, QStringLiteral("01:01.500")));

        widget.loadVideo(videoPath);
        widget.setTrackFile(&file);
        QTRY_VERIFY_WITH_TIMEOUT(slider->isEnabled() && slider->maximum() >= 1960, generous);
        QCOMPARE(slider->value(), 0);
        QVERIFY(button("Play")->isVisible() && !button("Pause")->isVisible());

        QTest::mouseClick(button("Play"), Qt::LeftButton);
        QVERIFY(button("Pause")->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(player->position() > 0, generous);
        const QPoint click(slider->width() * 13 / 20, slider->height() / 2);
        QTest::mouseClick(slider, Qt::LeftButton, {}, click);
        const int clicked = slider->maximum() * 13 / 20;
        QVERIFY(qAbs(slider->value() - clicked) <= slider->maximum() / 100);
        QVERIFY(button("Play")->isVisible() && !button("Pause")->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(player->position() - clicked) <= recordMs, generous);
        QTRY_COMPARE_WITH_TIMEOUT(rat->currentIndex(), int(player->position() / recordMs), generous);
        // The blob lies over the picture, on the animal.
        const QRect shownVideo = player->videoRect();
        const QPoint animal = player->mapTo(
            &widget, shownVideo.topLeft() + onVideo(rat->currentIndex()) * shownVideo.width() / video.width());
        widget.setOverlayOption(OverlayedVideoWidget::NoOverlay);
        const QColor bare = widget.grab().toImage().pixelColor(animal);
        widget.setOverlayOption(OverlayedVideoWidget::Blob);
        const QColor halfGreen((bare.red() + blobColour.red()) / 2, (bare.green() + blobColour.green()) / 2,
                               (bare.blue() + blobColour.blue()) / 2);
        QVERIFY(near(widget.grab().toImage().pixelColor(animal), halfGreen));
        // The overlay chosen now starts at the frame on screen.
        widget.setOverlayOption(OverlayedVideoWidget::Shadow);
        QTRY_COMPARE_WITH_TIMEOUT(widget.findChild<ShadowMapOverlayWidget*>()->currentIndex(), rat->currentIndex(),
                                  generous);

        // Dragging the handle seeks all the way and ends paused.
        const QPoint handle(slider->width() * slider->value() / slider->maximum(), slider->height() / 2);
        QTest::mousePress(slider, Qt::LeftButton, {}, handle);
        QTest::mouseMove(slider, handle - QPoint(slider->width() / 5, 0));
        QVERIFY(slider->value() < clicked - slider->maximum() / 10);
        QCOMPARE(positions.last().at(0).toLongLong(), slider->value());
        QTest::mouseRelease(slider, Qt::LeftButton, {}, handle - QPoint(slider->width() / 5, 0));
        QVERIFY(button("Play")->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(player->position() - slider->value()) <= recordMs, generous);

        QVERIFY(button("Next frame")->isVisible());
        const qint64 before = player->position();
        QTest::mouseClick(button("Next frame"), Qt::LeftButton);
        QCOMPARE(positions.last().at(0).toLongLong(), before + recordMs);
        QVERIFY(button("Play")->isVisible());

        // Where the metadata leave the size out, the first frame tells it.
        emit player->videoSizeChanged(QSize(320, 240));
        QTRY_COMPARE_WITH_TIMEOUT(rat->sizeHint(), QSize(320, 240), generous);

        // A second video starts over, paused at 0.
        widget.loadVideo(videoPath);
        QCOMPARE(slider->value(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(slider->isEnabled(), generous);
        QCOMPARE(slider->value(), 0);
        QVERIFY(button("Play")->isVisible() && !button("Pause")->isVisible());
        widget.setTrackFile(nullptr);
    }

    // The recorded run in a player whose overlay was chosen before the run: once the player rests
    // at the start with the track read by the overlay shown, the player; null when it does not
    // get there.
    std::unique_ptr<OverlayedVideoWidget> openedRecordedRun(TrackDataFile& file,
                                                            OverlayedVideoWidget::OverlayOptions option)
    {
        const QString run = recordedRun();
        if (run.isEmpty() || !file.open(run + QStringLiteral("Track.tdata"), true))
            return nullptr;
        Experiment_PlacePreference paradigm(folder.filePath(QStringLiteral("recorded")));
        const std::unique_ptr<Experiment_Stats> stats(paradigm.createStats(run + QStringLiteral("Stats.xml")));
        if (stats->getVideoStartMs() <= 0)
            return nullptr;
        auto widget = std::make_unique<OverlayedVideoWidget>();
        widget->resize(800, 700);
        widget->setOverlayOption(option);
        widget->show();
        const auto* player = widget->findChild<ZCV::VideoPlayer*>();
        const auto* slider = widget->findChild<DirectJumpSlider*>();
        const QList<PlayableOverlay*> overlays = widget->findChildren<PlayableOverlay*>();
        QSignalSpy states(player, &ZCV::VideoPlayer::playbackStateChanged);
        widget->loadVideo(run + QStringLiteral("video.mp4"));
        widget->setVideoStart(stats->getVideoStartMs());
        widget->setTrackFile(&file);
        const bool resting = QTest::qWaitFor(
            [&] {
                return slider->isEnabled() && endsPaused(states)
                       && std::none_of(overlays.cbegin(), overlays.cend(), [](const PlayableOverlay* overlay) {
                              return overlay->isVisible() && overlay->isLoading();
                          });
            },
            generous);
        return resting && slider->value() == 0 ? std::move(widget) : nullptr;
    }

    // A run recorded through the recorder, its animal running from the first frame on. Paused at
    // the start, once the run is chosen and again once playback is taken back there, the animal
    // overlay shows the record of the frame on screen, over the animal in it.
    void pausedStartShowsTheRecordOfTheFrameOnScreen()
    {
        skipPlayersUnderThreadSanitizer();
        TrackDataFile file;
        const std::unique_ptr<OverlayedVideoWidget> widget = openedRecordedRun(file, OverlayedVideoWidget::Blob);
        QVERIFY(widget);
        auto* player = widget->findChild<ZCV::VideoPlayer*>();
        QTRY_COMPARE_WITH_TIMEOUT(overlayOffTheAnimal(*widget), QString(), generous);

        QSignalSpy states(player, &ZCV::VideoPlayer::playbackStateChanged);
        for (QPushButton* button : widget->findChildren<QPushButton*>())
            if (button->toolTip() == QLatin1String("Play"))
                QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(player->position() > 10 * recordMs, generous);
        states.clear();
        widget->seek(0, true);
        QTRY_VERIFY_WITH_TIMEOUT(endsPaused(states), generous);
        QCOMPARE(widget->findChild<DirectJumpSlider*>()->value(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(overlayOffTheAnimal(*widget), QString(), generous);
        widget->setTrackFile(nullptr);
    }

    // The recorded run opened while the Track overlay is chosen: paused at the start, and paused
    // halfway, the path reaches no further than the animal on screen.
    void pausedTrackShowsOnlyThePathWalked()
    {
        skipPlayersUnderThreadSanitizer();
        TrackDataFile file;
        const std::unique_ptr<OverlayedVideoWidget> widget = openedRecordedRun(file, OverlayedVideoWidget::Track);
        QVERIFY(widget);
        const auto* path = widget->findChild<ShadowMapOverlayWidget*>();
        QVERIFY(path->isVisible() && path->view() == ShadowMapOverlayWidget::Path);
        std::optional<PathAndAnimal> found = pathAgainstTheAnimal(*widget);
        QVERIFY(found);
        QCOMPARE(found->ahead, 0);

        const qint64 halfway = recordedFrames / 2 * recordMs;
        const auto* player = widget->findChild<ZCV::VideoPlayer*>();
        QSignalSpy states(player, &ZCV::VideoPlayer::playbackStateChanged);
        widget->seek(halfway, true);
        // The back end tells the place sought before the frame there is on screen.
        QTRY_VERIFY_WITH_TIMEOUT(endsPaused(states) && qAbs(player->position() - halfway) <= recordMs, generous);
        QTRY_VERIFY_WITH_TIMEOUT((found = pathAgainstTheAnimal(*widget)) && found->behind > 0, generous);
        QCOMPARE(found->ahead, 0);
        widget->setTrackFile(nullptr);
    }

    // The choice stored in the settings holds from the start, and every change follows.
    void overlayOptionFollowsTheSettings_data()
    {
        QTest::addColumn<VideoOverlayOptions::OverlayOptions>("option");
        QTest::addColumn<bool>("blobShown");
        QTest::addColumn<bool>("shadowShown");
        QTest::addColumn<ShadowMapOverlayWidget::OverlayView>("view");
        QTest::newRow("none") << VideoOverlayOptions::NoOverlay << false << false << ShadowMapOverlayWidget::HeatMap;
        QTest::newRow("path") << VideoOverlayOptions::Track << false << true << ShadowMapOverlayWidget::Path;
        QTest::newRow("blob") << VideoOverlayOptions::Blob << true << false << ShadowMapOverlayWidget::HeatMap;
        QTest::newRow("heat map") << VideoOverlayOptions::Shadow << false << true << ShadowMapOverlayWidget::HeatMap;
    }

    void overlayOptionFollowsTheSettings()
    {
        QFETCH(VideoOverlayOptions::OverlayOptions, option);
        QFETCH(bool, blobShown);
        QFETCH(bool, shadowShown);
        QFETCH(ShadowMapOverlayWidget::OverlayView, view);
        skipPlayersUnderThreadSanitizer();
        KestrumSettings settings(folder.filePath(QStringLiteral("ExperimentSettings.xml")));
        const auto follows = [&](QWidget& widget) {
            return widget.findChild<RatOverlayWidget*>()->isVisible() == blobShown
                   && widget.findChild<ShadowMapOverlayWidget*>()->isVisible() == shadowShown
                   && (!shadowShown || widget.findChild<ShadowMapOverlayWidget*>()->view() == view);
        };
        settings.setOverlayOptions(option);
        OverlayedVideoWidgetForKestrum fromStart(&settings);
        fromStart.show();
        QVERIFY(follows(fromStart));
        settings.setOverlayOptions(option == VideoOverlayOptions::Blob ? VideoOverlayOptions::Shadow
                                                                       : VideoOverlayOptions::Blob);
        OverlayedVideoWidgetForKestrum changed(&settings);
        changed.show();
        settings.setOverlayOptions(option);
        QVERIFY(follows(changed));
    }
};

#ifdef __SANITIZE_ADDRESS__
// Qt 6.4's FFmpeg back end leaves each player's codec options behind, allocated where the leak
// checker's quick unwinding ends inside FFmpeg's utility library.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libavutil\n";
}
#endif

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    ReplayOverlaysTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_replayoverlays.moc"
