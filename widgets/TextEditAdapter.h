#pragma once

#include <QTextEdit>

// A text editor that announces focus changes and resizes, so that a table holding it can commit
// an edit when the user leaves the cell and fit the row to the text.
class TextEditAdapter : public QTextEdit
{
    Q_OBJECT
public:
    explicit TextEditAdapter(QWidget* parent = nullptr);
    explicit TextEditAdapter(const QString& text, QWidget* parent = nullptr);

signals:
    void focusGained();
    void focusLost();
    void resized();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};
