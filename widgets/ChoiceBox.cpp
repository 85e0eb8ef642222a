#include "ChoiceBox.h"

#include <QAbstractItemView>
#include <QScreen>
#include <QStyleOptionMenuItem>

#include <algorithm>

ChoiceBox::ChoiceBox(QWidget* parent)
    : QComboBox(parent)
{
}

void ChoiceBox::showPopup()
{
    QComboBox::showPopup();
    widenPopup();
}

void ChoiceBox::widenPopup()
{
    QWidget* popup = view()->window();
    if (!popup->isVisible())
        return;
    // Frames, margins and a scroll bar when there is one: what the popup spends beside its items.
    const int besideItems = popup->width() - view()->viewport()->width();
    const int wanted = widestItem() + besideItems;
    if (popup->width() >= wanted)
        return;
    QRect placed = popup->geometry();
    placed.setWidth(wanted);
    // Kept on the screen, moved left when it would leave it on the right.
    const QRect area = popup->screen()->availableGeometry();
    if (placed.right() > area.right())
        placed.moveRight(area.right());
    placed.setLeft(std::max(placed.left(), area.left()));
    popup->setGeometry(placed);
}

int ChoiceBox::widestItem() const
{
    QStyleOptionMenuItem entry;
    entry.initFrom(this);
    entry.menuItemType = QStyleOptionMenuItem::Normal;
    entry.checkType = QStyleOptionMenuItem::NonExclusive;
    // The icon column as the combo box's own popup items reserve it.
    entry.maxIconWidth = iconSize().width() + 4;
    int widest = view()->sizeHintForColumn(0);
    for (int item = 0; item < count(); ++item) {
        entry.text = itemText(item);
        entry.icon = itemIcon(item);
        const QSize text(fontMetrics().horizontalAdvance(entry.text), fontMetrics().height());
        widest = std::max(widest, style()->sizeFromContents(QStyle::CT_MenuItem, &entry, text, this).width());
    }
    return widest;
}
