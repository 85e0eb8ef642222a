#pragma once

#include <QLineEdit>

// A one-line editor that announces when it gains or loses the keyboard focus, so that a table
// holding it can commit an edit when the user leaves the cell.
class LineEditAdapter : public QLineEdit
{
    Q_OBJECT
public:
    explicit LineEditAdapter(QWidget* parent = nullptr);

signals:
    void focusGained();
    void focusLost();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};
