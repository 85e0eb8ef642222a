#pragma once

#include <QTableWidget>

// A table that copies its selected cells to the clipboard as both HTML and tab-separated text,
// which spreadsheet programs and text editors both take, and, when allowed, fills itself from
// tab-separated text on the clipboard (one row per line).
class QTableWidgetWithCopyPaste : public QTableWidget
{
    Q_OBJECT

public:
    QTableWidgetWithCopyPaste(int rows, int columns, QWidget* parent = nullptr);
    explicit QTableWidgetWithCopyPaste(QWidget* parent = nullptr);

    void allowPaste(bool allowed);

public slots:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void copy();
    void paste();
    // The cells of the text, row by row; empty when it cannot fill this table (the user is told).
    QList<QStringList> pastedRows(const QString& text);
    void refusePaste(const char* reason);

    bool pasteAllowed = false;
};
