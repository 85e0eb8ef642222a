#include "VerticalTabBar.h"

#include <QStyleOptionTab>
#include <QStylePainter>

#include <algorithm>

VerticalTabBar::VerticalTabBar() = default;

QStyleOptionTab VerticalTabBar::levelOption(int index) const
{
    QStyleOptionTab option;
    initStyleOption(&option, index);
    option.shape = QTabBar::RoundedNorth;
    return option;
}

QSize VerticalTabBar::tabSizeHint(int index) const
{
    const QStyleOptionTab option = levelOption(index);
    const QSize text = fontMetrics().size(Qt::TextShowMnemonic, option.text);
    const bool withIcon = !option.icon.isNull();
    const QSize icon = withIcon ? option.iconSize : QSize(0, 0);
    const QSize contents(text.width() + icon.width() + (withIcon ? 4 : 0)
                             + style()->pixelMetric(QStyle::PM_TabBarTabHSpace, &option, this),
                         std::max(fontMetrics().height(), icon.height())
                             + style()->pixelMetric(QStyle::PM_TabBarTabVSpace, &option, this));
    return style()->sizeFromContents(QStyle::CT_TabBarTab, &option, contents, this);
}

void VerticalTabBar::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionTab option;
    for (int index = 0; index < count(); ++index) {
        initStyleOption(&option, index);
        painter.drawControl(QStyle::CE_TabBarTabShape, option);
        painter.drawControl(QStyle::CE_TabBarTabLabel, levelOption(index));
    }
}
