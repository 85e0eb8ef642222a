#include "GlobalConsoleStatusWidget.h"

#include "GlobalConsole.h"
#include "StyleHelper.h"

#include <QGridLayout>
#include <QLabel>
#include <QLocale>

GlobalConsoleStatusWidget::GlobalConsoleStatusWidget(ViewType type, QWidget* parent)
    : QWidget(parent)
    , grid(new QGridLayout(this))
    , viewType(type)
{
    grid->setAlignment(Qt::AlignTop);
    refill();
    GlobalConsole* console = GlobalConsole::Instance();
    if (viewType == Status) {
        connections << connect(console, &GlobalConsole::newStatusName, this, &GlobalConsoleStatusWidget::refill,
                               Qt::QueuedConnection);
        // A cleared status would otherwise keep showing its last text.
        connections << connect(console, &GlobalConsole::statusCleared, this, &GlobalConsoleStatusWidget::refill,
                               Qt::QueuedConnection);
        connections << connect(console, &GlobalConsole::updatedStatus, this,
                               qOverload<const QString&, const QString&>(&GlobalConsoleStatusWidget::update),
                               Qt::QueuedConnection);
    } else {
        connections << connect(console, &GlobalConsole::newAverageName, this, &GlobalConsoleStatusWidget::refill,
                               Qt::QueuedConnection);
        connections << connect(console, &GlobalConsole::updatedAverage, this,
                               qOverload<const QString&, double>(&GlobalConsoleStatusWidget::update),
                               Qt::QueuedConnection);
    }
}

void GlobalConsoleStatusWidget::refill()
{
    dropRows();
    const QList<QString> names =
        viewType == Status ? GlobalConsole::getStatusNames() : GlobalConsole::getAverageNames();
    const QString nameStyle =
        QStringLiteral("color: ") + StyleHelper::ThemeValue(QStringLiteral("--z-link-text"), QStringLiteral("#159"));
    for (int row = 0; row < names.size(); ++row)
        addRow(row, names[row], nameStyle);
    updateAll();
}

void GlobalConsoleStatusWidget::dropRows()
{
    for (QWidget* widget : std::as_const(createdWidgets)) {
        widget->hide();
        grid->removeWidget(widget);
        widget->deleteLater();
    }
    createdWidgets.clear();
    valueLabels.clear();
}

void GlobalConsoleStatusWidget::addRow(int row, const QString& name, const QString& nameStyle)
{
    auto* nameLabel = new QLabel(name, this);
    nameLabel->setTextFormat(Qt::PlainText);
    nameLabel->setStyleSheet(nameStyle);
    auto* valueLabel = new QLabel(this);
    valueLabel->setTextFormat(Qt::PlainText);
    grid->addWidget(nameLabel, row, 0);
    grid->addWidget(valueLabel, row, 1, Qt::AlignRight);
    valueLabels.insert(name, valueLabel);
    createdWidgets << nameLabel << valueLabel;
}

void GlobalConsoleStatusWidget::update(const QString& name, const QString& text)
{
    if (QLabel* label = valueLabels.value(name))
        label->setText(text);
}

void GlobalConsoleStatusWidget::update(const QString& name, double value)
{
    update(name, formatted(value));
}

void GlobalConsoleStatusWidget::updateAll()
{
    for (auto label = valueLabels.cbegin(); label != valueLabels.cend(); ++label) {
        if (viewType == Status)
            update(label.key(), GlobalConsole::getStatus(label.key()));
        else
            update(label.key(), GlobalConsole::getAverage(label.key()));
    }
}

void GlobalConsoleStatusWidget::setPrecision(quint8 decimals)
{
    precision = decimals;
}

// Shown to people, so in their own number format.
QString GlobalConsoleStatusWidget::formatted(double value) const
{
    return QLocale().toString(value, 'f', precision);
}
