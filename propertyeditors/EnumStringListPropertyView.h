#pragma once

#include "BasePropertyView.h"

#include <QPointer>
#include <QStringList>

class QComboBox;

// A choice from the list of choices the settings' owner gave the description, each shown
// translated in "Generic". A text property stores the chosen choice as written in the list,
// untranslated, so the stored value does not depend on the language shown; any other property
// stores the chosen position.
class EnumStringListPropertyView : public BasePropertyView
{
    Q_OBJECT
public:
    explicit EnumStringListPropertyView(AbstractMetaDescription* description, QWidget* parent = nullptr);

public slots:
    void metaValueChanged(const QVariant& value) override;

private:
    void store(int index);
    int positionOf(const QVariant& value) const;

    QPointer<QComboBox> comboBox;
    QStringList choices;
    bool indexMode = true;
};
