#pragma once

#include <QColor>
#include <QWidget>

// A painted position slider over a 64-bit range: a groove, the part up to the position filled,
// and a five-sided marker at the position. Pressing or dragging with the left button moves the
// position; every press, drag step and release announces the position clicked.
class ZSlider : public QWidget
{
    Q_OBJECT
public:
    explicit ZSlider(QWidget* parent = nullptr);

    // A maximum below the minimum is taken as the minimum; the position is kept within.
    void setRange(qint64 min, qint64 max);
    // Clamped to the range; announces nothing, as the user did not move it.
    void setPosition(qint64 value);
    qint64 getMinimum() const;
    qint64 getMaximum() const;
    qint64 getPosition() const;

signals:
    void positionChanged(qint64 position);
    void positionClicked(qint64 position);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void positionFromMouse(const QMouseEvent* event);
    // Width the position maps onto, at least 1.
    int usableWidth() const;
    // maximum - minimum, which may exceed a signed 64-bit number.
    quint64 span() const;
    // whole * part / length, exact for every 64-bit whole; length above 0.
    static quint64 scaled(quint64 part, quint64 length, quint64 whole);

    qint64 minimum = 0;
    qint64 maximum = 100;
    qint64 position = 0;
    QColor grooveColor = QColor(0xCC, 0xCC, 0xCC);
    QColor fillColor = QColor(0x11, 0x55, 0x99);
    QColor markerColor = QColor(0x33, 0x33, 0x33);
    int markerWidth = 10;
    int leftMargin = 5;
};
