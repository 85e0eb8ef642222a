#include "NewVersionButton.h"

#include "NewVersionChecker.h"

#include <QGridLayout>
#include <QPushButton>

const QString NewVersionButton::DefaultStyleSheet =
    QStringLiteral("QPushButton { color: #000; background: #0BE; text-decoration: none; border-radius: 4px; "
                   "padding: 4px 8px; } QPushButton:hover { background: #0AD}");

NewVersionButton::NewVersionButton(const QString& preliminaryText, const QString& styleSheet, QWidget* parent)
    : QWidget(parent)
    , checker(new NewVersionChecker(preliminaryText, this))
    , pushButton(new QPushButton(QString(), this))
{
    if (!styleSheet.isEmpty())
        buttonStyle = styleSheet;
    connect(pushButton, &QPushButton::clicked, checker, &NewVersionChecker::action);
    pushButton->setStyleSheet(buttonStyle);
    pushButton->setCursor(Qt::PointingHandCursor);
    pushButton->setContentsMargins(0, 0, 0, 0);
    pushButton->hide();
    setContentsMargins(0, 0, 0, 0);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(pushButton);

    connections << connect(checker, &NewVersionChecker::onSetText, pushButton, &QPushButton::setText);
    connections << connect(checker, &NewVersionChecker::onSetTooltip, pushButton, &QWidget::setToolTip);
    connections << connect(checker, &NewVersionChecker::onSetVisible, this, &NewVersionButton::showOffer);
    checker->start();
}

void NewVersionButton::showOffer(bool visible)
{
    pushButton->setVisible(visible);
    newVersionKnown = visible;
    emit onHasNewVersionChanged(visible);
}

void NewVersionButton::setButtonStyle(const QString& styleSheet)
{
    buttonStyle = styleSheet;
    pushButton->setStyleSheet(buttonStyle);
}

void NewVersionButton::setPreliminaryText(const QString& text)
{
    checker->setPreliminaryText(text);
}
