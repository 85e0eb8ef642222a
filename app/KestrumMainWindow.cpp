#include "KestrumMainWindow.h"

#include "AppHelper.h"
#include "ApparatusPanel.h"
#include "FirmwareDialog.h"
#include "GlobalConsoleStatusWidget.h"
#include "GlobalConsoleWidget.h"
#include "KestrumModel.h"
#include "KestrumSettings.h"
#include "LanguageContext.h"
#include "NewVersionButton.h"
#include "PageAbout.h"
#include "PageExperiment.h"
#include "PageResults.h"
#include "PageSettings.h"
#include "RunEndQuestion.h"
#include "SerialManagerStatusWidget.h"
#include "StyleHelper.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMetaEnum>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

constexpr int pageIconSide = 24;
constexpr QSize minimumWindowSize(800, 600);
constexpr QSize minimumToolWindowSize(240, 200);

QPointer<QWidget> toolWindows[3];
bool languagePromptBusy = false;

bool ctrlAndAltHeld()
{
    const Qt::KeyboardModifiers held = QGuiApplication::queryKeyboardModifiers();
    return held.testFlag(Qt::ControlModifier) && held.testFlag(Qt::AltModifier);
}

QList<ApparatusPanel*> panels()
{
    KestrumModel* model = KestrumModel::instance();
    return model ? model->metaDevices() : QList<ApparatusPanel*>();
}

// Each stop switches the apparatus off and finishes the run's record and video before returning.
void endEveryRun()
{
    for (ApparatusPanel* panel : panels())
        panel->startExperiment(false);
}

QWidget* makeToolWindow(KestrumMainWindow::ToolWindow which)
{
    QWidget* window = nullptr;
    QString title;
    if (which == KestrumMainWindow::ConsoleWindow) {
        window = new GlobalConsoleWidget();
        title = KestrumMainWindow::tr("Консоль");
    } else if (which == KestrumMainWindow::StatsWindow) {
        window = new GlobalConsoleStatusWidget(GlobalConsoleStatusWidget::Averages);
        title = KestrumMainWindow::tr("Статы");
    } else {
        window = new SerialManagerStatusWidget();
        title = KestrumMainWindow::tr("Устройства");
    }
    if (which != KestrumMainWindow::ConsoleWindow)
        window->setMinimumSize(minimumToolWindowSize);
    window->setWindowTitle(title);
    window->setWindowFlag(Qt::WindowStaysOnTopHint);
    return window;
}

// "A/B" of the text in the language in force and the new one; one of them when both read alike.
QString bilingual(const char* text, const QString& newLanguage, bool alwaysBoth)
{
    const QString now = QCoreApplication::translate("Generic", text);
    const QString then = LanguageContext::translate(QStringLiteral("Generic"), QString::fromUtf8(text), newLanguage);
    return !alwaysBoth && now == then ? now : now + QLatin1Char('/') + then;
}

} // namespace

KestrumMainWindow::KestrumMainWindow(QWidget* parent)
    : QMainWindow(parent)
    , stack(new QStackedWidget())
    , newVersionButton(new NewVersionButton(tr("New version available") + QStringLiteral(" - "), QString()))
{
    setWindowTitle(tr("Kestrum") + QLatin1Char(' ') + AppHelper::appVersion(true));
    setWindowIcon(QIcon(QStringLiteral(":/Images/kestrum-logo-border.png")));
    newVersionButton->setContentsMargins(8, 0, 0, 0);
    QWidget* topBar = buildTopBar();
    connect(this, &KestrumMainWindow::closing, this, &KestrumMainWindow::closeToolWindows);
    if (KestrumModel* model = KestrumModel::instance())
        connect(model->settings(), &KestrumSettings::changedLanguage, this, &KestrumMainWindow::changeLanguage);
    for (BasePage* page : std::as_const(pageList))
        stack->addWidget(page);
    showPage(pageList.constFirst());

    auto* central = new QWidget();
    central->setContentsMargins(0, 0, 0, 0);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(topBar, 0);
    layout->addWidget(stack, 100);
    setCentralWidget(central);
    setMinimumSize(minimumWindowSize);
}

QWidget* KestrumMainWindow::buildTopBar()
{
    auto* topBar = new QWidget();
    StyleHelper::Instance()->setStyledBackground(topBar, QStringLiteral("--z-idle-bg"), QColor(0x99, 0x99, 0x99));
    auto* row = new QHBoxLayout(topBar);
    buildPageButtons(new PageExperiment(), tr("Эксперимент"), QStringLiteral(":/Images/icons/kestrum.svg"));
    buildPageButtons(new PageResults(), tr("Записи"), QStringLiteral(":/icons/file-chart.svg"));
    buildPageButtons(new PageSettings(), tr("Настройки"), QStringLiteral(":/icons/settings.svg"));
    buildPageButtons(new PageAbout(), tr("О программе"), QStringLiteral(":/icons/information.svg"));
    QPushButton* settingsButton = buttons.at(2);
    settingsButton->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(settingsButton, &QPushButton::customContextMenuRequested, this, &KestrumMainWindow::openMenu);
    for (QPushButton* button : std::as_const(buttons))
        row->addWidget(button, 0);
    row->addWidget(new QLabel(), 100);
    row->addWidget(newVersionButton, 100, Qt::AlignRight);
    return topBar;
}

void KestrumMainWindow::buildPageButtons(BasePage* page, const QString& text, const QString& iconPath)
{
    auto* button = new QPushButton(QLatin1Char(' ') + text);
    button->setIconSize(QSize(pageIconSide, pageIconSide));
    button->setStyleSheet(QStringLiteral("padding: 8px;"));
    button->setCursor(Qt::PointingHandCursor);
    button->setCheckable(true);
    if (!iconPath.isEmpty())
        StyleHelper::SetButtonIcon(button, iconPath, QStringLiteral("#FFF"));
    connect(button, &QPushButton::clicked, this, [this, page] { showPage(page); });
    pageList << page;
    buttons << button;
}

void KestrumMainWindow::showPage(BasePage* page)
{
    stack->setCurrentWidget(page);
    emit pageChanged(page);
    for (qsizetype i = 0; i < buttons.size(); ++i)
        buttons.at(i)->setChecked(i == stack->currentIndex());
}

QWidget* KestrumMainWindow::showToolWindow(ToolWindow which)
{
    QPointer<QWidget>& window = toolWindows[which];
    if (!window)
        window = makeToolWindow(which);
    window->show();
    window->raise();
    return window;
}

void KestrumMainWindow::closeToolWindows()
{
    for (const QPointer<QWidget>& window : toolWindows) {
        if (window)
            window->close();
    }
}

QMenu* KestrumMainWindow::buildMenu()
{
    auto* menu = new QMenu(this);
    menu->addAction(tr("Консоль"), this, [] { showToolWindow(ConsoleWindow); });
    menu->addAction(tr("Статы"), this, [] { showToolWindow(StatsWindow); });
    menu->addAction(tr("Устройства"), this, [] { showToolWindow(DevicesWindow); });
    if (ctrlAndAltHeld())
        addHiddenActions(menu);
    return menu;
}

// Ctrl+Alt+F2 and F3 switch virtual terminals on Linux and never reach the program there: the
// service dialog and the door manager are offered here as well.
void KestrumMainWindow::addHiddenActions(QMenu* menu)
{
    menu->addSeparator();
    if (KestrumModel* model = KestrumModel::instance()) {
        QAction* action = menu->addAction(tr("Отладочное устройство"));
        action->setCheckable(true);
        action->setChecked(model->settings()->getDebugKestrumDevice());
        connect(action, &QAction::toggled, model->settings(), &KestrumSettings::setDebugKestrumDevice);
    }
    menu->addAction(tr("Сервисное окно"), this, &KestrumMainWindow::openServiceDialog);
    menu->addAction(tr("Менеджер дверей"), this, &KestrumMainWindow::openDoorManager);
}

void KestrumMainWindow::openMenu()
{
    QMenu* menu = buildMenu();
    menu->exec(QCursor::pos());
    menu->deleteLater();
}

void KestrumMainWindow::changeLanguage()
{
    KestrumModel* model = KestrumModel::instance();
    if (languagePromptBusy || !model)
        return;
    KestrumSettings* settings = model->settings();
    const QString language = QString::fromLatin1(
        QMetaEnum::fromType<KestrumSettings::KestrumLanguage>().valueToKey(settings->getLanguage()));
    // Nothing to restart for: the interface is in this language already.
    if (language == LanguageContext::currentLanguage())
        return;
    languagePromptBusy = true;
    const QString title = bilingual(QT_TRANSLATE_NOOP("Generic", "Language change"), language, true);
    const QString now = QCoreApplication::translate(
        "Generic", "To translate the app to the other language a restart is required. \nRestart now?");
    const QString then = LanguageContext::translate(
        QStringLiteral("Generic"),
        QStringLiteral("To translate the app to the other language a restart is required. \nRestart now?"), language);
    const int answer =
        AppHelper::confirmDialogWithCancel(title, now + QStringLiteral("\r\n\r\n") + then, QMessageBox::Question,
                                           {bilingual(QT_TRANSLATE_NOOP("Generic", "OK"), language, false),
                                            bilingual(QT_TRANSLATE_NOOP("Generic", "Not now"), language, false),
                                            bilingual(QT_TRANSLATE_NOOP("Generic", "Cancel"), language, false)});
    if (answer >= 0) {
        settings->save();
        LanguageContext::setLanguage(language);
        // The settings are still inside their change signal here, and closing deletes them
        // with the pages and the model: the restart waits until the signal has returned.
        if (answer == 1 && mayEndRuns())
            QMetaObject::invokeMethod(this, &KestrumMainWindow::restart, Qt::QueuedConnection);
    } else {
        const bool english = LanguageContext::currentLanguage().contains(QStringLiteral("en"), Qt::CaseInsensitive);
        settings->setLanguage(english ? KestrumSettings::en_US : KestrumSettings::ru_RU);
    }
    languagePromptBusy = false;
}

bool KestrumMainWindow::mayEndRuns()
{
    runsMayEnd = runsMayEnd
                 || RunEndQuestion::agreed(tr("Идёт эксперимент. Остановить его и закрыть программу?"),
                                           tr("Остановить и закрыть"));
    return runsMayEnd;
}

void KestrumMainWindow::restart()
{
    endEveryRun();
    AppHelper::restart({});
    close();
}

void KestrumMainWindow::keyReleaseEvent(QKeyEvent* event)
{
    if (!ctrlAndAltHeld())
        return;
    if (event->key() == Qt::Key_F2)
        openServiceDialog();
    else if (event->key() == Qt::Key_F3)
        openDoorManager();
}

// The dialog needs every port: a run going on ends first, once the experimenter agrees.
void KestrumMainWindow::openServiceDialog()
{
    if (!RunEndQuestion::agreed(tr("Идёт эксперимент. Остановить его и открыть сервисное окно?"),
                                tr("Остановить и открыть")))
        return;
    KestrumModel* model = KestrumModel::instance();
    if (model)
        model->disconnectAll();
    FirmwareDialog dialog(this);
    dialog.exec();
    if (model)
        model->setupDeviceProbing(true);
}

void KestrumMainWindow::openDoorManager()
{
    QDialog dialog(this);
    auto* layout = new QGridLayout(&dialog);
    layout->addWidget(new QLabel(tr("Kestrum door manager not implemented")));
    dialog.exec();
}

void KestrumMainWindow::closeWithoutAsking()
{
    closingWithoutAsking = true;
    if (QWidget* modal = QApplication::activeModalWidget())
        modal->close();
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

// Runs are stopped first, with the apparatus switched off and their records and videos
// finished, and only then are the pages, the devices and the model with its panels deleted.
void KestrumMainWindow::closeEvent(QCloseEvent* event)
{
    if (!closingWithoutAsking && !mayEndRuns()) {
        event->ignore();
        return;
    }
    endEveryRun();
    emit closing();
    // The pages' settings forms and panels refer to the model's objects, so they go first.
    qDeleteAll(pageList);
    pageList.clear();
    if (KestrumModel* model = KestrumModel::instance()) {
        model->closeAllDevices();
        delete model;
    }
    QCoreApplication::quit();
    event->accept();
}
