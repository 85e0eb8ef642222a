#include "SpecialPropertyView.h"

#include "AbstractMetaDescription.h"
#include "AppHelper.h"
#include "CursorHelper.h"
#include "FileExtensions.h"
#include "StyleHelper.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace {
const QString& folderIcon()
{
    static const QString path = AppHelper::findInResources(QStringLiteral("folder.svg"));
    return path;
}
} // namespace

SpecialPropertyView::SpecialPropertyView(AbstractMetaDescription* description, QWidget* parent)
    : BasePropertyView(description, parent)
{
    if (!description)
        return;
    pickerButton = new QPushButton(this);
    pickerButton->setObjectName(QStringLiteral("propertyPickerButton"));
    CursorHelper::setCursor(pickerButton, Qt::PointingHandCursor);
    StyleHelper::SetButtonIcon(pickerButton, folderIcon(), QStringLiteral("#FFF"));
    pickerButton->setMaximumSize(30, 30);
    pathEdit = new QLineEdit(this);
    editor = pathEdit;
    auto* layout = new QHBoxLayout();
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pickerButton);
    layout->addWidget(pathEdit);
    editingLayout->insertLayout(0, layout);
    connections << connect(pathEdit, &QLineEdit::editingFinished, this, [this] { commitText(pathEdit->text()); });
    connections << connect(pickerButton, &QPushButton::clicked, this, &SpecialPropertyView::pick);
    metaValueChanged(description->getValue());
}

void SpecialPropertyView::metaValueChanged(const QVariant&)
{
    if (const auto text = textToShow(pathEdit ? pathEdit->text() : QString()); text && pathEdit)
        pathEdit->setText(*text);
}

void SpecialPropertyView::pick()
{
    const QString picked = description->pickOption.compare(QStringLiteral("PickFolder"), Qt::CaseInsensitive) == 0
                               ? pickFolder()
                               : pickFile();
    if (picked.isEmpty())
        return;
    if (pathEdit)
        pathEdit->setText(picked);
    commitText(picked);
}

QString SpecialPropertyView::pickFolder()
{
    const QFileInfo current(description->getValue().toString());
    const QString start = current.isDir() ? current.absoluteFilePath() : QString();
    return AppHelper::getExistingDirectory(this, tr("Open"), start);
}

QString SpecialPropertyView::pickFile()
{
    const QFileInfo current(description->getValue().toString());
    const QString start = current.isFile() ? current.absolutePath() : QString();
    return AppHelper::getOpenFileName(this, tr("Open"), start, fileFilter());
}

QString SpecialPropertyView::fileFilter() const
{
    const QString argument = description->pickExtensions;
    if (argument == u"Image")
        return AppHelper::getFileFilterString(QCoreApplication::translate("Generic", "Image"), FileExtensions::Image);
    if (argument == u"Video")
        return AppHelper::getFileFilterString(QCoreApplication::translate("Generic", "Video"), FileExtensions::Video);
    if (argument.isEmpty() || argument == u"*.*")
        return tr("Любой файл") + QStringLiteral(" (*.*)");
    // The file dialog separates patterns by blanks; "*.png;*.jpg" would match no file at all.
    return QLatin1Char('(') + QString(argument).replace(u';', u' ') + QLatin1Char(')');
}
