#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

// A progress bar with a word-wrapped text laid over it, for texts longer than a bar shows.
class MultilineProgressBar : public QWidget
{
    Q_OBJECT
public:
    explicit MultilineProgressBar(QWidget* parent = nullptr);

    void setMin(int value);
    void setMax(int value);
    void setValue(int value);
    void setOrientation(Qt::Orientation orientation);
    void setText(const QString& text);
    void setTextAlignment(Qt::Alignment alignment);
    void setTextVisible(bool visible);
    void setBarColor(const QColor& color);
    void setTextColor(const QColor& color);

private:
    QProgressBar* bar;
    QLabel* label;
};
