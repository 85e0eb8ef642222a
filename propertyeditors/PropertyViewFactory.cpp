#include "PropertyViewFactory.h"

#include "AbstractMetaDescription.h"
#include "BoolPropertyView.h"
#include "ColorPropertyView.h"
#include "DatePropertyView.h"
#include "DoublePropertyView.h"
#include "DualDoubleSpinBox.h"
#include "EnumPropertyView.h"
#include "EnumStringListPropertyView.h"
#include "IntPropertyView.h"
#include "MultilinePropertyView.h"
#include "SliderPropertyView.h"
#include "SpecialPropertyView.h"
#include "StringListPropertyView.h"
#include "StringPropertyView.h"

namespace {
bool specialTypeContains(const AbstractMetaDescription* description, const char* word)
{
    return description->hasSpecialType && description->specialType.contains(QLatin1String(word), Qt::CaseInsensitive);
}

bool specialTypeIs(const AbstractMetaDescription* description, const char* word)
{
    return description->specialType.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

// Integer types by name: "int", "uint", and the 64-bit "qlonglong" and "qulonglong".
bool isIntegerType(const QString& typeName)
{
    return typeName.contains(QStringLiteral("int")) || typeName.contains(QStringLiteral("longlong"));
}

BasePropertyView* bySpecialType(AbstractMetaDescription* description, QWidget* parent, int& span)
{
    if (specialTypeContains(description, "PickFile") || specialTypeContains(description, "PickFolder")) {
        span = 2;
        return new SpecialPropertyView(description, parent);
    }
    if (specialTypeContains(description, "Multiline")) {
        span = 2;
        return new MultilinePropertyView(description, parent);
    }
    if (specialTypeIs(description, "Slider"))
        return new SliderPropertyView(description, parent);
    if (specialTypeIs(description, "EnumStringList")
        || (specialTypeIs(description, "StringList")
            && description->typeName.compare(QStringLiteral("QString"), Qt::CaseInsensitive) == 0))
        return new EnumStringListPropertyView(description, parent);
    if (specialTypeIs(description, "Range"))
        return new DualDoubleSpinBox(description, DualDoubleSpinBox::DualMode_Range, parent);
    return nullptr;
}

BasePropertyView* byType(AbstractMetaDescription* description, QWidget* parent, int& span)
{
    const QString& type = description->typeName;
    if (description->isEnumType())
        return new EnumPropertyView(description, parent);
    if (type.contains(QStringLiteral("QPointF")))
        return new DualDoubleSpinBox(description, DualDoubleSpinBox::DualMode_PointF, parent);
    if (type.contains(QStringLiteral("QPoint")))
        return new DualDoubleSpinBox(description, DualDoubleSpinBox::DualMode_Point, parent);
    if (type.contains(QStringLiteral("bool")))
        return new BoolPropertyView(description, parent);
    if (isIntegerType(type))
        return new IntPropertyView(description, parent);
    if (type.contains(QStringLiteral("QDate")))
        return new DatePropertyView(description, parent);
    if (type.contains(QStringLiteral("double")) || type.contains(QStringLiteral("float")))
        return new DoublePropertyView(description, parent);
    if (type.contains(QStringLiteral("QColor")))
        return new ColorPropertyView(description, parent);
    if (type.contains(QStringLiteral("QStringList")))
        return new StringListPropertyView(description, parent);
    span = 2;
    return new StringPropertyView(description, parent);
}
} // namespace

BasePropertyView* PropertyViewFactory::create(AbstractMetaDescription* description, QWidget* parent, int& span)
{
    span = 1;
    if (!description)
        return nullptr;
    if (BasePropertyView* view = bySpecialType(description, parent, span))
        return view;
    return byType(description, parent, span);
}
