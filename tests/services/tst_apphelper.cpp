#include "AppHelper.h"
#include "TestFiles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QProcess>
#include <QPushButton>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <sys/wait.h>

#include <signal.h>
#include <spawn.h>

namespace {
// How long a restarted program's predecessor lingers after it asked for the restart.
constexpr int LingerAfterRestartMs = 1500;

QStringList requestButtonTexts(const DialogSeam::Request& request)
{
    QStringList texts;
    for (const DialogSeam::Button& button : request.buttons)
        texts << button.text;
    return texts;
}

void writeResult(const QString& path, const QByteArray& text)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(text) == text.size())
        file.commit();
}

// A copy of this test program, started under another name, plays another copy of the
// application: it lingers, restarts itself, or runs the start-up check and writes what it saw.
int runTwin(const QStringList& arguments)
{
    const QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    QCoreApplication::setApplicationName(name);
    const QString mode = arguments.value(0);
    const QString resultPath = arguments.value(1);
    if (mode == QStringLiteral("linger")) {
        QTimer::singleShot(60000, qApp, &QCoreApplication::quit);
        return QCoreApplication::exec();
    }
    if (mode == QStringLiteral("until-input-ends")) {
        QFile input;
        if (input.open(stdin, QIODevice::ReadOnly))
            input.readAll();
        return 0;
    }
    if (mode == QStringLiteral("restart")) {
        QTimer::singleShot(0, qApp, [&] { AppHelper::restart({"--twin", "check", resultPath, "20"}); });
        QCoreApplication::exec();
        QThread::msleep(LingerAfterRestartMs);
        return 0;
    }
    QString warning;
    DialogSeam::setHandler([&](const DialogSeam::Request& request) {
        warning = request.text;
        return DialogSeam::Answer();
    });
    const int copiesAtStart = AppHelper::appsRunnning(name);
    const bool refused = AppHelper::checkAndCloseIfAppsRunning({name}, arguments.value(2).toInt());
    writeResult(resultPath,
                QByteArray::number(copiesAtStart) + (refused ? " refused: " : " started") + warning.toUtf8());
    return 0;
}
} // namespace

class TestAppHelper : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;
    const QString twinName = QStringLiteral("Twin%1").arg(QCoreApplication::applicationPid());
    QList<DialogSeam::Request> asked;
    QList<DialogSeam::Answer> answers;

    void answerThroughTheSeam()
    {
        DialogSeam::setHandler([this](const DialogSeam::Request& request) {
            asked << request;
            return answers.isEmpty() ? DialogSeam::Answer() : answers.takeFirst();
        });
    }

    // Copies of the test program keep their permissions, so they run.
    QString twinProgram(const QString& name)
    {
        const QString path = folder.filePath(name);
        if (!QFileInfo::exists(path))
            QFile::copy(QCoreApplication::applicationFilePath(), path);
        return path;
    }

    void startTwin(QProcess& process, const QString& name, const QStringList& arguments)
    {
        process.start(twinProgram(name), QStringList{"--twin"} + arguments);
        QVERIFY2(process.waitForStarted(), qPrintable(process.errorString()));
    }

private slots:
    void cleanup()
    {
        DialogSeam::setHandler({});
        asked.clear();
        answers.clear();
    }

    void productIdentityAndVersionTexts()
    {
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Kestrum"));
        QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("3.10.0.0"));
        QCOMPARE(AppHelper::OS(), QStringLiteral("linux"));
        const QList<QStringList> table = {
            {"3.10.0.0", "3.10.0", "3.10"},
            {"3.10.0", "3.10.0", "3.10"},
            {"3.10", "3.10", "3.10"},
            {"3", "3", "3"},
            {"1.2.3.4.5", "1.2.3.4.5", "1.2.3.4.5"},
        };
        for (const QStringList& row : table) {
            QCoreApplication::setApplicationVersion(row[0]);
            QCOMPARE(AppHelper::appVersion(true), row[1]);
            QCOMPARE(AppHelper::appVersion(false), row[2]);
        }
        QCoreApplication::setApplicationVersion(QStringLiteral("3.10.0.0"));
    }

    void fileFilterStrings()
    {
        QCOMPARE(AppHelper::getFileFilterString(QString(), {}), QString());
        QCOMPARE(AppHelper::getFileFilterString("Image", {}), QStringLiteral("Image "));
        QCOMPARE(AppHelper::getFileFilterString("Image", {".", "*."}), QStringLiteral("Image "));
        QCOMPARE(AppHelper::getFileFilterString(QString(), {"csv"}), QStringLiteral("(*.csv)"));
        const QString images = AppHelper::getFileFilterString("Image", {"jpg", "*.png", ".bmp"});
        QCOMPARE(images, QStringLiteral("Image (*.jpg *.png *.bmp)"));

        // A file dialog given the filter shows every file it names.
        for (const QString& name : {"a.jpg", "b.png", "c.bmp", "d.txt"})
            QVERIFY(writeFileBytes(folder.filePath(name), "x"));
        QFileDialog dialog(nullptr, QString(), folder.path(), images);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        auto* model = dialog.findChild<QFileSystemModel*>();
        QVERIFY(model);
        const QModelIndex root = model->index(folder.path());
        QTRY_COMPARE(model->rowCount(root), 3);
    }

    void resourceLookUp()
    {
        const QString russian = QStringLiteral("qrc:/translations/Kestrum_ru_RU.qm");
        QCOMPARE(AppHelper::findInResources("Kestrum_ru_RU.qm"), russian);
        QCOMPARE(AppHelper::findInResources("KESTRUM_RU_RU.QM"), russian);
        QCOMPARE(AppHelper::findInResources("testsupport/linked.txt"), QStringLiteral("qrc:/testsupport/linked.txt"));
        QCOMPARE(AppHelper::findInResources("nothing.here"), QString());
        QStringList all = AppHelper::findAllInResources("KESTRUM_");
        all.sort();
        QCOMPARE(all, (QStringList{"qrc:/translations/Kestrum_en_US.qm", russian}));
    }

    void dialogsAnswerThroughTheSeam()
    {
        answerThroughTheSeam();
        const QList<int> cancelAnswers = {1, 0, -1, -1};
        for (int button : {0, 1, 2, -1}) {
            answers << DialogSeam::Answer{button};
            QCOMPARE(AppHelper::confirmDialogWithCancel("Title", "Text"), cancelAnswers[button < 0 ? 3 : button]);
        }
        QCOMPARE(requestButtonTexts(asked.last()), (QStringList{"Ok", "No", "Cancel"}));
        QCOMPARE(asked.last().buttons[2].role, QMessageBox::RejectRole);

        answers << DialogSeam::Answer{0};
        QVERIFY(AppHelper::confirmDialog("Delete", "Delete the run?", QMessageBox::Warning, {"Delete"}));
        QCOMPARE(requestButtonTexts(asked.last()), (QStringList{"Delete", "No"}));
        QCOMPARE(asked.last().title, QStringLiteral("Delete"));
        QCOMPARE(asked.last().text, QStringLiteral("Delete the run?"));
        QCOMPARE(asked.last().icon, QMessageBox::Warning);
        QVERIFY(!AppHelper::confirmDialog("Delete", "Delete the run?"));

        bool remember = true;
        answers << DialogSeam::Answer{0, false};
        QVERIFY(AppHelper::confirmDialogWithCheckBox("Title", "Text", "Remember", &remember));
        QVERIFY(asked.last().checkBoxChecked);
        QVERIFY(!remember);
        answers << DialogSeam::Answer{-1, true};
        QVERIFY(!AppHelper::infoDialogWithCheckBox("Title", "Text", "Remember", &remember));
        QVERIFY(remember);
        QCOMPARE(requestButtonTexts(asked.last()), QStringList{"Ok"});

        AppHelper::warningMessage("Folder gone");
        QCOMPARE(asked.last().icon, QMessageBox::Warning);
        QCOMPARE(requestButtonTexts(asked.last()), QStringList{"Ok"});

        answers << DialogSeam::Answer{-1, false, {"/data/run.csv"}};
        QCOMPARE(AppHelper::getSaveFileName(nullptr, "Export", "/data", "CSV (*.csv)"),
                 QStringLiteral("/data/run.csv"));
        QCOMPARE(asked.last().kind, DialogSeam::Kind::SaveFile);
        QCOMPARE(asked.last().filter, QStringLiteral("CSV (*.csv)"));
        QCOMPARE(AppHelper::getExistingDirectory(nullptr, "Folder", "/data"), QString());
    }

    void withoutSeamTheDialogIsReal()
    {
        QStringList shownButtons;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(QApplication::activeModalWidget());
            for (auto* button : QApplication::activeModalWidget()->findChildren<QPushButton*>())
                shownButtons << button->text();
            QApplication::activeModalWidget()->close();
        });
        QCOMPARE(AppHelper::confirmDialogWithCancel("Title", "Text"), -1);
        shownButtons.sort();
        QCOMPARE(shownButtons, (QStringList{"Cancel", "No", "Ok"}));
    }

    void singleInstanceAgainstRealProcesses()
    {
        QProcess first;
        QProcess second;
        startTwin(first, twinName, {"linger"});
        startTwin(second, twinName + "d", {"linger"});
        QTRY_COMPARE(AppHelper::appsRunnning(twinName + ".exe"), 1);
        QVERIFY(AppHelper::isAppRunnning(twinName.toUpper()));
        QStringList found = AppHelper::findRunningApps({twinName + ".exe"});
        found.sort();
        QCOMPARE(found, (QStringList{twinName, twinName + "d"}));

        answerThroughTheSeam();
        QVERIFY(AppHelper::checkAndCloseIfAppsRunning({twinName}, 0));
        QStringList lines = asked.last().text.split('\n');
        QCOMPARE(lines.takeFirst(), QStringLiteral("Cannot start because these apps are already running:"));
        lines.sort();
        QCOMPARE(lines, found);

        AppHelper::closeApp(twinName + "d");
        QVERIFY(second.waitForFinished());
        QVERIFY(AppHelper::checkAndCloseIfAppsRunning({twinName}, 2));
        const QString oneRunning = "Cannot start because this app is already running:\n" + twinName;
        QCOMPARE(asked.last().text, oneRunning);

        // A second start of the same program, while the first keeps running, is refused.
        const QString result = folder.filePath("second-start");
        QProcess secondStart;
        startTwin(secondStart, twinName, {"check", result, "1"});
        QVERIFY(secondStart.waitForFinished());
        QCOMPARE(readFileBytes(result), "2 refused: " + oneRunning.toUtf8());
        AppHelper::closeApp(twinName);
        QVERIFY(first.waitForFinished());
        QVERIFY(!AppHelper::checkAndCloseIfAppsRunning({twinName}, 0));
    }

    // A copy still finishing its work (writing a video) ends while the new one waits for it.
    void startWaitsForTheCopyThatIsEnding()
    {
        QProcess ending;
        startTwin(ending, twinName, {"until-input-ends"});
        QTRY_VERIFY(AppHelper::isAppRunnning(twinName));
        answerThroughTheSeam();
        // Two seconds of finishing work, then the copy is told to end.
        QTimer::singleShot(2000, &ending, &QProcess::closeWriteChannel);
        QElapsedTimer waited;
        waited.start();
        QVERIFY(!AppHelper::checkAndCloseIfAppsRunning({twinName}, 30));
        QVERIFY(asked.isEmpty());
        // Ended early, as soon as the copy had gone.
        QVERIFY(waited.elapsed() < 25000);
        QVERIFY(ending.state() == QProcess::NotRunning || ending.waitForFinished());
    }

    // A copy that has ended but is not yet reaped by its parent is not a running program.
    void endedCopyAwaitingItsParentDoesNotCount()
    {
        QByteArray program = twinProgram(twinName).toLocal8Bit();
        QByteArray twin("--twin");
        QByteArray linger("linger");
        char* const arguments[] = {program.data(), twin.data(), linger.data(), nullptr};
        pid_t pid = 0;
        QCOMPARE(::posix_spawn(&pid, program.constData(), nullptr, nullptr, arguments, environ), 0);
        QTRY_VERIFY(AppHelper::isAppRunnning(twinName));
        ::kill(pid, SIGKILL);
        QTRY_VERIFY(readFileBytes(QStringLiteral("/proc/%1/stat").arg(pid)).contains(") Z "));
        QCOMPARE(AppHelper::findRunningApps({twinName}), QStringList());
        ::waitpid(pid, nullptr, 0);
    }

    void restartIsNotRefusedAsSecondInstance()
    {
        const QString result = folder.filePath("restart-result");
        QProcess old;
        startTwin(old, twinName, {"restart", result});
        // The new copy saw the old one still running, waited for it, and started.
        QTRY_COMPARE_WITH_TIMEOUT(readFileBytes(result), QByteArray("2 started"), 30000);
        QVERIFY(old.state() == QProcess::NotRunning || old.waitForFinished());
    }
};

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--twin")
        return runTwin(application.arguments().mid(2));
    TestAppHelper test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_apphelper.moc"
