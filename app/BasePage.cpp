#include "BasePage.h"

#include <QGridLayout>

BasePage::BasePage(QWidget* parent)
    : QWidget(parent)
    , pageLayout(new QGridLayout(this))
{
    setObjectName(QStringLiteral("basePage"));
    setContentsMargins(8, 8, 8, 8);
    pageLayout->setContentsMargins(0, 0, 0, 0);
}

BasePage::~BasePage()
{
    connections.clear();
}
