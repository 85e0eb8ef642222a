#pragma once

class QColor;
class QWidget;

// The toolkit's widget factories. For now it carries only the background change that the theme
// engine's styled backgrounds need.
class UIHelper
{
public:
    // A solid background of the colour in every colour group, filled by the widget itself.
    static void ChangeBackground(QWidget* widget, const QColor& colour);
};
