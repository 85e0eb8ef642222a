#include "WindowStateControlWidget.h"

#include "CursorHelper.h"
#include "StyleHelper.h"
#include "ZTMainWindow.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace {

const QString MaximizeIcon = QStringLiteral(":/icons/maximize.svg");
const QString MaximizedIcon = QStringLiteral(":/icons/maximized.svg");
const QString DarkIconColor = QStringLiteral("#FFF");
const QString DrawnIconColor = QStringLiteral("#303030");
const QString PlainHover = QStringLiteral("QPushButton { padding: 0; } QPushButton::hover { background: #CCC; }");
const QString CloseHover = QStringLiteral("QPushButton { padding: 0; } QPushButton::hover { background: #C30; }");

} // namespace

WindowStateControlWidget::WindowStateControlWidget(ZTMainWindow* window, QWidget* parent)
    : QWidget(parent)
    , minimizeButton(createButton(PlainHover))
    , maximizeButton(createButton(PlainHover))
    , closeButton(createButton(CloseHover))
    , window(window)
{
    setMinimumSize(90, 20);
    StyleHelper::SetButtonIcon(minimizeButton, QStringLiteral(":/icons/minimize.svg"), DarkIconColor);
    // One re-styling callback follows both the theme and the window's state.
    StyleHelper::Link(maximizeButton, [this] { showMaximizeIcon(); });
    StyleHelper::SetButtonIcon(closeButton, QStringLiteral(":/icons/close.svg"), DarkIconColor);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(minimizeButton);
    layout->addWidget(maximizeButton);
    layout->addWidget(closeButton);
    setContentsMargins(0, 0, 0, 0);
    if (!window)
        return;
    connections << connect(minimizeButton, &QPushButton::clicked, window,
                           [window] { window->setWindowState(Qt::WindowMinimized); });
    connections << connect(maximizeButton, &QPushButton::clicked, this, &WindowStateControlWidget::toggleMaximized);
    connections << connect(closeButton, &QPushButton::clicked, window, &QWidget::close);
    connections << connect(window, &ZTMainWindow::windowStateChanged, this,
                           &WindowStateControlWidget::showMaximizeIcon);
}

QPushButton* WindowStateControlWidget::createButton(const QString& styleSheet)
{
    auto* button = new QPushButton(this);
    button->setFlat(true);
    CursorHelper::setCursor(button, Qt::PointingHandCursor);
    button->setMinimumSize(30, 30);
    button->setIconSize(QSize(24, 24));
    button->setStyleSheet(styleSheet);
    return button;
}

void WindowStateControlWidget::showMaximizeIcon()
{
    const bool maximized = window && window->windowState() == Qt::WindowMaximized;
    maximizeButton->setIcon(
        StyleHelper::ColoredIcon(maximized ? MaximizedIcon : MaximizeIcon, DarkIconColor, DrawnIconColor));
}

void WindowStateControlWidget::toggleMaximized()
{
    if (window)
        window->setWindowState(window->windowState() == Qt::WindowMaximized ? Qt::WindowNoState : Qt::WindowMaximized);
}
