#pragma once

#include <QComboBox>

// The program's choice list: a combo box whose open list is at least as wide as its longest
// choice, whatever width the box itself was given. Qt widens the list only as far as the box
// would need to show that choice, while the style draws the list's items as menu entries, which
// also need room for a check column and margins; a narrow box would show "Большая п…оугольная".
class ChoiceBox : public QComboBox
{
    Q_OBJECT
public:
    explicit ChoiceBox(QWidget* parent = nullptr);

    void showPopup() override;

private:
    void widenPopup();
    // The width an item of the list needs to show its choice whole: as a menu entry laid out by
    // the style, or as the list's own item, whichever is wider.
    int widestItem() const;
};
