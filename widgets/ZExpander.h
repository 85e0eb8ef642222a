#pragma once

#include "ZRectangle.h"

class QGridLayout;
class QHBoxLayout;
class QPushButton;
class QVBoxLayout;

// A rectangle with a clickable header that shows or hides its content. It starts expanded.
class ZExpander : public ZRectangle
{
    Q_OBJECT
public:
    explicit ZExpander(const QString& header = QString(), const QColor& background = Qt::white,
                       const QColor& headerColor = QColor(0xCC, 0xCC, 0xCC), QWidget* parent = nullptr);

    bool isExpanded() const;
    void setHeader(const QString& text);
    void setHeaderTextColor(const QColor& color);
    // The widget fills the header button in place of its text.
    void setHeaderWidget(QWidget* widget);
    // A widget right of the header button.
    void setExtraWidget(QWidget* widget);
    void setHeaderBackgroundColor(const QColor& color);
    void setHeaderStyle(const QColor& background, const QColor& border, float borderWidth);
    void setHeaderContentMargins(int margin);
    void setHeaderContentMargins(int left, int top, int right, int bottom);
    void setInnerContentMargins(int margin);
    void setInnerContentMargins(int left, int top, int right, int bottom);
    void setInnerWidget(QWidget* widget);

public slots:
    void expand();
    void collapse();
    void changeState(bool expanded);

signals:
    void expanded();
    void collapsed();
    void changedState(bool expanded);

private:
    void showChevron();

    bool isOpen = false;
    QWidget* contentHolder;
    QPushButton* headerButton;
    QVBoxLayout* mainLayout;
    QHBoxLayout* headerLayout;
    QGridLayout* contentLayout;
    ZRectangle* headerRectangle;
};
