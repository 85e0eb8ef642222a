#pragma once

#include <QBrush>
#include <QColor>
#include <QFrame>
#include <QPainterPath>
#include <QPen>

class QGridLayout;

// A painted rectangle, each corner with its own radius, that holds one widget. The border width
// is kept, yet the border is drawn one pixel wide in its colour.
class ZRectangle : public QFrame
{
    Q_OBJECT
public:
    explicit ZRectangle(const QColor& background, QWidget* parent = nullptr);
    ZRectangle(const QColor& background, const QColor& borderColor, quint16 borderWidth, QWidget* parent = nullptr);
    // A positive width or height fixes that dimension.
    ZRectangle(const QColor& background, int width, int height, QWidget* parent = nullptr);

    void setBackground(const QColor& color);
    void setBorderColor(const QColor& color);
    void setBorder(const QColor& color, quint16 width);
    // Negative radii count as 0.
    void setBorderRadius(int radius);
    void setBorderRadius(int topLeft, int topRight, int bottomRight, int bottomLeft);
    // Replaces the held widget (deleting the old one); a null widget leaves the rectangle empty.
    void addWidget(QWidget* widget);
    // Null before the first addWidget.
    QGridLayout* innerLayout() const;

    QColor background() const;
    QColor borderColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QPainterPath& cornerPath(const QSize& size);

    QColor backgroundColor;
    QColor border;
    quint16 borderWidth = 0;
    QGridLayout* layout = nullptr;
    QPen pen = Qt::NoPen;
    QBrush brush = Qt::NoBrush;
    int topLeft = 0;
    int topRight = 0;
    int bottomLeft = 0;
    int bottomRight = 0;
    bool rounded = false;
    bool uniform = true;
    QPainterPath path;
    QSize pathSize;
};
