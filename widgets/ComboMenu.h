#pragma once

#include "MenuButton.h"

// A menu button with left-aligned text, meant to act as a choice box.
class ComboMenu : public MenuButton
{
    Q_OBJECT

public:
    explicit ComboMenu(QWidget* parent = nullptr);

signals:
    void currentIndexChanged(int index);
};
