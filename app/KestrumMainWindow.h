#pragma once

#include <QList>
#include <QMainWindow>

class BasePage;
class NewVersionButton;
class QMenu;
class QPushButton;
class QStackedWidget;

// The one top-level window: a bar of page buttons with the new-version button over the stack
// of the experiment, records, settings and about pages. It also keeps the tool windows, asks
// about a restart after a change of the interface language, opens the service dialogs on their
// shortcuts and from the hidden menu, and shuts the program down in order: every run is
// stopped and its files finished before anything is torn down.
class KestrumMainWindow : public QMainWindow
{
    Q_OBJECT

public:
    enum ToolWindow { ConsoleWindow, StatsWindow, DevicesWindow };

    explicit KestrumMainWindow(QWidget* parent = nullptr);

    void showPage(BasePage* page);
    QList<BasePage*> pages() const { return pageList; }
    QList<QPushButton*> pageButtons() const { return buttons; }
    // The tool menu of the settings button; the debug device, the service dialog and the door
    // manager only while Ctrl and Alt are held. The caller owns the menu.
    QMenu* buildMenu();
    // Made on first use, reused afterwards.
    static QWidget* showToolWindow(ToolWindow which);
    // Ends the program as closing the window does, but without asking: a window that is open
    // over it ends first, and the closing follows from the event loop.
    void closeWithoutAsking();

public slots:
    void changeLanguage();

signals:
    void pageChanged(BasePage* page);
    void closing();

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildTopBar();
    void buildPageButtons(BasePage* page, const QString& text, const QString& iconPath);
    void openMenu();
    void addHiddenActions(QMenu* menu);
    void openServiceDialog();
    void openDoorManager();
    // True when no run is going on, or the experimenter agreed to stop the runs.
    bool mayEndRuns();
    void restart();
    static void closeToolWindows();

    QStackedWidget* stack;
    NewVersionButton* newVersionButton;
    QList<BasePage*> pageList;
    QList<QPushButton*> buttons;
    bool runsMayEnd = false;
    bool closingWithoutAsking = false;
};
