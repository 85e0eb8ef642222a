#pragma once

#include <QObject>

// The process-wide style and theme engine. For now it carries only the colour-theme choice,
// which the application settings hold as a property.
class StyleHelper : public QObject
{
    Q_OBJECT
public:
    enum ColorThemeEnum { System = 0, Light = 1, Dark = 2 };
    Q_ENUM(ColorThemeEnum)
};
