#include "PageSettings.h"

#include "AppHelper.h"
#include "BasePropertyView.h"
#include "KestrumModel.h"
#include "KestrumSettings.h"
#include "PropertyListControl.h"
#include "StyleHelper.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>

namespace {
constexpr int listPadding = 10;
constexpr int folderEditorMinimumWidth = 250;
} // namespace

PageSettings::PageSettings(QWidget* parent)
    : BasePage(parent)
    , list(new PropertyListControl(KestrumModel::instance()->settings(), QString(), PropertyListControl::ViewAll))
{
    list->setPadding(listPadding);
    addFolderButton();
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);
    pageLayout->addWidget(list, 0, 0);
}

void PageSettings::addFolderButton()
{
    const auto row = list->getWidgetInfo(QStringLiteral("BaseFolder"));
    if (!row.view || !row.view->getEditingLayout())
        return;
    openFolderButton = new QPushButton();
    openFolderButton->setFlat(true);
    openFolderButton->setToolTip(QCoreApplication::translate("Generic", "Show in explorer"));
    openFolderButton->setCursor(Qt::PointingHandCursor);
    StyleHelper::SetButtonIcon(openFolderButton, QStringLiteral(":/icons/folder-open.svg"), QStringLiteral("#FFF"));
    connect(openFolderButton, &QPushButton::clicked, this,
            [] { AppHelper::openExplorer(KestrumModel::instance()->settings()->getBaseFolder()); });
    if (QWidget* editor = row.view->getEditor())
        editor->setMinimumWidth(folderEditorMinimumWidth);
    row.view->getEditingLayout()->addWidget(openFolderButton);
}
