#pragma once

#include "ConnectionHelper.h"
#include "GlobalConsole.h"

#include <QStringList>
#include <QTextEdit>
#include <QTimer>

class QMenu;

// A read-only view of the message console's items, newest first. Items are shown as the plain
// text they are: markup in an item is never interpreted, so "<unknown>" stays visible. Only the
// newest MaxLines lines are kept. Items arrive through a queued connection from whatever thread
// wrote them and are shown in batches, so a burst of items costs one update of the view.
class GlobalConsoleWidget : public QTextEdit
{
    Q_OBJECT

public:
    static constexpr int MaxLines = GlobalConsole::MaxEntries;

    explicit GlobalConsoleWidget(QWidget* parent = nullptr);

    // The shown lines, newest first, each followed by "\r\n".
    QString plainText();
    // "<Documents>/<app>_Console_<yyyy.MM.dd-hh.mm.ss.zzz>.txt"; the folder is made when missing.
    static QString standardSaveFilePath();
    // Appends the plain text to the file in UTF-8; false, with a console message, when the file
    // cannot be written whole.
    bool saveToFile(const QString& path);
    // The context menu's entries; built on each request.
    QMenu* createContextMenu();

signals:
    void closing();

public slots:
    void newEntry(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showPending();
    void dropLinesBeyondMax();
    void clearAll();
    void saveWithDialog();

    QStringList pending;
    QTimer pendingTimer;
    ConnectionHelper connections;
};
