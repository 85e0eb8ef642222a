#pragma once

#include <QWidget>

// A widget that turns mouse presses into click signals and shows a highlight, for the items of
// a list. A listener of `closing` may refuse the close.
class ClickableWidget : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool IsHighlighted READ getIsHighlighted WRITE setIsHighlighted NOTIFY changedIsHighlighted)
public:
    explicit ClickableWidget(QWidget* parent = nullptr);

    void setIsHighlighted(bool highlighted);
    bool getIsHighlighted() const;

public slots:
    void highlight();
    void unhighlight();

signals:
    void changedIsHighlighted(bool highlighted);
    void clicked(int clickCount);
    void clickedWithPos(int clickCount, QPoint position);
    void doubleClicked();
    void released();
    void rightClicked();
    void closing(bool& cancel);
    void closed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool highlighted = false;
};
