#pragma once

#include "DialogSeam.h"

#include <QList>
#include <QMessageBox>
#include <QSize>
#include <QString>
#include <QStringList>

class QWidget;

// The process and its platform: platform word and system version, the program's version,
// other running programs and the single-instance check, message boxes and file pickers (through
// DialogSeam), the file browser, built-in resources, file-dialog filters, restart and quit.
// Everything runs in the user-interface thread.
namespace AppHelper {
// "linux" on Linux; the other platforms by the framework's product type.
QString OS();
QString OSName();
QString OSVersion();
// The application version; "3.10.0.0" gives "3.10.0", and "3.10" when withMicro is false.
QString appVersion(bool withMicro);
QSize activeWindowOrScreenSize();

// Program names compare case-insensitively and without a ".exe" suffix.
QList<QString> getRunningApps();
int appsRunnning(const QString& imageName);
bool isAppRunnning(const QString& imageName);
bool applicationIsRunning(const QString& imageName);
// The running programs of the given names or of the names followed by "d", this process left out.
QList<QString> findRunningApps(const QList<QString>& names);
bool checkNumberOfApps(const QString& name);
// The single-instance check of start-up: true, after a warning, when one of the programs still
// runs after waitCount rounds of a second each, during which events are served; false as soon
// as none runs any more. A process started by restart() first waits for the process that
// restarted it to end, so a restart is never refused as a second instance.
bool checkAndCloseIfAppsRunning(const QList<QString>& names, int waitCount);
void closeApp(const QString& imageName);

void warningMessage(const QString& text, const QString& title = QString(),
                    QMessageBox::Icon icon = QMessageBox::Warning);
bool confirmDialog(const QString& title, const QString& text, QMessageBox::Icon icon = QMessageBox::Question,
                   const QList<QString>& buttons = {});
// 1 for the first button, 0 for the second, -1 for the third or a box closed otherwise.
int confirmDialogWithCancel(const QString& title, const QString& text, QMessageBox::Icon icon = QMessageBox::Question,
                            const QList<QString>& buttons = {});
bool confirmDialogWithCheckBox(const QString& title, const QString& text, const QString& checkBoxText,
                               bool* checked = nullptr, const QString& checkBoxStyleSheet = QString(),
                               QMessageBox::Icon icon = QMessageBox::Question, QWidget* parent = nullptr);
bool infoDialogWithCheckBox(const QString& title, const QString& text, const QString& checkBoxText,
                            bool* checked = nullptr, const QString& checkBoxStyleSheet = QString(),
                            QMessageBox::Icon icon = QMessageBox::Information, QWidget* parent = nullptr);

// File pickers; an empty result means the user cancelled.
QString getOpenFileName(QWidget* parent, const QString& title, const QString& folder, const QString& filter);
QStringList getOpenFileNames(QWidget* parent, const QString& title, const QString& folder, const QString& filter);
// selectedFilter, when given, receives the name filter the picker was left on.
QString getSaveFileName(QWidget* parent, const QString& title, const QString& folder, const QString& filter,
                        QString* selectedFilter = nullptr);
QString getExistingDirectory(QWidget* parent, const QString& title, const QString& folder);

// Opens the file or folder with the program the desktop has for it. When none can be started
// the console says so with the path: the desktop itself leaves only a line on standard error.
void openWithDesktop(const QString& path);
void openExplorer(const QString& folder);
void showInFolder(const QString& path);
void startApp(const QString& program, const QStringList& arguments, const QString& workingFolder);
// Ends the event loop and starts this program's executable again with the arguments (without
// them: with the current ones).
void restart(const QStringList& arguments);
void restart();
void quit();
// There is no console window to attach to here; says so on the message console.
void WindowsConsole();

// A resource path ending with the name ("qrc:/…"), case-sensitive matches first; empty when none.
QString findInResources(const QString& name);
QList<QString> findAllInResources(const QString& pattern);
// "Image (*.jpg *.png)" from the title and the extensions (with or without "*." or "."); callers
// join several filters with ";;".
QString getFileFilterString(const QString& title, const QList<QString>& extensions);

template <class T>
void clearList(QList<T*>& list)
{
    for (T* item : list)
        delete item;
    list.clear();
}
} // namespace AppHelper
