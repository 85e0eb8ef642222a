#pragma once

#include <QTabBar>

class QStyleOptionTab;

// A tab bar for tabs on the left or right side whose labels read horizontally: each tab is as
// large as a tab on top with its label would be, and its label is drawn as on a tab on top.
// (Turning the side tab's own label back by a quarter round is left out: a style sheet pads
// a side tab's label across its narrow side, which cuts off a level label.)
class VerticalTabBar : public QTabBar
{
    Q_OBJECT
public:
    VerticalTabBar();

    QSize tabSizeHint(int index) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The tab's style option as a tab on top would have it.
    QStyleOptionTab levelOption(int index) const;
};
