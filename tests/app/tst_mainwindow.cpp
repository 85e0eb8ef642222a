#include "ApparatusFixtures.h"
#include "BaseExperiment.h"
#include "BasePage.h"
#include "BasePropertyView.h"
#include "Clock.h"
#include "DialogSeam.h"
#include "FirmwareDialog.h"
#include "KestrumExperimentTypeSelector.h"
#include "KestrumMainWindow.h"
#include "KestrumModel.h"
#include "KestrumSettings.h"
#include "LanguageContext.h"
#include "MainWindowFixture.h"
#include "MetaKestrumDevice.h"
#include "PageSettings.h"
#include "PropertyListControl.h"
#include "ScriptedCameraView.h"
#include "SerialPortEnumerator.h"
#include "TestFiles.h"
#include "VideoCameraView.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Where a copy of this program started by a restart leaves its mark, instead of running the tests.
const char* const restartMarkVariable = "KESTRUM_TEST_RESTART_MARK";

} // namespace

class TestMainWindow : public QObject, public MainWindowFixture
{
    Q_OBJECT

public:
    static void initMain()
    {
        const QString mark = qEnvironmentVariable(restartMarkVariable);
        if (mark.isEmpty() || !qEnvironmentVariableIsSet("ZT_RESTARTED_FROM_PID"))
            return;
        QFile file(mark);
        const bool marked = file.open(QIODevice::WriteOnly) && file.write("restarted") > 0;
        file.close();
        std::exit(marked ? 0 : 1);
    }

public slots:
    void openUrl(const QUrl& url) { openedUrls << url; }

private:
    QList<QUrl> openedUrls;

private slots:
    void initTestCase() { setUpTestCase(); }
    void init() { setUpTest(); }
    void cleanup() { tearDownTest(); }
    void cleanupTestCase() { tearDownTestCase(); }

    // A page button shows its page and stands alone checked, also when clicked again; the data
    // folder's button opens the folder set now; the tool windows are made once and reused; the
    // service dialog composes a serial number.
    void pageBarToolWindowsAndServiceDialog()
    {
        QSignalSpy changed(window.get(), &KestrumMainWindow::pageChanged);
        const QList<QPushButton*> buttons = window->pageButtons();
        QCOMPARE(buttons.size(), 4);
        for (const int index : {2, 2, 1, 3, 0}) {
            buttons.at(index)->click();
            QCOMPARE(changed.takeLast().constFirst().value<BasePage*>(), window->pages().at(index));
            for (int other = 0; other < buttons.size(); ++other)
                QCOMPARE(buttons.at(other)->isChecked(), other == index);
        }

        // The folder button stands in the data folder's row only and opens the folder set now.
        auto* settingsPage = qobject_cast<PageSettings*>(window->pages().at(2));
        const auto folderRow = settingsPage->propertyList()->getWidgetInfo(QStringLiteral("BaseFolder"));
        QVERIFY(folderRow.view->getEditingLayout()->indexOf(settingsPage->folderButton()) >= 0);
        const QString moved = dataFolder.filePath(QStringLiteral("moved"));
        {
            const QSignalBlocker unannounced(model()->settings());
            model()->settings()->setBaseFolder(moved);
        }
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openUrl");
        settingsPage->folderButton()->click();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(openedUrls, QList<QUrl>({QUrl::fromLocalFile(moved)}));

        std::unique_ptr<QMenu> menu(window->buildMenu());
        QCOMPARE(menu->actions().size(), 3);
        for (QAction* action : menu->actions())
            action->trigger();
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (QAction* action : menu->actions())
            action->trigger();
        const QWidgetList again = QApplication::topLevelWidgets();
        QCOMPARE(QSet<QWidget*>(again.cbegin(), again.cend()), QSet<QWidget*>(windows.cbegin(), windows.cend()));
        QWidget* console = KestrumMainWindow::showToolWindow(KestrumMainWindow::ConsoleWindow);
        QVERIFY(windows.contains(console) && console->isVisible());
        emit window->closing();
        QVERIFY(!console->isVisible());

        // Ctrl and Alt held as the menu opens add the debug device, the service dialog and the
        // door manager, which says in the interface's language that it is not there yet.
        QTest::keyPress(window.get(), Qt::Key_Alt, Qt::ControlModifier | Qt::AltModifier);
        std::unique_ptr<QMenu> hidden(window->buildMenu());
        QTest::keyRelease(window.get(), Qt::Key_Alt, Qt::NoModifier);
        QStringList texts;
        for (QAction* action : hidden->actions())
            texts << action->text();
        QCOMPARE(texts.mid(3),
                 QStringList({"", KestrumMainWindow::tr("Отладочное устройство"),
                              KestrumMainWindow::tr("Сервисное окно"), KestrumMainWindow::tr("Менеджер дверей")}));
        QString doorManager;
        QTimer::singleShot(0, this, [&doorManager] {
            QWidget* dialog = QApplication::activeModalWidget();
            doorManager = dialog->findChild<QLabel*>()->text();
            dialog->close();
        });
        hidden->actions().constLast()->trigger();
        QCOMPARE(doorManager, KestrumMainWindow::tr("Kestrum door manager not implemented"));

        QCOMPARE(FirmwareDialog::generatedSerialNumber(QDate(2026, 12, 9)), QStringLiteral("32612101"));
        FirmwareDialog service;
        QCOMPARE(service.newSerialNumber()->maxLength(), 8);
        // No board is asked for its number or sent one: the dialog says so, naming the port.
        const auto clicked = [&service](const char* button) {
            for (QPushButton* each : service.findChildren<QPushButton*>())
                if (each->text() == FirmwareDialog::tr(button))
                    each->click();
            return service.answer()->text();
        };
        service.ports()->clear();
        QCOMPARE(clicked("Get SN"), FirmwareDialog::tr("No serial port is chosen."));
        service.ports()->addItem("ttyTEST7");
        for (const char* button : {"Get SN", "Send"}) {
            service.answer()->clear();
            QVERIFY2(clicked(button).contains("ttyTEST7"), button);
        }
    }

    // A first start records the language the interface started in, and the Settings page shows
    // it; choosing the language in force again asks nothing.
    void firstStartShowsTheLanguageInForce()
    {
        const QString inForce = LanguageContext::currentLanguage();
        KestrumSettings* settings = model()->settings();
        const QMetaEnum languages = QMetaEnum::fromType<KestrumSettings::KestrumLanguage>();
        QCOMPARE(QString::fromLatin1(languages.valueToKey(settings->getLanguage())), inForce);
        QVERIFY(readFileBytes(settings->getFilepath()).contains("<Language>" + inForce.toLatin1() + "</Language>"));
        auto* settingsPage = qobject_cast<PageSettings*>(window->pages().at(2));
        const auto languageRow = settingsPage->propertyList()->getWidgetInfo(QStringLiteral("Language"));
        QCOMPARE(languageRow.view->findChild<QComboBox*>()->currentText(),
                 QCoreApplication::translate("KestrumLanguage", inForce.toLatin1().constData()));

        const auto chosen = KestrumSettings::KestrumLanguage(languages.keyToValue(inForce.toLatin1().constData()));
        {
            const QSignalBlocker unannounced(settings);
            settings->setLanguage(chosen == KestrumSettings::en_US ? KestrumSettings::ru_RU : KestrumSettings::en_US);
        }
        settings->setLanguage(chosen);
        QCOMPARE(asked.size(), 0);
        QCOMPARE(LanguageContext::currentLanguage(), inForce);
        QVERIFY(readFileBytes(settings->getFilepath()).contains("<Language>" + inForce.toLatin1() + "</Language>"));
    }

    // The change of the interface language is asked about in both languages, each button text
    // once where both read alike; Cancel puts back the language in force without a second
    // question, and "Not now" keeps the new one for the next start without a restart.
    void languagePromptAnsweredThroughTheSeam_data()
    {
        QTest::addColumn<int>("button");
        QTest::newRow("cancel") << 2;
        QTest::newRow("not now") << 1;
    }

    void languagePromptAnsweredThroughTheSeam()
    {
        QFETCH(int, button);
        const QString inForce = LanguageContext::currentLanguage();
        const bool english = inForce.contains(QStringLiteral("en"), Qt::CaseInsensitive);
        const auto other = english ? KestrumSettings::ru_RU : KestrumSettings::en_US;
        {
            const QSignalBlocker unannounced(model()->settings());
            model()->settings()->setLanguage(english ? KestrumSettings::en_US : KestrumSettings::ru_RU);
        }
        answers << button;
        model()->settings()->setLanguage(other);

        QCOMPARE(asked.size(), 1);
        QVERIFY(asked.constFirst().title.contains(QLatin1Char('/')));
        QCOMPARE(asked.constFirst().buttons.size(), 3);
        for (const DialogSeam::Button& each : asked.constFirst().buttons) {
            const QStringList halves = each.text.split(QLatin1Char('/'));
            QVERIFY2(halves.size() == 1 || halves.constFirst() != halves.constLast(), qPrintable(each.text));
        }
        if (button == 2) {
            QCOMPARE(model()->settings()->getLanguage(), english ? KestrumSettings::en_US : KestrumSettings::ru_RU);
            QCOMPARE(LanguageContext::currentLanguage(), inForce);
        } else {
            QCOMPARE(model()->settings()->getLanguage(), other);
            QVERIFY(readFileBytes(model()->settings()->getFilepath()).contains(english ? "ru_RU" : "en_US"));
            QCOMPARE(LanguageContext::currentLanguage(), QString::fromLatin1(english ? "ru_RU" : "en_US"));
            LanguageContext::setLanguage(inForce);
        }
        QCOMPARE(asked.size(), 1);
    }

    // "OK" restarts the program: a new copy starts, and this window closes (deleting the pages,
    // the model and its settings) only after the settings' change signal has returned.
    void languagePromptRestartsOnOk()
    {
        const QString inForce = LanguageContext::currentLanguage();
        const bool english = inForce.contains(QStringLiteral("en"), Qt::CaseInsensitive);
        {
            const QSignalBlocker unannounced(model()->settings());
            model()->settings()->setLanguage(english ? KestrumSettings::en_US : KestrumSettings::ru_RU);
        }
        const QString mark = dataFolder.filePath(QStringLiteral("restarted"));
        qputenv(restartMarkVariable, mark.toLocal8Bit());
        answers << 0;
        const bool quit = quitsTheApplication(
            [english] { model()->settings()->setLanguage(english ? KestrumSettings::ru_RU : KestrumSettings::en_US); });
        qunsetenv(restartMarkVariable);
        LanguageContext::setLanguage(inForce);
        QVERIFY(quit);
        QCOMPARE(asked.size(), 1);
        QVERIFY(!model());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(mark), 20000);
    }

    // The service dialog opened as the program opens it, inside the running event loop, from the
    // key or from the hidden menu: the panel of the virtual chamber that comes back has its
    // camera, also once the panel it replaces has gone and the camera has been checked again.
    void theVirtualCameraIsLiveAfterTheServiceDialog_data()
    {
        QTest::addColumn<bool>("fromMenu");
        QTest::newRow("Ctrl+Alt+F2") << false;
        QTest::newRow("hidden menu") << true;
    }

    void theVirtualCameraIsLiveAfterTheServiceDialog()
    {
        QFETCH(bool, fromMenu);
        MetaKestrumDevice::installAsModelPanels();
        const auto cameraWidget = [] {
            const QList<ApparatusPanel*> panels = model()->metaDevices();
            const auto* panel = panels.isEmpty() ? nullptr : static_cast<MetaKestrumDevice*>(panels.constFirst());
            const auto* view = panel ? qobject_cast<VideoCameraView*>(panel->cameraView()) : nullptr;
            return view ? view->widget() : nullptr;
        };
        const auto delivers = [](VideoWidget* widget) {
            QSignalSpy frames(widget, &VideoWidget::fetchFrame);
            return frames.wait(generous);
        };
        model()->settings()->setDebugKestrumDevice(true);
        QTRY_VERIFY(cameraWidget());
        const QPointer<VideoWidget> before = cameraWidget();
        QVERIFY(delivers(before));

        QObject scope;
        bool opened = false;
        const auto closeDialog = [&opened] {
            auto* dialog = qobject_cast<FirmwareDialog*>(QApplication::activeModalWidget());
            opened = dialog != nullptr;
            if (dialog)
                dialog->close();
        };
        QTimer::singleShot(0, &scope, [&] {
            // Runs in the loop of the menu, or of the dialog the key opens.
            QTimer::singleShot(0, &scope, [&] {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                if (!menu)
                    return closeDialog();
                QTimer::singleShot(0, &scope, closeDialog);
                for (QAction* action : menu->actions())
                    if (action->text() == KestrumMainWindow::tr("Сервисное окно"))
                        menu->setActiveAction(action);
                QTest::keyClick(menu, Qt::Key_Return);
            });
            if (fromMenu)
                emit window->pageButtons().at(2)->customContextMenuRequested(QPoint());
            else
                QTest::keyRelease(window.get(), Qt::Key_F2, Qt::ControlModifier | Qt::AltModifier);
        });
        QTest::keyPress(window.get(), Qt::Key_Alt, Qt::ControlModifier | Qt::AltModifier);
        QTRY_VERIFY(opened && !before && cameraWidget());
        QTest::keyRelease(window.get(), Qt::Key_Alt, Qt::NoModifier);
        VideoWidget* after = cameraWidget();
        after->checkSource();
        QVERIFY(delivers(after));
    }

    void closingWithNoModelStillQuits()
    {
        delete model();
        QVERIFY(quitsTheApplication([this] { QVERIFY(window->close()); }));
        QVERIFY(asked.isEmpty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
