#include "ZScrollViewer.h"

#include "UIHelper.h"
#include "ZStackPanel.h"

#include <QGridLayout>
#include <QLabel>
#include <QScrollArea>

ZScrollViewer::ZScrollViewer(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent)
    , scrollArea(new QScrollArea(this))
    , stackPanel(new ZStackPanel(orientation))
    , grid(new QGridLayout(this))
{
    UIHelper::ChangeBackground(this, Qt::transparent);
    setContentsMargins(0, 0, 0, 0);
    grid->setContentsMargins(0, 0, 0, 0);
    scrollArea->setWidgetResizable(true);
    scrollArea->setWidget(stackPanel);
    grid->addWidget(scrollArea, 0, 0);
}

QScrollArea* ZScrollViewer::getScrollArea() const
{
    return scrollArea;
}

ZStackPanel* ZScrollViewer::getStackPanel() const
{
    return stackPanel;
}

void ZScrollViewer::add(QWidget* widget)
{
    stackPanel->add(widget);
    checkPlaceholder();
}

void ZScrollViewer::addWidget(QWidget* widget)
{
    add(widget);
}

void ZScrollViewer::remove(QWidget* widget)
{
    stackPanel->remove(widget);
    checkPlaceholder();
}

void ZScrollViewer::clear()
{
    stackPanel->clear();
    checkPlaceholder();
}

int ZScrollViewer::count() const
{
    return stackPanel->count();
}

QWidget* ZScrollViewer::itemAt(int index) const
{
    return stackPanel->at(index);
}

void ZScrollViewer::setItemAlignment(QWidget* widget, Qt::Alignment alignment)
{
    stackPanel->setItemAlignment(widget, alignment);
}

void ZScrollViewer::setItemAlignmentByIndex(int index, Qt::Alignment alignment)
{
    stackPanel->setItemAlignmentByIndex(index, alignment);
}

void ZScrollViewer::setItemPadding(int margin)
{
    stackPanel->setItemPadding(margin);
}

void ZScrollViewer::setItemPadding(int left, int top, int right, int bottom)
{
    stackPanel->setItemPadding(left, top, right, bottom);
}

void ZScrollViewer::setSpacing(int spacing)
{
    stackPanel->setSpacing(spacing);
}

void ZScrollViewer::setItemVisible(int index, bool visible)
{
    if (QWidget* item = stackPanel->at(index))
        item->setVisible(visible);
}

void ZScrollViewer::checkPlaceholder()
{
    if (placeholder)
        placeholder->setVisible(stackPanel->count() == 0);
}

void ZScrollViewer::setPlaceholderWidget(QWidget* widget, Qt::Alignment alignment)
{
    if (placeholder) {
        grid->removeWidget(placeholder);
        delete placeholder;
    }
    placeholder = widget;
    if (!placeholder)
        return;
    grid->addWidget(placeholder, 0, 0, alignment);
    checkPlaceholder();
}

QLabel* ZScrollViewer::setPlaceholderText(const QString& text, Qt::Alignment placement, Qt::Alignment textAlignment,
                                          const QString& objectName, int margin)
{
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    label->setObjectName(objectName);
    label->setContentsMargins(margin, margin, margin, margin);
    label->setAlignment(textAlignment);
    setPlaceholderWidget(label, placement);
    return label;
}

void ZScrollViewer::setBackgroundAndBorder(const QColor& background, quint8 borderWidth, const QColor& borderColor,
                                           bool blackContent)
{
    UIHelper::ChangeBackground(scrollArea, background);
    const QString colour = background == QColor(Qt::transparent) ? QStringLiteral("transparent") : background.name();
    const QString border = borderWidth > 0
                               ? QString::number(borderWidth) + QStringLiteral("px solid ") + borderColor.name()
                               : QStringLiteral("0");
    QString sheet = QStringLiteral("QScrollArea { background: %1; border: %2; } "
                                   "QScrollArea > QWidget > QWidget { background: %1; } ")
                        .arg(colour, border);
    if (blackContent)
        sheet += QStringLiteral("QScrollArea > QWidget > QWidget { background: #000}");
    scrollArea->setStyleSheet(sheet);
}

void ZScrollViewer::setBackground(const QColor& background, bool blackContent)
{
    setBackgroundAndBorder(background, 0, Qt::black, blackContent);
}

void ZScrollViewer::setTransparentBackground(bool blackContent)
{
    setBackgroundAndBorder(Qt::transparent, 0, Qt::black, blackContent);
}
