#include "AppHelper.h"

#include "GlobalConsole.h"
#include "ProcessTable.h"
#include "TextHelper.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDebug>
#include <QDesktopServices>
#include <QDirIterator>
#include <QEventLoop>
#include <QFileInfo>
#include <QOperatingSystemVersion>
#include <QProcess>
#include <QScreen>
#include <QSysInfo>
#include <QThread>
#include <QTimer>
#include <QUrl>

namespace {
// Set by restart() in the new process's environment: the process id it waits for.
const char* const RestartedFromVariable = "ZT_RESTARTED_FROM_PID";
// How long a restarted program waits for the one that restarted it to end (it may still be
// finishing a recording).
constexpr int RestartWaitMs = 10000;
constexpr int RestartPollMs = 50;
constexpr int RunningCopiesPollMs = 100;

// Stands for the version resource from which a Windows build takes its name and version.
void applyProductIdentity()
{
    QCoreApplication::setApplicationName(QStringLiteral(KESTRUM_PRODUCT_NAME));
    QCoreApplication::setApplicationVersion(QStringLiteral(KESTRUM_PRODUCT_VERSION));
}
Q_COREAPP_STARTUP_FUNCTION(applyProductIdentity)

QString platformOfProductType(const QString& productType)
{
    const QList<QPair<QStringList, QString>> words = {
        {{"windows", "winrt"}, "windows"},
        {{"android"}, "android"},
        {{"osx", "mac"}, "macos"},
        {{"ios"}, "ios"},
        {{"tvos"}, "tvos"},
        {{"watchos"}, "watchos"},
        {{"ubuntu", "linux", "manjaro", "centos", "fedora", "raspberry"}, "linux"}};
    for (const auto& [parts, word] : words)
        if (TextHelper::stringContainsListItem(productType, parts))
            return word;
    return QStringLiteral("unix");
}

// Drops the last "." and what follows it when the text holds exactly that many dots.
QString cutLastComponent(const QString& version, int dots)
{
    return version.count(QLatin1Char('.')) == dots ? version.left(version.lastIndexOf(QLatin1Char('.'))) : version;
}

QString withoutExe(QString name)
{
    if (name.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive))
        name.chop(4);
    return name;
}

bool sameProgram(const QString& a, const QString& b)
{
    return withoutExe(a).compare(withoutExe(b), Qt::CaseInsensitive) == 0;
}

QList<ProcessTable::Process> otherProcesses()
{
    QList<ProcessTable::Process> processes = ProcessTable::running();
    const qint64 own = QCoreApplication::applicationPid();
    processes.removeIf([own](const ProcessTable::Process& process) { return process.pid == own; });
    return processes;
}

void waitForRestartingProcess()
{
    if (!qEnvironmentVariableIsSet(RestartedFromVariable))
        return;
    const qint64 pid = qEnvironmentVariable(RestartedFromVariable).toLongLong();
    // Programs this one starts are not restarts.
    qunsetenv(RestartedFromVariable);
    const QDeadlineTimer deadline(RestartWaitMs);
    while (ProcessTable::isRunning(pid) && !deadline.hasExpired())
        QThread::msleep(RestartPollMs);
}

void serveEventsFor(qint64 ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

QString alreadyRunningMessage(const QList<QString>& running)
{
    const QString which = running.size() == 1
                              ? QCoreApplication::translate("Generic", "this app is already running")
                              : QCoreApplication::translate("Generic", "these apps are already running");
    return QCoreApplication::translate("Generic", "Cannot start because") + QLatin1Char(' ') + which
           + QStringLiteral(":\n") + running.join(QLatin1Char('\n'));
}

DialogSeam::Button buttonOrDefault(const QList<QString>& texts, int index, const QString& fallback,
                                   QMessageBox::ButtonRole role)
{
    return {index < texts.size() ? texts[index] : fallback, role};
}

DialogSeam::Request messageRequest(const QString& title, const QString& text, QMessageBox::Icon icon,
                                   QList<DialogSeam::Button> buttons)
{
    DialogSeam::Request request;
    request.title = title;
    request.text = text;
    request.icon = icon;
    request.buttons = std::move(buttons);
    request.stayOnTop = true;
    return request;
}

DialogSeam::Request checkBoxRequest(const QString& title, const QString& text, const QString& checkBoxText,
                                    const bool* checked, const QString& styleSheet, QMessageBox::Icon icon,
                                    QWidget* parent, QList<DialogSeam::Button> buttons)
{
    DialogSeam::Request request = messageRequest(title, text, icon, std::move(buttons));
    request.stayOnTop = false;
    request.parent = parent;
    request.checkBoxText = checkBoxText;
    request.checkBoxStyleSheet = styleSheet;
    request.checkBoxChecked = checked && *checked;
    return request;
}

// The first button was chosen; the check box's state goes back to the caller.
bool askWithCheckBox(const DialogSeam::Request& request, bool* checked)
{
    const DialogSeam::Answer answer = DialogSeam::ask(request);
    if (checked && !request.checkBoxText.isEmpty())
        *checked = answer.checkBoxChecked;
    return answer.button == 0;
}

DialogSeam::Answer askForFiles(DialogSeam::Kind kind, QWidget* parent, const QString& title, const QString& folder,
                               const QString& filter)
{
    DialogSeam::Request request;
    request.kind = kind;
    request.parent = parent;
    request.title = title;
    request.folder = folder;
    request.filter = filter;
    return DialogSeam::ask(request);
}

QStringList pickFiles(DialogSeam::Kind kind, QWidget* parent, const QString& title, const QString& folder,
                      const QString& filter)
{
    return askForFiles(kind, parent, title, folder, filter).paths;
}

QString firstOrEmpty(const QStringList& paths)
{
    return paths.isEmpty() ? QString() : paths.constFirst();
}

const QList<QString>& resourcePaths()
{
    static QList<QString> paths;
    if (paths.isEmpty())
        for (QDirIterator it(QStringLiteral(":"), QDirIterator::Subdirectories); it.hasNext();)
            paths.append(it.next());
    return paths;
}

QString asResourceUrl(const QString& path)
{
    return path.startsWith(QLatin1Char(':')) ? QStringLiteral("qrc") + path : path;
}

QString firstEndingWith(const QString& name, Qt::CaseSensitivity cs)
{
    for (const QString& path : resourcePaths())
        if (path.endsWith(name, cs))
            return path;
    return QString();
}

QList<QString> cleanExtensions(const QList<QString>& extensions)
{
    QList<QString> clean;
    for (QString extension : extensions) {
        if (extension.startsWith(QStringLiteral("*.")))
            extension.remove(0, 2);
        else if (extension.startsWith(QLatin1Char('.')))
            extension.remove(0, 1);
        if (!extension.isEmpty())
            clean.append(extension);
    }
    return clean;
}
} // namespace

namespace AppHelper {
QString OS()
{
    static QString word;
    if (word.isEmpty()) {
        word = platformOfProductType(QSysInfo::productType().toLower());
        if (word == QStringLiteral("unix") && QSysInfo::kernelType() == QStringLiteral("linux"))
            word = QStringLiteral("linux");
    }
    return word;
}

QString OSName()
{
    const QString name = QOperatingSystemVersion::current().name();
    return name.isEmpty() ? QSysInfo::productType() : name;
}

QString OSVersion()
{
    const QOperatingSystemVersion current = QOperatingSystemVersion::current();
    if (current.majorVersion() < 0)
        return QSysInfo::productVersion();
    return QStringLiteral("%1.%2.%3")
        .arg(current.majorVersion())
        .arg(current.minorVersion())
        .arg(current.microVersion());
}

QString appVersion(bool withMicro)
{
    const QString version = cutLastComponent(QCoreApplication::applicationVersion(), 3);
    return withMicro ? version : cutLastComponent(version, 2);
}

QSize activeWindowOrScreenSize()
{
    if (QWidget* window = QApplication::activeWindow())
        return window->size();
    const QList<QScreen*> screens = QGuiApplication::screens();
    return screens.isEmpty() ? QSize() : screens.constFirst()->availableSize();
}

QList<QString> getRunningApps()
{
    QList<QString> names;
    for (const ProcessTable::Process& process : ProcessTable::running())
        names.append(process.imageName);
    return names;
}

int appsRunnning(const QString& imageName)
{
    const QList<QString> names = getRunningApps();
    return int(
        std::count_if(names.cbegin(), names.cend(), [&](const QString& name) { return sameProgram(name, imageName); }));
}

bool isAppRunnning(const QString& imageName)
{
    return appsRunnning(imageName) > 0;
}

bool applicationIsRunning(const QString& imageName)
{
    return isAppRunnning(imageName);
}

QList<QString> findRunningApps(const QList<QString>& names)
{
    QList<QString> candidates;
    for (const QString& name : names) {
        const QString base = withoutExe(name);
        if (!candidates.contains(base, Qt::CaseInsensitive))
            candidates << base << base + QLatin1Char('d');
    }
    QList<QString> running;
    for (const ProcessTable::Process& process : otherProcesses())
        if (candidates.contains(withoutExe(process.imageName), Qt::CaseInsensitive))
            running.append(process.imageName);
    return running;
}

bool checkNumberOfApps(const QString& name)
{
    if (appsRunnning(name) < 2)
        return false;
    warningMessage(QCoreApplication::translate("Generic", "%1 уже запущено.").arg(withoutExe(name)));
    return true;
}

bool checkAndCloseIfAppsRunning(const QList<QString>& names, int waitCount)
{
    waitForRestartingProcess();
    QList<QString> running = findRunningApps(names);
    // A copy still finishing its work (writing a video) may end within the rounds: each round
    // waits up to a second, serving events, and the wait ends as soon as no copy runs.
    const QDeadlineTimer deadline(qint64(qMax(waitCount, 0)) * 1000);
    while (!running.isEmpty() && !deadline.hasExpired()) {
        serveEventsFor(qMin<qint64>(deadline.remainingTime(), RunningCopiesPollMs));
        running = findRunningApps(names);
    }
    if (running.isEmpty())
        return false;
    warningMessage(alreadyRunningMessage(running));
    return true;
}

void closeApp(const QString& imageName)
{
    for (const ProcessTable::Process& process : otherProcesses())
        if (sameProgram(process.imageName, imageName) && !ProcessTable::terminate(process.pid))
            GlobalConsole::writeItem(
                QStringLiteral("Cannot end process %1 (%2)").arg(process.pid).arg(imageName.toHtmlEscaped()),
                QStringLiteral("Error"));
}

void warningMessage(const QString& text, const QString& title, QMessageBox::Icon icon)
{
    DialogSeam::ask(
        messageRequest(title, text, icon, {{QCoreApplication::translate("Generic", "Ok"), QMessageBox::AcceptRole}}));
}

bool confirmDialog(const QString& title, const QString& text, QMessageBox::Icon icon, const QList<QString>& buttons)
{
    const DialogSeam::Request request = messageRequest(
        title, text, icon,
        {buttonOrDefault(buttons, 0, QCoreApplication::translate("Generic", "Yes"), QMessageBox::YesRole),
         buttonOrDefault(buttons, 1, QCoreApplication::translate("Generic", "No"), QMessageBox::NoRole)});
    return DialogSeam::ask(request).button == 0;
}

int confirmDialogWithCancel(const QString& title, const QString& text, QMessageBox::Icon icon,
                            const QList<QString>& buttons)
{
    const DialogSeam::Request request = messageRequest(
        title, text, icon,
        {buttonOrDefault(buttons, 0, QCoreApplication::translate("Generic", "Ok"), QMessageBox::YesRole),
         buttonOrDefault(buttons, 1, QCoreApplication::translate("Generic", "No"), QMessageBox::NoRole),
         buttonOrDefault(buttons, 2, QCoreApplication::translate("Generic", "Cancel"), QMessageBox::RejectRole)});
    switch (DialogSeam::ask(request).button) {
    case 0:
        return 1;
    case 1:
        return 0;
    default:
        return -1;
    }
}

bool confirmDialogWithCheckBox(const QString& title, const QString& text, const QString& checkBoxText, bool* checked,
                               const QString& checkBoxStyleSheet, QMessageBox::Icon icon, QWidget* parent)
{
    return askWithCheckBox(checkBoxRequest(title, text, checkBoxText, checked, checkBoxStyleSheet, icon, parent,
                                           {{QCoreApplication::translate("Generic", "Ok"), QMessageBox::YesRole},
                                            {QCoreApplication::translate("Generic", "No"), QMessageBox::NoRole}}),
                           checked);
}

bool infoDialogWithCheckBox(const QString& title, const QString& text, const QString& checkBoxText, bool* checked,
                            const QString& checkBoxStyleSheet, QMessageBox::Icon icon, QWidget* parent)
{
    return askWithCheckBox(checkBoxRequest(title, text, checkBoxText, checked, checkBoxStyleSheet, icon, parent,
                                           {{QCoreApplication::translate("Generic", "Ok"), QMessageBox::YesRole}}),
                           checked);
}

QString getOpenFileName(QWidget* parent, const QString& title, const QString& folder, const QString& filter)
{
    return firstOrEmpty(pickFiles(DialogSeam::Kind::OpenFile, parent, title, folder, filter));
}

QStringList getOpenFileNames(QWidget* parent, const QString& title, const QString& folder, const QString& filter)
{
    return pickFiles(DialogSeam::Kind::OpenFiles, parent, title, folder, filter);
}

QString getSaveFileName(QWidget* parent, const QString& title, const QString& folder, const QString& filter,
                        QString* selectedFilter)
{
    const DialogSeam::Answer answer = askForFiles(DialogSeam::Kind::SaveFile, parent, title, folder, filter);
    if (selectedFilter)
        *selectedFilter = answer.selectedFilter;
    return firstOrEmpty(answer.paths);
}

QString getExistingDirectory(QWidget* parent, const QString& title, const QString& folder)
{
    return firstOrEmpty(pickFiles(DialogSeam::Kind::Folder, parent, title, folder, QString()));
}

void openWithDesktop(const QString& path)
{
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        GlobalConsole::writeItem(
            QCoreApplication::translate("Generic", "No program could be started to open %1").arg(path.toHtmlEscaped()),
            QStringLiteral("Error"));
}

void openExplorer(const QString& folder)
{
    openWithDesktop(folder);
}

void showInFolder(const QString& path)
{
    const QFileInfo info(path);
    openExplorer(info.isDir() ? info.absoluteFilePath() : info.absolutePath());
}

void startApp(const QString& program, const QStringList& arguments, const QString& workingFolder)
{
    QProcess::startDetached(program, arguments, workingFolder);
}

void restart(const QStringList& arguments)
{
    QCoreApplication::quit();
    QProcess process;
    process.setProgram(QCoreApplication::applicationFilePath());
    process.setArguments(arguments);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(RestartedFromVariable), QString::number(QCoreApplication::applicationPid()));
    process.setProcessEnvironment(environment);
    if (!process.startDetached())
        GlobalConsole::writeItem(QStringLiteral("Cannot restart ") + process.program().toHtmlEscaped(),
                                 QStringLiteral("Error"));
}

void restart()
{
    restart(QCoreApplication::arguments().mid(1));
}

void quit()
{
    QCoreApplication::quit();
}

void WindowsConsole()
{
    GlobalConsole::writeItem(QStringLiteral("A console window is not available on this platform"),
                             QStringLiteral("Error"));
}

QString findInResources(const QString& name)
{
    QString path = firstEndingWith(name, Qt::CaseSensitive);
    if (path.isEmpty())
        path = firstEndingWith(name, Qt::CaseInsensitive);
    if (path.isEmpty())
        qDebug() << "Not found in the resources:" << name;
    return path.isEmpty() ? path : asResourceUrl(path);
}

QList<QString> findAllInResources(const QString& pattern)
{
    QList<QString> found;
    for (const QString& path : resourcePaths())
        if (path.contains(pattern, Qt::CaseInsensitive))
            found.append(asResourceUrl(path));
    return found;
}

QString getFileFilterString(const QString& title, const QList<QString>& extensions)
{
    const QString start = title.isEmpty() ? QString() : title + QLatin1Char(' ');
    const QList<QString> clean = cleanExtensions(extensions);
    if (clean.isEmpty())
        return start;
    return start + QLatin1Char('(') + TextHelper::join(clean, QStringLiteral(" "), QStringLiteral("*."))
           + QLatin1Char(')');
}
} // namespace AppHelper
