#pragma once

#include <QTabWidget>

// A tab widget with its tabs down the left side and their labels reading horizontally.
class VerticalTabWidget : public QTabWidget
{
    Q_OBJECT
public:
    explicit VerticalTabWidget(QWidget* parent = nullptr);
};
