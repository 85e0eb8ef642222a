#include "ZAccordeonWidget.h"

#include "StyleHelper.h"
#include "UIHelper.h"
#include "ZExpander.h"
#include "ZStackPanel.h"

#include <QSignalBlocker>

#include <algorithm>

namespace {

// Closed by the rule, not by the user: listeners hear nothing of it.
void collapseQuietly(ZExpander* section)
{
    const QSignalBlocker blocker(section);
    section->collapse();
}

} // namespace

ZAccordeonWidget::ZAccordeonWidget(QWidget* parent)
    : QWidget(parent)
    , panel(new ZStackPanel(Qt::Vertical))
{
    qRegisterMetaType<ZAccordeonWidget::AccordeonTabMode>("ZAccordeonWidget::AccordeonTabMode");
    UIHelper::InsertToWidget(this, panel, 0);
    setContentsMargins(0, 0, 0, 0);
}

void ZAccordeonWidget::setHeaderStyle(const QColor& background, const QColor& border, float borderWidth)
{
    for (ZExpander* section : std::as_const(sections))
        section->setHeaderStyle(background, border, borderWidth);
}

void ZAccordeonWidget::addTab(QWidget* widget, const QString& title)
{
    auto* section = new ZExpander(title, Qt::white, QColor(0xCC, 0xCC, 0xCC));
    // White in the light theme; in the dark one its background, under its light text.
    StyleHelper::Link(
        section, [section] { section->setBackground(StyleHelper::ThemeColor(QStringLiteral("--z-bg"), Qt::white)); });
    section->setInnerWidget(widget);
    connect(section, &ZExpander::changedState, this,
            [this, section](bool expanded) { onSectionChanged(section, expanded); });
    sections.append(section);
    panel->add(section);
    enforceMode();
}

void ZAccordeonWidget::openTab(int index)
{
    if (index >= 0 && index < sections.size())
        sections[index]->expand();
}

void ZAccordeonWidget::closeTab(int index)
{
    if (index >= 0 && index < sections.size())
        sections[index]->collapse();
}

void ZAccordeonWidget::setTabMode(ZAccordeonWidget::AccordeonTabMode mode)
{
    if (mode == tabMode)
        return;
    tabMode = mode;
    enforceMode();
}

void ZAccordeonWidget::onSectionChanged(ZExpander* section, bool expanded)
{
    if (expanded) {
        if (tabMode != AnyOne)
            closeOthers(section);
        return;
    }
    if (tabMode != AlwaysOne)
        return;
    const int open = expandedCount();
    if (open == 0)
        section->expand();
    else if (open >= 2)
        enforceMode();
}

void ZAccordeonWidget::enforceMode()
{
    if (tabMode == AnyOne)
        return;
    const auto firstOpen = std::find_if(sections.cbegin(), sections.cend(),
                                        [](const ZExpander* section) { return section->isExpanded(); });
    if (firstOpen != sections.cend())
        closeOthers(*firstOpen);
    else if (tabMode == AlwaysOne && !sections.isEmpty())
        sections.first()->expand();
}

void ZAccordeonWidget::closeOthers(const ZExpander* kept)
{
    for (ZExpander* section : std::as_const(sections)) {
        if (section != kept && section->isExpanded())
            collapseQuietly(section);
    }
}

int ZAccordeonWidget::expandedCount() const
{
    return int(std::count_if(sections.cbegin(), sections.cend(),
                             [](const ZExpander* section) { return section->isExpanded(); }));
}
