#include "EnumPropertyView.h"

#include "AbstractMetaDescription.h"
#include "ChoiceBox.h"
#include "MetaDescription.h"
#include "StyleHelper.h"

#include <QCoreApplication>
#include <QHBoxLayout>

EnumPropertyView::EnumPropertyView(AbstractMetaDescription* description, QWidget* parent)
    : BasePropertyView(description, parent)
{
    if (!description)
        return;
    comboBox = new ChoiceBox(this);
    editor = comboBox;
    addItems();
    connections << connect(comboBox, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            this->description->setValue(comboBox->itemData(index).toInt());
    });
    editingLayout->insertWidget(0, comboBox);
    if (const auto declared = declaredDefault())
        describeDefaultAs(comboBox->itemText(comboBox->findData(*declared)));
    metaValueChanged(description->getValue());
}

void EnumPropertyView::addItems()
{
    const QMetaEnum enumeration = description->enumerator();
    auto* meta = qobject_cast<MetaDescription*>(description);
    bool ok = false;
    const int iconSize = meta ? meta->getClassInfo(QStringLiteral("IconSize")).toInt(&ok) : 0;
    if (ok)
        comboBox->setIconSize(QSize(iconSize, iconSize));
    for (int i = 0; i < enumeration.keyCount(); ++i) {
        const QString icon =
            meta ? meta->getClassInfo(QStringLiteral("Icon") + QLatin1String(enumeration.key(i))) : QString();
        comboBox->addItem(QCoreApplication::translate(enumeration.name(), enumeration.key(i)), enumeration.value(i));
        iconPaths << icon;
    }
    StyleHelper::Link(comboBox, [this] { showIcons(); });
}

// Drawn in the colour of the theme in force, and again on every change of theme.
void EnumPropertyView::showIcons()
{
    for (int i = 0; i < iconPaths.size(); ++i) {
        if (!iconPaths.at(i).isEmpty())
            comboBox->setItemIcon(
                i, StyleHelper::ColoredIcon(iconPaths.at(i), QStringLiteral("#FFF"), QStringLiteral("#303030")));
    }
}

void EnumPropertyView::metaValueChanged(const QVariant& value)
{
    if (comboBox) {
        const int index = comboBox->findData(value.toInt());
        if (index != comboBox->currentIndex()) {
            const QSignalBlocker blocker(comboBox);
            comboBox->setCurrentIndex(index);
        }
    }
    setDefaultButtonChecked(declaredDefault() == value.toInt());
}

std::optional<int> EnumPropertyView::declaredDefault() const
{
    bool ok = false;
    const int value = description->enumerator().keyToValue(description->defaultText.toLatin1().constData(), &ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}
