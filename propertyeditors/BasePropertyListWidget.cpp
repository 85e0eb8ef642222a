#include "BasePropertyListWidget.h"

#include "AbstractMetaDescription.h"
#include "BasePropertyView.h"
#include "PropertyCategoryIndex.h"
#include "PropertyViewFactory.h"
#include "StyleHelper.h"
#include "TextHelper.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>

namespace {
QString generic(const QString& text)
{
    return QCoreApplication::translate("Generic", text.toUtf8().constData());
}
} // namespace

BasePropertyListWidget::BasePropertyListWidget(QWidget* parent)
    : QWidget(parent)
    , mainLayout(new QGridLayout(this))
{
    setContentsMargins(0, 0, 0, 0);
    mainLayout->setContentsMargins(0, 0, 0, 0);
}

BasePropertyListWidget::~BasePropertyListWidget()
{
    // The rows' re-evaluations read the index; they go first.
    connections.clear();
    categoryIndex.reset();
}

BasePropertyListWidget::PropertyWidgetInfo BasePropertyListWidget::getWidgetInfo(int index) const
{
    if (index < 0 || index >= rows.size())
        return PropertyWidgetInfo();
    return rows.at(index);
}

BasePropertyListWidget::PropertyWidgetInfo BasePropertyListWidget::getWidgetInfo(const QString& name) const
{
    return getWidgetInfo(indexOfRow(name));
}

int BasePropertyListWidget::indexOfRow(const QString& name) const
{
    for (int i = 0; i < rows.size(); ++i)
        if (rows.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void BasePropertyListWidget::hideItems(const QStringList& names)
{
    showItems(names, false);
}

void BasePropertyListWidget::showItems(const QStringList& names, bool show)
{
    for (const PropertyWidgetInfo& info : rows) {
        if (!names.contains(info.name, Qt::CaseInsensitive))
            continue;
        info.view->setVisible(show);
        if (info.header)
            info.header->setVisible(show);
    }
}

void BasePropertyListWidget::setAutoFocus(bool on)
{
    autoFocus = on;
}

void BasePropertyListWidget::setEditorsEnabled(bool enabled)
{
    for (const PropertyWidgetInfo& info : rows)
        info.view->setEnabled(enabled);
}

void BasePropertyListWidget::setFocusAt(int index)
{
    setFocusAt(getWidgetInfo(index));
}

void BasePropertyListWidget::setFocusAt(const PropertyWidgetInfo& info)
{
    if (info.name.isEmpty() || !info.view || !info.view->getEditor())
        return;
    QTimer::singleShot(0, info.view->getEditor(), qOverload<>(&QWidget::setFocus));
}

void BasePropertyListWidget::setFocusAt(const QString& name)
{
    setFocusAt(getWidgetInfo(name));
}

void BasePropertyListWidget::setFocusAtFirst()
{
    setFocusAt(0);
}

void BasePropertyListWidget::showDefaultButtons(bool show)
{
    for (const PropertyWidgetInfo& info : rows)
        info.view->showDefaultButton(show);
}

void BasePropertyListWidget::showHeaders(bool show)
{
    for (const PropertyWidgetInfo& info : rows)
        if (info.header)
            info.header->setVisible(show);
}

int BasePropertyListWidget::addPropertyToLayout(AbstractMetaDescription* description, QGridLayout* grid)
{
    if (!description || !grid)
        return -1;
    // Made in the grid's widget, the row's widgets are styled once, not again on a move.
    QWidget* header = createHeader(description, grid->parentWidget());
    int span = 1;
    BasePropertyView* view = PropertyViewFactory::create(description, grid->parentWidget(), span);
    view->setContentsMargins(0, 0, 5, 0);
    if (QWidget* editor = view->getEditor()) {
        if (description->hasMinWidth)
            editor->setMinimumWidth(description->minWidth);
        if (description->hasMaxWidth)
            editor->setMaximumWidth(description->maxWidth);
    }
    const QString tip = description->extraInfo.value(QStringLiteral("Description"));
    if (!tip.isEmpty()) {
        header->setToolTip(generic(tip));
        view->setToolTip(generic(tip));
    }
    if (description->readOnly)
        view->setEnabled(false);
    const int row = grid->rowCount();
    grid->addWidget(header, row, 0);
    grid->addWidget(view, row, 1, 1, span, Qt::AlignLeft);
    rows.append({description->name, header, view, row});
    return row;
}

QWidget* BasePropertyListWidget::createHeader(AbstractMetaDescription* description, QWidget* parent)
{
    auto* label = new QLabel(generic(description->displayName), parent);
    label->setContentsMargins(0, 0, 0, 0);
    label->setObjectName(QStringLiteral("propertyHeaderLabel"));
    if (description->icon.isEmpty())
        return label;
    auto* icon = new QLabel();
    icon->setFixedSize(16, 16);
    StyleHelper::SetLabelIcon(icon, description->icon, QStringLiteral("#FFF"));
    auto* container = new QWidget(parent);
    container->setContentsMargins(0, 0, 0, 0);
    auto* layout = new QHBoxLayout(container);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(icon, 0);
    layout->addWidget(label, 100, Qt::AlignLeft);
    return container;
}

bool BasePropertyListWidget::checkVisibility(const QString& propertyName, const QString& condition) const
{
    AbstractMetaDescription* description = categoryIndex ? categoryIndex->byName.value(propertyName) : nullptr;
    if (!description)
        return true;
    const QString value = description->getValue().toString();
    const bool anyOf = condition.indexOf(u'|') >= 1;
    const QStringList tokens =
        TextHelper::multisplit(condition, {QStringLiteral("|"), QStringLiteral("&&")}, Qt::SkipEmptyParts);
    if (tokens.size() < 2)
        return checkVisibilityToken(condition, value);
    bool result = !anyOf;
    for (const QString& token : tokens)
        result =
            anyOf ? (result || checkVisibilityToken(token, value)) : (result && checkVisibilityToken(token, value));
    return result;
}

bool BasePropertyListWidget::checkVisibilityToken(QString token, const QString& value)
{
    const bool negated = token.startsWith(u'!');
    if (negated)
        token.remove(0, 1);
    const bool matches = token == QStringLiteral("''") ? value.isEmpty() : token == value;
    return matches != negated;
}

bool BasePropertyListWidget::conditionsHold(AbstractMetaDescription* description) const
{
    if (!description->visible)
        return false;
    for (auto it = description->visibleBound.cbegin(); it != description->visibleBound.cend(); ++it)
        if (!checkVisibility(it.key(), it.value()))
            return false;
    return true;
}

void BasePropertyListWidget::reorderTabOrder()
{
    QList<QWidget*> editors;
    for (const PropertyWidgetInfo& info : rows) {
        QWidget* editor = info.view->isHidden() ? nullptr : info.view->getEditor();
        if (!editor)
            continue;
        if (editor->focusPolicy() == Qt::ClickFocus)
            editor->setFocusPolicy(Qt::StrongFocus);
        editors.append(editor);
    }
    for (int i = 1; i < editors.size(); ++i)
        QWidget::setTabOrder(editors.at(i - 1), editors.at(i));
    if (!editors.isEmpty() && autoFocus)
        editors.constFirst()->setFocus(Qt::OtherFocusReason);
}

void BasePropertyListWidget::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    reorderTabOrder();
}
