#pragma once

#include "BasePropertyView.h"

#include <QPointer>
#include <QStringList>

#include <optional>

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
    // The value of the declared default key; none when the key is not one of the enumeration's.
    std::optional<int> declaredDefault() const;

    QPointer<QComboBox> comboBox;
    QStringList iconPaths;
};
