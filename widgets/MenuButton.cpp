#include "MenuButton.h"

#include "AppHelper.h"
#include "StyleHelper.h"
#include "UIHelper.h"
#include "ZRectangle.h"
#include "ZScrollViewer.h"

#include <QApplication>
#include <QDebug>
#include <QDialog>
#include <QGridLayout>
#include <QMenu>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidgetAction>

namespace {
constexpr int SizeCheckMs = 1000;
constexpr int SubmenuIndent = 24;
// Room left above and below entries shown without a scroll bar.
constexpr int PanelHeightReserve = 40;

QColor panelBackground()
{
    return StyleHelper::ThemeColor(QStringLiteral("--z-bg"), Qt::white);
}
} // namespace

QPointer<MenuButton> MenuButton::temporaryButton;

MenuButton::MenuButton(const QIcon& icon, const QString& text, QWidget* parent)
    : QPushButton(icon, text, parent)
    , entriesLayout(new QVBoxLayout)
    , menuWidget(new QWidget)
{
    setCursor(Qt::PointingHandCursor);
    menuWidget->setObjectName(QStringLiteral("menulike"));
    menuWidget->setContentsMargins(0, 0, 0, 0);
    entriesLayout->setSpacing(2);
    entriesLayout->setContentsMargins(0, 0, 0, 0);
    menuWidget->setLayout(entriesLayout);
    // The drop-down shows the entries through one widget action, which owns them.
    auto* menu = new QMenu(this);
    auto* entries = new QWidgetAction(menu);
    entries->setDefaultWidget(menuWidget);
    menu->addAction(entries);
    setMenu(menu);
}

MenuButton::~MenuButton()
{
    if (panel) {
        panel->close();
        panel->deleteLater();
    }
}

QIcon MenuButton::CloseIcon()
{
    static const QString path = [] {
        const QString circle = AppHelper::findInResources(QStringLiteral("close-circle.svg"));
        return circle.isEmpty() ? AppHelper::findInResources(QStringLiteral("close.svg")) : circle;
    }();
    return path.isEmpty() ? QIcon() : StyleHelper::ColoredIcon(path, QStringLiteral("#FFF"), QStringLiteral("#303030"));
}

QPushButton* MenuButton::CloseButton(QWidget* parent)
{
    auto* button = new QPushButton(QStringLiteral("X"), parent);
    button->setToolTip(QCoreApplication::translate("Generic", "Close"));
    // The theme's least button width and padding would widen it.
    button->setStyleSheet(QStringLiteral("font-size: 24px; min-width: 0; padding: 0"));
    button->setFixedSize(32, 32);
    button->setCursor(Qt::PointingHandCursor);
    const QIcon icon = CloseIcon();
    if (!icon.isNull()) {
        button->setText(QString());
        button->setIcon(icon);
        button->setIconSize(QSize(24, 24));
        button->setFlat(true);
    }
    return button;
}

MenuButton* MenuButton::fromMenu(QMenu* menu, const QString& styleSheet)
{
    if (temporaryButton)
        temporaryButton->deleteLater();
    temporaryButton = new MenuButton();
    temporaryButton->setStyleSheet(styleSheet);
    connect(temporaryButton, &MenuButton::menuHidden, temporaryButton, &QObject::deleteLater);
    temporaryButton->addMenuActions(menu->actions(), styleSheet, 0);
    temporaryButton->showPersistentMenu();
    return temporaryButton;
}

void MenuButton::addMenuActions(const QList<QAction*>& actions, const QString& styleSheet, int indent)
{
    for (QAction* action : actions) {
        if (action->isSeparator()) {
            addSeparator();
            continue;
        }
        addWidgetToMenu(createActionEntry(action, styleSheet, indent));
        if (action->menu() && !action->menu()->isEmpty())
            addMenuActions(action->menu()->actions(), styleSheet, indent + SubmenuIndent);
    }
}

QWidget* MenuButton::createActionEntry(QAction* action, const QString& styleSheet, int indent)
{
    auto* button = new QPushButton(action->icon(), action->text());
    button->setFlat(true);
    button->setStyleSheet(styleSheet);
    button->setCursor(Qt::PointingHandCursor);
    connect(button, &QPushButton::clicked, this, [this, chosen = QPointer<QAction>(action)] {
        closeMenu();
        if (chosen)
            chosen->trigger();
    });
    if (indent == 0)
        return button;
    auto* indented = new QWidget;
    auto* row = new QHBoxLayout(indented);
    row->setContentsMargins(indent, 0, 0, 0);
    row->addWidget(button);
    return indented;
}

void MenuButton::addSeparator()
{
    const QColor grey(0x77, 0x77, 0x77);
    // Its border covers the edge pixels that the fill leaves out.
    auto* bar = new ZRectangle(grey, grey, 1);
    bar->setFixedHeight(2);
    bar->setMinimumWidth(40);
    addWidgetToMenu(bar);
}

void MenuButton::addWidgetToMenu(QWidget* widget)
{
    menuWidgets.append(widget);
    entriesLayout->addWidget(widget);
}

void MenuButton::clear()
{
    for (QWidget* widget : std::as_const(menuWidgets)) {
        widget->hide();
        entriesLayout->removeWidget(widget);
        widget->deleteLater();
    }
    menuWidgets.clear();
}

void MenuButton::closeMenu()
{
    if (panel)
        panel->hide();
    if (inPlaceViewer)
        inPlaceViewer->hide();
    if (sizeTimer)
        sizeTimer->stop();
    emit menuHidden();
}

void MenuButton::hideMenuIndicator()
{
    setStyleSheet(QStringLiteral("QPushButton::menu-indicator { width: 0; image: none}"));
}

void MenuButton::setMenuContentsMargins(int left, int top, int right, int bottom)
{
    entriesLayout->setContentsMargins(left, top, right, bottom);
    menu()->setContentsMargins(left, top, right, bottom);
}

void MenuButton::setParentLayout(QLayout* layout)
{
    parentLayout = layout;
    setCheckable(true);
    setMenu(nullptr);
    connections << connect(this, &QPushButton::toggled, this, [this](bool checked) {
        if (checked)
            showPersistentMenu();
        else
            closeMenu();
    });
}

void MenuButton::showPersistentMenu()
{
    if (parentLayout)
        return showInParentLayout();
    if (!panel)
        createPanel();
    showAndManageSize();
}

void MenuButton::showInParentLayout()
{
    if (!inPlaceViewer)
        createInPlaceViewer();
    inPlaceViewer->show();
    emit menuShown();
}

void MenuButton::createInPlaceViewer()
{
    inPlaceViewer = new ZScrollViewer(Qt::Vertical);
    inPlaceViewer->setBackgroundAndBorder(panelBackground(), 1,
                                          StyleHelper::ThemeColor(QStringLiteral("--z-btn-border"), Qt::white));
    inPlaceViewer->add(menuWidget);
    // A widget's destroyed signal comes before its children are deleted.
    connections << connect(inPlaceViewer, &QObject::destroyed, this, &MenuButton::takeEntriesBack);
    parentLayout->addWidget(inPlaceViewer);
}

void MenuButton::takeEntriesBack()
{
    menuWidget->hide();
    menuWidget->setParent(nullptr);
}

void MenuButton::createPanel()
{
    panel = new QDialog(QApplication::activeWindow(), Qt::Window | Qt::CustomizeWindowHint);
    panel->setWindowModality(Qt::ApplicationModal);
    lastAvailableSize = availableSize();
    sizeTimer = new QTimer(this);
    connections << connect(sizeTimer, &QTimer::timeout, this, &MenuButton::followWindowSize);
    UIHelper::ChangeBackground(panel, panelBackground());

    panelScrollArea = new QScrollArea(panel);
    panelScrollArea->setWidgetResizable(true);
    auto* content = new QWidget;
    UIHelper::ChangeBackground(content, panelBackground());
    panelLayout = new QVBoxLayout(content);
    panelScrollArea->setWidget(content);
    panelGrid = new QGridLayout(panel);
    panelGrid->addWidget(panelScrollArea, 0, 0);
    panelGrid->setRowStretch(0, 100);

    QPushButton* close = CloseButton(panel);
    close->move(0, 0);
    close->raise();
    connect(close, &QPushButton::clicked, this, &MenuButton::closeMenu);
}

void MenuButton::followWindowSize()
{
    if (!panel || !panel->isVisible() || !coveredWindow())
        return;
    const QSize size = availableSize();
    if (size == lastAvailableSize)
        return;
    lastAvailableSize = size;
    showAndManageSize();
}

void MenuButton::showAndManageSize()
{
    QWidget* window = coveredWindow();
    if (!panel || !panelScrollArea || !panelLayout || !window || !window->isVisible())
        return;
    const bool wasVisible = panel->isVisible();
    panel->setGeometry(QRect(window->geometry().topLeft(), availableSize()));
    const QSize hint = menuWidget->sizeHint();
    menuWidget->hide();
    menuWidget->setParent(nullptr);
    if (hint.width() <= panel->width() && hint.height() <= panel->height() - PanelHeightReserve) {
        panelGrid->addWidget(menuWidget, 0, 0, Qt::AlignCenter);
        panelScrollArea->hide();
    } else {
        panelLayout->addWidget(menuWidget, 100, Qt::AlignCenter);
        panelScrollArea->show();
    }
    menuWidget->show();
    panel->show();
    emit menuShown();
    panel->raise();
    sizeTimer->start(SizeCheckMs);
    if (!wasVisible)
        panel->activateWindow();
}

// The panel covers the window that was active when it was first shown.
QWidget* MenuButton::coveredWindow() const
{
    return panel ? panel->parentWidget() : QApplication::activeWindow();
}

QSize MenuButton::availableSize() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    QSize size = screen ? screen->size() : QSize();
    if (const QWidget* window = coveredWindow()) {
        const QSize windowSize = window->size();
        size = size.boundedTo(windowSize);
        if (size != windowSize)
            qDebug() << "Use backup size" << size << "instead of" << windowSize;
    }
    return size;
}
