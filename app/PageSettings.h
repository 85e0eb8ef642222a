#pragma once

#include "BasePage.h"

class PropertyListControl;
class QPushButton;

// The application settings, every property as a generated editor, with a button beside the
// data folder that opens it in the file browser.
class PageSettings : public BasePage
{
    Q_OBJECT

public:
    explicit PageSettings(QWidget* parent = nullptr);

    PropertyListControl* propertyList() const { return list; }
    // The button beside the data folder; null when the list shows no data folder.
    QPushButton* folderButton() const { return openFolderButton; }

private:
    void addFolderButton();

    PropertyListControl* list;
    QPushButton* openFolderButton = nullptr;
};
