#pragma once

#include "ConnectionHelper.h"

#include <QPointer>
#include <QWidget>

class QPushButton;
class ZTMainWindow;

// Minimise, maximise-or-restore and close buttons for a frameless window's own title area. The
// maximise button shows the restore picture while the window's state is exactly maximised.
// Without a window the buttons do nothing.
class WindowStateControlWidget : public QWidget
{
    Q_OBJECT
public:
    explicit WindowStateControlWidget(ZTMainWindow* window, QWidget* parent = nullptr);

private:
    QPushButton* createButton(const QString& styleSheet);
    void showMaximizeIcon();
    void toggleMaximized();

    QPushButton* minimizeButton;
    QPushButton* maximizeButton;
    QPushButton* closeButton;
    ConnectionHelper connections;
    // The window may close and go first.
    QPointer<ZTMainWindow> window;
};
