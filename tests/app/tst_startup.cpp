#include "AppHelper.h"
#include "ChildScenario.h"
#include "DialogSeam.h"
#include "KestrumFolderSettings.h"
#include "KestrumStartup.h"
#include "LanguageContext.h"
#include "MetaDescription.h"
#include "ProcessTable.h"
#include "StyleHelper.h"
#include "TestFiles.h"

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>

namespace {

// A second start, in a child: this program under the name of the copy that runs already (the
// scenario), refused without waiting; the message it is refused with goes to the error output.
int startAgain(const QString& runningCopy)
{
    QCoreApplication::setApplicationName(runningCopy);
    DialogSeam::setHandler([](const DialogSeam::Request& request) {
        std::fputs(request.text.toUtf8().append('\n').constData(), stderr);
        return DialogSeam::Answer{0, false, {}};
    });
    return KestrumStartup::run(0);
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

    QTemporaryDir scratch;
    QList<DialogSeam::Request> messages;

    // Named after this test process, so the same test running in another locale at the same
    // time never counts as a twin of this one.
    static QString twinName() { return QStringLiteral("kestrumtwin%1").arg(QCoreApplication::applicationPid()); }

    // A copy of a program under a name no other process has, so that it stands for a second
    // instance of this one; started detached, so that nothing here has to reap it.
    qint64 startTwin(const QString& seconds)
    {
        const QString twin = scratch.filePath(twinName());
        if (!QFile::exists(twin) && !QFile::copy(QStringLiteral("/bin/sleep"), twin))
            return 0;
        qint64 pid = 0;
        return QProcess::startDetached(twin, {seconds}, QString(), &pid) ? pid : 0;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(scratch.isValid());
        DialogSeam::setHandler([this](const DialogSeam::Request& request) {
            messages << request;
            return DialogSeam::Answer{0, false, {}};
        });
    }

    void init() { messages.clear(); }

    // A second copy is refused after a warning; a copy started by a restart waits for the one
    // that restarted it and starts.
    void singleInstance_data()
    {
        QTest::addColumn<QString>("twinSeconds");
        QTest::addColumn<bool>("restart");
        QTest::newRow("second instance") << "30" << false;
        QTest::newRow("restart") << "0.5" << true;
    }

    void singleInstance()
    {
        QFETCH(QString, twinSeconds);
        QFETCH(bool, restart);
        const QString ownName = QCoreApplication::applicationName();
        QCoreApplication::setApplicationName(twinName());
        const qint64 twin = startTwin(twinSeconds);
        QVERIFY(twin > 0);
        if (restart)
            qputenv("ZT_RESTARTED_FROM_PID", QByteArray::number(twin));
        QTRY_VERIFY(restart || AppHelper::isAppRunnning(twinName()));
        const bool refused = KestrumStartup::anotherInstanceRuns(1);
        ::kill(pid_t(twin), SIGKILL);
        // A killed twin lingers until the signal is delivered; the next row must not see it.
        QTRY_VERIFY(!ProcessTable::isRunning(twin));
        QCoreApplication::setApplicationName(ownName);
        QCOMPARE(refused, !restart);
        QCOMPARE(messages.size(), restart ? 0 : 1);
    }

    // A second start is refused in the language that the data folder's settings name, whatever
    // the system's, creates nothing, and ends with the status 1, so that a script can tell.
    void secondStartIsRefusedInTheLanguageOfTheSettings_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("Russian settings") << "ru_RU";
        QTest::newRow("English settings") << "en_US";
    }

    void secondStartIsRefusedInTheLanguageOfTheSettings()
    {
        QFETCH(QString, language);
        const QString home = scratch.filePath(QStringLiteral("second-start-") + language);
        const QString data = home + QStringLiteral("/Documents/Kestrum/");
        QVERIFY(QDir().mkpath(data) && QDir().mkpath(home + QStringLiteral("/config")));
        QVERIFY(writeFileBytes(home + QStringLiteral("/config/user-dirs.dirs"),
                               "XDG_DOCUMENTS_DIR=\"" + QFile::encodeName(home) + "/Documents\"\n"));
        QVERIFY(writeFileBytes(data + QStringLiteral("ExperimentSettings.xml"),
                               "<?xml version=\"1.0\"?>\n<KestrumSettings><Language>" + language.toLatin1()
                                   + "</Language></KestrumSettings>\n"));
        const qint64 twin = startTwin(QStringLiteral("30"));
        QVERIFY(twin > 0);
        QTRY_VERIFY(AppHelper::isAppRunnning(twinName()));
        // The child finds its documents folder in the home made above.
        const bool configSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        const QByteArray ownConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + QStringLiteral("/config")));
        const ChildOutcome outcome = runChildScenario(twinName());
        configSet ? qputenv("XDG_CONFIG_HOME", ownConfig) : qunsetenv("XDG_CONFIG_HOME");
        ::kill(pid_t(twin), SIGKILL);
        QTRY_VERIFY(!ProcessTable::isRunning(twin));

        QVERIFY2(!outcome.crashed && !outcome.timedOut, qPrintable(outcome.errorOutput));
        QCOMPARE(outcome.exitCode, 1);
        const QString refusal =
            LanguageContext::translate(QStringLiteral("Generic"), QStringLiteral("Cannot start because"), language)
            + QLatin1Char(' ')
            + LanguageContext::translate(QStringLiteral("Generic"), QStringLiteral("this app is already running"),
                                         language)
            + QStringLiteral(":\n") + twinName();
        QVERIFY2(outcome.errorOutput.contains(refusal), qPrintable(outcome.errorOutput));
        QCOMPARE(QDir(data).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("ExperimentSettings.xml")});
    }

    // The version stands in a black box, centred, from 30 pixels below the top, in light text.
    void splashShowsTheVersionInABlackBox()
    {
        QCOMPARE(AppHelper::appVersion(true), QStringLiteral("3.10.0"));
        const QImage splash = KestrumStartup::splashPixmap(QStringLiteral("3.10.0")).toImage();
        QCOMPARE(splash.size(), QSize(238, 238));
        const int top = KestrumStartup::splashTextTop;
        QList<int> black;
        int light = 0;
        for (int x = 0; x < splash.width(); ++x) {
            black << (splash.pixelColor(x, top) == Qt::black ? x : -1);
            light += splash.pixelColor(x, top + 12).lightness() > 200 && black.constLast() >= 0 ? 1 : 0;
        }
        black.removeAll(-1);
        QVERIFY(black.size() > 20 && light > 0);
        QVERIFY(std::abs(black.constFirst() + black.constLast() - 237) <= 1);
        QVERIFY(splash.pixelColor(119, top - 1) != Qt::black);
    }

    void fontsAndStylesAreLoaded()
    {
        QCOMPARE(KestrumStartup::registerFonts(), QStringList(4, QStringLiteral("Open Sans SemiCondensed")));
        KestrumStartup::useApplicationFont();
        QCOMPARE(QApplication::font().family(), QStringLiteral("Open Sans SemiCondensed"));
        QCOMPARE(QApplication::font().pixelSize(), 15);
        KestrumStartup::loadStyles();
        QCOMPARE(StyleHelper::Instance()->themes(), QStringList({"dark", "light"}));
        StyleHelper::Instance()->selectTheme(QStringLiteral("dark"));
        QVERIFY(qApp->styleSheet().contains(QStringLiteral("QPushButton")));
        QVERIFY(!qApp->styleSheet().contains(QStringLiteral("--z-")));
        QVERIFY(messages.isEmpty());
    }

    // Where the data lives: the default folder, the pointer file, the folder the pointer names,
    // and the warning and the default folder, for this run only, when that one cannot be used.
    void dataFolderRule_data()
    {
        QTest::addColumn<QString>("documents");
        QTest::addColumn<QString>("defaultFolder");
        QTest::addColumn<QByteArray>("pointerFile");
        QTest::addColumn<QString>("dataFolder");
        QTest::addColumn<QString>("warning");
        const QString home = scratch.filePath(QStringLiteral("home"));
        const QString documents = home + QStringLiteral("/Documents");
        const QString standard = documents + QStringLiteral("/Kestrum/");
        const QString local = home + QStringLiteral("/.local/share/Kestrum");
        auto pointing = [](const QString& folder) {
            return QByteArray("<?xml version=\"1.0\"?>\n<KestrumFolderSettings><BaseFolder>") + folder.toUtf8()
                   + QByteArray("</BaseFolder></KestrumFolderSettings>\n");
        };
        const QString noWarning;
        QTest::newRow("no pointer file") << documents << standard << QByteArray() << standard << noWarning;
        QTest::newRow("empty folder") << documents << standard << pointing(QString()) << standard << noWarning;
        QTest::newRow("unreadable pointer") << documents << standard << QByteArray("<Kestrum") << standard << noWarning;
        const QString created = home + QStringLiteral("/data/new/");
        QTest::newRow("folder made when missing") << documents << standard << pointing(created) << created << noWarning;
        const auto folder = [](const QString& path) {
            return QCoreApplication::translate("Generic", "Folder") + QStringLiteral(" \"%1\" ").arg(path);
        };
        const QString underAFile = home + QStringLiteral("/a-file/data/");
        QTest::newRow("folder cannot be made")
            << documents << standard << pointing(underAFile) << standard
            << folder(underAFile) + QCoreApplication::translate("Generic", "cannot be accessed, changing folder to \"")
                   + standard + '"';
        // Nothing to change to: the warning says only what is wrong.
        const QString defaultUnderAFile = home + QStringLiteral("/a-file/Kestrum/");
        QTest::newRow("default folder cannot be made")
            << documents << defaultUnderAFile << QByteArray() << defaultUnderAFile
            << folder(defaultUnderAFile) + QCoreApplication::translate("Generic", "cannot be accessed");
        const QString synced = home + QStringLiteral("/OneDrive/Documents");
        QTest::newRow("documents in OneDrive")
            << synced << local + QStringLiteral("/") << QByteArray() << local + QStringLiteral("/") << noWarning;
    }

    void dataFolderRule()
    {
        QFETCH(QString, documents);
        QFETCH(QString, defaultFolder);
        QFETCH(QByteArray, pointerFile);
        QFETCH(QString, dataFolder);
        QFETCH(QString, warning);
        const QString local = scratch.filePath(QStringLiteral("home/.local/share/Kestrum"));
        // One row gives a default folder of its own, one that cannot be made.
        if (!defaultFolder.contains(QStringLiteral("a-file")))
            QCOMPARE(KestrumStartup::defaultFolder(documents, local), defaultFolder);
        const QString pointerPath = KestrumStartup::folderPointerPath(documents);
        QCOMPARE(pointerPath, documents + QStringLiteral("/Kestrum/KestrumFolder.xml"));
        QFile::remove(pointerPath);
        QVERIFY(QDir().mkpath(QFileInfo(pointerPath).path()));
        QVERIFY(writeFileBytes(scratch.filePath(QStringLiteral("home/a-file")), "not a folder"));
        if (!pointerFile.isEmpty())
            QVERIFY(writeFileBytes(pointerPath, pointerFile));

        QObject owner;
        KestrumFolderSettings* pointer = KestrumStartup::loadFolderPointer(pointerPath, defaultFolder, &owner);
        QCOMPARE(KestrumStartup::chooseDataFolder(*pointer, defaultFolder), dataFolder);
        QCOMPARE(QFileInfo(dataFolder).isDir(), !dataFolder.contains(QStringLiteral("a-file")));
        QCOMPARE(messages.size(), warning.isEmpty() ? 0 : 1);
        if (!warning.isEmpty()) {
            QCOMPARE(messages.constFirst().icon, QMessageBox::Warning);
            QVERIFY(messages.constFirst().title.isEmpty());
            QCOMPARE(messages.constFirst().text, warning);
        }
        QCOMPARE(readFileBytes(pointerPath), pointerFile);
        // The default is the one given before the file was read, for the editors and the reset.
        QCOMPARE(pointer->getPropertyByName(QStringLiteral("BaseFolder"))->defaultText, defaultFolder);
        pointer->resetBaseFolder();
        QCOMPARE(pointer->getBaseFolder(), defaultFolder);
    }
};

int main(int argc, char** argv)
{
    return testMainWithChildScenarios<TestStartup, QApplication>(argc, argv, startAgain);
}

#include "tst_startup.moc"
