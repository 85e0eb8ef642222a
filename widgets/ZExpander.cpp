#include "ZExpander.h"

#include "AppHelper.h"
#include "CursorHelper.h"
#include "StyleHelper.h"
#include "UIHelper.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
const QString HeaderButtonStyle = QStringLiteral("background: transparent; border: 0; padding: 1px;");
const int ContentStretch = 100;

QIcon chevron(bool down)
{
    static const QString downPath = AppHelper::findInResources(QStringLiteral("chevron-down.svg"));
    static const QString rightPath = AppHelper::findInResources(QStringLiteral("chevron-right.svg"));
    return StyleHelper::ColoredIcon(down ? downPath : rightPath, QStringLiteral("#FFF"), QStringLiteral("#303030"));
}
} // namespace

ZExpander::ZExpander(const QString& header, const QColor& background, const QColor& headerColor, QWidget* parent)
    : ZRectangle(background, parent)
    , contentHolder(new QWidget())
    , headerButton(new QPushButton(header))
    , mainLayout(new QVBoxLayout(this))
    , headerRectangle(new ZRectangle(headerColor))
{
    mainLayout->setSpacing(0);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    headerLayout = new QHBoxLayout(headerRectangle);
    headerLayout->setContentsMargins(0, 0, 0, 0);
    headerButton->setStyleSheet(HeaderButtonStyle);
    headerButton->setContentsMargins(0, 2, 0, 2);
    headerButton->setCheckable(true);
    CursorHelper::setCursor(headerButton, Qt::PointingHandCursor);
    connect(headerButton, &QPushButton::clicked, this, [this] { changeState(!isOpen); });

    contentHolder->setContentsMargins(0, 0, 0, 0);
    contentLayout = new QGridLayout(contentHolder);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    headerLayout->addWidget(headerButton, ContentStretch, Qt::AlignLeft);
    mainLayout->addWidget(headerRectangle, 0);
    mainLayout->addWidget(contentHolder, ContentStretch);

    setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding);
    changeState(true);
    // Recoloured with the theme too, or a chevron drawn for one theme vanishes in the other.
    StyleHelper::Link(
        headerButton, [this] { showChevron(); }, false);
}

bool ZExpander::isExpanded() const
{
    return isOpen;
}

void ZExpander::expand()
{
    changeState(true);
}

void ZExpander::collapse()
{
    changeState(false);
}

void ZExpander::changeState(bool expand)
{
    isOpen = expand;
    contentHolder->setVisible(expand);
    const QSignalBlocker blocker(headerButton);
    headerButton->setChecked(expand);
    if (expand)
        emit expanded();
    else
        emit collapsed();
    emit changedState(expand);
    showChevron();
}

void ZExpander::showChevron()
{
    headerButton->setIcon(chevron(headerButton->isChecked()));
}

void ZExpander::setHeader(const QString& text)
{
    headerButton->setText(text);
}

void ZExpander::setHeaderTextColor(const QColor& color)
{
    headerButton->setStyleSheet(HeaderButtonStyle + QStringLiteral(" color:") + color.name());
}

void ZExpander::setHeaderWidget(QWidget* widget)
{
    headerButton->setText(QString());
    UIHelper::InsertToWidget(headerButton, widget, 0);
}

void ZExpander::setExtraWidget(QWidget* widget)
{
    headerLayout->addWidget(widget);
}

void ZExpander::setHeaderBackgroundColor(const QColor& color)
{
    headerRectangle->setBackground(color);
}

void ZExpander::setHeaderStyle(const QColor& background, const QColor& border, float borderWidth)
{
    headerRectangle->setBackground(background);
    headerRectangle->setBorder(border, quint16(std::clamp(borderWidth, 0.0f, 65535.0f)));
}

void ZExpander::setHeaderContentMargins(int margin)
{
    setHeaderContentMargins(margin, margin, margin, margin);
}

void ZExpander::setHeaderContentMargins(int left, int top, int right, int bottom)
{
    headerLayout->setContentsMargins(left, top, right, bottom);
}

void ZExpander::setInnerContentMargins(int margin)
{
    setInnerContentMargins(margin, margin, margin, margin);
}

void ZExpander::setInnerContentMargins(int left, int top, int right, int bottom)
{
    contentLayout->setContentsMargins(left, top, right, bottom);
}

void ZExpander::setInnerWidget(QWidget* widget)
{
    contentLayout->addWidget(widget, 0, 0);
}
