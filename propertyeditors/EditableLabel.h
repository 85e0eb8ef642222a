#pragma once

#include <QLineEdit>

// A line edit as wide as its text, up to a maximum width (none below 1), that takes the focus
// only when clicked: in a list of settings it reads like a label until edited.
class EditableLabel : public QLineEdit
{
    Q_OBJECT
public:
    explicit EditableLabel(QWidget* parent = nullptr);

    void setMaxWidth(int width);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    // As wide as the text, and no wider, within the minimum and maximum widths.
    void resizeByContents();

private:
    int maxWidth = -100;
};
