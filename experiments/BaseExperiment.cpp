#include "BaseExperiment.h"

#include "DashedPens.h"
#include "Experiment_Stats.h"
#include "FileUtilities.h"
#include "GlobalConsole.h"
#include "KestrumBaseDevice.h"
#include "SettingsFileHelper.h"
#include "TextHelper.h"
#include "TrackDataFile.h"
#include "TrackFrame.h"

#include <QBuffer>
#include <QDir>
#include <QFontMetrics>
#include <QHash>
#include <QMutexLocker>
#include <QPainter>
#include <QTimer>

#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr int tickIntervalMs = 250;
// A run cut off (a crash, a power cut) loses at most this much of its record.
constexpr qint64 progressSaveIntervalMs = 10000;
constexpr int minimumOverlaySide = 100;

// The detector's blob overlay is one colour on a transparent frame. As a two-colour (1-bit)
// image it encodes as PNG many times faster than at 32 bits and decodes to the same pixels.
// Null when the image holds more than two colours.
QImage twoColourImage(const QImage& image)
{
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    const int width = source.width();
    QRgb colours[2] = {source.pixel(0, 0), source.pixel(0, 0)};
    bool secondSeen = false;
    const std::vector<QRgb> uniformRow(size_t(width), colours[0]);
    QImage result(source.size(), QImage::Format_Mono);
    for (int y = 0; y < source.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        uchar* out = result.scanLine(y);
        std::memset(out, 0, size_t(result.bytesPerLine()));
        if (std::memcmp(in, uniformRow.data(), size_t(width) * sizeof(QRgb)) == 0)
            continue;
        for (int x = 0; x < width; ++x) {
            if (in[x] == colours[0])
                continue;
            if (!secondSeen) {
                colours[1] = in[x];
                secondSeen = true;
            } else if (in[x] != colours[1]) {
                return {};
            }
            out[x >> 3] |= uchar(0x80 >> (x & 7));
        }
    }
    result.setColorTable({colours[0], colours[1]});
    return result;
}

// The system's reason when the track has one, or else its own account of the failure.
QString failureOf(const TrackDataFile& track)
{
    return track.failureReason().isEmpty() ? track.message() : track.failureReason();
}

} // namespace

BaseExperiment::BaseExperiment(const QString& baseFolder, QObject* parent)
    : ZTSettings(QString(), true, parent, XML)
    , m_folder(baseFolder)
    , m_tickTimer(new QTimer(this))
{
    setRecordCommit(nullptr);
    m_tickTimer->setInterval(tickIntervalMs);
    connect(m_tickTimer, &QTimer::timeout, this, &BaseExperiment::onTick, Qt::QueuedConnection);
    connect(this, &AbstractSettings::propertyChanged, this, &BaseExperiment::logCircuitChange);
}

// A run still open when its experiment goes away keeps its finished record. The save thread
// works on this object's run: it is ended first.
BaseExperiment::~BaseExperiment()
{
    m_progressSaver.stop();
    QMutexLocker lock(&m_runMutex);
    closeRun();
}

void BaseExperiment::initSettingsFile(bool readOnly)
{
    if (!readOnly)
        m_folder = FileUtilities::FolderSlash(m_folder) + typeKey() + QLatin1Char('/');
    setFilepath(m_folder + QStringLiteral("Settings.xml"));
    setAutoSave(!readOnly);
    reload();
}

void BaseExperiment::loadSettingsReadOnly()
{
    setFilepath(m_folder + QStringLiteral("Settings.xml"));
    setAutoSave(false);
    reload();
}

void BaseExperiment::setDevice(KestrumBaseDevice* device)
{
    QMutexLocker lock(&m_runMutex);
    m_device = device;
}

void BaseExperiment::setRodent(const QString& rodent)
{
    QMutexLocker lock(&m_runMutex);
    m_rodent = rodent;
}

void BaseExperiment::setComment(const QString& comment)
{
    QMutexLocker lock(&m_runMutex);
    m_comment = comment;
}

void BaseExperiment::setRecognitionFrameSize(int width, int height)
{
    QMutexLocker lock(&m_runMutex);
    m_recognitionWidth = width;
    m_recognitionHeight = height;
}

QSize BaseExperiment::recognitionFrameSize() const
{
    QMutexLocker lock(&m_runMutex);
    return {m_recognitionWidth, m_recognitionHeight};
}

void BaseExperiment::noteVideoStart(qint64 wallMs)
{
    QMutexLocker lock(&m_runMutex);
    if (m_started && m_stats && m_stats->getVideoStartMs() == 0)
        m_stats->setVideoStartMs(wallMs);
}

void BaseExperiment::setVideoFrameSize(int width, int height)
{
    QMutexLocker lock(&m_runMutex);
    m_videoWidth = width;
    m_videoHeight = height;
}

void BaseExperiment::setFrameSize(QSize size)
{
    {
        QMutexLocker lock(&m_runMutex);
        if (size == m_frameSize)
            return;
        m_frameSize = size;
    }
    emit frameSizeChanged();
}

QSize BaseExperiment::frameSize() const
{
    QMutexLocker lock(&m_runMutex);
    return m_frameSize;
}

void BaseExperiment::setManualControl(bool enabled)
{
    {
        QMutexLocker lock(&m_runMutex);
        if (enabled == m_manualControl)
            return;
        m_manualControl = enabled;
    }
    emit hasManualControlChanged();
}

bool BaseExperiment::hasManualControl() const
{
    QMutexLocker lock(&m_runMutex);
    return m_device && m_manualControl;
}

bool BaseExperiment::mayDriveDevice() const
{
    return hasManualControl() && deviceControlEnabled;
}

void BaseExperiment::setBackgroundPair(const QImage& first, const QImage& second)
{
    {
        QMutexLocker lock(&m_runMutex);
        m_background = first;
        m_background2 = second;
        m_init = true;
    }
    emit changedExperimentInitTriggeredStarted();
}

void BaseExperiment::setBackground(const QImage& image)
{
    setBackgroundPair(image, QImage());
}

void BaseExperiment::initTriggeredStarted(bool& init, bool& triggered, bool& started) const
{
    init = m_init;
    triggered = m_triggered;
    started = m_started;
}

qint64 BaseExperiment::elapsedMs() const
{
    return m_clock->monotonicMs() - m_startMonotonicMs;
}

QString BaseExperiment::runFolder() const
{
    QMutexLocker lock(&m_runMutex);
    return m_runFolder;
}

QString BaseExperiment::openRecordFolder() const
{
    QMutexLocker lock(&m_runMutex);
    return m_stats ? m_runFolder : QString();
}

void BaseExperiment::setClock(Clock* clock)
{
    m_clock = clock ? clock : Clock::system();
}

void BaseExperiment::setRecordCommit(RecordCommit commit)
{
    if (!commit)
        commit = [](const QString& path, const QByteArray& bytes, QString* reason) {
            return SettingsFileHelper::commit(path, bytes, true, reason);
        };
    m_recordCommit = std::move(commit);
}

void BaseExperiment::start(bool trigger)
{
    quint64 request = 0;
    {
        QMutexLocker lock(&m_runMutex);
        cycles = 0;
        m_triggered = trigger;
        m_started = false;
        if (trigger)
            m_runFailed = false;
        request = ++m_lastRequest;
    }
    QMetaObject::invokeMethod(
        this, [this, trigger, request] { applyStartStop(trigger, request); }, Qt::AutoConnection);
}

void BaseExperiment::stop()
{
    KestrumBaseDevice* device = nullptr;
    quint64 request = 0;
    {
        QMutexLocker lock(&m_runMutex);
        cycles = 0;
        m_triggered = false;
        m_started = false;
        device = m_device;
        request = ++m_lastRequest;
    }
    QMetaObject::invokeMethod(
        this, [this, request] { applyStartStop(false, request); }, Qt::AutoConnection);
    if (device)
        device->allOff();
}

void BaseExperiment::noteRunEnd(RunEnd cause)
{
    static const QHash<RunEnd, QString> keys{{RunEnd::ApparatusLost, QStringLiteral("StoppedBy_ApparatusLost")},
                                             {RunEnd::ServiceDialog, QStringLiteral("StoppedBy_ServiceDialog")},
                                             {RunEnd::ParadigmChanged, QStringLiteral("StoppedBy_ParadigmChange")},
                                             {RunEnd::WriteFailure, QStringLiteral("StoppedBy_WriteFailure")}};
    addLog(keys.value(cause));
}

void BaseExperiment::setHeldByManualControl(bool held)
{
    QMutexLocker lock(&m_runMutex);
    if (std::exchange(m_heldByManualControl, held) == held || !m_stats || !m_started)
        return;
    addLog(held ? QStringLiteral("ManualControl_Taken") : QStringLiteral("ManualControl_Returned"));
    m_stats->holdCounting(held);
    if (held)
        onDeviceTaken();
}

void BaseExperiment::failRun(const QString& path, const QString& reason)
{
    failRunOf(path, reason, false);
}

void BaseExperiment::failVideo(const QString& path, const QString& reason)
{
    failRunOf(path, reason, true);
}

void BaseExperiment::failRunOf(const QString& path, const QString& reason, bool onlyItsOwnRun)
{
    bool running = false;
    {
        QMutexLocker lock(&m_runMutex);
        if (onlyItsOwnRun && !isOfTheLastRun(path)) {
            GlobalConsole::writeLine(
                QStringLiteral("%1 belongs to an earlier run; the run going on is not stopped").arg(path));
            return;
        }
        if (!noteFailure(path, reason))
            return;
        running = m_triggered || m_started;
    }
    if (running) {
        noteRunEnd(RunEnd::WriteFailure);
        stop();
    } else {
        QMetaObject::invokeMethod(this, &BaseExperiment::tellFailure, Qt::QueuedConnection);
    }
}

// A run triggered but not begun still names the folder of the run before it.
bool BaseExperiment::isOfTheLastRun(const QString& path) const
{
    return !m_runFolder.isEmpty() && (m_started || !m_triggered)
           && QDir(QFileInfo(path).absolutePath()) == QDir(m_runFolder);
}

bool BaseExperiment::noteFailure(const QString& path, const QString& reason)
{
    if (std::exchange(m_runFailed, true))
        return false;
    m_untoldFailure = RunFailure{path, reason, !m_runFolder.isEmpty()};
    return true;
}

void BaseExperiment::tellFailure()
{
    std::optional<RunFailure> failure;
    {
        QMutexLocker lock(&m_runMutex);
        failure = std::exchange(m_untoldFailure, std::nullopt);
    }
    if (failure)
        emit runFailed(failure->path, failure->reason, failure->started);
}

// A stop posted from the detector thread can arrive after a start made meanwhile in this
// thread; only the latest request is applied, so the late stop cannot end the new run.
void BaseExperiment::applyStartStop(bool start, quint64 request)
{
    {
        QMutexLocker lock(&m_runMutex);
        if (request != m_lastRequest)
            return;
        // A run still open when a new one is triggered ends as a stop would end it, so its
        // record is finished and saved rather than replaced.
        if (start && m_stats) {
            onStartStop(false);
            closeRun();
        }
        if (start)
            prepareRun();
        onStartStop(start);
        wasInDanger = false;
        if (start) {
            m_tickTimer->start();
            m_startTimeMs = wallNowMs();
            m_startMonotonicMs = m_clock->monotonicMs();
        } else {
            m_tickTimer->stop();
            closeRun();
        }
    }
    if (!start)
        emit stopVideoRecord();
    emit changedExperimentInitTriggeredStarted();
    tellFailure();
}

void BaseExperiment::copyPanelValues(Experiment_Stats* record) const
{
    record->setComment(m_comment);
    record->setRodent(m_rodent);
    record->setVideoFrameWidth(m_videoWidth);
    record->setVideoFrameHeight(m_videoHeight);
    record->setRecognitionFrameWidth(m_recognitionWidth);
    record->setRecognitionFrameHeight(m_recognitionHeight);
}

// The record's failure is told once the stop that closes it is through. The record of a run
// that never passed its start moment is saved as it is, unfinished: nothing ran to finish it.
void BaseExperiment::closeRun()
{
    if (!m_stats)
        return;
    ++m_recordSaves;
    const std::lock_guard saving(m_recordSaveMutex);
    copyPanelValues(m_stats.get());
    if (m_runBegun) {
        m_stats->finish();
        m_stats->setFinished(true);
    } else {
        m_stats->closeTrackFile();
    }
    QString problem;
    if (!saveRecord(problem))
        noteFailure(m_stats->getFilepath(), problem);
    m_stats.reset();
    m_runBegun = false;
}

bool BaseExperiment::saveRecord(QString& problem)
{
    if (m_stats->save())
        return true;
    problem = m_stats->lastSaveProblem();
    GlobalConsole::writeItem(QStringLiteral("The result record %1 could not be saved: %2")
                                 .arg(m_stats->getFilepath().toHtmlEscaped(), problem.toHtmlEscaped()),
                             QStringLiteral("Error"));
    return false;
}

bool BaseExperiment::saveRunRecord()
{
    QMutexLocker lock(&m_runMutex);
    QString problem;
    if (!m_stats || saveRecord(problem))
        return true;
    failRun(m_stats->getFilepath(), problem);
    return false;
}

void BaseExperiment::prepareRun()
{
}

// Sent even though the panel has already withdrawn the paradigm's right to drive the device:
// switching off is always safe. A paradigm kept off the device switched nothing on.
void BaseExperiment::onDeviceTaken()
{
    if (!hasManualControl())
        return;
    m_device->lightOff();
    m_device->soundOff();
    m_device->circuitOff();
}

void BaseExperiment::onTick()
{
    if (!m_started)
        return;
    saveRunSoFar();
    const double seconds = elapsedMs() / 1000.0;
    emit timeTextChanged(TextHelper::TimeToText(seconds, false));
    emit secondsChanged(seconds);
}

void BaseExperiment::saveRunSoFar()
{
    QString path;
    QByteArray bytes;
    quint64 turn = 0;
    {
        QMutexLocker lock(&m_runMutex);
        const qint64 elapsed = elapsedMs();
        if (!m_started || !m_stats || elapsed < m_nextProgressSaveMs)
            return;
        m_nextProgressSaveMs = (elapsed / progressSaveIntervalMs + 1) * progressSaveIntervalMs;
        bytes = m_stats->progressBytes(int(elapsed));
        path = m_stats->getFilepath();
        turn = ++m_recordSaves;
    }
    m_progressSaver.post([this, path, bytes, turn] { commitProgress(path, bytes, turn); });
}

// Neither the run mutex nor this thread's caller waits for the disk: the frames go on meanwhile.
// The stop's save waits for a save under way, so it always lands last.
void BaseExperiment::commitProgress(const QString& path, const QByteArray& bytes, quint64 turn)
{
    QString problem;
    {
        const std::lock_guard saving(m_recordSaveMutex);
        if (turn != m_recordSaves || m_recordCommit(path, bytes, &problem))
            return;
    }
    // Outside the save lock: the stop that follows saves the record again. Once a later save
    // has taken its turn (the stop's, which tells its own outcome), this run may be over.
    QMutexLocker lock(&m_runMutex);
    if (turn == m_recordSaves)
        failRun(path, problem);
}

// The grid current is the one setting that reaches a running copy at once (the experimenter may
// have to turn it down); the record keeps the value the run began with, so its log tells every
// change and when it came.
void BaseExperiment::logCircuitChange(const QString& name)
{
    if (name == QLatin1String("Circuit"))
        addLog(QStringLiteral("Circuit_") + QString::number(getValue(name).toDouble()));
}

void BaseExperiment::addLog(const QString& text, qint64 timeMs)
{
    QMutexLocker lock(&m_runMutex);
    if (!m_stats || !m_started)
        return;
    m_stats->addLog(int(timeMs < 0 ? elapsedMs() : timeMs), text);
}

void BaseExperiment::fillStats(Experiment_Stats* record)
{
    if (!record)
        return;
    QMutexLocker lock(&m_runMutex);
    copyPanelValues(record);
    if (m_device)
        record->setKestrumSN(m_device->serialNumber());
}

// Two runs started within the same millisecond (two apparatuses) must not share a folder.
QString BaseExperiment::freeRunFolderName() const
{
    const QString base = FileUtilities::FolderSlash(m_folder);
    qint64 stamp = wallNowMs();
    QString candidate;
    do {
        candidate =
            base + TextHelper::DateTimeFileString(QDateTime::fromMSecsSinceEpoch(stamp++), true) + QLatin1Char('/');
    } while (QFileInfo::exists(candidate));
    return candidate;
}

Experiment_Stats* BaseExperiment::openRun()
{
    QMutexLocker lock(&m_runMutex);
    closeRun();
    m_runFolder.clear();
    const QString folder = freeRunFolderName();
    const QString problem = FileUtilities::makeFolder(folder);
    if (!problem.isEmpty()) {
        GlobalConsole::writeItem(QStringLiteral("The run folder %1 cannot be created: %2; the run does not start")
                                     .arg(folder.toHtmlEscaped(), problem.toHtmlEscaped()),
                                 QStringLiteral("Error"));
        failRun(folder, problem);
        return nullptr;
    }
    m_runFolder = folder;
    m_runBegun = false;
    m_stats.reset(createRunStats(m_runFolder + QStringLiteral("Stats.xml")));
    m_stats->setFinished(false);
    fillStats(m_stats.get());
    return m_stats.get();
}

void BaseExperiment::lockValues()
{
    m_runMutex.lock();
}

void BaseExperiment::unlockValues()
{
    m_runMutex.unlock();
}

Experiment_Stats* BaseExperiment::createRunStats(const QString& statsPath)
{
    return createStats(statsPath);
}

bool BaseExperiment::beginRun()
{
    QString folder;
    {
        QMutexLocker lock(&m_runMutex);
        if (!m_stats)
            return false;
        m_startTimeMs = wallNowMs();
        m_stats->setTimeStamp(m_startTimeMs);
        m_stats->start();
        if (!m_stats->openTrackForWriting()) {
            noteFailure(m_stats->trackFile()->path(), failureOf(*m_stats->trackFile()));
            // Closed before the stop, so that its handling finds no run to finish.
            closeRun();
            stop();
            return false;
        }
        if (!m_background.save(m_runFolder + QStringLiteral("background.jpg")))
            GlobalConsole::writeItem(
                QStringLiteral("The background of the run %1 could not be saved").arg(m_runFolder.toHtmlEscaped()),
                QStringLiteral("Error"));
        m_started = true;
        m_runBegun = true;
        m_startMonotonicMs = m_clock->monotonicMs();
        m_nextProgressSaveMs = progressSaveIntervalMs;
        folder = m_runFolder;
    }
    emit recordStarted(folder);
    emit startVideoRecord(folder + QStringLiteral("video.mp4"));
    emit changedExperimentInitTriggeredStarted();
    return true;
}

void BaseExperiment::processFrame(bool detected, QSize frameSize, QPoint center, const QRect& blobRect,
                                  bool& inDangerZone)
{
    setFrameSize(frameSize);
    QMutexLocker lock(&m_runMutex);
    if (!m_heldByManualControl)
        processDetection(detected, frameSize, center, blobRect, inDangerZone);
}

QByteArray BaseExperiment::encodeBlob(const QImage& blob) const
{
    if (blob.width() < 1 || blob.height() < 1)
        return {};
    const QImage compact = twoColourImage(blob);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    (compact.isNull() ? blob : compact).save(&buffer, "PNG");
    return bytes;
}

void BaseExperiment::saveTrack(bool detected, const QImage& blob, QPoint center, QRect rect, int area)
{
    if (!m_started)
        return;
    TrackFrame frame;
    frame.timeMs = wallNowMs();
    frame.detected = detected;
    if (detected) {
        frame.setCenter(center);
        frame.setRect(rect);
        frame.area = area;
        // Encoded before the lock is taken, so a stop never waits for the compression.
        frame.image = encodeBlob(blob);
    }
    QString path;
    QString reason;
    {
        QMutexLocker lock(&m_runMutex);
        if (!m_started || !m_stats)
            return;
        TrackDataFile* track = m_stats->trackFile();
        if (track->writeRecord(track->lastKey() + 1, frame, true))
            return;
        path = track->path();
        reason = failureOf(*track);
        GlobalConsole::writeItem(QStringLiteral("The track of the run %1 cannot be written, so the run is stopped: %2")
                                     .arg(m_runFolder.toHtmlEscaped(), track->message().toHtmlEscaped()),
                                 QStringLiteral("Error"));
    }
    failRun(path, reason);
}

bool BaseExperiment::manualActionBeforeBackground()
{
    return true;
}

bool BaseExperiment::singleReferenceFrame()
{
    return true;
}

void BaseExperiment::prepareBackgroundLight()
{
}

bool BaseExperiment::usesStartleSensor()
{
    return false;
}

void BaseExperiment::manualAction()
{
}

QImage BaseExperiment::drawOverlay(QSize size)
{
    {
        QMutexLocker lock(&m_runMutex);
        if (!m_background.isNull())
            return {};
    }
    if (size.width() < minimumOverlaySide || size.height() < minimumOverlaySide)
        return {};
    QImage canvas = makeMaskCanvas(size);
    QPainter painter(&canvas);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.scale(2.0, 2.0);
    const QRect frame(1, 1, size.width() - 3, size.height() - 3);
    painter.setPen(DashedPens::yellow());
    painter.drawRect(frame);
    drawCenteredLabel(&painter, tr("Необходима инициализация фона"), frame, QColor(0, 0, 0, 208));
    return canvas;
}

void BaseExperiment::drawOverlay(QImage& out, QSize size)
{
    out = drawOverlay(size);
}

QImage BaseExperiment::makeMaskCanvas(QSize size)
{
    if (size.width() < 1 || size.height() < 1)
        return {};
    QImage canvas(size.width() * 2, size.height() * 2, QImage::Format_RGBA8888);
    canvas.fill(Qt::transparent);
    return canvas;
}

void BaseExperiment::drawCenteredLabel(QPainter* painter, const QString& text, QRect area, QColor fill)
{
    if (!painter)
        return;
    const QRect bounds = painter->fontMetrics().boundingRect(text);
    const QSize box(bounds.width() + 10, bounds.height() + 10);
    const QRect label(area.x() + (area.width() - box.width()) / 2, area.y() + (area.height() - box.height()) / 2,
                      box.width(), box.height());
    painter->fillRect(label, fill);
    painter->drawText(label, Qt::AlignHCenter | Qt::AlignVCenter, text);
}
