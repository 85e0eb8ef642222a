#pragma once

#include "ConnectionHelper.h"

#include <QDialog>
#include <QIcon>
#include <QList>
#include <QPointer>
#include <QPushButton>
#include <QSize>

class QGridLayout;
class QLayout;
class QMenu;
class QScrollArea;
class QTimer;
class QVBoxLayout;
class ZScrollViewer;

// A push button whose entries (any widgets) can also be shown as a persistent panel over the
// window: large flat entries that stay until one is chosen or the panel is closed, and that
// follow the window's size. Suits touch screens. Clicking the button shows the entries as an
// ordinary drop-down; fromMenu shows a QMenu's actions on the panel at once. User-interface
// thread only.
class MenuButton : public QPushButton
{
    Q_OBJECT

public:
    explicit MenuButton(const QIcon& icon = QIcon(), const QString& text = QString(), QWidget* parent = nullptr);
    ~MenuButton() override;

    // "close-circle.svg" (else "close.svg") from the resources, white in a dark theme.
    static QIcon CloseIcon();
    // A temporary button holding the menu's actions, shown on the panel at once; choosing an
    // entry closes the panel, deletes the button and triggers the action.
    static MenuButton* fromMenu(QMenu* menu, const QString& styleSheet);

    // "X", or the close icon when there is one, 32 by 32 pixels, tool tip "Close".
    static QPushButton* CloseButton(QWidget* parent);

    // A grey bar, 2 pixels high.
    void addSeparator();
    // The button owns the widget from now on.
    void addWidgetToMenu(QWidget* widget);
    void clear();
    void closeMenu();
    void hideMenuIndicator();
    QVBoxLayout* menuLayout() const { return entriesLayout; }
    void setMenuContentsMargins(int left, int top, int right, int bottom);
    // The entries are then shown inside that layout, while the (checkable) button is checked.
    void setParentLayout(QLayout* layout);
    // The panel; null before the entries were first shown on it.
    QDialog* persistentPanel() const { return panel; }

signals:
    void menuShown();
    void menuHidden();

protected:
    void showPersistentMenu();
    void showAndManageSize();
    QSize availableSize() const;

private:
    void showInParentLayout();
    void createInPlaceViewer();
    // The entries leave a viewer that is being deleted, so they stay the button's.
    void takeEntriesBack();
    void createPanel();
    void followWindowSize();
    void addMenuActions(const QList<QAction*>& actions, const QString& styleSheet, int indent);
    QWidget* createActionEntry(QAction* action, const QString& styleSheet, int indent);
    QWidget* coveredWindow() const;

    static QPointer<MenuButton> temporaryButton;

    QList<QWidget*> menuWidgets;
    QVBoxLayout* entriesLayout;
    QWidget* menuWidget;
    QPointer<QDialog> panel;
    QVBoxLayout* panelLayout = nullptr;
    QGridLayout* panelGrid = nullptr;
    QScrollArea* panelScrollArea = nullptr;
    // Owned by the widget of the parent layout, which may delete it at any time.
    QPointer<ZScrollViewer> inPlaceViewer;
    ConnectionHelper connections;
    QTimer* sizeTimer = nullptr;
    QSize lastAvailableSize;
    QPointer<QLayout> parentLayout;
};
