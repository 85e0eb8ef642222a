#pragma once

#include <QPointer>
#include <QSize>
#include <QWidget>

class QGridLayout;
class ZRectangle;

// Keeps its inner widget at a fixed aspect ratio (width over height), as large as the widget
// allows. Given a reference size, it also reports the scale of the fitted width to the
// reference width. A ratio of 0 means none: the inner widget is left as it is. A ratio that is
// not a positive number counts as none, and a reference size is taken only when both sides are
// positive.
class AspectRatioWidget : public QWidget
{
    Q_OBJECT
public:
    explicit AspectRatioWidget(QWidget* parent = nullptr);
    AspectRatioWidget(double ratio, QWidget* parent = nullptr);
    AspectRatioWidget(double width, double height, QWidget* parent = nullptr);

    void setAspectRatio(double ratio);
    void setAspectRatio(double width, double height);
    void setAspectRatio(const QSize& size);
    // The widget held before is deleted.
    void setInnerWidget(QWidget* widget);
    void setInnerAlignment(Qt::Alignment alignment);
    void setInnerBackground(const QColor& color);
    void setCommonBackground(const QColor& color);

    double getAspectRatio() const;
    double getCurrentScale() const;
    QSize getOriginalSize() const;

signals:
    void resized(int width, int height);
    void changedScale(double scale);
    void changedAspectRatio(double ratio);
    void changedOriginalSize(double width, double height);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void refit();

    double aspectRatio = 0.0;
    double currentScale = 1.0;
    bool originalSizeKnown = false;
    QSize originalSize;
    QPointer<QWidget> innerWidget;
    QGridLayout* innerLayout;
    QGridLayout* centringLayout;
    ZRectangle* innerRectangle;
};
