#include "AbstractMetaDescription.h"

AbstractMetaDescription::AbstractMetaDescription(QObject* parent)
    : QObject(parent)
{
}
