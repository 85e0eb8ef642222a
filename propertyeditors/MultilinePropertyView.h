#pragma once

#include "BasePropertyView.h"

#include <QPointer>

class QPlainTextEdit;

// Several lines of text, without line wrapping. The text is stored when the editor loses the
// focus, and the echo of a stored text never sets the editor back.
class MultilinePropertyView : public BasePropertyView
{
    Q_OBJECT
public:
    explicit MultilinePropertyView(AbstractMetaDescription* description, QWidget* parent = nullptr);

public slots:
    // Shows the property's current text.
    void metaValueChanged(const QVariant& value) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QPlainTextEdit> textEdit;
};
