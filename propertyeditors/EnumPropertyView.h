#pragma once

#include "BasePropertyView.h"

#include <QPointer>
#include <QStringList>

class QComboBox;

// A choice among the keys of the property's enumeration, each shown translated in the context
// named after the enumeration, with the item icons the property declares ("Icon" + key).
class EnumPropertyView : public BasePropertyView
{
    Q_OBJECT
public:
    explicit EnumPropertyView(AbstractMetaDescription* description, QWidget* parent = nullptr);

public slots:
    void metaValueChanged(const QVariant& value) override;

private:
    void addItems();
    void showIcons();

    QPointer<QComboBox> comboBox;
    QStringList iconPaths;
};
