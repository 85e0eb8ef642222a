#include "ZStackPanel.h"

namespace {
const int PackingStretch = 100;
} // namespace

ZStackPanel::ZStackPanel(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent)
    , orientation(orientation)
    , itemLayout(new QBoxLayout(boxOrientation()))
    , outerLayout(new QBoxLayout(boxOrientation(), this))
{
    itemLayout->setContentsMargins(0, 0, 0, 0);
    outerLayout->setContentsMargins(0, 0, 0, 0);
    outerLayout->addLayout(itemLayout);
    outerLayout->addStretch(PackingStretch);
    setContentsMargins(0, 0, 0, 0);
}

ZStackPanel::~ZStackPanel()
{
    // The items die after the list, as children of the panel; they must not reach it then.
    for (QWidget* widget : std::as_const(items))
        disconnect(widget, &QObject::destroyed, this, nullptr);
}

void ZStackPanel::add(QWidget* widget)
{
    if (!widget)
        return;
    itemLayout->addWidget(widget);
    items.append(widget);
    // An item its owner deletes must not stay behind as a dangling entry.
    connect(widget, &QObject::destroyed, this, [this, widget] { items.removeAll(widget); });
}

ZStackPanel& ZStackPanel::operator<<(QWidget* widget)
{
    add(widget);
    return *this;
}

QWidget* ZStackPanel::at(int index) const
{
    return items.value(index, nullptr);
}

int ZStackPanel::count() const
{
    return int(items.size());
}

QBoxLayout::Direction ZStackPanel::boxOrientation() const
{
    return orientation == Qt::Vertical ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight;
}

void ZStackPanel::remove(QWidget* widget)
{
    if (!widget || !items.contains(widget))
        return;
    forget(widget);
    widget->setParent(nullptr);
}

void ZStackPanel::clear()
{
    const QList<QWidget*> cleared = items;
    for (QWidget* widget : cleared) {
        forget(widget);
        widget->hide();
        widget->setParent(nullptr);
        widget->deleteLater();
    }
}

void ZStackPanel::forget(QWidget* widget)
{
    disconnect(widget, &QObject::destroyed, this, nullptr);
    itemLayout->removeWidget(widget);
    items.removeAll(widget);
}

void ZStackPanel::setItemAlignment(QWidget* widget, Qt::Alignment alignment)
{
    if (widget)
        itemLayout->setAlignment(widget, alignment);
}

void ZStackPanel::setItemAlignmentByIndex(int index, Qt::Alignment alignment)
{
    setItemAlignment(at(index), alignment);
}

void ZStackPanel::setItemPadding(int margin)
{
    setItemPadding(margin, margin, margin, margin);
}

void ZStackPanel::setItemPadding(int left, int top, int right, int bottom)
{
    for (QWidget* widget : std::as_const(items))
        widget->setContentsMargins(left, top, right, bottom);
}

void ZStackPanel::setPadding(int margin)
{
    setPadding(margin, margin, margin, margin);
}

void ZStackPanel::setPadding(int left, int top, int right, int bottom)
{
    itemLayout->setContentsMargins(left, top, right, bottom);
}

void ZStackPanel::setSpacing(int spacing)
{
    itemLayout->setSpacing(spacing);
}

void ZStackPanel::setOrientation(Qt::Orientation newOrientation)
{
    orientation = newOrientation;
    itemLayout->setDirection(boxOrientation());
    outerLayout->setDirection(boxOrientation());
}
