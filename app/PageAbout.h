#pragma once

#include "BasePage.h"

// The about page: the program's version and system, the maker's contacts and the developers.
class PageAbout : public BasePage
{
    Q_OBJECT

public:
    explicit PageAbout(QWidget* parent = nullptr);
};
