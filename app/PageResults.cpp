#include "PageResults.h"

#include "AbstractMetaDescriptor.h"
#include "AppHelper.h"
#include "ApparatusPanel.h"
#include "BaseExperiment.h"
#include "ConfirmDialog.h"
#include "Experiment_Stats.h"
#include "ExperimentsTable.h"
#include "FileUtilities.h"
#include "GlobalConsole.h"
#include "KestrumExperimentTypeSelector.h"
#include "KestrumModel.h"
#include "KestrumSettings.h"
#include "LanguageContext.h"
#include "OverlayedVideoWidgetForKestrum.h"
#include "PropertyListControl.h"
#include "StyleHelper.h"
#include "TimelineViewer.h"
#include "TrackDataFile.h"
#include "VideoFileMover.h"

#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {
const QString statsFileName = QStringLiteral("Stats.xml");
const QString legacyTrackFileName = QStringLiteral("Track.data");
const QString startleFileName = QStringLiteral("Startle.csv");
constexpr int titleColumn = 1;
constexpr int rodentColumn = 2;
constexpr int commentColumn = 3;

QLabel* subtext(const QString& text)
{
    auto* label = new QLabel(text);
    label->setObjectName(QStringLiteral("subtext"));
    return label;
}

QString canonicalFolder(const QString& path)
{
    return QFileInfo(path).canonicalFilePath();
}

// The run's video, or, where the program died before the recording was finished, the part that
// grew, which plays up to its last moments. None for a run without a video: asking the media back
// end for a missing file costs a pipeline for nothing.
QString runVideo(const QString& runFolder)
{
    const QString video = QDir(runFolder).filePath(QStringLiteral("video.mp4"));
    for (const QString& path : {video, VideoFileMover::taggedPath(video, runFolder, QStringLiteral("part"))})
        if (QFileInfo(path).isFile())
            return path;
    return QString();
}
} // namespace

PageResults::PageResults(QWidget* parent)
    : BasePage(parent)
    , settings(KestrumModel::instance()->settings())
    , runsTable(new QTableWidget(this))
{
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setHandleWidth(8);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(createLeftPart());
    splitter->addWidget(createRightPart());
    splitter->setSizes({500, 1200});
    pageLayout->addWidget(splitter, 0, 0, 1, 2);
    pageLayout->setRowStretch(0, 100);
    connectParts();
    // The runs are listed whenever the page is shown; until then it shows the empty state.
    showStats();
}

PageResults::~PageResults()
{
    releaseRecords();
}

QWidget* PageResults::createLeftPart()
{
    auto* part = new QWidget;
    part->setContentsMargins(0, 0, 0, 0);
    auto* layout = new QVBoxLayout(part);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new KestrumExperimentTypeSelector, 0, Qt::AlignLeft);
    layout->addWidget(runsTable, 100);
    runsTable->setMinimumWidth(400);
    runsTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    runsTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    runsTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    runsTable->horizontalHeader()->setSortIndicatorShown(true);
    runsTable->horizontalHeader()->setSectionsClickable(true);
    return part;
}

QWidget* PageResults::createRightPart()
{
    auto* part = new QWidget;
    part->setContentsMargins(0, 0, 0, 0);
    auto* grid = new QGridLayout(part);
    grid->setContentsMargins(0, 0, 0, 0);
    noDataLabel = subtext(tr("No data"));
    grid->addWidget(noDataLabel, 0, 0, Qt::AlignCenter);
    rightSplitter = new QSplitter(Qt::Vertical);
    rightSplitter->setHandleWidth(8);
    rightSplitter->setChildrenCollapsible(false);
    auto* top = new QWidget;
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addLayout(createToolRow());
    statsTable = new ExperimentsTable;
    statsTable->setRunTitles(
        [this](const Experiment_Stats* record) { return runTitle(record->getFilepath(), record); });
    topLayout->addWidget(statsTable, 1);
    rightSplitter->addWidget(top);
    player = new OverlayedVideoWidgetForKestrum(settings);
    player->setMinimumSize(200, 200);
    rightSplitter->addWidget(player);
    timelineViewer = new TimelineViewer;
    timelineViewer->setMinimumSize(200, 60);
    rightSplitter->addWidget(timelineViewer);
    rightSplitter->setSizes({100, 600, 500});
    grid->addWidget(rightSplitter, 0, 0);
    return part;
}

QLayout* PageResults::createToolRow()
{
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    rodentLabel = subtext(generic(QT_TRANSLATE_NOOP("Generic", "Rodent")));
    rodentEdit = new QLineEdit;
    rodentEdit->setObjectName(QStringLiteral("rodentEdit"));
    commentLabel = subtext(generic(QT_TRANSLATE_NOOP("Generic", "Comment")));
    commentEdit = new QLineEdit;
    commentEdit->setObjectName(QStringLiteral("commentEdit"));
    overlayControl =
        new PropertyListControl(settings, QStringLiteral("OverlayOptions"), PropertyListControl::ViewSingleProperty);
    overlayControl->showDefaultButtons(false);
    overlayControl->showHeader(QStringLiteral("OverlayOptions"), false);
    exportButton = new QPushButton(tr("Export"));
    StyleHelper::SetButtonIcon(exportButton, QStringLiteral(":/icons/excel.svg"), QStringLiteral("#FFF"));
    exportButton->setCursor(Qt::PointingHandCursor);
    exportButton->setMinimumHeight(32);
    exportButton->setEnabled(false);
    row->addWidget(rodentLabel);
    row->addWidget(rodentEdit);
    row->addSpacing(8);
    row->addWidget(commentLabel);
    row->addWidget(commentEdit);
    row->addStretch();
    row->addWidget(createCyclesBox());
    row->addWidget(overlayControl);
    row->addWidget(exportButton);
    return row;
}

QWidget* PageResults::createCyclesBox()
{
    cyclesBox = new QWidget;
    cyclesBox->setContentsMargins(0, 0, 8, 0);
    auto* layout = new QHBoxLayout(cyclesBox);
    const auto flagControl = [this, layout](const QString& name, const QString& label) {
        auto* control = new PropertyListControl(settings, name, PropertyListControl::ViewSingleProperty);
        control->showHeader(name, false);
        control->addWidgetToLayout(new QLabel(label), -1, control->getLayout()->columnCount(), 1, 1, Qt::AlignVCenter);
        layout->addWidget(control);
        return control;
    };
    verboseControl = flagControl(QStringLiteral("ShowCyclesVerbose"), generic(QT_TRANSLATE_NOOP("Generic", "Verbose")));
    flagControl(QStringLiteral("ShowCycles"), generic(QT_TRANSLATE_NOOP("Generic", "Cycles")));
    return cyclesBox;
}

void PageResults::connectParts()
{
    StyleHelper::Link(this, [this] { remakeIcons(); });
    connect(exportButton, &QPushButton::clicked, this, &PageResults::onExport);
    connect(rodentEdit, &QLineEdit::editingFinished, this, [this] {
        writeBack(rodentEdit, QStringLiteral("Rodent"), rodentColumn,
                  [](Experiment_Stats* record, const QString& text) { record->setRodent(text); });
    });
    connect(commentEdit, &QLineEdit::editingFinished, this, [this] {
        writeBack(commentEdit, QStringLiteral("Comment"), commentColumn,
                  [](Experiment_Stats* record, const QString& text) { record->setComment(text); });
    });
    connect(runsTable->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            &PageResults::onSortIndicatorChanged);
    connect(statsTable, &ExperimentsTable::pickExportFormat, this,
            [this](QString& format) { format = settings->getSpreadsheetExportFormat(); });
    connect(statsTable, &ExperimentsTable::exportFormatPicked, settings, &KestrumSettings::setSpreadsheetExportFormat);
    connect(statsTable, &ExperimentsTable::rebuilt, this, &PageResults::onStatisticsRebuilt);
    connect(settings, &KestrumSettings::changedShowCycles, this, &PageResults::followShowCycles);
    connect(settings, &KestrumSettings::changedShowCyclesVerbose, this, &PageResults::followShowCycles);
    followShowCycles();
    connect(KestrumModel::instance(), &KestrumModel::currentScriptChanged, this, &PageResults::scanExperiments);
    connect(runsTable, &QTableWidget::cellClicked, this, &PageResults::onCellClicked);
    connect(runsTable, &QTableWidget::itemSelectionChanged, this, &PageResults::showStats);
    connect(runsTable, &QTableWidget::itemPressed, this, &PageResults::onItemPressed);
}

void PageResults::remakeIcons()
{
    checkedIcon = StyleHelper::ColoredIcon(QStringLiteral(":/Images/icons/checkbox-marked.svg"), QStringLiteral("#FFF"),
                                           QStringLiteral("#303030"));
    uncheckedIcon = StyleHelper::ColoredIcon(QStringLiteral(":/Images/icons/checkbox-blank-outline.svg"),
                                             QStringLiteral("#FFF"), QStringLiteral("#303030"));
    markSelectedRows();
}

void PageResults::followShowCycles()
{
    statsTable->setShowCycles(settings->getShowCycles());
    statsTable->setShowCyclesVerbose(settings->getShowCyclesVerbose());
    verboseControl->setVisible(settings->getShowCycles());
}

void PageResults::setSingleRunWidgetsVisible(bool visible)
{
    for (QWidget* widget :
         {static_cast<QWidget*>(commentLabel), static_cast<QWidget*>(rodentLabel), static_cast<QWidget*>(commentEdit),
          static_cast<QWidget*>(rodentEdit), cyclesBox, static_cast<QWidget*>(overlayControl)})
        widget->setVisible(visible);
}

void PageResults::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    scanExperiments();
}

QString PageResults::paradigmFolder() const
{
    BaseExperiment* paradigm = KestrumModel::instance()->currentExperiment();
    return paradigm ? FileUtilities::FolderSlash(paradigm->name()) : QString();
}

QStringList PageResults::runRecordFiles() const
{
    // Only the records of run folders: the paradigm's own settings, the settings copy a run folder
    // keeps and any other XML file are no runs.
    QStringList files;
    const QString folder = paradigmFolder();
    for (const QString& path : FileUtilities::getFilesOfType(folder, QStringLiteral("xml"), true, true)) {
        if (QFileInfo(path).fileName() == statsFileName && isRemovableRunFolder(QFileInfo(path).absolutePath()))
            files << path;
    }
    return files;
}

bool PageResults::isRemovableRunFolder(const QString& folder) const
{
    const QString paradigm = canonicalFolder(paradigmFolder());
    const QString run = canonicalFolder(folder);
    return !paradigm.isEmpty() && run.startsWith(paradigm + QLatin1Char('/'))
           && QFileInfo(QDir(run).filePath(statsFileName)).isFile();
}

void PageResults::scanExperiments()
{
    releaseRecords();
    {
        const QSignalBlocker blocker(runsTable);
        runsTable->clear();
        runsTable->setRowCount(0);
        if (BaseExperiment* paradigm = KestrumModel::instance()->currentExperiment()) {
            columns = paradigm->resultColumns();
            const bool withScenario = paradigm->usesStartleSensor();
            QStringList recordPaths = runRecordFiles();
            setHeaders(withScenario);
            runsTable->setRowCount(int(recordPaths.size()));
            std::reverse(recordPaths.begin(), recordPaths.end());
            for (int row = 0; row < recordPaths.size(); ++row) {
                Experiment_Stats* record = loadRecord(paradigm, recordPaths.at(row));
                if (record)
                    records.append(record);
                addRunRow(row, recordPaths.at(row), record, withScenario);
            }
            applyStoredSort();
        }
    }
    showStats();
}

Experiment_Stats* PageResults::loadRecord(BaseExperiment* paradigm, const QString& path)
{
    // A file that did not load is left alone until it changes: loading it again at every listing
    // would only name it on the console once more each time.
    const QDateTime modified = QFileInfo(path).lastModified();
    if (unreadableFiles.contains(path) && unreadableFiles.value(path) == modified)
        return nullptr;
    Experiment_Stats* record = paradigm->createStats(path);
    if (record->metaDescriptor()->lastLoadError().isEmpty()) {
        unreadableFiles.remove(path);
        return record;
    }
    // Nothing may save defaults over the file it failed to read.
    record->setAutoSave(false);
    delete record;
    unreadableFiles.insert(path, modified);
    return nullptr;
}

void PageResults::setHeaders(bool withScenario)
{
    QStringList headers = {QString(), generic(QT_TRANSLATE_NOOP("Generic", "Title")),
                           generic(QT_TRANSLATE_NOOP("Generic", "Rodent")),
                           generic(QT_TRANSLATE_NOOP("Generic", "Comment"))};
    if (withScenario)
        headers << generic(QT_TRANSLATE_NOOP("Generic", "Scenario"));
    runsTable->verticalHeader()->hide();
    runsTable->setColumnCount(int(headers.size()));
    runsTable->setHorizontalHeaderLabels(headers);
    runsTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    runsTable->horizontalHeader()->setStretchLastSection(true);
}

void PageResults::addRunRow(int row, const QString& path, Experiment_Stats* record, bool withScenario)
{
    QStringList texts = {QString(), tr("%1 (unreadable)").arg(QFileInfo(path).dir().dirName()), QString(), QString(),
                         QString()};
    const bool interrupted = wasInterrupted(path, record);
    if (record)
        texts = {QString(), runTitle(path, record), record->getRodent(), record->getComment(),
                 record->getValue(QStringLiteral("ScenarioName")).toString()};
    if (!withScenario)
        texts.removeLast();
    for (int column = 0; column < texts.size(); ++column) {
        auto* item = new QTableWidgetItem(texts.at(column));
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        item->setData(Qt::UserRole, path);
        if (column == 0)
            item->setIcon(uncheckedIcon);
        if (column == titleColumn && interrupted)
            item->setToolTip(tr("The run was cut off before it was stopped (the program or the computer "
                                "stopped). Its duration is taken from its last records; values that only a stop "
                                "settles are missing (\"-\")."));
        runsTable->setItem(row, column, item);
    }
}

bool PageResults::wasInterrupted(const QString& path, const Experiment_Stats* record) const
{
    return record && record->isUnfinished() && !isRecordedHere(path);
}

QString PageResults::runTitle(const QString& path, const Experiment_Stats* record) const
{
    return wasInterrupted(path, record) ? tr("%1 (interrupted)").arg(record->title()) : record->title();
}

bool PageResults::isRecordedHere(const QString& path)
{
    const QString folder = canonicalFolder(QFileInfo(path).absolutePath());
    const QList<ApparatusPanel*> panels = KestrumModel::instance()->metaDevices();
    return std::any_of(panels.cbegin(), panels.cend(), [&folder](ApparatusPanel* panel) {
        const BaseExperiment* experiment = panel->experiment();
        return experiment && canonicalFolder(experiment->openRecordFolder()) == folder;
    });
}

void PageResults::applyStoredSort()
{
    const int column = settings->getSortIndexFileTable();
    if (column < 0 || column >= runsTable->columnCount())
        return;
    const QSignalBlocker blocker(runsTable->horizontalHeader());
    runsTable->horizontalHeader()->setSortIndicator(column, settings->getSortOrderFileTable());
    runsTable->sortItems(column, settings->getSortOrderFileTable());
}

QStringList PageResults::selectedPaths() const
{
    QList<int> rows;
    for (const QTableWidgetItem* item : runsTable->selectedItems()) {
        if (!rows.contains(item->row()))
            rows << item->row();
    }
    std::sort(rows.begin(), rows.end());
    QStringList paths;
    for (int row : rows) {
        const QTableWidgetItem* item = runsTable->item(row, titleColumn);
        const QString path = item ? item->data(Qt::UserRole).toString() : QString();
        if (!path.isEmpty() && !paths.contains(path))
            paths << path;
    }
    return paths;
}

Experiment_Stats* PageResults::recordOf(const QString& path) const
{
    const auto found = std::find_if(records.cbegin(), records.cend(),
                                    [&path](Experiment_Stats* record) { return record->getFilepath() == path; });
    return found == records.cend() ? nullptr : *found;
}

QList<Experiment_Stats*> PageResults::selectedRecords() const
{
    // An unreadable run has no record, so nothing shows made-up values for it.
    QList<Experiment_Stats*> selected;
    for (const QString& path : selectedPaths()) {
        if (Experiment_Stats* record = recordOf(path))
            selected << record;
    }
    return selected;
}

int PageResults::rowOf(const Experiment_Stats* record) const
{
    for (int row = 0; record && row < runsTable->rowCount(); ++row) {
        const QTableWidgetItem* item = runsTable->item(row, titleColumn);
        if (item && item->data(Qt::UserRole).toString() == record->getFilepath())
            return row;
    }
    return -1;
}

void PageResults::markSelectedRows()
{
    for (int row = 0; row < runsTable->rowCount(); ++row) {
        if (QTableWidgetItem* item = runsTable->item(row, 0))
            item->setIcon(item->isSelected() ? checkedIcon : uncheckedIcon);
    }
}

void PageResults::showStats()
{
    recordConnection.clear();
    current = nullptr;
    exportButton->hide();
    rodentEdit->clear();
    commentEdit->clear();
    setSingleRunWidgetsVisible(false);
    const int selectedItems = int(runsTable->selectedItems().size());
    player->pause();
    releaseTracks();
    player->loadVideo(QString());
    if (selectedItems == 0) {
        statsTable->fillStatistics({}, columns);
        loadExperiment(nullptr);
        return;
    }
    markSelectedRows();
    const QList<Experiment_Stats*> selected = selectedRecords();
    exportButton->setVisible(!selected.isEmpty());
    exportButton->setEnabled(!selected.isEmpty());
    if (selected.size() == 1) {
        Experiment_Stats* record = selected.constFirst();
        loadExperiment(record);
        recordConnection.append(
            connect(record, &Experiment_Stats::reactionsRecalced, this, [this, record] { loadExperiment(record); }),
            record, this);
    } else {
        loadExperiment(nullptr);
    }
    statsTable->fillStatistics(selected, columns);
    if (!selected.isEmpty() && selectedItems != runsTable->columnCount()) {
        rightSplitter->show();
        player->hide();
        timelineViewer->hide();
        noDataLabel->hide();
    }
}

void PageResults::loadExperiment(Experiment_Stats* record)
{
    current = record;
    timelineViewer->hide();
    if (!record) {
        rightSplitter->hide();
        noDataLabel->show();
        setSingleRunWidgetsVisible(false);
        return;
    }
    player->pause();
    releaseTracks();
    player->show();
    const QString runFolder = QFileInfo(record->getFilepath()).absolutePath();
    player->loadVideo(runVideo(runFolder));
    player->setVideoStart(record->getVideoStartMs());
    openTracks(runFolder);
    timelineViewer->parseEvents(record->getLog());
    QMap<qint64, float> curve;
    timelineViewer->setVisible(readStartleCurve(QDir(runFolder).filePath(startleFileName), curve));
    timelineViewer->setStartleCurve(curve);
    timelineViewer->setReactions(record->reactions());
    rodentEdit->setText(record->getRodent());
    commentEdit->setText(record->getComment());
    noDataLabel->hide();
    rightSplitter->show();
    setSingleRunWidgetsVisible(true);
}

void PageResults::openTracks(const QString& runFolder)
{
    // Opened only for reading: a missing or damaged track is never created, changed or removed.
    const QDir folder(runFolder);
    auto reader = std::make_unique<TrackDataFile>();
    if (QFileInfo::exists(folder.filePath(QLatin1String(Experiment_Stats::trackFileName)))) {
        if (reader->open(folder.filePath(QLatin1String(Experiment_Stats::trackFileName)), true)) {
            trackReader = std::move(reader);
            player->setTrackFile(trackReader.get());
        }
    } else if (QFileInfo::exists(folder.filePath(legacyTrackFileName))) {
        if (reader->open(folder.filePath(legacyTrackFileName), true)) {
            legacyReader = std::move(reader);
            player->setLegacyTrackFile(legacyReader.get());
        }
    }
}

bool PageResults::readStartleCurve(const QString& path, QMap<qint64, float>& curve)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const QStringList fields = line.trimmed().split(QLatin1Char(';'));
        if (fields.size() < 4)
            continue;
        bool timeRead = false;
        const qint64 timeMs = fields.at(0).toLongLong(&timeRead);
        qint64 axes = 0;
        bool axesRead = timeRead;
        for (int axis = 1; axis <= 3 && axesRead; ++axis)
            axes += fields.at(axis).toInt(&axesRead);
        // A damaged line gives no point rather than a point at a made-up place.
        if (axesRead)
            curve.insert(timeMs, float(axes) / 100.0f);
    }
    return true;
}

void PageResults::releaseTracks()
{
    // The overlays read the files in a loader thread: detaching waits for it, then they may go.
    player->setTrackFile(nullptr);
    player->setLegacyTrackFile(nullptr);
    trackReader.reset();
    legacyReader.reset();
}

QString PageResults::replayedTrackPath() const
{
    const TrackDataFile* reader = trackReader ? trackReader.get() : legacyReader.get();
    return reader ? reader->path() : QString();
}

void PageResults::releaseRecords()
{
    recordConnection.clear();
    current = nullptr;
    statsTable->fillStatistics({}, columns);
    player->pause();
    releaseTracks();
    player->loadVideo(QString());
    qDeleteAll(records);
    records.clear();
}

void PageResults::onCellClicked(int row, int column)
{
    if (column == 0) {
        // The check-mark column adds and removes single rows.
        runsTable->setSelectionMode(QAbstractItemView::MultiSelection);
        if (rememberedRow >= 0)
            runsTable->selectRow(rememberedRow);
        rememberedRow = -1;
        return;
    }
    runsTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    if (rememberedRow == -1)
        runsTable->selectRow(row);
    rememberedRow = row;
}

void PageResults::onItemPressed(QTableWidgetItem*)
{
    if (QApplication::mouseButtons() != Qt::RightButton)
        return;
    QMenu* menu = createContextMenu(selectedPaths());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(QCursor::pos());
}

QMenu* PageResults::createContextMenu(const QStringList& paths)
{
    auto* menu = new QMenu(this);
    const auto icon = [](const char* path) {
        return StyleHelper::ColoredIcon(QLatin1String(path), QStringLiteral("#FFF"), QStringLiteral("#303030"));
    };
    if (paths.size() == 1) {
        menu->addAction(icon(":/icons/folder.svg"), tr("Показать в папке"), this,
                        [this, paths] { onShowInFolder(paths.constFirst()); });
        menu->addSeparator();
    }
    menu->addAction(icon(":/icons/delete.svg"),
                    paths.size() == 1 ? tr("Удалить эксперимент") : tr("Удалить эксперименты"), this,
                    [this, paths] { onDeleteExperiments(paths); });
    menu->addSeparator();
    menu->addAction(icon(":/icons/refresh.svg"), tr("Обновить таблицу экспериментов"), this, &PageResults::onRefresh);
    if (paths.size() == 1 && current && current->hasReactionsToRecalculate()) {
        menu->addSeparator();
        menu->addAction(icon(":/icons/refresh.svg"), tr("Перерасчёт эксперимента"), this, &PageResults::onRecalculate);
    }
    StyleHelper::ShowIconsInMenu(menu);
    return menu;
}

void PageResults::onShowInFolder(const QString& path)
{
    AppHelper::showInFolder(path);
}

void PageResults::onDeleteExperiments(const QStringList& paths)
{
    deleteExperiments(paths, paths.size() == 1);
}

void PageResults::onRefresh()
{
    scanExperiments();
}

void PageResults::onRecalculate()
{
    if (current)
        current->recalculate(true);
}

void PageResults::deleteExperiments(const QStringList& paths, bool single)
{
    const QString message = (single ? tr("Все файлы этого эксперимента будут удалены безвозвратно.")
                                    : tr("Все файлы этих экспериментов будут удалены безвозвратно."))
                            + QLatin1Char('\n') + tr("Вы уверены, что хотите продолжить?");
    const QString caption = single ? tr("Удаление эксперимента") : tr("Удаление экспериментов");
    if (!ConfirmDialog::Ask(message, {{QStringLiteral("caption"), caption}}))
        return;
    // The player and the records let go of the runs' files before any of them goes.
    releaseRecords();
    for (const QString& path : paths) {
        const QString folder = QFileInfo(path).absolutePath();
        if (!isRemovableRunFolder(folder))
            GlobalConsole::writeItem(QStringLiteral("%1 is not a run folder of this paradigm; it was not removed")
                                         .arg(folder.toHtmlEscaped()),
                                     QStringLiteral("Error"));
        else if (!FileUtilities::clearFolder(folder, true))
            GlobalConsole::writeItem(
                QStringLiteral("The run folder %1 could not be removed completely").arg(folder.toHtmlEscaped()),
                QStringLiteral("Error"));
    }
    scanExperiments();
}

void PageResults::onSortIndicatorChanged(int column, Qt::SortOrder order)
{
    settings->setSortIndexFileTable(column);
    settings->setSortOrderFileTable(order);
    runsTable->sortItems(column, order);
}

void PageResults::writeBack(QLineEdit* edit, const QString& property, int column,
                            const std::function<void(Experiment_Stats*, const QString&)>& setter)
{
    if (!current || edit->text() == current->getValue(property).toString())
        return;
    const QString text = edit->text();
    const QString path = current->getFilepath();
    // The stop of a run writes the panel's animal and comment into its final record, which
    // would take the place of an edit made now.
    if (isRecordedHere(path)) {
        edit->setText(current->getValue(property).toString());
        AppHelper::warningMessage(tr("Этот эксперимент ещё идёт: грызуна и комментарий можно исправить после "
                                     "его остановки."));
        return;
    }
    // The file may be newer than what the page read (a run that went on then has written its
    // final record since): the edit goes into what the file holds now, never the page's copy
    // over it.
    if (!QFileInfo(path).isFile() || !current->reload()) {
        edit->setText(current->getValue(property).toString());
        AppHelper::warningMessage(
            tr("Запись %1 не читается; изменение не сохранено.").arg(QDir::toNativeSeparators(path)));
        return;
    }
    setter(current, text);
    rodentEdit->setText(current->getRodent());
    commentEdit->setText(current->getComment());
    const int row = rowOf(current);
    if (QTableWidgetItem* item = row < 0 ? nullptr : runsTable->item(row, column))
        item->setText(text);
    statsTable->fillStatistics(selectedRecords(), columns);
}

void PageResults::onExport()
{
    const QString path = statsTable->exportSpreadsheet();
    if (path.isEmpty())
        return;
    switch (settings->getExportBehavior()) {
    case KestrumSettings::OnExport_OpenFile:
        AppHelper::openWithDesktop(path);
        break;
    case KestrumSettings::OnExport_OpenFolder:
        AppHelper::showInFolder(path);
        break;
    case KestrumSettings::OnExport_DoNothing:
        break;
    }
}

void PageResults::onStatisticsRebuilt()
{
    const int height = rightSplitter->height();
    const int rows = statsTable->rowCountForExport();
    const int top = std::min(height / 2, int(rows * 31.5 + 40.0));
    rightSplitter->setSizes({top, height - top});
}
