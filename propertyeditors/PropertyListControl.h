#pragma once

#include "BasePropertyListWidget.h"

#include <QHash>

#include <functional>

class AbstractMetaDescriptor;
class AbstractSettings;
class QLayout;

// A live list of the described properties of one settings object: all of them grouped by
// category (with category labels when there is more than one), one category, or one property.
// Every edit is written to the property at once and every change of the property, whoever made
// it, is shown. Rows whose visibility conditions fail are hidden; in a single category this
// happens only once setManageCategoryVisibility(true) is called, and the list then counts its
// visible rows. The settings object must outlive the control.
class PropertyListControl : public BasePropertyListWidget
{
    Q_OBJECT
public:
    enum ViewMode { ViewAll = 0, ViewSingleCategory = 1, ViewSingleProperty = 2, ViewAllNoScrollArea = 3 };
    Q_ENUM(ViewMode)

    PropertyListControl(AbstractSettings* settings, const QString& name, ViewMode mode, QWidget* parent = nullptr);
    PropertyListControl(AbstractMetaDescription* description, QWidget* parent = nullptr);

    void setManageCategoryVisibility(bool manage);
    // Rows without conditions plus rows whose conditions hold; single-category lists only.
    int visibleProperties() const;

    void setPadding(int padding);
    void setPadding(int left, int top, int right, int bottom);
    bool showHeader(const QString& name, bool show);
    bool substituteEditor(const QString& name, QWidget* editor);
    bool substituteHeader(const QString& name, QWidget* header, Qt::Alignment alignment = Qt::Alignment());
    // A negative width lifts the limit.
    void setMaximumHeaderColumnWidth(int width);
    void setMinimumEditorWidth(int width);
    int getHeaderColumnWidth() const;
    QGridLayout* getLayout() const;

    // A negative row or column stands for the last one.
    void addWidgetToFirstRow(QWidget* widget, int column, Qt::Alignment alignment = Qt::Alignment());
    void addWidgetToLastRow(QWidget* widget, int column, Qt::Alignment alignment = Qt::Alignment());
    void addWidgetToLayout(QWidget* widget, int row, int column, int rowSpan, int columnSpan,
                           Qt::Alignment alignment = Qt::Alignment());
    void addLayoutToFirstRow(QLayout* layout, int column, Qt::Alignment alignment = Qt::Alignment());
    void addLayoutToLastRow(QLayout* layout, int column, Qt::Alignment alignment = Qt::Alignment());
    void addLayoutToLayout(QLayout* layout, int row, int column, int rowSpan, int columnSpan,
                           Qt::Alignment alignment = Qt::Alignment());

    QSize sizeHint() const override;

signals:
    void propertyVisibilityChanged(int visibleProperties);
    void manageCategoryVisibilityChanged();

private:
    QWidget* createContainer();
    void buildAll();
    void addCategoryLabel(const QString& category);
    void buildSingleCategory();
    void buildSingleProperty(AbstractMetaDescriptor* descriptor);
    void placeContainer(QWidget* container);
    void addScrollArea(QWidget* container);
    void showRow(const PropertyWidgetInfo& info, bool show);
    // The re-evaluations of one row after a value it depends on changed.
    void reevaluateInAll(AbstractMetaDescription* description, const PropertyWidgetInfo& info);
    void reevaluateInCategory(AbstractMetaDescription* description, const PropertyWidgetInfo& info);
    // Re-evaluates on every change of a property the conditions name; a condition on a
    // property the list does not hold always holds.
    void watchConditions(AbstractMetaDescription* description, const std::function<void()>& reevaluate);
    int lastColumn() const;

    QString name;
    QHash<QString, int> categoryRows;
    ViewMode mode = ViewAll;
    QGridLayout* grid = nullptr;
    bool manageCategoryVisibility = false;
    int visibleConditionalCount = 0;
    int alwaysVisibleCount = 0;
};
