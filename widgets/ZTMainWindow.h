#pragma once

#include <QMainWindow>

// The toolkit's base for a main window: it announces state changes, resizes and closing, and a
// listener of `closing` may keep the program running by clearing closeForGood. Closing for good
// closes every top-level window. On destruction it drops the process-wide connections and the
// theme engine's re-styling callbacks.
class ZTMainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit ZTMainWindow(QWidget* parent = nullptr);
    ~ZTMainWindow() override;

signals:
    // The state before the change.
    void windowStateChanged(Qt::WindowStates state);
    void closing(bool& closeForGood);
    void resized();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
};
