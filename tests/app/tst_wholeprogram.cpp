#include "BaseExperiment.h"
#include "DialogSeam.h"
#include "ExperimentController.h"
#include "ExperimentsTable.h"
#include "KestrumBaseDevice.h"
#include "KestrumExperimentTypeSelector.h"
#include "KestrumMainWindow.h"
#include "KestrumModel.h"
#include "KestrumSettings.h"
#include "KestrumStartup.h"
#include "ManualControlDialog.h"
#include "MetaKestrumDevice.h"
#include "PageExperiment.h"
#include "PageResults.h"
#include "PanelCameraView.h"
#include "PropertyListControl.h"
#include "RunChecks.h"
#include "SpreadsheetReader.h"
#include "StyleHelper.h"
#include "TestFiles.h"
#include "WidgetPixels.h"
#include "ZExpander.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGraphicsOpacityEffect>
#include <QJsonArray>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QSlider>
#include <QSplashScreen>
#include <QSplitter>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The virtual apparatus as the start script prepares it: the virtual chamber and its camera
// playing the bundled clip, detected with the default settings.
bool prepareVirtualApparatus(const QString& home, const QString& language)
{
    const QString data = home + QStringLiteral("/Documents/Kestrum/");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + QStringLiteral("/config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home + QStringLiteral("/share")));
    const QByteArray languageLine =
        language.isEmpty() ? QByteArray() : "<Language>" + language.toLatin1() + "</Language>";
    return QDir().mkpath(data + QStringLiteral("Devices")) && QDir().mkpath(home + QStringLiteral("/config"))
           && writeFileBytes(home + QStringLiteral("/config/user-dirs.dirs"),
                             "XDG_DOCUMENTS_DIR=\"" + QFile::encodeName(home) + "/Documents\"\n")
           && writeFileBytes(data + QStringLiteral("ExperimentSettings.xml"),
                             "<?xml version=\"1.0\"?>\n<KestrumSettings>" + languageLine
                                 + "<DebugKestrumDevice>true</DebugKestrumDevice></KestrumSettings>\n")
           && writeFileBytes(data + QStringLiteral("Devices/VirtualKestrum.xml"),
                             "<?xml version=\"1.0\"?>\n<MetaKestrumInfo><CameraPath>VirtualCameraClip</CameraPath>"
                             "</MetaKestrumInfo>\n");
}

// An icon as the program shows it, drawn at its shown size, and the colour it is drawn on.
struct ShownIcon
{
    QString where;
    QImage picture;
    QColor background;
};

// Labels with larger pictures show camera frames and images, not icons.
constexpr int largestIconSide = 64;
// The least difference of luminance between an icon's strokes and its background that still reads.
constexpr double leastIconContrast = 0.3;

QString describe(const QWidget* host, const QString& item = QString())
{
    QString name = QString::fromLatin1(host->metaObject()->className());
    if (!host->objectName().isEmpty())
        name += QLatin1Char('#') + host->objectName();
    const auto* button = qobject_cast<const QAbstractButton*>(host);
    if (button && !button->text().trimmed().isEmpty())
        name += QStringLiteral(" \"%1\"").arg(button->text().trimmed());
    else if (!host->toolTip().isEmpty())
        name += QStringLiteral(" (%1)").arg(host->toolTip());
    if (!item.isEmpty())
        name += QStringLiteral(" item \"%1\"").arg(item);
    return name;
}

QImage shownPicture(const QIcon& icon, const QSize& size, const QWidget* host)
{
    return icon.pixmap(size, host->isEnabled() ? QIcon::Normal : QIcon::Disabled).toImage();
}

// The colour that most of the host's visible part shows in its window while its icon is taken
// away for a moment: the background the icon is drawn on, whatever ancestor paints it.
QColor colourBehind(QWidget* host, const std::function<void()>& takeAway, const std::function<void()>& putBack)
{
    for (QWidget* up = host->parentWidget(); up; up = up->parentWidget()) {
        if (auto* scrolled = qobject_cast<QScrollArea*>(up))
            scrolled->ensureWidgetVisible(host, 0, 0);
    }
    QWidget* window = host->window();
    const QRect shown = host->visibleRegion().boundingRect();
    takeAway();
    const QImage behind = window->grab(QRect(host->mapTo(window, shown.topLeft()), shown.size())).toImage();
    putBack();
    return dominantColour(behind);
}

// Every icon shown now under the root: on combo box items, on buttons, as labels' pictures, and
// the round marks beside settings that reset them, which are icons drawn by the theme.
QList<ShownIcon> shownIcons(QWidget* root)
{
    QList<ShownIcon> icons;
    for (QComboBox* combo : root->findChildren<QComboBox*>()) {
        QList<int> withIcons;
        for (int item = 0; item < combo->count(); ++item) {
            if (!combo->itemIcon(item).isNull())
                withIcons << item;
        }
        if (!combo->isVisible() || withIcons.isEmpty())
            continue;
        const int current = combo->currentIndex();
        const QIcon face = combo->itemIcon(current);
        const QColor background = colourBehind(
            combo, [&] { combo->setItemIcon(current, QIcon()); }, [&] { combo->setItemIcon(current, face); });
        for (const int item : withIcons)
            icons << ShownIcon{describe(combo, combo->itemText(item)),
                               shownPicture(combo->itemIcon(item), combo->iconSize(), combo), background};
    }
    for (QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
        const QIcon icon = button->icon();
        if (button->isVisible() && !icon.isNull())
            icons << ShownIcon{describe(button), shownPicture(icon, button->iconSize(), button),
                               colourBehind(
                                   button, [&] { button->setIcon(QIcon()); }, [&] { button->setIcon(icon); })};
    }
    for (QLabel* label : root->findChildren<QLabel*>()) {
        const QPixmap picture = label->pixmap();
        if (label->isVisible() && !picture.isNull() && picture.width() <= largestIconSide
            && picture.height() <= largestIconSide)
            icons << ShownIcon{describe(label), picture.toImage(),
                               colourBehind(
                                   label, [&] { label->setPixmap(QPixmap()); }, [&] { label->setPixmap(picture); })};
    }
    for (QPushButton* mark : root->findChildren<QPushButton*>(QStringLiteral("propertyDefaultButton"))) {
        if (mark->isVisible())
            icons << ShownIcon{describe(mark), mark->grab().toImage(),
                               colourBehind(
                                   mark,
                                   [&] {
                                       auto* unseen = new QGraphicsOpacityEffect(mark);
                                       unseen->setOpacity(0);
                                       mark->setGraphicsEffect(unseen);
                                   },
                                   [&] { mark->setGraphicsEffect(nullptr); })};
    }
    return icons;
}

// Each icon shown under the root whose strokes are too close in luminance to what lies behind
// them to be seen, named with both luminances; none is also a failure, for a page without icons
// means the walk went wrong.
QStringList unreadableIcons(QWidget* root, const QString& where)
{
    const QList<ShownIcon> icons = shownIcons(root);
    if (icons.isEmpty())
        return {where + QStringLiteral(": no icon found")};
    QStringList unreadable;
    for (const ShownIcon& icon : icons) {
        const double strokes = opaqueLuminance(icon.picture);
        const double background = luminance(icon.background);
        if (std::abs(strokes - background) < leastIconContrast)
            unreadable << QStringLiteral("%1: %2 drawn at luminance %3 on %4 (%5)")
                              .arg(where, icon.where)
                              .arg(strokes, 0, 'f', 2)
                              .arg(icon.background.name())
                              .arg(background, 0, 'f', 2);
    }
    return unreadable;
}

QStringList sheetNames(const QString& workbook)
{
    QStringList names;
    for (const QJsonValue& name : readWorkbookWithPython(workbook)[QStringLiteral("names")].toArray())
        names << name.toString();
    return names;
}

} // namespace

// The program as its user meets it on a machine without hardware: started as the start script
// starts it, driven through its pages from the virtual apparatus to an exported result. With
// KESTRUM_SCREENSHOTS naming a folder, each state is also saved there as a picture in both themes.
class TestWholeProgram : public QObject
{
    Q_OBJECT

    QTemporaryDir home;
    QString pictures = qEnvironmentVariable("KESTRUM_SCREENSHOTS");
    QString language = qEnvironmentVariable("KESTRUM_SCREENSHOT_LANGUAGE");
    QStringList savePaths;
    KestrumMainWindow* window = nullptr;

    void picture(QWidget* widget, const QString& name)
    {
        if (pictures.isEmpty())
            return;
        KestrumSettings* settings = KestrumModel::instance()->settings();
        const auto theme = settings->getColorTheme();
        for (const auto& [chosen, word] :
             {std::pair{StyleHelper::Light, "light"}, std::pair{StyleHelper::Dark, "dark"}}) {
            settings->setColorTheme(chosen);
            QTest::qWait(50);
            const QString file =
                QStringLiteral("%1/%2-%3-%4.png")
                    .arg(pictures, name, QLatin1String(word), language.isEmpty() ? QStringLiteral("system") : language);
            QVERIFY2(widget->grab().save(file), qPrintable(file));
        }
        settings->setColorTheme(theme);
    }

    void showPage(int index)
    {
        window->pageButtons().at(index)->click();
        QTest::qWait(50);
    }

    // Runs the look in the light and then the dark theme and puts back the theme chosen before.
    static void inEachTheme(const std::function<void(const QString& theme)>& look)
    {
        KestrumSettings* settings = KestrumModel::instance()->settings();
        const auto chosen = settings->getColorTheme();
        for (const auto& [theme, name] :
             {std::pair{StyleHelper::Light, "light"}, std::pair{StyleHelper::Dark, "dark"}}) {
            settings->setColorTheme(theme);
            look(QLatin1String(name));
        }
        settings->setColorTheme(chosen);
    }

    static QStringList unreadableInEitherTheme(QWidget* root, const QString& where)
    {
        QStringList unreadable;
        inEachTheme(
            [&](const QString& theme) { unreadable << unreadableIcons(root, where + QLatin1Char(' ') + theme); });
        return unreadable;
    }

private slots:
    void initTestCase()
    {
        // GStreamer's device monitors keep allocations the leak checker cannot place.
        qputenv("QT_MEDIA_BACKEND", "ffmpeg");
        QVERIFY(home.isValid());
        QVERIFY(prepareVirtualApparatus(home.path(), language));
        DialogSeam::setHandler([this](const DialogSeam::Request& request) {
            return DialogSeam::Answer{0, false,
                                      savePaths.isEmpty() ? QStringList() : QStringList{savePaths.takeFirst()}};
        });
        if (!pictures.isEmpty())
            QVERIFY(QDir().mkpath(pictures));
    }

    void aRunFromTheVirtualApparatusToItsExport()
    {
        QSplashScreen splash;
        window = KestrumStartup::start(splash);
        // Wider than the offscreen screen, for pictures of a desktop-sized window.
        window->showNormal();
        window->resize(1400, 900);
        KestrumModel* model = KestrumModel::instance();
        QCOMPARE(model->baseFolder(), home.path() + QStringLiteral("/Documents/Kestrum/"));

        // The virtual apparatus appears with the clip playing in its camera view.
        auto* experimentPage = qobject_cast<PageExperiment*>(window->pages().at(0));
        QTRY_VERIFY_WITH_TIMEOUT(experimentPage->panelSplitter()->isVisible(), 20000);
        auto* panel = experimentPage->panelSplitter()->findChild<MetaKestrumDevice*>();
        QVERIFY(panel);
        QCOMPARE(panel->device()->serialNumber(), QStringLiteral("VirtualKestrum"));
        QVERIFY(panel->cameraView());
        QSignalSpy frames(panel->cameraView(), &PanelCameraView::fetchFrame);
        QTRY_VERIFY_WITH_TIMEOUT(frames.count() > 1, 20000);

        // Each paradigm's panel, with the advanced settings and its collapsed parts open, shows
        // every icon in both themes, also after a change of theme.
        model->settings()->setAdvancedSettings(true);
        QComboBox* paradigms = window->findChild<KestrumExperimentTypeSelector*>()->comboBox();
        auto* controller = window->findChild<ExperimentController*>();
        QStringList unreadable;
        for (int paradigm = 0; paradigm < paradigms->count(); ++paradigm) {
            const PropertyListControl* shownList = controller->mainSettings();
            if (paradigm != paradigms->currentIndex()) {
                paradigms->setCurrentIndex(paradigm);
                QTRY_VERIFY(controller->mainSettings() != shownList && controller->mainSettings()->isVisible());
            }
            for (ZExpander* collapsed : window->findChildren<ZExpander*>())
                collapsed->expand();
            unreadable << unreadableInEitherTheme(window, paradigms->currentData().toString());
        }
        model->settings()->setAdvancedSettings(false);
        QCOMPARE(unreadable, QStringList());

        // A paradigm is chosen, the background calibrated on the empty arena and a run made.
        paradigms->setCurrentIndex(paradigms->findData(QStringLiteral("PlacePreference")));
        QCOMPARE(model->currentScriptType(), QStringLiteral("PlacePreference"));
        BaseExperiment* run = panel->experiment();
        panel->calibrateBackground();
        bool calibrated = false, triggered = false, started = false;
        QTRY_VERIFY_WITH_TIMEOUT((run->initTriggeredStarted(calibrated, triggered, started), calibrated), 10000);
        picture(window, QStringLiteral("experiment"));
        // Three seconds of the run, however fast the machine analyses them: the video then holds
        // more than 30 frames at the slowest rate recorded.
        QSignalSpy runTime(run, &BaseExperiment::secondsChanged);
        panel->startExperiment(true);
        QTRY_VERIFY_WITH_TIMEOUT(!run->runFolder().isEmpty(), 30000);
        const QString runFolder = run->runFolder();
        QTRY_VERIFY_WITH_TIMEOUT(!runTime.isEmpty() && runTime.last().constFirst().toDouble() >= 3.0, 30000);
        picture(window, QStringLiteral("device-panel-running"));
        panel->startExperiment(false);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(runFolder + QStringLiteral("video.mp4")), 30000);
        const int videoFrames = videoFrameCount(runFolder + QStringLiteral("video.mp4"));
        QVERIFY2(videoFrames > 30, qPrintable(QString::number(videoFrames)));

        ManualControlDialog manual(panel->device(), nullptr, QStringLiteral("VirtualKestrum"));
        manual.show();
        QCOMPARE(unreadableInEitherTheme(&manual, QStringLiteral("manual control")), QStringList());
        picture(&manual, QStringLiteral("manual-control"));
        manual.close();

        // The run is listed on the records page and replayed with each overlay.
        showPage(1);
        auto* records = qobject_cast<PageResults*>(window->pages().at(1));
        QTableWidget* runs = records->folderTable();
        int row = -1;
        QTRY_VERIFY((row =
                         [&] {
                             for (int each = 0; each < runs->rowCount(); ++each) {
                                 if (runs->item(each, 1)->data(Qt::UserRole).toString()
                                     == runFolder + QStringLiteral("Stats.xml"))
                                     return each;
                             }
                             return -1;
                         }())
                    >= 0);
        const QRect cell = runs->visualItemRect(runs->item(row, 1));
        QTest::mouseClick(runs->viewport(), Qt::LeftButton, {}, cell.center());
        QTRY_COMPARE(records->replayedTrackPath(), runFolder + QStringLiteral("Track.tdata"));
        QTRY_VERIFY(records->findChild<QSlider*>() && records->findChild<QSlider*>()->maximum() > 0);
        QCOMPARE(unreadableInEitherTheme(window, QStringLiteral("records")), QStringList());
        for (const auto& [option, name] :
             {std::pair{VideoOverlayOptions::NoOverlay, "none"}, std::pair{VideoOverlayOptions::Track, "path"},
              std::pair{VideoOverlayOptions::Blob, "animal"}, std::pair{VideoOverlayOptions::Shadow, "heatmap"}}) {
            model->settings()->setOverlayOptions(option);
            picture(window, QStringLiteral("records-overlay-%1").arg(QLatin1String(name)));
        }

        // Its statistics go to a workbook and a CSV file, both read back.
        model->settings()->setExportBehavior(KestrumSettings::OnExport_DoNothing);
        const QString workbook = home.filePath(QStringLiteral("run.xlsx"));
        const QString table = home.filePath(QStringLiteral("run.csv"));
        savePaths << workbook;
        QCOMPARE(records->statisticsTable()->exportSpreadsheet(), workbook);
        const QString runName = QFileInfo(QFileInfo(runFolder).path()).fileName();
        QVERIFY2(sheetNames(workbook).contains(runName), qPrintable(sheetNames(workbook).join(',')));
        savePaths << table;
        QCOMPARE(records->statisticsTable()->exportSpreadsheet(), table);
        const QByteArray csv = readFileBytes(table);
        QVERIFY2(csv.startsWith("\xEF\xBB\xBF") && csv.contains(runName.toUtf8()), csv.left(300).constData());

        showPage(2);
        model->settings()->setAdvancedSettings(true);
        unreadable = unreadableInEitherTheme(window, QStringLiteral("settings"));
        model->settings()->setAdvancedSettings(false);
        QCOMPARE(unreadable, QStringList());
        picture(window, QStringLiteral("settings"));
        showPage(3);
        QCOMPARE(unreadableInEitherTheme(window, QStringLiteral("about")), QStringList());
        picture(window, QStringLiteral("about"));

        QTimer::singleShot(0, window, &QWidget::close);
        QCOMPARE(QCoreApplication::exec(), 0);
        QCOMPARE(KestrumModel::instance(), nullptr);
        delete window;
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

QTEST_MAIN(TestWholeProgram)
#include "tst_wholeprogram.moc"
