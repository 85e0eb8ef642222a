#pragma once

#include "BasePropertyListWidget.h"

#include <QList>

class AbstractSettings;
class PropertyListControl;
class QTabWidget;

// All categories of a settings object as tabs, one single-category property list per tab; a tab
// is hidden while none of its rows is visible.
class PropertyTabWidget : public BasePropertyListWidget
{
    Q_OBJECT
public:
    explicit PropertyTabWidget(AbstractSettings* settings, QWidget* parent = nullptr);

    void addTab(const QString& title, QWidget* page);
    void addWidgetToLayout(int tab, QWidget* widget, int row, int column, int rowSpan, int columnSpan,
                           Qt::Alignment alignment = Qt::Alignment());
    QTabWidget* getTabWidget() const;
    // Finds the tab by its untranslated category, ignoring case.
    void moveTab(const QString& category, int to, bool select);
    void setEditorsEnabled(bool enabled) override;
    void setPadding(int padding);
    int tabCount() const;
    // Finds the tab by its shown (translated) title, ignoring case; -1 when none.
    int tabIndex(const QString& title) const;
    QGridLayout* tabLayout(int tab) const;

private:
    void addCategoryTab(AbstractSettings* settings, const QString& category);
    void showTabOf(PropertyListControl* list);

    QTabWidget* tabWidget = nullptr;
    QList<PropertyListControl*> lists;
};
