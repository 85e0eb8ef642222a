#pragma once

#include <QSlider>

// A horizontal slider that jumps to the position clicked with the left button, and that the
// mouse wheel never moves: the wheel is consumed, or passed on to the parent once disabled, so
// that a surrounding scroll area scrolls instead.
class DirectJumpSlider : public QSlider
{
    Q_OBJECT
public:
    explicit DirectJumpSlider(QWidget* parent = nullptr);

    void disableMouseWheel(bool disabled);

signals:
    void rightButtonPressed();
    void sliderJump(int pos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    int valueAt(double x) const;
    bool isOnHandle(const QPoint& position) const;

    bool wheelDisabled = false;
};
