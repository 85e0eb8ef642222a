#include "ComboMenu.h"

ComboMenu::ComboMenu(QWidget* parent)
    : MenuButton(QIcon(), QString(), parent)
{
    setStyleSheet(QStringLiteral("text-align: left"));
}
