#pragma once

#include <QJsonArray>
#include <QString>
#include <QStringList>

// The program's change log in the user-interface language. The text is the built-in resource
// ":/Kestrum-CHANGELOG.txt", else a "*ChangeLog*.txt" beside the program. It is read once, from
// the first file a call opens, and resolved once, in the language current at that first call
// (the language changes only with a restart). User-interface thread only.
namespace AppHelper {
// The path of the change-log text ("qrc:/..." for the resource); empty when there is none.
QString translatedChangeLogPath();
// The version blocks in the current language; an empty path stands for translatedChangeLogPath.
// Empty when the file cannot be opened.
QStringList translatedChangeLogBlocks(const QString& path = QString());
// The rich text of the about page: each version in bold with its date in grey, then a table of
// the entries that concern the platform the program runs on.
QString translatedChangeLog(const QString& path = QString());
QJsonArray translatedChangeLogJson(const QString& path = QString());
} // namespace AppHelper
