#include "PropertyListControl.h"

#include "AbstractMetaDescription.h"
#include "AbstractMetaDescriptor.h"
#include "AbstractSettings.h"
#include "BasePropertyView.h"
#include "PropertyCategoryIndex.h"
#include "UIHelper.h"

#include <QCoreApplication>
#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>

#include <algorithm>

namespace {
// The largest width a widget can take; 16777215 itself trips some styles' arithmetic.
constexpr int UnlimitedWidth = 16777200;
} // namespace

PropertyListControl::PropertyListControl(AbstractSettings* settings, const QString& name, ViewMode mode,
                                         QWidget* parent)
    : BasePropertyListWidget(parent)
    , name(name)
    , mode(mode)
{
    AbstractMetaDescriptor* descriptor = settings ? settings->metaDescriptor() : nullptr;
    categoryIndex = std::make_unique<PropertyCategoryIndex>(descriptor);
    // Placed first, the rows are styled once, as they are added, rather than all over again.
    placeContainer(createContainer());
    if (mode == ViewSingleCategory)
        buildSingleCategory();
    else if (mode == ViewSingleProperty)
        buildSingleProperty(descriptor);
    else
        buildAll();
    grid->setColumnStretch(2, 100);
    if (mode != ViewSingleProperty)
        grid->setRowStretch(grid->rowCount(), 100);
    reorderTabOrder();
}

PropertyListControl::PropertyListControl(AbstractMetaDescription* description, QWidget* parent)
    : BasePropertyListWidget(parent)
    , name(description ? description->name : QString())
    , mode(ViewSingleProperty)
{
    UIHelper::ChangeBackground(this, Qt::transparent);
    mainLayout->addWidget(createContainer(), 0, 0, 1, 1);
    grid->setSpacing(0);
    grid->setColumnStretch(2, 100);
    addPropertyToLayout(description, grid);
}

QWidget* PropertyListControl::createContainer()
{
    auto* container = new QWidget(this);
    grid = new QGridLayout(container);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(4);
    return container;
}

void PropertyListControl::buildAll()
{
    for (const QString& category : std::as_const(categoryIndex->categories)) {
        if (categoryIndex->categories.size() > 1)
            addCategoryLabel(category);
        for (AbstractMetaDescription* description : categoryIndex->byCategory.value(category)) {
            addPropertyToLayout(description, grid);
            if (description->visibleBound.isEmpty())
                continue;
            const auto reevaluate = [this, description, index = rows.size() - 1] {
                reevaluateInAll(description, rows.at(index));
            };
            watchConditions(description, reevaluate);
            reevaluate();
        }
    }
}

void PropertyListControl::addCategoryLabel(const QString& category)
{
    const QString title = category.isEmpty() ? QCoreApplication::translate("Generic", "Other")
                                             : QCoreApplication::translate("Generic", category.toUtf8().constData());
    auto* label = new QLabel(title, grid->parentWidget());
    label->setContentsMargins(0, 10, 0, 0);
    label->setObjectName(QStringLiteral("propertyCategoryLabel"));
    label->setStyleSheet(QStringLiteral("font-weight: bold"));
    const int row = std::max(1, grid->rowCount());
    grid->addWidget(label, row, 0);
    categoryRows.insert(category, row);
}

void PropertyListControl::buildSingleCategory()
{
    for (AbstractMetaDescription* description : categoryIndex->byCategory.value(name)) {
        addPropertyToLayout(description, grid);
        if (description->visibleBound.isEmpty()) {
            ++alwaysVisibleCount;
            continue;
        }
        const auto reevaluate = [this, description, index = rows.size() - 1] {
            reevaluateInCategory(description, rows.at(index));
        };
        watchConditions(description, reevaluate);
        connections << connect(this, &PropertyListControl::manageCategoryVisibilityChanged, this, reevaluate);
        reevaluate();
    }
}

void PropertyListControl::buildSingleProperty(AbstractMetaDescriptor* descriptor)
{
    if (descriptor)
        addPropertyToLayout(descriptor->propertyByName(name), grid);
}

void PropertyListControl::watchConditions(AbstractMetaDescription* description, const std::function<void()>& reevaluate)
{
    for (auto it = description->visibleBound.cbegin(); it != description->visibleBound.cend(); ++it) {
        if (AbstractMetaDescription* source = categoryIndex->byName.value(it.key()))
            connections << connect(source, &AbstractMetaDescription::valueChanged, this, reevaluate);
        else
            qDebug().noquote() << "Property not found" << it.key() << "- the condition of" << description->name
                               << "on it holds";
    }
}

void PropertyListControl::reevaluateInAll(AbstractMetaDescription* description, const PropertyWidgetInfo& info)
{
    description->boundVisible = conditionsHold(description);
    showRow(info, description->boundVisible);
    if (categoryIndex->categories.size() < 2)
        return;
    const QList<AbstractMetaDescription*> siblings = categoryIndex->byCategory.value(description->category);
    const bool anyShown = std::any_of(siblings.cbegin(), siblings.cend(),
                                      [](const AbstractMetaDescription* sibling) { return sibling->boundVisible; });
    if (QLayoutItem* label = grid->itemAtPosition(categoryRows.value(description->category), 0))
        label->widget()->setVisible(anyShown);
}

void PropertyListControl::reevaluateInCategory(AbstractMetaDescription* description, const PropertyWidgetInfo& info)
{
    if (!manageCategoryVisibility)
        return;
    description->boundVisible = conditionsHold(description);
    showRow(info, description->boundVisible);
    const QList<AbstractMetaDescription*> members = categoryIndex->byCategory.value(name);
    visibleConditionalCount =
        int(std::count_if(members.cbegin(), members.cend(), [](const AbstractMetaDescription* member) {
            return !member->visibleBound.isEmpty() && member->boundVisible;
        }));
    updateGeometry();
    emit propertyVisibilityChanged(visibleProperties());
    reorderTabOrder();
}

void PropertyListControl::showRow(const PropertyWidgetInfo& info, bool show)
{
    if (info.header)
        info.header->setVisible(show);
    if (info.view)
        info.view->setVisible(show);
}

void PropertyListControl::placeContainer(QWidget* container)
{
    if (mode == ViewAll || mode == ViewSingleCategory) {
        addScrollArea(container);
        return;
    }
    mainLayout->addWidget(container, 0, 0, 1, 1);
    mainLayout->setRowStretch(0, 100);
    mainLayout->setColumnStretch(0, 100);
    if (mode == ViewSingleProperty)
        grid->setSpacing(0);
}

void PropertyListControl::addScrollArea(QWidget* container)
{
    auto* scrollArea = new QScrollArea(this);
    scrollArea->setMinimumSize(30, 20);
    scrollArea->setWidgetResizable(true);
    scrollArea->setContentsMargins(0, 0, 0, 0);
    scrollArea->setStyleSheet(
        QStringLiteral("QScrollArea { background: transparent; border: 0; } QScrollArea > QWidget > QWidget { "
                       "background: transparent; }                                   QScrollArea > QWidget > "
                       "QScrollBar { background: palette(base)}"));
    scrollArea->setWidget(container);
    setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding);
    mainLayout->addWidget(scrollArea, 0, 0, 1, 1);
    UIHelper::ChangeBackground(scrollArea, Qt::transparent);
}

void PropertyListControl::setManageCategoryVisibility(bool manage)
{
    if (manageCategoryVisibility == manage)
        return;
    manageCategoryVisibility = manage;
    emit manageCategoryVisibilityChanged();
}

int PropertyListControl::visibleProperties() const
{
    return alwaysVisibleCount + visibleConditionalCount;
}

void PropertyListControl::setPadding(int padding)
{
    setPadding(padding, padding, padding, padding);
}

void PropertyListControl::setPadding(int left, int top, int right, int bottom)
{
    grid->setContentsMargins(left, top, right, bottom);
}

bool PropertyListControl::showHeader(const QString& name, bool show)
{
    const PropertyWidgetInfo info = getWidgetInfo(name);
    if (!info.header)
        return false;
    info.header->setVisible(show);
    return true;
}

bool PropertyListControl::substituteEditor(const QString& name, QWidget* editor)
{
    const PropertyWidgetInfo info = getWidgetInfo(name);
    if (info.name.isEmpty())
        return false;
    if (info.view->getEditor())
        info.view->nullifyEditor();
    info.view->getEditingLayout()->insertWidget(0, editor);
    return true;
}

bool PropertyListControl::substituteHeader(const QString& name, QWidget* header, Qt::Alignment alignment)
{
    const int index = indexOfRow(name);
    if (index < 0)
        return false;
    PropertyWidgetInfo& info = rows[index];
    if (info.header && info.header != header) {
        info.header->hide();
        grid->removeWidget(info.header);
        info.header->deleteLater();
    }
    info.header = header;
    if (header)
        grid->addWidget(header, info.row, 0, alignment);
    return true;
}

void PropertyListControl::setMaximumHeaderColumnWidth(int width)
{
    for (const PropertyWidgetInfo& info : std::as_const(rows))
        if (info.header)
            info.header->setMaximumWidth(width < 0 ? UnlimitedWidth : width);
}

void PropertyListControl::setMinimumEditorWidth(int width)
{
    for (const PropertyWidgetInfo& info : std::as_const(rows))
        info.view->setMinimumWidth(width);
}

int PropertyListControl::getHeaderColumnWidth() const
{
    int widest = 0;
    for (int row = 0; row < grid->rowCount(); ++row)
        if (QLayoutItem* item = grid->itemAtPosition(row, 0))
            widest = std::max(widest, item->sizeHint().width());
    return widest;
}

QGridLayout* PropertyListControl::getLayout() const
{
    return grid;
}

int PropertyListControl::lastColumn() const
{
    return grid->columnCount() - 1;
}

void PropertyListControl::addWidgetToFirstRow(QWidget* widget, int column, Qt::Alignment alignment)
{
    addWidgetToLayout(widget, 0, column, 1, 1, alignment);
}

void PropertyListControl::addWidgetToLastRow(QWidget* widget, int column, Qt::Alignment alignment)
{
    addWidgetToLayout(widget, grid->rowCount(), column, 1, 1, alignment);
}

void PropertyListControl::addWidgetToLayout(QWidget* widget, int row, int column, int rowSpan, int columnSpan,
                                            Qt::Alignment alignment)
{
    grid->addWidget(widget, row < 0 ? grid->rowCount() - 1 : row, column < 0 ? lastColumn() : column, rowSpan,
                    columnSpan, alignment);
}

void PropertyListControl::addLayoutToFirstRow(QLayout* layout, int column, Qt::Alignment alignment)
{
    addLayoutToLayout(layout, 0, column, 1, 1, alignment);
}

void PropertyListControl::addLayoutToLastRow(QLayout* layout, int column, Qt::Alignment alignment)
{
    addLayoutToLayout(layout, grid->rowCount(), column, 1, 1, alignment);
}

void PropertyListControl::addLayoutToLayout(QLayout* layout, int row, int column, int rowSpan, int columnSpan,
                                            Qt::Alignment alignment)
{
    grid->addLayout(layout, row, column, rowSpan, columnSpan, alignment);
}

QSize PropertyListControl::sizeHint() const
{
    const QMargins margins = contentsMargins();
    return grid->sizeHint() + QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}
