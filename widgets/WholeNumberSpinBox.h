#pragma once

#include <QSpinBox>

// The spin box of every whole-number field of ours: it reads a typed number as TypedNumber
// does, so a decimal sign is refused rather than dropped ("1.5" would become 15).
class WholeNumberSpinBox : public QSpinBox
{
    Q_OBJECT
public:
    explicit WholeNumberSpinBox(QWidget* parent = nullptr);

    QValidator::State validate(QString& text, int& position) const override;
    int valueFromText(const QString& text) const override;
    // Leaves the text as typed: Qt's repair drops digit group separators, which reads "1,000"
    // as 1000.
    void fixup(QString& text) const override;
};
