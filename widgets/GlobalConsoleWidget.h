#pragma once

#include "ConnectionHelper.h"
#include "GlobalConsole.h"

#include <QStringList>
#include <QTextEdit>
#include <QTimer>

class QMenu;

// A read-only view of the message console's items, newest first. Items are HTML (writers colour
// lines with spans and escape the plain text they put in), shown a line a block. Only the newest
// MaxLines lines are kept. Items arrive through a queued connection from whatever thread wrote
// them and are shown in batches, so a burst of items costs one update of the view.
class GlobalConsoleWidget : public QTextEdit
{
    Q_OBJECT

public:
    static constexpr int MaxLines = GlobalConsole::MaxEntries;

    explicit GlobalConsoleWidget(QWidget* parent = nullptr);

    // The shown lines as text (markup gone, entities as characters), newest first, each
    // followed by "\r\n".
    QString plainText();
    // "<Documents>/<app>_Console_<yyyy.MM.dd-hh.mm.ss.zzz>.txt"; the folder is made when missing.
    static QString standardSaveFilePath();
    // Appends the plain text to the file in UTF-8; false, with a console message, when the file
    // cannot be written whole.
    bool saveToFile(const QString& path);
    // The context menu's entries; built on each request.
    QMenu* createContextMenu();
    // Wide enough for the widest line shown, and some thirty lines high, as far as the screen
    // allows: a line reads whole, from its time stamp on.
    QSize sizeHint() const override;

signals:
    void closing();

public slots:
    void newEntry(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    // The first look is at the newest lines from their beginning.
    void showEvent(QShowEvent* event) override;

private:
    void showPending();
    // Above the lines shown, in the order given.
    void insertLinesAtTop(const QStringList& lines);
    void dropLinesBeyondMax();
    void clearAll();
    void saveWithDialog();

    QStringList pending;
    QTimer pendingTimer;
    ConnectionHelper connections;
    bool shownBefore = false;
};
