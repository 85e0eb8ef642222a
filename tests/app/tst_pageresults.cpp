#include "BaseExperiment.h"
#include "CodedFrames.h"
#include "CvConversions.h"
#include "DialogSeam.h"
#include "ExperimentResultTableWidget.h"
#include "Experiment_ActiveAvoidance_Stats.h"
#include "Experiment_LightBox_Stats.h"
#include "Experiment_StartleReflex_Stats.h"
#include "Experiment_Stats.h"
#include "ExperimentsTable.h"
#include "FileUtilities.h"
#include "GlobalConsole.h"
#include "KestrumModel.h"
#include "KestrumSettings.h"
#include "PageResults.h"
#include "Patience.h"
#include "QTableWidgetWithCopyPaste.h"
#include "SerialPortEnumerator.h"
#include "SpreadsheetReader.h"
#include "TestFiles.h"
#include "TextHelper.h"
#include "TimelineViewer.h"
#include "TrackDataFile.h"
#include "TrackFrame.h"
#include "VideoPlayer.h"
#include "VideoRecorder.h"

#include <QHeaderView>
#include <QJsonArray>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
// The page's wording in the language the test runs in.
QString shown(const char* source)
{
    return QCoreApplication::translate("PageResults", source);
}

QString generic(const char* source)
{
    return QCoreApplication::translate("Generic", source);
}
const QString first = QStringLiteral("2024.01.10-10.00.00.000/Stats.xml");
const QString second = QStringLiteral("2024.01.10-11.00.00.000/Stats.xml");
const QString groupA = QStringLiteral("group-a/2024.01.10-12.00.00.000/Stats.xml");
const QString groupB = QStringLiteral("group-b/2024.01.10-12.00.00.000/Stats.xml");
const QString broken = QStringLiteral("2024.01.10-13.00.00.000/Stats.xml");

void writeTrack(const QString& path, int records)
{
    TrackDataFile file;
    QVERIFY(file.open(path, false));
    for (int key = 0; key < records; ++key) {
        TrackFrame frame;
        frame.detected = true;
        frame.timeMs = key * 40;
        frame.setCenter(QPoint(100 + key % 200, 120));
        frame.setRect(QRect(90 + key % 200, 110, 20, 20));
        frame.area = 300;
        QVERIFY(file.writeRecord(quint32(key), frame, false));
    }
}

QStringList actionTexts(QMenu* menu)
{
    QStringList texts;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator())
            texts << action->text();
    }
    return texts;
}

QString decimal(double value)
{
    return TextHelper::numToStr(value, 2, false);
}

int columnOf(const QList<ResultColumn>& columns, const QString& key)
{
    for (int column = 0; column < columns.size(); ++column) {
        if (columns.at(column).key == key)
            return column;
    }
    return -1;
}

QJsonArray valueAndType(const QJsonValue& value)
{
    return QJsonArray{value, value.isString() ? "s" : "n"};
}

} // namespace

class TestPageResults : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> base;
    std::unique_ptr<KestrumModel> model;
    QString paradigm;
    QList<DialogSeam::Request> asked;
    QList<DialogSeam::Answer> answers;

    QString run(const QString& record) const { return paradigm + record; }

    int rowOf(PageResults& page, const QString& record) const
    {
        for (int row = 0; row < page.folderTable()->rowCount(); ++row) {
            if (page.folderTable()->item(row, 1)->data(Qt::UserRole).toString() == run(record))
                return row;
        }
        return -1;
    }

    void select(PageResults& page, const QStringList& records) const
    {
        page.folderTable()->clearSelection();
        for (const QString& record : records) {
            const int row = rowOf(page, record);
            page.folderTable()->selectionModel()->select(page.folderTable()->model()->index(row, 0),
                                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

    QStringList column(PageResults& page, int column) const
    {
        QStringList texts;
        for (int row = 0; row < page.folderTable()->rowCount(); ++row)
            texts << page.folderTable()->item(row, column)->text();
        return texts;
    }

    // The texts of one column of the statistics table.
    static QStringList statisticsColumn(PageResults& page, int column)
    {
        QStringList texts;
        const QTableWidget* table = page.statisticsTable()->table();
        for (int row = 0; table && row < table->rowCount(); ++row)
            texts << table->item(row, column)->text();
        return texts;
    }

private slots:
    void initTestCase()
    {
        SerialPortEnumerator::setSystemPortsIncluded(false);
        // GStreamer's PulseAudio device monitor keeps allocations the leak checker cannot place.
        qputenv("QT_MEDIA_BACKEND", "ffmpeg");
    }

    void init()
    {
        base = std::make_unique<QTemporaryDir>();
        QVERIFY(FileUtilities::CopyFolderStructure(QFINDTESTDATA("fixtures/results"), base->path(), true));
        KestrumModel::setPanelFactory(nullptr);
        model = std::make_unique<KestrumModel>(base->path());
        model->init();
        model->settings()->setExportBehavior(KestrumSettings::OnExport_DoNothing);
        paradigm = base->path() + "/LightBox/";
        asked.clear();
        answers.clear();
        DialogSeam::setHandler([this](const DialogSeam::Request& request) {
            asked << request;
            return answers.isEmpty() ? DialogSeam::Answer{0, false, {}} : answers.takeFirst();
        });
    }

    void cleanup()
    {
        DialogSeam::setHandler({});
        model.reset();
    }

    // Only the runs' records are listed, the unreadable one marked; rows match records by their
    // path (two runs share a title); one whole row replays its run with the track, several show
    // the statistics, a missing value left out of them; reading changes no file of a run.
    void listsRunsAndShowsTheSelected()
    {
        writeTrack(QFileInfo(run(groupB)).absolutePath() + "/Track.tdata", 50);
        writeTrack(QFileInfo(run(groupB)).absolutePath() + "/Track.data", 5);
        const auto before = filesUnder(paradigm);
        PageResults page;
        page.resize(1200, 800);
        page.show();
        QCOMPARE(page.folderTable()->rowCount(), 5);
        QCOMPARE(page.folderTable()->columnCount(), 4);
        QStringList rodents = column(page, 2);
        rodents.sort();
        QCOMPARE(rodents, QStringList({"", "Крыса 1", "Крыса 2", "Мышь А", "Мышь Б"}));
        QCOMPARE(page.folderTable()->item(rowOf(page, broken), 1)->text(),
                 shown("%1 (unreadable)").arg("2024.01.10-13.00.00.000"));

        select(page, {groupB});
        QCOMPARE(page.currentRecord()->getFilepath(), run(groupB));
        QCOMPARE(page.replayedTrackPath(), QFileInfo(run(groupB)).absolutePath() + "/Track.tdata");
        QCOMPARE(page.findChild<QLineEdit*>("rodentEdit")->text(), "Мышь Б");
        QCOMPARE(statisticsColumn(page, 2).constFirst(), decimal(6));
        QVERIFY(page.timeline()->isHidden());

        select(page, {first, second, groupA});
        QCOMPARE(page.currentRecord(), nullptr);
        QCOMPARE(page.replayedTrackPath(), QString());
        const QStringList latent = statisticsColumn(page, 2);
        QStringList runs = latent.mid(0, 3);
        runs.sort();
        QCOMPARE(runs, QStringList({"-", decimal(2), decimal(4)}));
        QCOMPARE(latent.mid(4),
                 QStringList({"2", decimal(3), decimal(2), decimal(1.41), decimal(2), decimal(4), decimal(6)}));
        QCOMPARE(statisticsColumn(page, 5).at(5), decimal(1.0 / 3));

        select(page, {broken});
        QCOMPARE(page.currentRecord(), nullptr);
        QVERIFY(!page.statisticsTable()->table());
        page.scanExperiments();
        QCOMPARE(filesUnder(paradigm), before);
        QCOMPARE(QDir(QFileInfo(run(broken)).absolutePath()).entryList(QDir::Files), QStringList({"Stats.xml"}));

        model->selectExperimentType("StartleReflex");
        QCOMPARE(page.folderTable()->columnCount(), 5);
        QCOMPARE(column(page, 4), QStringList({"Свет и звук"}));
        page.folderTable()->selectRow(0);
        QVERIFY(!page.timeline()->isHidden());

        // Without runs the list has no row, not even a blank one to select.
        QVERIFY(QDir(base->path() + "/StartleReflex/2024.01.11-10.00.00.000").removeRecursively());
        page.scanExperiments();
        QCOMPARE(page.folderTable()->rowCount(), 0);
        page.folderTable()->selectAll();
        QVERIFY(page.folderTable()->selectionModel()->selectedRows().isEmpty());
        QCOMPARE(page.currentRecord(), nullptr);
    }

    // A run whose program died while it recorded has only the part of its video that grew: the
    // player plays that, until a finished video is there; reviewing changes no file.
    void runWithOnlyThePartOfItsVideoPlaysIt()
    {
        const QString folder = QFileInfo(run(first)).absolutePath();
        const auto numbered = [](int first) {
            QList<cv::Mat> frames;
            for (int n = first; n < first + 5; ++n)
                frames << CodedFrames::frame(n);
            return frames;
        };
        QList<cv::Mat> frames = numbered(7);
        QVERIFY(VideoRecorder::createVideoFromImages(folder + "/video.part.mp4", frames, 25, QSize()));
        const QMap<QString, QByteArray> before = filesUnder(paradigm);
        PageResults page;
        page.resize(1200, 800);
        page.show();
        auto* player = page.findChild<ZCV::VideoPlayer*>();
        const auto shownNumber = [player] {
            const QImage shown =
                player->grab().toImage().copy(player->videoRect()).convertToFormat(QImage::Format_RGB32);
            return CodedFrames::numberIn(QImageToCvMat(shown));
        };
        select(page, {first});
        QCOMPARE(player->source(), QUrl::fromLocalFile(folder + "/video.part.mp4").toString());
        QTRY_COMPARE_WITH_TIMEOUT(shownNumber(), 7, generous);
        QCOMPARE(filesUnder(paradigm), before);

        frames = numbered(20);
        QVERIFY(VideoRecorder::createVideoFromImages(folder + "/video.mp4", frames, 25, QSize()));
        select(page, {second});
        select(page, {first});
        QCOMPARE(player->source(), QUrl::fromLocalFile(folder + "/video.mp4").toString());
        QTRY_COMPARE_WITH_TIMEOUT(shownNumber(), 20, generous);
    }

    // A recalculated startle run keeps saving the edits made after it; selected with an
    // unreadable run, it shows neither its video nor its time line.
    void startleRunRecalculatedThenEdited()
    {
        const QString startle = base->path() + "/StartleReflex/";
        QVERIFY(QDir().mkpath(startle + "damaged"));
        QVERIFY(QFile::copy(run(broken), startle + "damaged/Stats.xml"));
        model->selectExperimentType("StartleReflex");
        PageResults page;
        page.show();
        const int readable = page.folderTable()->item(0, 2)->text().isEmpty() ? 1 : 0;
        page.folderTable()->selectRow(readable);
        std::unique_ptr<QMenu> menu(page.createContextMenu(page.selectedPaths()));
        QCOMPARE(menu->actions().constLast()->text(), shown("Перерасчёт эксперимента"));
        menu->actions().constLast()->trigger();
        auto* rodent = page.findChild<QLineEdit*>("rodentEdit");
        QCOMPARE(rodent->text(), "Крыса 3");
        rodent->setText("Крыса 4");
        emit rodent->editingFinished();
        page.scanExperiments();
        QVERIFY(column(page, 2).contains("Крыса 4"));

        page.folderTable()->selectAll();
        QVERIFY(page.timeline()->isHidden());
    }

    // Edits reach the record's file only when they change it; the sort is kept for the next
    // listing; the menu offers no recalculation for a paradigm that has nothing to recalculate
    // (the startle run's is above); deleting the replayed run while its overlays read the track
    // removes that run folder only, and nothing outside the run folders is ever removed.
    void annotatesSortsAndDeletes()
    {
        writeTrack(QFileInfo(run(groupB)).absolutePath() + "/Track.tdata", 2000);
        model->settings()->setOverlayOptions(VideoOverlayOptions::Shadow);
        PageResults page;
        page.show();
        select(page, {first});
        auto* comment = page.findChild<QLineEdit*>("commentEdit");
        comment->setText("после; \"правки\"");
        emit comment->editingFinished();
        QCOMPARE(page.folderTable()->item(rowOf(page, first), 3)->text(), "после; \"правки\"");
        Experiment_Stats* reread = model->currentExperiment()->createStats(run(first));
        QCOMPARE(reread->getComment(), "после; \"правки\"");
        delete reread;
        const QByteArray saved = readFileBytes(run(first));
        QVERIFY(QFile::remove(run(first)));
        emit comment->editingFinished();
        QVERIFY(!QFile::exists(run(first)));
        QVERIFY(writeFileBytes(run(first), saved));

        page.folderTable()->horizontalHeader()->setSortIndicator(2, Qt::AscendingOrder);
        QCOMPARE(model->settings()->getSortIndexFileTable(), 2);
        PageResults again;
        again.scanExperiments();
        QCOMPARE(column(again, 2), QStringList({"", "Крыса 1", "Крыса 2", "Мышь А", "Мышь Б"}));

        select(page, {first});
        std::unique_ptr<QMenu> menu(page.createContextMenu(page.selectedPaths()));
        QCOMPARE(actionTexts(menu.get()), QStringList({shown("Показать в папке"), shown("Удалить эксперимент"),
                                                       shown("Обновить таблицу экспериментов")}));

        select(page, {groupB});
        QVERIFY(!page.replayedTrackPath().isEmpty());
        answers << DialogSeam::Answer{1, false, {}};
        page.deleteExperiments({run(groupB)}, true);
        QVERIFY(QFile::exists(run(groupB)));
        page.deleteExperiments({run(groupB), paradigm + "notes.xml"}, false);
        QCOMPARE(asked.constLast().title, shown("Удаление экспериментов"));
        QVERIFY(!QFileInfo::exists(QFileInfo(run(groupB)).absolutePath()));
        QVERIFY(QFileInfo::exists(paradigm + "group-b"));
        QVERIFY(QFileInfo::exists(paradigm + "notes.xml"));
        QCOMPARE(page.folderTable()->rowCount(), 4);

        std::unique_ptr<QMenu> none(page.createContextMenu({}));
        QCOMPARE(actionTexts(none.get()).at(0), shown("Удалить эксперименты"));
    }

    // The export of three runs: the overall sheet, one per run and the value descriptions, read
    // by another program; a CSV with its byte-order mark; a failed save reported, not returned.
    void exportsTheStatistics()
    {
        PageResults page;
        page.show();
        select(page, {first, second, groupA});
        const QString xlsx = base->filePath("three.xlsx");
        answers << DialogSeam::Answer{0, false, {xlsx}};
        QCOMPARE(page.statisticsTable()->exportSpreadsheet(), xlsx);
        QCOMPARE(asked.constLast().kind, DialogSeam::Kind::SaveFile);
        QVERIFY(asked.constLast().folder.startsWith(paradigm));
        QVERIFY(asked.constLast().folder.endsWith(".xlsx"));
        const QJsonObject book = readWorkbookWithPython(xlsx);
        QStringList names;
        for (const QJsonValue& name : book["names"].toArray())
            names << name.toString();
        QCOMPARE(names.takeFirst(), generic("Overall"));
        QCOMPARE(names.takeLast(), generic("Value descriptions"));
        names.sort();
        QCOMPARE(names, QStringList({"2024.01.10-10.00.00.000", "2024.01.10-11.00.00.000", "2024.01.10-12.00.00.000"}));
        QCOMPARE(book["active"].toString(), generic("Overall"));
        const QJsonArray overall = book["sheets"][generic("Overall")].toArray();
        QJsonArray latent;
        for (int row = 1; row <= 3; ++row)
            latent << overall[row].toArray()[2];
        for (const QJsonArray& cell : {QJsonArray({2, "n"}), QJsonArray({4, "n"}), QJsonArray({"-", "s"})})
            QVERIFY(latent.contains(cell));

        const QString csv = base->filePath("three.csv");
        answers << DialogSeam::Answer{0, false, {csv}};
        QSignalSpy picked(page.statisticsTable(), &ExperimentsTable::exportFormatPicked);
        QCOMPARE(page.statisticsTable()->exportSpreadsheet(), csv);
        QVERIFY(readFileBytes(csv).startsWith("\xEF\xBB\xBF" + generic("Overall").toUtf8() + "\r\n"));
        QCOMPARE(model->settings()->getSpreadsheetExportFormat(), "csv");

        // A name with neither suffix gets the chosen filter's, as a save dialog gives it, and is
        // written in that format; replacing a file under the name so made is asked about first.
        const QString csvFilter = generic("Comma-Separated Values (CSV)") + " (*.csv)";
        const QString xlsxFilter = generic("XLSX file") + " (*.xlsx)";
        for (const auto& [name, filter, written, format] :
             {std::tuple("sheet", csvFilter, "sheet.csv", "csv"), std::tuple("four", xlsxFilter, "four.xlsx", "xlsx"),
              std::tuple("three.2024", xlsxFilter, "three.2024.xlsx", "xlsx"),
              std::tuple("three.CSV", xlsxFilter, "three.CSV", "csv")}) {
            answers << DialogSeam::Answer{0, false, {base->filePath(name)}, filter};
            QCOMPARE(page.statisticsTable()->exportSpreadsheet(), base->filePath(written));
            QVERIFY(asked.constLast().filter.split(";;").contains(csvFilter));
            QCOMPARE(picked.constLast().at(0).toString(), format);
            QCOMPARE(readFileBytes(base->filePath(written)).startsWith("PK"), format == QLatin1String("xlsx"));
            QVERIFY(!QFileInfo::exists(base->filePath(name)) || QString(name) == written);
        }
        const QByteArray kept = readFileBytes(xlsx);
        answers << DialogSeam::Answer{0, false, {base->filePath("three")}, xlsxFilter} << DialogSeam::Answer{1};
        QCOMPARE(page.statisticsTable()->exportSpreadsheet(), QString());
        QCOMPARE(asked.constLast().kind, DialogSeam::Kind::Message);
        QCOMPARE(readFileBytes(xlsx), kept);
        answers << DialogSeam::Answer{0, false, {base->filePath("three")}, csvFilter} << DialogSeam::Answer{0};
        QCOMPARE(page.statisticsTable()->exportSpreadsheet(), csv);

        answers << DialogSeam::Answer{0, false, {base->filePath("missing/three.xlsx")}};
        QCOMPARE(page.statisticsTable()->exportSpreadsheet(), QString());
        QCOMPARE(asked.constLast().kind, DialogSeam::Kind::Message);

        // Offscreen the desktop has no program to open anything with: the console says so.
        QPushButton* exportButton = nullptr;
        for (QPushButton* button : page.findChildren<QPushButton*>())
            if (button->text() == shown("Export"))
                exportButton = button;
        QVERIFY(exportButton && exportButton->isEnabled());
        for (const auto& [behaviour, opened] : {std::pair(KestrumSettings::OnExport_OpenFile, csv),
                                                std::pair(KestrumSettings::OnExport_OpenFolder, base->path())}) {
            model->settings()->setExportBehavior(behaviour);
            answers << DialogSeam::Answer{0, false, {csv}};
            GlobalConsole::ClearText();
            exportButton->click();
            QVERIFY2(
                GlobalConsole::currentText().contains(generic("No program could be started to open %1").arg(opened)),
                qPrintable(GlobalConsole::currentText()));
        }
    }

    // One run with its cycles listed under it and the statistics over the cycles. Each phase was
    // entered a frame after its scheduled onset, from which the run measured the times it stored:
    // the cycles show those times, so their mean is the run's own (not 2.02, 6.42, 3.64 and 4.03
    // from the log's onsets).
    void listsTheCyclesOfOneRun()
    {
        model->selectExperimentType("ActiveAvoidance");
        BaseExperiment* avoidance = model->currentExperiment();
        QVERIFY(QDir().mkpath(base->filePath("ActiveAvoidance/run")));
        std::unique_ptr<Experiment_Stats> record(
            avoidance->createStats(base->filePath("ActiveAvoidance/run/Stats.xml")));
        record->setLog("0|PhaseStart\r\n1020|PhaseLight\r\n3040|Reaction\r\n"
                       "10000|PhaseStart\r\n11030|PhaseLight\r\n13000|PhaseBreak\r\n14020|PhaseElectro\r\n"
                       "17450|Reaction\r\n20000|PhaseStart\r\n21025|PhaseLight\r\n24665|Reaction\r\n"
                       "30000|Finished\r\n");
        auto* stored = static_cast<Experiment_ActiveAvoidance_Stats*>(record.get());
        stored->setReactionTimes("2021;6436;3662;");
        stored->setReactionTime(12119);
        stored->setLightTimes("2021;2000;3662;");
        stored->setLightTime(7683);
        stored->setElectrocutionTimes("3436;");
        stored->setElectrocutionTime(3436);
        stored->setDurationMs(30000);
        stored->setCyclesCount(3);
        stored->updateAverages();
        ExperimentsTable table;
        table.setShowCyclesVerbose(true);
        table.fillStatistics({record.get()}, avoidance->resultColumns());
        const QTableWidget* shown = table.table();
        QCOMPARE(shown->rowCount(), 13);
        QCOMPARE(shown->item(0, 0)->text(), "run");
        QCOMPARE(shown->item(1, 0)->text(), "");
        for (int row = 2; row <= 4; ++row) {
            QVERIFY(!shown->item(row, 0)->text().startsWith("~"));
            QVERIFY(shown->item(row, 0)->textAlignment() & Qt::AlignRight);
        }
        QCOMPARE(shown->item(5, 0)->text(), "");
        QCOMPARE(shown->item(6, 0)->text(), generic("Amount") + " (N)");
        QCOMPARE(shown->item(6, 1)->text(), "3");
        QCOMPARE(shown->item(12, 0)->text(), generic("Sum"));
        // Reaction, light and electrocution times.
        for (const auto& [column, cycles] : QList<std::pair<int, QList<double>>>{
                 {1, {2.021, 6.436, 3.662}}, {5, {2.021, 2.0, 3.662}}, {6, {0, 3.436, 0}}}) {
            for (int cycle = 0; cycle < 3; ++cycle)
                QCOMPARE(shown->item(2 + cycle, column)->text(), decimal(cycles.at(cycle)));
            QCOMPARE(shown->item(7, column)->text(), shown->item(0, column)->text());
        }
        QCOMPARE(shown->item(7, 1)->text(), decimal(4.04));
        // The mean's letter is a Latin one in English and a Russian one in Russian.
        QCOMPARE(shown->item(7, 0)->text(), generic("Average (M)"));
        for (const auto& [language, label] :
             QList<std::pair<QString, QString>>{{"en_US", "Average (M)"}, {"ru_RU", "Среднее (М)"}}) {
            QTranslator file;
            QVERIFY(file.load(":/translations/Kestrum_" + language + ".qm"));
            QCOMPARE(file.translate("Generic", "Average (M)"), label);
        }

        // A run stopped before its first light has nothing to average: its row shows "-" and the
        // statistics over the runs leave it out.
        QVERIFY(QDir().mkpath(base->filePath("ActiveAvoidance/none")));
        std::unique_ptr<Experiment_Stats> noTrial(
            avoidance->createStats(base->filePath("ActiveAvoidance/none/Stats.xml")));
        noTrial->setLog("0|PhaseStart\r\n1500|Finished\r\n");
        noTrial->setDurationMs(1500);
        noTrial->setCyclesCount(0);
        noTrial->setFinished(true);
        table.fillStatistics({record.get(), noTrial.get()}, avoidance->resultColumns());
        for (const int column : {1, 5, 6}) {
            QCOMPARE(table.table()->item(1, column)->text(), "-");
            QCOMPARE(table.table()->item(3, column)->text(), "1");
            QCOMPARE(table.table()->item(4, column)->text(), table.table()->item(0, column)->text());
        }

        // A stay has no denial of its own: only the run has one.
        model->selectExperimentType("LightBox");
        const QList<ResultColumn> zoneColumns = model->currentExperiment()->resultColumns();
        Experiment_LightBox_Stats rejected(QString(), false);
        rejected.setDurationMs(60000);
        rejected.setSafeZoneTimeMs(60000);
        rejected.setSafeZoneTimes("60000;\r\n");
        rejected.setRejected(true);
        table.fillStatistics({&rejected}, zoneColumns);
        const int denial = columnOf(zoneColumns, "Rejected");
        QCOMPARE(table.table()->rowCount(), 3);
        QCOMPARE(table.table()->item(0, denial)->text(), generic("Yes"));
        QCOMPARE(table.table()->item(2, 0)->text(), generic("Bright side"));
        QCOMPARE(table.table()->item(2, denial)->text(), "-");
    }

    // Three startle runs whose animals are named like numbers, the last without any reaction: the
    // screen rounds the figures, and a mean over no reaction is no value, left out of the
    // statistics; the export, as other programs read it, gives the names as typed and the figures
    // at the record's resolution, the statistics included.
    void exportKeepsTheRecordsOwnFigures()
    {
        model->selectExperimentType("StartleReflex");
        const QList<ResultColumn> columns = model->currentExperiment()->resultColumns();
        struct Run
        {
            QString rodent;
            QString comment;
            int durationMs;
            int latencyMs;
            double amplitude;
        };
        const QList<Run> runs = {
            {"007", "1.5", 12345, 14, 7.5}, {"+7", "1e3", 1000000, 16, 5}, {"1000000", "опыт", 600, 0, 0}};
        std::vector<std::unique_ptr<Experiment_StartleReflex_Stats>> records;
        QList<Experiment_Stats*> listed;
        for (int i = 0; i < runs.size(); ++i) {
            const Run& run = runs.at(i);
            const int reacted = run.latencyMs > 0 ? 1 : 0;
            records.push_back(std::make_unique<Experiment_StartleReflex_Stats>(
                base->filePath(QString("StartleReflex/run %1/Stats.xml").arg(i + 1)), false));
            Experiment_StartleReflex_Stats& record = *records.back();
            record.setRodent(run.rodent);
            record.setComment(run.comment);
            record.setDurationMs(run.durationMs);
            record.setStimulusCount(2);
            record.setReactedStimulusCount(reacted);
            record.setAverageReactionToAllStims(run.latencyMs);
            record.setLightStimulusCount(1);
            record.setLightReactedStimulusCount(reacted);
            record.setReactionToLight(run.latencyMs);
            record.setAmplitudeToLight(run.amplitude);
            record.setSoundStimulusCount(1);
            record.setReactionsCalced(true);
            listed << &record;
        }
        ExperimentsTable table;
        table.fillStatistics(listed, columns);
        const QTableWidget* shown = table.table();
        const int light = columnOf(columns, "ReactionToLight");
        const int sound = columnOf(columns, "ReactionToSound");
        const int overall = columnOf(columns, "AverageReactionToAllStims");
        const int rodent = columnOf(columns, "Rodent");
        QCOMPARE(shown->item(0, rodent)->text(), "007");
        for (int column : {light, overall}) {
            QCOMPARE(shown->item(0, column)->text(), decimal(0.014));
            QCOMPARE(shown->item(2, column)->text(), "-");
            QCOMPARE(shown->item(4, column)->text(), "2");
            QCOMPARE(shown->item(5, column)->text(), decimal(0.015));
        }
        QCOMPARE(shown->item(2, sound)->text(), "-");
        QCOMPARE(shown->item(4, sound)->text(), "");

        const QString decimalPoint = TextHelper::numDecimalSeparator();
        const QString xlsx = base->filePath("startle.xlsx");
        const QString csv = base->filePath("startle.csv");
        QVERIFY(table.writeSpreadsheet(xlsx, "xlsx"));
        QVERIFY(table.writeSpreadsheet(csv, "csv"));
        const QJsonArray sheet = readWorkbookWithPython(xlsx)["sheets"][generic("Overall")].toArray();
        QList<QStringList> lines;
        for (const QJsonValue& line : readCsvWithPython(csv))
            lines << line.toVariant().toStringList();
        QCOMPARE(lines.at(0).at(0), generic("Overall"));
        // Each cell as the workbook holds it and as the CSV gives it, by row of the table.
        const auto expect = [&](int row, int column, const QJsonValue& value, const QString& text) {
            const QString where = QString("row %1, column %2").arg(row).arg(column);
            QVERIFY2(sheet[row + 1].toArray()[column].toArray() == valueAndType(value), qPrintable(where));
            QCOMPARE(lines.at(row + 3).at(column), text);
        };
        const auto figure = [&](const QJsonValue& value, QString text) {
            return std::pair(value, text.replace(".", decimalPoint));
        };
        for (int row = 0; row < runs.size(); ++row) {
            expect(row, rodent, runs.at(row).rodent, runs.at(row).rodent);
            expect(row, rodent + 1, runs.at(row).comment, runs.at(row).comment);
        }
        const int duration = columnOf(columns, "DurationMs");
        const int amplitude = columnOf(columns, "AmplitudeToLight");
        const int stimuli = columnOf(columns, "StimulusCount");
        const QList<std::tuple<int, int, std::pair<QJsonValue, QString>>> figures = {
            {0, duration, figure(12.345, "12.345")},
            {1, duration, figure(1000, "1000")},
            {2, duration, figure(0.6, "0.6")},
            {0, light, figure(0.014, "0.014")},
            {1, light, figure(0.016, "0.016")},
            {2, light, figure("-", "-")},
            {2, overall, figure("-", "-")},
            {0, amplitude, figure(7.5, "7.5")},
            {1, amplitude, figure(5, "5")},
            {0, stimuli, figure(2, "2")},
            // The statistics: N, mean, dispersion, deviation, minimum, maximum and sum.
            {4, light, figure(2, "2")},
            {5, light, figure(0.015, "0.015")},
            {6, light, figure(0.000002, "2e-06")},
            {7, light, figure(0.001, "0.001")},
            {8, light, figure(0.014, "0.014")},
            {9, light, figure(0.016, "0.016")},
            {10, light, figure(0.03, "0.03")},
            {4, duration, figure(3, "3")},
            {10, duration, figure(1012.945, "1012.945")},
            {5, amplitude, figure(6.25, "6.25")},
            {5, stimuli, figure(2, "2")},
        };
        for (const auto& [row, column, value] : figures)
            expect(row, column, value.first, value.second);
    }

    // In the result table only the animal and the comment are written back, each row to its own
    // record even when the text is the one just typed into another row; the sort is kept.
    void resultTableWritesEditsBack()
    {
        BaseExperiment* lightBox = model->currentExperiment();
        std::unique_ptr<Experiment_Stats> a(lightBox->createStats(run(first)));
        std::unique_ptr<Experiment_Stats> b(lightBox->createStats(run(second)));
        ExperimentResultTableWidget widget;
        widget.setRecords({a.get(), b.get()}, lightBox->resultColumns());
        QSignalSpy changed(&widget, &ExperimentResultTableWidget::itemChanged);
        QTableWidget* table = widget.mainTable();
        const int rodent = table->columnCount() - 2;
        table->item(0, 0)->setText("другое имя");
        table->item(0, rodent)->setText("Одна крыса");
        table->item(1, rodent)->setText("Одна крыса");
        table->item(1, rodent + 1)->setText("вторая");
        QCOMPARE(changed.size(), 3);
        QCOMPARE(changed.at(1), QVariantList({"2024.01.10-11.00.00.000", 2, "Одна крыса"}));
        for (const QString& record : {first, second}) {
            std::unique_ptr<Experiment_Stats> reread(lightBox->createStats(run(record)));
            QCOMPARE(reread->getRodent(), "Одна крыса");
            QCOMPARE(reread->title(), QFileInfo(run(record)).dir().dirName());
        }
        QCOMPARE(b->getComment(), "вторая");
        table->horizontalHeader()->setSortIndicator(rodent + 1, Qt::AscendingOrder);
        QCOMPARE(model->settings()->getSortIndexResultTable(), rodent + 1);
        QCOMPARE(table->item(0, rodent + 1)->text(), "");
    }
};

#ifdef __SANITIZE_ADDRESS__
// The media back end's PulseAudio device monitor leaves allocations behind in libraries built
// without frame pointers; unwound in full, their stacks reach the suppressions by library.
extern "C" const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}
#endif

QTEST_MAIN(TestPageResults)
#include "tst_pageresults.moc"
