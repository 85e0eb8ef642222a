#pragma once

#include <QDoubleSpinBox>

// The spin box of every decimal field of ours: it reads a typed number as TypedNumber does and
// shows it in the interface's language.
class DecimalSpinBox : public QDoubleSpinBox
{
    Q_OBJECT
public:
    explicit DecimalSpinBox(QWidget* parent = nullptr);

    QValidator::State validate(QString& text, int& position) const override;
    double valueFromText(const QString& text) const override;
    // Leaves the text as typed: Qt's repair drops digit group separators, which reads "20,5"
    // as 205.
    void fixup(QString& text) const override;
};
