#pragma once

#include <QCursor>
#include <QMap>
#include <QObject>

class QPixmap;
class QWidget;

// Sets widgets' mouse cursors by shape and remembers which shape each widget asked for, so that
// a custom cursor installed for a shape, or custom cursors switched on or off, reach every such
// widget at once. A widget is forgotten when it is destroyed. User-interface thread only.
class CursorHelper : public QObject
{
    Q_OBJECT
public:
    CursorHelper() = default;

    // The custom cursor of the shape while custom cursors are on and one is installed, else
    // the standard one. A null widget is ignored.
    static void setCursor(QWidget* widget, Qt::CursorShape shape);
    static void InstallCursor(Qt::CursorShape shape, const QPixmap& pixmap, int hotX, int hotY);
    static void setIsCustomCursorEnabled(bool enabled);
    static bool getIsCustomCursorEnabled();
    // Gives every remembered widget its shape's cursor again.
    static void reassign();

private:
    static QCursor cursorFor(Qt::CursorShape shape);

    static QMap<Qt::CursorShape, QCursor> m_customCursors;
    static bool m_isCustomCursorEnabled;
    static QMap<QWidget*, Qt::CursorShape> m_widgets;
};
