#include "MultiStateImageWidget.h"

#include "MediaHelper.h"
#include "UIHelper.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

MultiStateImageWidget::MultiStateImageWidget(int width, int height, QWidget* parent)
    : QWidget(parent)
    , layout(new QGridLayout(this))
{
    UIHelper::SetGridMargins(layout, 0, 0, 0);
    setContentsMargins(0, 0, 0, 0);
    setFixedSize(width, height);
}

void MultiStateImageWidget::addState(const QString& state, const QString& path)
{
    states.insert(state, path);
}

void MultiStateImageWidget::setState(const QString& state)
{
    if (!states.contains(state) || state == currentState)
        return;
    UIHelper::ClearLayout(layout, false);
    currentState = state;
    layout->addWidget(pictureOf(states.value(state)), 0, 0);
    emit stateChanged(state);
}

QString MultiStateImageWidget::getCurrentState() const
{
    return currentState;
}

QWidget* MultiStateImageWidget::pictureOf(const QString& path) const
{
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        auto* button = new QPushButton();
        button->setFlat(true);
        button->setContentsMargins(0, 0, 0, 0);
        button->setIcon(MediaHelper::icon(path));
        button->setIconSize(size());
        return button;
    }
    auto* label = new QLabel();
    label->setPixmap(QPixmap(path).scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    return label;
}
