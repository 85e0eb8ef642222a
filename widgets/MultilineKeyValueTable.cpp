#include "MultilineKeyValueTable.h"

#include "DialogSeam.h"
#include "LineEditAdapter.h"
#include "TextEditAdapter.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QScrollBar>

MultilineKeyValueTable::MultilineKeyValueTable(QWidget* parent)
    : QTableWidget(0, 2, parent)
{
    setHorizontalHeaderLabels({tr("Key"), tr("Value")});
    setSelectionBehavior(QAbstractItemView::SelectRows);
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
}

bool MultilineKeyValueTable::insertMultilineRow(int row, const QString& key, const QString& value)
{
    if (keys.contains(key))
        return false;
    row = qBound(0, row, rowCount());
    insertRow(row);
    keys.insert(row, key);
    values.insert(key, value);

    auto* keyEditor = new LineEditAdapter();
    keyEditor->setText(key);
    auto* valueEditor = new TextEditAdapter();
    valueEditor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    valueEditor->setWordWrapMode(QTextOption::NoWrap);
    valueEditor->setLineWrapMode(QTextEdit::NoWrap);
    // Plain: a value such as "<b>" is text, not markup.
    valueEditor->setPlainText(value);
    setCellWidget(row, 0, keyEditor);
    setCellWidget(row, 1, valueEditor);
    connectKeyEditor(keyEditor);
    connectValueEditor(valueEditor);
    fitValueEditor(valueEditor);
    return true;
}

bool MultilineKeyValueTable::addPair(const QString& key, const QString& value)
{
    return insertMultilineRow(rowCount(), key, value);
}

void MultilineKeyValueTable::removeMultilineRow(int row)
{
    if (row < 0 || row >= keys.size())
        return;
    removeRow(row);
    values.remove(keys.takeAt(row));
}

QStringList MultilineKeyValueTable::getKeys() const
{
    return keys;
}

QString MultilineKeyValueTable::valueByKey(const QString& key) const
{
    return values.value(key);
}

void MultilineKeyValueTable::connectKeyEditor(LineEditAdapter* editor)
{
    connect(editor, &LineEditAdapter::focusGained, this, [this, editor] { setCurrentCell(rowOf(editor), 0); });
    connect(editor, &LineEditAdapter::focusLost, this, [this, editor] { renameKey(editor); });
}

void MultilineKeyValueTable::connectValueEditor(TextEditAdapter* editor)
{
    connect(editor, &TextEditAdapter::focusGained, this, [this, editor] { setCurrentCell(rowOf(editor), 1); });
    connect(editor, &TextEditAdapter::textChanged, this, [this, editor] { fitValueEditor(editor); });
    connect(editor, &TextEditAdapter::focusLost, this, [this, editor] {
        const int row = rowOf(editor);
        if (row < 0)
            return;
        values.insert(keys.at(row), editor->toPlainText());
        emit changed();
    });
}

void MultilineKeyValueTable::renameKey(LineEditAdapter* editor)
{
    const int row = rowOf(editor);
    if (row < 0)
        return;
    const QString oldKey = keys.at(row);
    const QString newKey = editor->text();
    if (newKey == oldKey)
        return;
    if (keys.contains(newKey)) {
        warnKeyExists();
        editor->setFocus();
        return;
    }
    values.insert(newKey, values.take(oldKey));
    keys[row] = newKey;
    emit changed();
}

void MultilineKeyValueTable::fitValueEditor(TextEditAdapter* editor)
{
    const QScrollBar* bar = editor->horizontalScrollBar();
    const int barHeight = bar->isVisible() ? bar->height() : 0;
    editor->setFixedHeight(int(editor->document()->size().height()) + barHeight);
    const int row = rowOf(editor);
    if (row >= 0)
        resizeRowToContents(row);
}

int MultilineKeyValueTable::rowOf(const QWidget* editor) const
{
    // Rows move as others are inserted or removed; the editor is found where it stands now.
    for (int row = 0; row < rowCount(); ++row) {
        if (cellWidget(row, 0) == editor || cellWidget(row, 1) == editor)
            return row;
    }
    return -1;
}

void MultilineKeyValueTable::warnKeyExists()
{
    DialogSeam::Request request;
    request.parent = this;
    request.icon = QMessageBox::Warning;
    request.title = tr("Key already exists!");
    request.text = tr("Define different key!");
    request.buttons = {{QCoreApplication::translate("Generic", "Ok"), QMessageBox::AcceptRole}};
    DialogSeam::ask(request);
}
