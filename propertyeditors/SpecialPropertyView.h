#pragma once

#include "BasePropertyView.h"

#include <QPointer>

class QLineEdit;
class QPushButton;

// A file or folder path with a picker button ("PickFile" or "PickFolder"; the part after ":"
// names the files offered: "Image", "Video", a pattern list, or any file). A typed path is stored
// when editing finishes and a picked one at once, so no half-typed path (a data folder, say)
// is ever stored.
class SpecialPropertyView : public BasePropertyView
{
    Q_OBJECT
public:
    explicit SpecialPropertyView(AbstractMetaDescription* description, QWidget* parent = nullptr);

    // The file-dialog filter for the special type's argument.
    QString fileFilter() const;

public slots:
    // Shows the property's current path.
    void metaValueChanged(const QVariant& value) override;

private:
    void pick();
    QString pickFolder();
    QString pickFile();

    QPointer<QPushButton> pickerButton;
    QPointer<QLineEdit> pathEdit;
};
