#pragma once

#include "BasePage.h"
#include "ConnectionHelper.h"
#include "ResultColumn.h"

#include <QDateTime>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QMap>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class BaseExperiment;
class Experiment_Stats;
class ExperimentsTable;
class KestrumSettings;
class OverlayedVideoWidgetForKestrum;
class PropertyListControl;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSplitter;
class QTableWidget;
class QTableWidgetItem;
class TimelineViewer;
class TrackDataFile;

// The records page: the finished runs of the current paradigm (the Stats.xml files in the run
// folders under the paradigm's folder), the statistics of the selected runs, and for a single
// run its video with overlays and its animal and comment, which can be corrected. From the
// runs' context menu they can be shown in their folder, deleted, listed again and recalculated;
// the statistics can be exported.
//
// Opening a run only reads it: nothing of the run is written unless the user edits its animal
// or comment, and a record whose Stats.xml does not load is listed as unreadable and never
// written. It works on the process's model (KestrumModel::instance), which must exist.
// User-interface thread only.
class PageResults : public BasePage
{
    Q_OBJECT

public:
    explicit PageResults(QWidget* parent = nullptr);
    ~PageResults() override;

    void scanExperiments();
    void showStats();
    void loadExperiment(Experiment_Stats* record);
    // Asks first; removes only run folders of the paradigm that hold a Stats.xml.
    void deleteExperiments(const QStringList& paths, bool single);
    // The context menu for the runs of these record files; the caller shows and deletes it.
    QMenu* createContextMenu(const QStringList& paths);

    QTableWidget* folderTable() const { return runsTable; }
    ExperimentsTable* statisticsTable() const { return statsTable; }
    Experiment_Stats* currentRecord() const { return current; }
    // The track file the player replays for the shown run; empty when none is open.
    QString replayedTrackPath() const;
    TimelineViewer* timeline() const { return timelineViewer; }
    // The distinct record files of the selected rows, in row order.
    QStringList selectedPaths() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* createLeftPart();
    QWidget* createRightPart();
    QLayout* createToolRow();
    QWidget* createCyclesBox();
    void connectParts();
    void remakeIcons();
    void setSingleRunWidgetsVisible(bool visible);
    void followShowCycles();

    QString paradigmFolder() const;
    QStringList runRecordFiles() const;
    bool isRemovableRunFolder(const QString& folder) const;
    void setHeaders(bool withScenario);
    // The run's record, or null when its file does not load (the run is listed as unreadable).
    Experiment_Stats* loadRecord(BaseExperiment* paradigm, const QString& path);
    void addRunRow(int row, const QString& path, Experiment_Stats* record, bool withScenario);
    // Whether no stop will come to the run any more: its record is unfinished and no panel of
    // this program is recording it.
    bool wasInterrupted(const QString& path, const Experiment_Stats* record) const;
    // The run's title, marked when the run was interrupted; the list and the statistics show it.
    QString runTitle(const QString& path, const Experiment_Stats* record) const;
    // Whether a panel of this program still has the record open: its stop will write it.
    static bool isRecordedHere(const QString& path);
    void applyStoredSort();
    QList<Experiment_Stats*> selectedRecords() const;
    Experiment_Stats* recordOf(const QString& path) const;
    int rowOf(const Experiment_Stats* record) const;
    void markSelectedRows();

    void releaseTracks();
    void openTracks(const QString& runFolder);
    // The sensor curve of a startle run's Startle.csv (time in ms, then the three axes in
    // hundredths); false when the run has no such file.
    static bool readStartleCurve(const QString& path, QMap<qint64, float>& curve);
    void releaseRecords();

    void onCellClicked(int row, int column);
    void onItemPressed(QTableWidgetItem* item);
    void onSortIndicatorChanged(int column, Qt::SortOrder order);
    void writeBack(QLineEdit* edit, const QString& property, int column,
                   const std::function<void(Experiment_Stats*, const QString&)>& setter);
    void onExport();
    void onStatisticsRebuilt();
    void onShowInFolder(const QString& path);
    void onDeleteExperiments(const QStringList& paths);
    void onRefresh();
    void onRecalculate();

    KestrumSettings* settings;
    QTableWidget* runsTable;
    QLabel* noDataLabel = nullptr;
    QSplitter* rightSplitter = nullptr;
    ExperimentsTable* statsTable = nullptr;
    OverlayedVideoWidgetForKestrum* player = nullptr;
    TimelineViewer* timelineViewer = nullptr;
    QLabel* rodentLabel = nullptr;
    QLineEdit* rodentEdit = nullptr;
    QLabel* commentLabel = nullptr;
    QLineEdit* commentEdit = nullptr;
    QWidget* cyclesBox = nullptr;
    PropertyListControl* verboseControl = nullptr;
    PropertyListControl* overlayControl = nullptr;
    QPushButton* exportButton = nullptr;

    QList<Experiment_Stats*> records;
    // Record files that did not load, with the time they were last changed.
    QHash<QString, QDateTime> unreadableFiles;
    QList<ResultColumn> columns;
    Experiment_Stats* current = nullptr;
    std::unique_ptr<TrackDataFile> trackReader;
    std::unique_ptr<TrackDataFile> legacyReader;
    int rememberedRow = -1;
    QIcon checkedIcon;
    QIcon uncheckedIcon;
    ConnectionHelper recordConnection;
};
