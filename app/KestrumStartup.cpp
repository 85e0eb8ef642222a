#include "KestrumStartup.h"

#include "AppHelper.h"
#include "FileUtilities.h"
#include "KestrumFolderSettings.h"
#include "KestrumMainWindow.h"
#include "KestrumModel.h"
#include "KestrumSettings.h"
#include "LanguageContext.h"
#include "MetaKestrumDevice.h"
#include "StyleHelper.h"
#include "TerminationSignals.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPainter>
#include <QSplashScreen>
#include <QStandardPaths>

namespace {

constexpr int applicationFontPixels = 15;
const QString fontFamily = QStringLiteral("Open Sans SemiCondensed");
const QString productFolder = QStringLiteral("Kestrum");

bool usable(const QString& folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

QString documentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString defaultFolderOf(const QString& documents)
{
    return KestrumStartup::defaultFolder(documents,
                                         QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
}

// The folder the pointer names; the default folder when it names none.
QString namedFolder(const KestrumFolderSettings& pointer, const QString& defaultFolder)
{
    const QString stored = pointer.getBaseFolder();
    return stored.isEmpty() ? defaultFolder : stored;
}

// The language the data folder's settings name (else the system's), installed before anything
// is created or changed, so that a refused second start speaks it too.
void useLanguageOfSettings()
{
    const QString documents = documentsFolder();
    const QString fallback = defaultFolderOf(documents);
    QObject owner;
    const KestrumFolderSettings* pointer =
        KestrumStartup::loadFolderPointer(KestrumStartup::folderPointerPath(documents), fallback, &owner);
    const QString settingsPath = KestrumModel::settingsPathIn(namedFolder(*pointer, fallback));
    LanguageContext::setLanguage(LanguageContext::AutoDetectLanguage(settingsPath));
}

bool sameFolder(const QString& first, const QString& second)
{
    return QDir::cleanPath(QDir(first).absolutePath()) == QDir::cleanPath(QDir(second).absolutePath());
}

// The default folder is used whatever happens; only another folder is said to be left for it.
void warnOfFallback(const QString& folder, const QString& defaultFolder)
{
    const QString what =
        QCoreApplication::translate("Generic", "Folder") + QStringLiteral(" \"") + folder + QStringLiteral("\" ");
    const QString text = sameFolder(folder, defaultFolder)
                             ? what + QCoreApplication::translate("Generic", "cannot be accessed")
                             : what
                                   + QCoreApplication::translate("Generic", "cannot be accessed, changing folder to \"")
                                   + defaultFolder + QLatin1Char('"');
    AppHelper::warningMessage(text, QString(), QMessageBox::Warning);
}

} // namespace

namespace KestrumStartup {

bool anotherInstanceRuns(int rounds)
{
    return AppHelper::checkAndCloseIfAppsRunning({QCoreApplication::applicationName()}, rounds);
}

QPixmap splashLogo()
{
    return QPixmap(QStringLiteral(":/Images/kestrum-logo-border.png"))
        .scaled(splashSide, splashSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QPixmap splashPixmap(const QString& version)
{
    QPixmap pixmap = splashLogo();
    QPainter painter(&pixmap);
    const QFontMetrics metrics = painter.fontMetrics();
    const int width = metrics.horizontalAdvance(version) + 10;
    const QRect box((splashSide - width) / 2, splashTextTop, width, metrics.ascent() + 10);
    painter.setBrush(Qt::black);
    painter.drawRect(box);
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignCenter, version);
    return pixmap;
}

QStringList registerFonts()
{
    QStringList families;
    for (const char* face : {"Regular", "Italic", "Bold", "BoldItalic"}) {
        const int id = QFontDatabase::addApplicationFont(
            QStringLiteral(":/fonts/OpenSans/OpenSans_SemiCondensed-%1.ttf").arg(QLatin1String(face)));
        families << QFontDatabase::applicationFontFamilies(id).value(0);
    }
    return families;
}

void useApplicationFont()
{
    QFont font = QApplication::font();
    font.setFamily(fontFamily);
    font.setPixelSize(applicationFontPixels);
    QApplication::setFont(font);
}

void loadStyles()
{
    StyleHelper* engine = StyleHelper::Instance();
    engine->setCustomValue(QStringLiteral("--z-font-weight"), QStringLiteral("normal"));
    engine->addStyleFile(QStringLiteral(":/themes/zt.theme.css"));
    engine->addStyleFile(QStringLiteral(":/KestrumStyle.css"));
    engine->addThemeFile(QStringLiteral(":/themes/light.css"), QStringLiteral("light"));
    engine->addThemeFile(QStringLiteral(":/themes/dark.css"), QStringLiteral("dark"));
}

QString defaultFolder(const QString& documents, const QString& localAppData)
{
    const QString inDocuments = documents + QLatin1Char('/') + productFolder + QLatin1Char('/');
    return inDocuments.contains(QStringLiteral("/OneDrive/")) ? localAppData + QLatin1Char('/') : inDocuments;
}

QString folderPointerPath(const QString& documents)
{
    return documents + QLatin1Char('/') + productFolder + QStringLiteral("/KestrumFolder.xml");
}

KestrumFolderSettings* loadFolderPointer(const QString& path, const QString& defaultFolder, QObject* parent)
{
    auto* pointer = new KestrumFolderSettings(path, parent);
    pointer->setDefaultBaseFolder(defaultFolder);
    pointer->reload();
    return pointer;
}

QString chooseDataFolder(const KestrumFolderSettings& pointer, const QString& defaultFolder)
{
    const QString folder = namedFolder(pointer, defaultFolder);
    FileUtilities::createIfNotExists(folder);
    if (usable(folder))
        return folder;
    warnOfFallback(folder, defaultFolder);
    return defaultFolder;
}

void endOnTerminationSignals(KestrumMainWindow* window)
{
    auto* terminations = new TerminationSignals(window);
    QObject::connect(terminations, &TerminationSignals::received, window, &KestrumMainWindow::closeWithoutAsking);
}

KestrumMainWindow* start(QSplashScreen& splash)
{
    registerFonts();
    useApplicationFont();
    splash.setPixmap(splashPixmap(AppHelper::appVersion(true)));
    loadStyles();

    const QString documents = documentsFolder();
    const QString fallback = defaultFolderOf(documents);
    FileUtilities::createIfNotExists(fallback);
    KestrumModel::setFolderSettingsPath(folderPointerPath(documents));
    const KestrumFolderSettings* pointer = loadFolderPointer(KestrumModel::folderSettingsPath(), fallback, qApp);

    MetaKestrumDevice::installAsModelPanels();
    // The main window's closing deletes the model.
    auto* model = new KestrumModel(chooseDataFolder(*pointer, fallback));
    model->init();
    model->settings()->setDefaultBaseFolder(fallback);

    auto* window = new KestrumMainWindow();
    splash.finish(window);
    model->setMainWindow(window);
    window->setWindowState(Qt::WindowMaximized);
    window->show();
    endOnTerminationSignals(window);
    return window;
}

int run(int rounds)
{
    useLanguageOfSettings();
    if (anotherInstanceRuns(rounds))
        return 1;
    QSplashScreen splash(splashLogo());
    splash.show();
    start(splash);
    return QApplication::exec();
}

} // namespace KestrumStartup
