#pragma once

#include "MenuButton.h"

#include <QList>
#include <QStringList>

// A menu button with left-aligned text, meant to act as a choice box. It holds the choices'
// texts and their entry buttons, in the same order; both are empty at construction.
class ComboMenu : public MenuButton
{
    Q_OBJECT

public:
    explicit ComboMenu(QWidget* parent = nullptr);

    const QStringList& choiceTexts() const { return texts; }
    const QList<QPushButton*>& choiceButtons() const { return buttons; }

signals:
    void currentIndexChanged(int index);

private:
    QStringList texts;
    QList<QPushButton*> buttons;
};
