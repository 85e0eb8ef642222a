#pragma once

#include "ConnectionHelper.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

class AbstractMetaDescription;
class BasePropertyView;
class PropertyCategoryIndex;
class QGridLayout;

// Rows of described properties, a header label and a property view each, and what one does with
// rows: build, find, focus, tab order, headers, default buttons and the visibility test of the
// conditions a property declares on other properties ("VisibleBound").
class BasePropertyListWidget : public QWidget
{
    Q_OBJECT
public:
    struct PropertyWidgetInfo
    {
        QString name;
        QWidget* header = nullptr;
        BasePropertyView* view = nullptr;
        int row = 0;
    };

    explicit BasePropertyListWidget(QWidget* parent = nullptr);
    ~BasePropertyListWidget() override;

    // The empty record (empty name) when nothing matches; names compare case-insensitively.
    PropertyWidgetInfo getWidgetInfo(int index) const;
    PropertyWidgetInfo getWidgetInfo(const QString& name) const;
    void hideItems(const QStringList& names);
    void showItems(const QStringList& names, bool show);
    void setAutoFocus(bool on);
    virtual void setEditorsEnabled(bool enabled);
    void setFocusAt(int index);
    void setFocusAt(const PropertyWidgetInfo& info);
    void setFocusAt(const QString& name);
    void setFocusAtFirst();
    void showDefaultButtons(bool show);
    void showHeaders(bool show);

protected:
    int addPropertyToLayout(AbstractMetaDescription* description, QGridLayout* grid);
    // The position of the first row of that name in the row list, compared case-insensitively; -1 when none.
    int indexOfRow(const QString& name) const;
    // A condition on a property the list does not show holds. A condition is one token, or
    // tokens joined by "|" (any matches; a "|" at the start does not count) or by "&&" (all).
    bool checkVisibility(const QString& propertyName, const QString& condition) const;
    // "!" in front negates; "''" matches the empty value; any other token the value itself.
    static bool checkVisibilityToken(QString token, const QString& value);
    // Every condition of the description holds, in ascending order of property name; a property
    // declared "NotVisible" never shows.
    bool conditionsHold(AbstractMetaDescription* description) const;
    void reorderTabOrder();
    void showEvent(QShowEvent* event) override;

    QGridLayout* mainLayout = nullptr;
    QList<PropertyWidgetInfo> rows;
    ConnectionHelper connections;
    std::unique_ptr<PropertyCategoryIndex> categoryIndex;
    bool autoFocus = true;

private:
    QWidget* createHeader(AbstractMetaDescription* description, QWidget* parent);
};
