#pragma once

#include "ConnectionHelper.h"

#include <QWidget>

class QGridLayout;

// The common frame of the main window's pages: a grid the page fills with its content, and the
// page's connections, dropped with it. Style sheets reach every page by its object name.
class BasePage : public QWidget
{
    Q_OBJECT

public:
    explicit BasePage(QWidget* parent = nullptr);
    ~BasePage() override;

protected:
    QGridLayout* pageLayout;
    ConnectionHelper connections;
};
