#include "ZPushButton.h"

#include "CursorHelper.h"
#include "StyleHelper.h"

#include <QLabel>
#include <QVBoxLayout>

namespace {
const QString DarkThemeIconColour = QStringLiteral("#FFF");
const QString DrawnColour = QStringLiteral("#303030");
} // namespace

ZPushButton::ZPushButton(const QIcon& icon, const QString& text, const QString& objectName, QWidget* parent)
    : ZPushButton(icon, text, parent)
{
    if (!objectName.isEmpty())
        setObjectName(objectName);
}

ZPushButton::ZPushButton(const QIcon& icon, const QString& text, QWidget* parent)
    : QPushButton(icon, text, parent)
{
    CursorHelper::setCursor(this, Qt::PointingHandCursor);
}

ZPushButton::ZPushButton(const QString& text, QWidget* parent)
    : ZPushButton(QIcon(), text, parent)
{
}

ZPushButton::ZPushButton(QWidget* parent)
    : ZPushButton(QIcon(), QString(), parent)
{
}

bool ZPushButton::isHovered() const
{
    return hovered;
}

void ZPushButton::enable()
{
    if (isEnabled())
        return;
    setEnabled(true);
    emit enabled();
    emit enabledStateChanged(true);
}

void ZPushButton::disable()
{
    if (!isEnabled())
        return;
    setEnabled(false);
    emit disabled();
    emit enabledStateChanged(false);
}

void ZPushButton::setEnabledState(bool enabled)
{
    if (enabled)
        enable();
    else
        disable();
}

void ZPushButton::enterEvent(QEnterEvent* event)
{
    QPushButton::enterEvent(event);
    setHovered(true);
}

void ZPushButton::leaveEvent(QEvent* event)
{
    QPushButton::leaveEvent(event);
    setHovered(false);
}

void ZPushButton::setHovered(bool hover)
{
    if (hover == hovered)
        return;
    hovered = hover;
    if (hovered)
        emit mouseHover();
    else
        emit mouseLeft();
    emit mouseHoverChanged(hovered);
}

void ZPushButton::mouseDoubleClickEvent(QMouseEvent*)
{
    emit doubleClicked();
}

void ZPushButton::showEvent(QShowEvent* event)
{
    QPushButton::showEvent(event);
    emit onShown();
    emit onVisibleChanged(true);
}

void ZPushButton::hideEvent(QHideEvent* event)
{
    QPushButton::hideEvent(event);
    emit onHidden();
    emit onVisibleChanged(false);
}

QPushButton* ZPushButton::DoubleIconButton(const QString& iconPath, const QString& overlayIconPath, const QSize& size)
{
    auto* button = new QPushButton();
    CursorHelper::setCursor(button, Qt::PointingHandCursor);
    button->setIconSize(size);
    button->setContentsMargins(0, 0, 0, 0);
    StyleHelper::SetButtonIcon(button, iconPath, DarkThemeIconColour);
    auto* overlay = new QLabel();
    overlay->setFixedSize(size);
    StyleHelper::SetLabelIcon(overlay, overlayIconPath, DarkThemeIconColour);
    auto* layout = new QVBoxLayout(button);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(overlay);
    return button;
}

QPushButton* ZPushButton::ToggleButton(const QString& uncheckedIconPath, const QString& checkedIconPath, bool flat)
{
    auto* button = new QPushButton();
    CursorHelper::setCursor(button, Qt::PointingHandCursor);
    button->setCheckable(true);
    button->setFlat(flat);
    const auto showState = [button, uncheckedIconPath, checkedIconPath](bool checked) {
        button->setIcon(
            StyleHelper::ColoredIcon(checked ? checkedIconPath : uncheckedIconPath, DarkThemeIconColour, DrawnColour));
    };
    QObject::connect(button, &QPushButton::toggled, button, showState);
    showState(false);
    return button;
}
