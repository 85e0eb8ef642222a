#include "ZListBox.h"

#include "ClickableWidget.h"
#include "ObservableCollection.h"
#include "UIHelper.h"

#include <QGridLayout>
#include <QLabel>
#include <QScrollArea>

namespace {

constexpr int FillerStretch = 100;

} // namespace

ZListBox::ZListBox(QWidget* parent)
    : ContextableWidget(parent)
    , emptyListLabel(new QLabel(this))
    , ownCollection(std::make_unique<ObservableCollection>())
    , scrollArea(new QScrollArea(this))
    , itemGrid(nullptr)
{
    emptyListLabel->setAlignment(Qt::AlignCenter);
    emptyListLabel->setWordWrap(true);
    emptyListLabel->setContentsMargins(10, 10, 10, 10);
    emptyListLabel->setStyleSheet(QStringLiteral("QLabel { color : #999}"));
    scrollArea->setWidgetResizable(true);
    UIHelper::ChangeBackground(scrollArea, Qt::white);
    auto* inner = new QWidget();
    itemGrid = new QGridLayout(inner);
    UIHelper::SetGridMargins(itemGrid, 0, 0, 0);
    scrollArea->setWidget(inner);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scrollArea, 0, 0);
    layout->addWidget(emptyListLabel, 0, 0, Qt::AlignCenter);
    emptyListLabel->raise();
    setItems(ownCollection.get());
}

ZListBox::~ZListBox()
{
    // The collection may outlive the list box; its announcements must not reach it.
    disconnect(countConnection);
}

void ZListBox::setItems(ObservableCollection* collection)
{
    disconnect(countConnection);
    items = collection;
    emit itemsChanged(collection);
    if (collection)
        countConnection = connect(collection, &ObservableCollection::countChanged, this, &ZListBox::rebuild);
    rebuild();
}

ObservableCollection* ZListBox::getItems() const
{
    return items;
}

QObject* ZListBox::at(int index) const
{
    return items ? items->at(index) : nullptr;
}

int ZListBox::count() const
{
    return items ? items->count() : 0;
}

void ZListBox::clear()
{
    if (items)
        items->clear();
}

void ZListBox::setSelectedIndex(int index)
{
    if (index < 0 || index >= count() || !at(index))
        index = -1;
    if (index == selectedIndex)
        return;
    selectedIndex = index;
    emit changedSelectedIndex(index);
    emit changedSelectedItem(at(index));
    emit anythingSelected(index >= 0);
    showHighlight();
}

int ZListBox::getSelectedIndex() const
{
    return selectedIndex;
}

void ZListBox::setSelectedItem(QObject* element)
{
    const int index = items && element ? items->indexOf(element) : -1;
    if (index >= 0)
        setSelectedIndex(index);
}

QObject* ZListBox::getSelectedItem() const
{
    return at(selectedIndex);
}

void ZListBox::setOrientation(Qt::Orientation value)
{
    if (value == orientation)
        return;
    orientation = value;
    emit changedOrientation(value);
    rebuild();
}

Qt::Orientation ZListBox::getOrientation() const
{
    return orientation;
}

void ZListBox::setEmptyListText(const QString& text)
{
    emptyListLabel->setText(text);
}

void ZListBox::setBackgroundAndBorder(const QColor& background, quint8 borderWidth, const QColor& borderColor)
{
    UIHelper::ChangeBackground(scrollArea, background);
    const QString colour = background == QColor(Qt::transparent) ? QStringLiteral("transparent") : background.name();
    const QString border = borderWidth > 0 ? QStringLiteral("%1px solid %2").arg(borderWidth).arg(borderColor.name())
                                           : QStringLiteral("0");
    scrollArea->setStyleSheet(QStringLiteral("QScrollArea { background: %1; border: %2; } "
                                             "QScrollArea > QWidget > QWidget { background: %1; }%3"
                                             "QScrollArea > QWidget > QScrollBar { background: palette(base)}")
                                  .arg(colour, border, QString(29, QLatin1Char(' '))));
}

void ZListBox::setBackground(const QColor& background)
{
    setBackgroundAndBorder(background, 0, Qt::black);
}

void ZListBox::setTransparentBackground()
{
    setBackgroundAndBorder(Qt::transparent, 0, Qt::black);
}

void ZListBox::rebuild()
{
    clickConnections.clear();
    emit internalRebuildStart();
    selectedIndex = -1;
    removeItemWidgets();
    placeItemWidgets();
    onItemsCountChanged(count());
    emit internalRebuildEnd();
    emit changedSelectedIndex(-1);
}

void ZListBox::removeItemWidgets()
{
    for (ClickableWidget* widget : std::as_const(itemWidgets)) {
        if (!widget)
            continue;
        widget->hide();
        itemGrid->removeWidget(widget);
        widget->deleteLater();
    }
    itemWidgets.clear();
    delete filler;
    filler = nullptr;
    // Stretches stay with their rows and columns; the new items start from none.
    for (int row = 0; row < itemGrid->rowCount(); ++row)
        itemGrid->setRowStretch(row, 0);
    for (int column = 0; column < itemGrid->columnCount(); ++column)
        itemGrid->setColumnStretch(column, 0);
}

void ZListBox::placeItemWidgets()
{
    const int elements = count();
    for (int index = 0; index < elements; ++index) {
        QObject* element = at(index);
        if (!element) {
            itemWidgets.append(nullptr);
            continue;
        }
        auto* wrapper = new ClickableWidget();
        if (QWidget* content = createItemWidget(element))
            UIHelper::InsertToWidget(wrapper, content, 1);
        clickConnections << connect(wrapper, &ClickableWidget::clicked, this, &ZListBox::itemClicked);
        itemWidgets.append(wrapper);
        place(wrapper, index, 0);
    }
    filler = new QWidget();
    place(filler, elements, FillerStretch);
}

void ZListBox::place(QWidget* widget, int position, int stretch)
{
    if (orientation == Qt::Vertical) {
        itemGrid->addWidget(widget, position, 0);
        itemGrid->setRowStretch(position, stretch);
    } else {
        itemGrid->addWidget(widget, 0, position);
        itemGrid->setColumnStretch(position, stretch);
    }
}

void ZListBox::itemClicked(int clickCount)
{
    auto* wrapper = qobject_cast<ClickableWidget*>(sender());
    const int position = wrapper ? int(itemWidgets.indexOf(wrapper)) : -1;
    if (position < 0)
        return;
    setSelectedIndex(position);
    showHighlight();
    if (clickCount >= 2)
        emit selectedItemDoubleClicked(getSelectedItem());
}

void ZListBox::onItemsCountChanged(int value)
{
    emptyListLabel->setVisible(value <= 0);
}

void ZListBox::onContextChanged()
{
    auto* collection = qobject_cast<ObservableCollection*>(getContext());
    if (!collection)
        return;
    setSelectedIndex(-1);
    setItems(collection);
}

QWidget* ZListBox::createItemWidget(QObject* element)
{
    return emit itemCreateDelegate(element);
}

void ZListBox::showHighlight()
{
    for (int position = 0; position < itemWidgets.size(); ++position) {
        if (itemWidgets[position])
            itemWidgets[position]->setIsHighlighted(position == selectedIndex);
    }
}
