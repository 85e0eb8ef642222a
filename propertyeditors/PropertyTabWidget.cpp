#include "PropertyTabWidget.h"

#include "AbstractSettings.h"
#include "PropertyCategoryIndex.h"
#include "PropertyListControl.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QTabBar>
#include <QTabWidget>

PropertyTabWidget::PropertyTabWidget(AbstractSettings* settings, QWidget* parent)
    : BasePropertyListWidget(parent)
{
    if (!settings)
        return;
    tabWidget = new QTabWidget(this);
    tabWidget->setStyleSheet(
        QStringLiteral("QTabBar::tab:disabled {width: 0px; color: transparent; background: transparent;}"));
    mainLayout->addWidget(tabWidget, 0, 0);
    categoryIndex = std::make_unique<PropertyCategoryIndex>(settings->metaDescriptor());
    for (const QString& category : std::as_const(categoryIndex->categories))
        addCategoryTab(settings, category);
    for (PropertyListControl* list : std::as_const(lists)) {
        connections << connect(list, &PropertyListControl::propertyVisibilityChanged, this,
                               [this, list] { showTabOf(list); });
        showTabOf(list);
    }
}

void PropertyTabWidget::addCategoryTab(AbstractSettings* settings, const QString& category)
{
    auto* list = new PropertyListControl(settings, category, PropertyListControl::ViewSingleCategory);
    list->setManageCategoryVisibility(true);
    list->setContentsMargins(8, 8, 8, 8);
    const QString title = category.isEmpty() ? QCoreApplication::translate("Generic", "Other")
                                             : QCoreApplication::translate("Generic", category.toUtf8().constData());
    const int tab = tabWidget->addTab(list, title);
    tabWidget->tabBar()->setTabData(tab, category);
    lists.append(list);
}

void PropertyTabWidget::showTabOf(PropertyListControl* list)
{
    tabWidget->setTabVisible(tabWidget->indexOf(list), list->visibleProperties() != 0);
}

void PropertyTabWidget::addTab(const QString& title, QWidget* page)
{
    if (tabWidget)
        tabWidget->addTab(page, title);
}

void PropertyTabWidget::addWidgetToLayout(int tab, QWidget* widget, int row, int column, int rowSpan, int columnSpan,
                                          Qt::Alignment alignment)
{
    if (tab >= 0 && tab < lists.size() && widget)
        lists.at(tab)->addWidgetToLayout(widget, row, column, rowSpan, columnSpan, alignment);
}

QTabWidget* PropertyTabWidget::getTabWidget() const
{
    return tabWidget;
}

void PropertyTabWidget::moveTab(const QString& category, int to, bool select)
{
    if (!tabWidget)
        return;
    QTabBar* bar = tabWidget->tabBar();
    for (int tab = 0; tab < bar->count(); ++tab) {
        if (bar->tabData(tab).toString().compare(category, Qt::CaseInsensitive) != 0)
            continue;
        if (tab != to)
            bar->moveTab(tab, to);
        if (select)
            tabWidget->setCurrentIndex(to);
        return;
    }
}

void PropertyTabWidget::setEditorsEnabled(bool enabled)
{
    for (PropertyListControl* list : std::as_const(lists))
        list->setEditorsEnabled(enabled);
}

void PropertyTabWidget::setPadding(int padding)
{
    for (PropertyListControl* list : std::as_const(lists))
        list->setPadding(padding);
}

int PropertyTabWidget::tabCount() const
{
    return int(lists.size());
}

int PropertyTabWidget::tabIndex(const QString& title) const
{
    for (int tab = 0; tabWidget && tab < tabWidget->count(); ++tab)
        if (tabWidget->tabText(tab).compare(title, Qt::CaseInsensitive) == 0)
            return tab;
    return -1;
}

QGridLayout* PropertyTabWidget::tabLayout(int tab) const
{
    return tab >= 0 && tab < lists.size() ? lists.at(tab)->getLayout() : nullptr;
}
