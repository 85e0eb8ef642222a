#pragma once

#include <QJsonObject>
#include <QString>

class AbstractMetaDescription;

// What a generic or remote editor needs to know of one described property: a JSON object
// (value, default, bounds, unit texts and their translations, choices, visibility rules) and
// a compact bracketed text. Translations come from the context "Generic", enumeration keys
// from the context named after their enumeration.
class PropertyCapabilities
{
public:
    static QJsonObject json(AbstractMetaDescription* description);
    static QString bracketedText(AbstractMetaDescription* description);
};
