#pragma once

#include <QPixmap>
#include <QString>
#include <QStringList>

class KestrumFolderSettings;
class KestrumMainWindow;
class QObject;
class QSplashScreen;

// The program's start, step by step: one instance only, the splash with the version, the fonts,
// the style sheets and themes, and the data folder, then the model and the main window.
// User-interface thread only, before the event loop runs.
namespace KestrumStartup {
// Seconds, each a round of looking again, that a second start waits for the other copy to end.
constexpr int singleInstanceRounds = 20;
constexpr int splashSide = 238;
constexpr int splashTextTop = 30;

// True, after a warning, when another copy of the program still runs after the rounds of
// waiting; a copy started by a restart waits for the one that restarted it first.
bool anotherInstanceRuns(int rounds);
// The logo scaled to the splash size; null when it is missing.
QPixmap splashLogo();
// The logo with the version in a black box near its top.
QPixmap splashPixmap(const QString& version);
// The families of the four application font faces, in their order; empty for a face that
// could not be registered.
QStringList registerFonts();
void useApplicationFont();
void loadStyles();
// The documents folder's "Kestrum" folder; the local application data folder instead when the
// documents lie in a synchronised OneDrive folder.
QString defaultFolder(const QString& documents, const QString& localAppData);
// The pointer file that remembers the data folder; always under the documents folder.
QString folderPointerPath(const QString& documents);
// The pointer file, its folder's default set before it is read, so that the editors offer that
// default and a reset returns to it.
KestrumFolderSettings* loadFolderPointer(const QString& path, const QString& defaultFolder, QObject* parent);
// The folder the pointer names (created when missing), or the default folder when it names
// none. A folder that cannot be created or written is named in a warning, and the default
// folder stands in for this run only: the pointer keeps its value.
QString chooseDataFolder(const KestrumFolderSettings& pointer, const QString& defaultFolder);
// SIGTERM, SIGINT and SIGHUP close the window as the experimenter closing it does, without the
// question: the runs are stopped and recorded and the apparatus switched off.
void endOnTerminationSignals(KestrumMainWindow* window);
// From the fonts to the main window shown, the splash closing as it appears.
KestrumMainWindow* start(QSplashScreen& splash);
// From the single-instance check to the end of the event loop; the program's exit code, which
// is 1 when another copy runs.
int run(int rounds = singleInstanceRounds);
} // namespace KestrumStartup
