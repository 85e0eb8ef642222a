#include "QTableWidgetWithCopyPaste.h"

#include "AppHelper.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>

#include <algorithm>

QTableWidgetWithCopyPaste::QTableWidgetWithCopyPaste(int rows, int columns, QWidget* parent)
    : QTableWidget(rows, columns, parent)
{
}

QTableWidgetWithCopyPaste::QTableWidgetWithCopyPaste(QWidget* parent)
    : QTableWidget(parent)
{
}

void QTableWidgetWithCopyPaste::allowPaste(bool allowed)
{
    pasteAllowed = allowed;
}

void QTableWidgetWithCopyPaste::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy))
        copy();
    else if (event->matches(QKeySequence::Paste) && pasteAllowed)
        paste();
    else
        QTableWidget::keyPressEvent(event);
}

void QTableWidgetWithCopyPaste::copy()
{
    QModelIndexList cells = selectionModel()->selectedIndexes();
    if (cells.isEmpty())
        return;
    std::sort(cells.begin(), cells.end());
    // The style rule keeps a line break inside one spreadsheet cell.
    QString html = QStringLiteral("<html><style>br{mso-data-placement:same-cell;}</style><table><tr><td>");
    QString text;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0) {
            const bool newRow = cells.at(i).row() != cells.at(i - 1).row();
            html += newRow ? QStringLiteral("</td></tr><tr><td>") : QStringLiteral("</td><td>");
            text += newRow ? QLatin1Char('\n') : QLatin1Char('\t');
        }
        const QString cell = cells.at(i).data().toString();
        html += cell.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>"));
        text += cell;
    }
    html += QStringLiteral("</td></tr>");
    auto* data = new QMimeData;
    data->setHtml(html);
    data->setText(text);
    QApplication::clipboard()->setMimeData(data);
}

void QTableWidgetWithCopyPaste::paste()
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    // Cells copied from a spreadsheet or from such a table always come with HTML.
    if (!data || data->hasHtml())
        return;
    const QList<QStringList> rows = pastedRows(data->text());
    if (rows.isEmpty())
        return;
    setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < rows.at(r).size(); ++c)
            setItem(r, c, new QTableWidgetItem(rows.at(r).at(c)));
    }
}

QList<QStringList> QTableWidgetWithCopyPaste::pastedRows(const QString& text)
{
    // Every row ends with a line feed; cells are counted in lines, so an empty last cell counts.
    QStringList lines = text.split(QLatin1Char('\n'));
    const qsizetype rows = lines.size() - 1;
    if (lines.constLast().isEmpty())
        lines.removeLast();
    QList<QStringList> table;
    qsizetype cells = 0;
    for (const QString& line : lines) {
        table << line.split(QLatin1Char('\t'));
        cells += table.constLast().size();
    }
    if (rows == 0 || cells % rows != 0) {
        refusePaste(QT_TR_NOOP("Invalid clipboard data, unable to perform paste operation."));
        return {};
    }
    const qsizetype columns = cells / rows;
    if (columns != columnCount()) {
        refusePaste(QT_TR_NOOP("Invalid clipboard data, incorrect number of columns."));
        return {};
    }
    // Lines of other lengths would move cells into other rows.
    const bool even = table.size() == rows
                      && std::all_of(table.cbegin(), table.cend(),
                                     [columns](const QStringList& row) { return row.size() == columns; });
    if (!even) {
        refusePaste(QT_TR_NOOP("Invalid clipboard data, unable to perform paste operation."));
        return {};
    }
    return table;
}

void QTableWidgetWithCopyPaste::refusePaste(const char* reason)
{
    AppHelper::warningMessage(tr(reason), tr("Error"), QMessageBox::Critical);
}
