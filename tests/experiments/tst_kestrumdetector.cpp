#include "BaseExperiment.h"
#include "Experiment_Stats.h"
#include "GlobalConsole.h"
#include "KestrumDetectorThread.h"
#include "KestrumSettings.h"
#include "OpenFieldFrames.h"
#include "TrackFrame.h"

#include <QPainter>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <thread>

namespace {

const QSize workSize(640, 480);
const QColor safeColor(30, 255, 0, 100);
const QColor dangerColor(255, 50, 0, 100);

struct Outcome
{
    int analyses = 0;
    bool detected = false;
    QPoint center;
    int area = 0;
    QRect rect;
    bool inDanger = false;
    QImage overlay;
};

// A detector whose frames are handed to its own loop one at a time, so that every outcome
// belongs to the frame just given.
class Detector : public KestrumDetectorThread
{
public:
    Detector()
    {
        connect(
            this, &KestrumDetectorThread::frameProcessed, this,
            [this](bool detected, QPoint center, int area, QRect rect, bool inDanger) {
                std::lock_guard lock(outcomeMutex);
                outcome = {outcome.analyses + 1, detected, center, area, rect, inDanger, {}};
            },
            Qt::DirectConnection);
        connect(
            this, &KestrumDetectorThread::overlayGenerated, this,
            [this](const QImage& overlay) {
                std::lock_guard lock(outcomeMutex);
                outcome.overlay = overlay;
            },
            Qt::DirectConnection);
        connect(
            this, &ZCV::ImageThread::onProcessImage, this, [this] { passes.release(); }, Qt::DirectConnection);
    }
    // The loop's last pass reports through the handlers above, which use this class's members:
    // it ends while they are still there, not in the base class's destructor.
    ~Detector() override
    {
        stop();
        wait();
    }

    Outcome analyse(const QImage& frame)
    {
        {
            std::lock_guard lock(outcomeMutex);
            outcome = {};
        }
        setImage(frame);
        if (!passes.tryAcquire(1, 30000))
            return {-1};
        // The pass is over once the loop takes frames again.
        while (!acceptsFrames())
            QThread::yieldCurrentThread();
        std::lock_guard lock(outcomeMutex);
        return outcome;
    }

private:
    bool acceptsFrames()
    {
        std::lock_guard lock(frameMutex);
        return accepting && !hasNew;
    }

    QSemaphore passes;
    std::mutex outcomeMutex;
    Outcome outcome;
};

struct Animal
{
    QPointF center; // in working coordinates
    QSizeF radii{30, 18};
    int level = 200;
};

// A uniform floor with ellipses drawn where the animals are, at any frame size: positions
// and radii are given at the working size and scaled with the frame.
QImage scene(int floor, const QList<Animal>& animals = {}, QSize size = workSize,
             QImage::Format format = QImage::Format_Grayscale8)
{
    QImage image(size, format);
    image.fill(QColor(floor, floor, floor));
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.scale(double(size.width()) / workSize.width(), double(size.height()) / workSize.height());
    for (const Animal& animal : animals) {
        painter.setBrush(QColor(animal.level, animal.level, animal.level));
        painter.drawEllipse(animal.center, animal.radii.width(), animal.radii.height());
    }
    return image;
}

// Erosion and dilation are anchored off the pixel, which moves the centre by a pixel or two.
bool near(QPoint found, QPointF expected)
{
    return qAbs(found.x() - expected.x()) <= 3 && qAbs(found.y() - expected.y()) <= 3;
}

bool fullyTransparent(const QImage& image)
{
    QImage clear(image.size(), image.format());
    clear.fill(Qt::transparent);
    return image == clear;
}

class NoRecord : public Experiment_Stats
{
public:
    using Experiment_Stats::Experiment_Stats;
    void start() override {}
    void finish() override {}
};

// Starts its run on the first frame with the animal and takes the left half for the danger zone.
class LeftIsDanger : public BaseExperiment
{
public:
    using BaseExperiment::BaseExperiment;
    QString typeKey() const override { return QStringLiteral("LeftIsDanger"); }
    Experiment_Stats* createStats(const QString& path) override { return new NoRecord(path, true); }
    QList<ResultColumn> resultColumns() override { return {}; }
    QString iconPath() override { return {}; }
    BaseExperiment* createInstance() override { return nullptr; }

protected:
    void processDetection(bool detected, QSize, QPoint center, const QRect&, bool& inDangerZone) override
    {
        inDangerZone = detected && center.x() < 320;
        if (isTriggered() && !isRunning() && detected && openRun())
            beginRun();
    }
    void onStartStop(bool) override {}
};

// The detector's own defaults but for these two.
void useParameters(int mode, int maxBrightness)
{
    KestrumDetectorThread::detectionThreshold = 10;
    KestrumDetectorThread::detectionDiffMode = mode;
    KestrumDetectorThread::detectionErode = 3;
    KestrumDetectorThread::detectionDilate = 10;
    KestrumDetectorThread::detectionMinArea = 420;
    KestrumDetectorThread::detectionMaxBrightness = uchar(maxBrightness);
}

bool insideAnalysedArea(QPointF point)
{
    const QRectF analysed(workSize.width() * KestrumDetectorThread::marginLeftRightPercent / 100,
                          workSize.height() * KestrumDetectorThread::marginTopBottomPercent / 100,
                          workSize.width() * (100 - 2 * KestrumDetectorThread::marginLeftRightPercent) / 100,
                          workSize.height() * (100 - 2 * KestrumDetectorThread::marginTopBottomPercent) / 100);
    return analysed.contains(point);
}

} // namespace

class TestKestrumDetector : public QObject
{
    Q_OBJECT

private slots:
    void init() { useParameters(KestrumDetectorThread::DiffMode_IfBrighter, 240); }
    void findsTheAnimal_data();
    void findsTheAnimal();
    void keepsTheAnimalAndDropsADistantBlob();
    void waitsForABackgroundAndSkipsNullFrames();
    void drivesTheExperimentAndWritesItsTrack();
    void recalibratesAndRetunesWhileFramesArrive();
    void findsARealMouse();
};

void TestKestrumDetector::findsTheAnimal_data()
{
    QTest::addColumn<int>("floor");
    QTest::addColumn<int>("animal");
    QTest::addColumn<QPointF>("center");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("maxBrightness");
    QTest::addColumn<QSize>("frameSize");
    QTest::addColumn<bool>("colour");
    QTest::addColumn<bool>("found");

    const QPointF middle(320, 240);
    const int brighter = KestrumDetectorThread::DiffMode_IfBrighter;
    const int darker = KestrumDetectorThread::DiffMode_IfDarker;
    const int both = KestrumDetectorThread::DiffMode_Abs;
    QTest::newRow("bright animal, if brighter") << 40 << 200 << middle << brighter << 240 << workSize << false << true;
    QTest::newRow("bright animal, if darker") << 40 << 200 << middle << darker << 240 << workSize << false << false;
    QTest::newRow("bright animal, either way") << 40 << 200 << middle << both << 240 << workSize << false << true;
    QTest::newRow("dark animal, if darker") << 180 << 40 << middle << darker << 240 << workSize << false << true;
    QTest::newRow("dark animal, if brighter") << 180 << 40 << middle << brighter << 240 << workSize << false << false;
    QTest::newRow("dark animal, either way") << 180 << 40 << middle << both << 240 << workSize << false << true;
    QTest::newRow("floor above MaxBrightness") << 230 << 40 << middle << darker << 200 << workSize << false << false;
    QTest::newRow("floor up to MaxBrightness") << 230 << 40 << middle << darker << 255 << workSize << false << true;
    QTest::newRow("left margin") << 40 << 200 << QPointF(40, 240) << brighter << 240 << workSize << false << false;
    QTest::newRow("bottom margin") << 40 << 200 << QPointF(320, 440) << brighter << 240 << workSize << false << false;
    QTest::newRow("1280 x 720 colour") << 40 << 200 << QPointF(400, 300) << brighter << 240 << QSize(1280, 720) << true
                                       << true;
    QTest::newRow("640 x 360") << 40 << 200 << QPointF(250, 200) << brighter << 240 << QSize(640, 360) << false << true;
}

void TestKestrumDetector::findsTheAnimal()
{
    QFETCH(int, floor);
    QFETCH(int, animal);
    QFETCH(QPointF, center);
    QFETCH(int, mode);
    QFETCH(int, maxBrightness);
    QFETCH(QSize, frameSize);
    QFETCH(bool, colour);
    QFETCH(bool, found);
    useParameters(mode, maxBrightness);
    const QImage::Format format = colour ? QImage::Format_RGB32 : QImage::Format_Grayscale8;
    Detector detector;
    detector.setBackground(scene(floor, {}, frameSize, format));

    const Animal ellipse{center, {30, 18}, animal};
    const Outcome outcome = detector.analyse(scene(floor, {ellipse}, frameSize, format));
    QCOMPARE(outcome.analyses, 1);
    QCOMPARE(outcome.detected, found);
    QCOMPARE(outcome.overlay.size(), workSize);
    if (!found) {
        QCOMPARE(outcome.center, QPoint(-1, -1));
        QCOMPARE(outcome.area, 0);
        QVERIFY(outcome.rect.isEmpty());
        QVERIFY(fullyTransparent(outcome.overlay));
        return;
    }
    QVERIFY2(near(outcome.center, center),
             qPrintable(QStringLiteral("centre %1, %2").arg(outcome.center.x()).arg(outcome.center.y())));
    // Erosion takes about a pixel off the outline, the dilation window of 10 puts about five on.
    const double ellipseArea = M_PI * 30 * 18;
    QVERIFY2(outcome.area > ellipseArea && outcome.area < M_PI * (30 + 5) * (18 + 5),
             qPrintable(QString::number(outcome.area)));
    QVERIFY(outcome.rect.contains(outcome.center));
    QCOMPARE(outcome.overlay.pixelColor(outcome.center), safeColor);
    QCOMPARE(outcome.overlay.pixelColor(outcome.center + QPoint(0, 40)).alpha(), 0);
}

void TestKestrumDetector::keepsTheAnimalAndDropsADistantBlob()
{
    Detector detector;
    detector.setBackground(scene(40));
    const Animal animal{{250, 240}};
    const Outcome alone = detector.analyse(scene(40, {animal}));
    const Outcome withSpeck = detector.analyse(scene(40, {animal, {{520, 330}, {14, 14}}}));
    QVERIFY(withSpeck.detected);
    QCOMPARE(withSpeck.center, alone.center);
    QCOMPARE(withSpeck.area, alone.area);
    QCOMPARE(withSpeck.overlay.pixelColor(520, 330).alpha(), 0);
}

void TestKestrumDetector::waitsForABackgroundAndSkipsNullFrames()
{
    Detector first;
    Detector second;
    const int number = first.objectName().mid(5).toInt();
    QVERIFY(first.objectName().startsWith(QStringLiteral("KsThd")) && number >= 1);
    QCOMPARE(second.objectName(), QStringLiteral("KsThd%1").arg(number + 1));

    const QImage frame = scene(40, {{{320, 240}}});
    QCOMPARE(first.analyse(frame).analyses, 0);
    QVERIFY(GlobalConsole::getAverageNames().contains(first.objectName() + QStringLiteral("FpsHz")));
    first.setBackground(QImage());
    first.setBackgroundPair(scene(40), QImage());
    QCOMPARE(first.analyse(frame).analyses, 0);

    first.setBackground(scene(40));
    QCOMPARE(first.analyse(QImage()).analyses, 0);
    const Outcome afterNullFrame = first.analyse(frame);
    QCOMPARE(afterNullFrame.analyses, 1);
    QVERIFY(afterNullFrame.detected);

    // A pair's frames are compared with its first reference. Each half's average counts its
    // blanked margins: 40 and 120 over 47 % of the half.
    QTest::ignoreMessage(QtDebugMsg, "avgs QList(19, 19, 58, 58) threshes QList(38, 38)");
    second.setBackgroundPair(scene(40), scene(120));
    QVERIFY(near(second.analyse(frame).center, QPointF(320, 240)));
}

void TestKestrumDetector::drivesTheExperimentAndWritesItsTrack()
{
    QTemporaryDir folder;
    LeftIsDanger experiment(folder.path());
    experiment.initSettingsFile(false);
    experiment.start(true);
    Detector detector;
    detector.setExperiment(&experiment);
    experiment.setBackground(scene(40));
    detector.setBackground(scene(40));

    const QList<Outcome> outcomes{detector.analyse(scene(40, {{{200, 240}}})),
                                  detector.analyse(scene(40, {{{420, 260}}})), detector.analyse(scene(40))};
    QVERIFY(outcomes[0].inDanger);
    QCOMPARE(outcomes[0].overlay.pixelColor(outcomes[0].center), dangerColor);
    QVERIFY(!outcomes[1].inDanger);
    QCOMPARE(outcomes[1].overlay.pixelColor(outcomes[1].center), safeColor);
    QVERIFY(!outcomes[2].detected);
    QCOMPARE(experiment.frameSize(), workSize);
    detector.setExperiment(nullptr);
    experiment.stop();

    NoRecord record(experiment.runFolder() + QStringLiteral("Stats.xml"), false);
    QVERIFY(record.openTrackForReview());
    for (quint32 key = 1; key <= 3; ++key) {
        const Outcome& outcome = outcomes[key - 1];
        TrackFrame frame;
        QVERIFY(record.readTrackFrame(key, frame));
        QCOMPARE(frame.detected, outcome.detected);
        if (!frame.detected)
            continue;
        QCOMPARE(frame.center(), outcome.center);
        QCOMPARE(frame.rect(), outcome.rect);
        QCOMPARE(frame.area, outcome.area);
        // The stored blob is the overlay without its marks.
        const QImage blob = QImage::fromData(frame.image).convertToFormat(QImage::Format_RGBA8888);
        QCOMPARE(blob.pixelColor(outcome.center), outcome.overlay.pixelColor(outcome.center));
        QCOMPARE(blob.pixelColor(outcome.center + QPoint(6, 0)), outcome.inDanger ? dangerColor : safeColor);
    }
    TrackFrame beyond;
    QVERIFY(!record.readTrackFrame(4, beyond));
}

// A new calibration, new parameters and a detached experiment, all while a camera delivers
// frames from its own thread: the sanitizers see any of them meet a frame in analysis.
void TestKestrumDetector::recalibratesAndRetunesWhileFramesArrive()
{
    QTemporaryDir folder;
    LeftIsDanger experiment(folder.path());
    KestrumSettings settings(folder.filePath(QStringLiteral("ExperimentSettings.xml")));
    Detector detector;
    std::atomic<int> frames{0};
    std::atomic<bool> wrongCentre{false};
    connect(
        &detector, &KestrumDetectorThread::frameProcessed, &detector,
        [&](bool detected, QPoint center) {
            ++frames;
            if (detected && !near(center, QPointF(320, 240)))
                wrongCentre = true;
        },
        Qt::DirectConnection);
    std::atomic<bool> delivering{true};
    std::thread camera([&] {
        const QImage frame = scene(40, {{{320, 240}}});
        while (delivering)
            detector.setImage(frame);
    });
    for (int round = 0; frames < 30 && round < 100000; ++round) {
        detector.setBackground(scene(40 + round % 2));
        detector.setExperiment(round % 2 ? &experiment : nullptr);
        settings.setDetectorSensitivity(80 + round % 20);
        KestrumDetectorThread::applyDetectionSettings(settings);
        QCoreApplication::processEvents();
    }
    delivering = false;
    camera.join();
    QVERIFY(frames >= 30);
    QVERIFY(!wrongCentre);
}

void TestKestrumDetector::findsARealMouse()
{
    const QList<LabelledFrame> frames = loadOpenFieldFrames();
    QCOMPARE(frames.size(), 20);
    // The application's defaults, but for the mode and the brightness limit this floor needs.
    QTemporaryDir folder;
    KestrumSettings settings(folder.filePath(QStringLiteral("ExperimentSettings.xml")));
    settings.setDiffMode(KestrumDetectorThread::DiffMode_IfDarker);
    settings.setMaxBrightness(255);
    KestrumDetectorThread::applyDetectionSettings(settings);
    Detector detector;
    detector.setBackground(medianBackground(frames));
    QList<double> errors;
    for (const LabelledFrame& frame : frames) {
        if (!insideAnalysedArea(frame.bodyCentre))
            continue;
        const Outcome outcome = detector.analyse(frame.image);
        QVERIFY(outcome.detected);
        errors.append(QLineF(QPointF(outcome.center), frame.bodyCentre).length());
    }
    std::sort(errors.begin(), errors.end());
    const double median = errors[errors.size() / 2];
    qInfo("%lld usable frames, all detected; centre error median %.1f px, maximum %.1f px", errors.size(), median,
          errors.last());
    QCOMPARE(errors.size(), 12);
    QVERIFY(median < 30);
    QVERIFY(errors.last() < 50);
}

QTEST_MAIN(TestKestrumDetector)
#include "tst_kestrumdetector.moc"
