#pragma once

#include <QPushButton>

// A push button that announces a double click with the left button as one action of its own.
class DoubleClickButton : public QPushButton
{
    Q_OBJECT
public:
    DoubleClickButton(const QIcon& icon, const QString& text, QWidget* parent = nullptr);
    explicit DoubleClickButton(const QString& text, QWidget* parent = nullptr);
    explicit DoubleClickButton(QWidget* parent = nullptr);

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};
