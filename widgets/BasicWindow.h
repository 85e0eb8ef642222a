#pragma once

#include <QMainWindow>

// A main window that announces its closing. Listeners cannot keep it open: the close goes
// ahead whatever they do with the event.
class BasicWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit BasicWindow(QWidget* parent = nullptr);

signals:
    void closing(BasicWindow* window, QCloseEvent* event);

protected:
    void closeEvent(QCloseEvent* event) override;
};
