#include "BasePropertyView.h"

#include "AbstractMetaDescription.h"

#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLocale>
#include <QPushButton>

#include <algorithm>
#include <climits>
#include <cmath>

BasePropertyView::BasePropertyView(AbstractMetaDescription* description, QWidget* parent)
    : QWidget(parent)
    , description(description)
    , editingLayout(new QHBoxLayout(this))
{
    editingLayout->setContentsMargins(0, 0, 0, 0);
    editingLayout->setSpacing(2);
    if (!description)
        return;
    connections << connect(description, &AbstractMetaDescription::valueChanged, this,
                           &BasePropertyView::metaValueChanged, Qt::QueuedConnection);
    if (description->hasDefault && description->showDefault && !description->readOnly)
        createDefaultButton();
    if (description->hasMinWidth)
        setMinimumWidth(description->minWidth);
}

void BasePropertyView::createDefaultButton()
{
    defaultButton = new QPushButton(this);
    defaultButton->setObjectName(QStringLiteral("propertyDefaultButton"));
    // A small mark; the theme draws it by its object name.
    defaultButton->setFixedSize(10, 10);
    defaultButton->setCheckable(true);
    defaultButton->setFocusPolicy(Qt::ClickFocus);
    describeDefaultAs(translatedSuffixOrPrefix(description->prefix) + description->defaultText
                      + translatedSuffixOrPrefix(description->suffix));
    editingLayout->addWidget(defaultButton, 100, Qt::AlignLeft);
    connections << connect(defaultButton, &QPushButton::clicked, description, &AbstractMetaDescription::setDefault);
}

void BasePropertyView::describeDefaultAs(const QString& shown)
{
    if (defaultButton)
        defaultButton->setToolTip(tr("Set default to") + QStringLiteral(" '") + shown + QLatin1Char('\''));
}

void BasePropertyView::describeDefaultIn(const QDoubleSpinBox* spinBox)
{
    QLocale locale = spinBox->locale();
    if (!spinBox->isGroupSeparatorShown())
        locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    describeDefaultAs(spinBox->prefix() + locale.toString(description->defaultText.toDouble(), 'f', spinBox->decimals())
                      + spinBox->suffix());
}

QWidget* BasePropertyView::getEditor()
{
    return editor;
}

void BasePropertyView::nullifyEditor()
{
    delete editor;
}

void BasePropertyView::up()
{
}

void BasePropertyView::down()
{
}

void BasePropertyView::showDefaultButton(bool show)
{
    if (defaultButton)
        defaultButton->setVisible(show);
}

QHBoxLayout* BasePropertyView::getEditingLayout() const
{
    return editingLayout;
}

AbstractMetaDescription* BasePropertyView::getDescription() const
{
    return description;
}

void BasePropertyView::setDefaultButtonChecked(bool isDefault)
{
    if (defaultButton)
        defaultButton->setChecked(!isDefault);
}

QString BasePropertyView::translatedSuffixOrPrefix(const QString& text)
{
    if (text.isEmpty())
        return QString();
    if (text.startsWith(QStringLiteral("!-")))
        return text.mid(2);
    if (text.startsWith(u' '))
        return QLatin1Char(' ') + translatedGeneric(text.mid(1));
    return translatedGeneric(text);
}

QString BasePropertyView::translatedGeneric(const QString& text)
{
    return QCoreApplication::translate("Generic", text.toUtf8().constData());
}

int BasePropertyView::truncatedToInt(double value)
{
    if (std::isnan(value))
        return 0;
    return int(std::trunc(std::clamp(value, double(INT_MIN), double(INT_MAX))));
}

void BasePropertyView::applyDeclaredNumbers(QDoubleSpinBox* spinBox) const
{
    spinBox->setRange(description->hasMinimum ? description->minimum : double(INT_MIN),
                      description->hasMaximum ? description->maximum : double(INT_MAX));
    if (description->hasStep)
        spinBox->setSingleStep(description->step);
    if (const auto decimals = declaredPrecision())
        spinBox->setDecimals(*decimals);
}

std::optional<int> BasePropertyView::declaredPrecision() const
{
    bool ok = false;
    const int decimals = description->extraInfo.value(QStringLiteral("Precision")).toInt(&ok);
    return ok ? std::optional<int>(decimals) : std::nullopt;
}

void BasePropertyView::showInSpinBox(QDoubleSpinBox* spinBox, double value)
{
    // Rounded as the spin box rounds what it is given.
    const double shown =
        QString::number(std::clamp(value, spinBox->minimum(), spinBox->maximum()), 'f', spinBox->decimals()).toDouble();
    if (spinBox->value() == shown)
        return;
    const QSignalBlocker blocker(spinBox);
    spinBox->setValue(value);
}

bool BasePropertyView::equalsNumericDefault(const QVariant& value) const
{
    return std::abs(value.toDouble() - description->defaultText.toDouble()) <= 0.00001;
}

QHBoxLayout* BasePropertyView::createEditorRow()
{
    editor = new QWidget(this);
    auto* layout = new QHBoxLayout(editor);
    layout->setContentsMargins(0, 0, 0, 0);
    return layout;
}

void BasePropertyView::insertStretchingEditor(QWidget* widget)
{
    editingLayout->insertWidget(0, widget, 100);
    if (defaultButton)
        editingLayout->setStretchFactor(defaultButton, 0);
}

void BasePropertyView::commitText(const QString& text)
{
    if (!description || description->getValue().toString() == text)
        return;
    lastWrittenText = text;
    description->setValue(text);
}

std::optional<QString> BasePropertyView::textToShow(const QString& shown)
{
    const QString current = description->getValue().toString();
    setDefaultButtonChecked(current == description->defaultText);
    if (isOwnWrite(current) || shown == current)
        return std::nullopt;
    return current;
}

bool BasePropertyView::isOwnWrite(const QString& current)
{
    if (lastWrittenText == current)
        return true;
    lastWrittenText.reset();
    return false;
}
