#include "KeyValueWidget.h"

#include "KeyValueFile.h"
#include "StyleHelper.h"
#include "TextEditAdapter.h"
#include "UIHelper.h"

#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableWidget>

namespace {

enum Column { KeyColumn = 0, ValueColumn = 1, ButtonColumn = 2 };
constexpr int MinimumRowHeight = 30;
const QString DuplicateStyle = QStringLiteral("color: red");

TextEditAdapter* createEditor(const QString& text)
{
    auto* editor = new TextEditAdapter();
    editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    editor->setWordWrapMode(QTextOption::NoWrap);
    editor->setLineWrapMode(QTextEdit::NoWrap);
    // Plain: a key or value such as "<b>" is text, not markup.
    editor->setPlainText(text);
    return editor;
}

int heightNeed(const TextEditAdapter* editor)
{
    const QScrollBar* bar = editor->horizontalScrollBar();
    return int(editor->document()->size().height() + 6 + (bar->isVisible() ? bar->height() : 0));
}

} // namespace

KeyValueWidget::KeyValueWidget(KeyValueFile* file, QWidget* parent)
    : QWidget(parent)
    , file(file)
    , table(new QTableWidget(this))
{
    // White editors in the light theme; in the dark one they take its background, under its
    // light text.
    StyleHelper::Link(this, [this] {
        setStyleSheet(StyleHelper::Instance()->replaceThemeColors(
            QStringLiteral("QTextEdit { border: 1px solid --z-bg; background: --z-bg; margin: 2px; } "
                           "QTextEdit:focus { border: 1px solid #258}")));
    });
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    setContentsMargins(0, 0, 0, 0);
    layout->addWidget(table, 0, 0);
    table->setColumnCount(3);
    table->setWordWrap(true);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(KeyColumn, QHeaderView::Interactive);
    table->horizontalHeader()->setSectionResizeMode(ValueColumn, QHeaderView::Stretch);
    table->horizontalHeader()->setSectionResizeMode(ButtonColumn, QHeaderView::Fixed);
    table->setBaseSize(20, 20);
    table->setColumnWidth(ButtonColumn, 16);
    if (file) {
        // Queued: a value the widget's own row is typing must not come back while it types.
        connect(file, &KeyValueFile::valueChanged, this, &KeyValueWidget::showFileValue, Qt::QueuedConnection);
        connect(file, &KeyValueFile::itemsChanged, this, &KeyValueWidget::rebuild);
        connect(file, &KeyValueFile::loaded, this, &KeyValueWidget::rebuild);
    }
    rebuild();
}

QMap<QString, QString> KeyValueWidget::getMapFromTable() const
{
    QMap<QString, QString> map;
    for (int row = 0; row < keyEditors.size() && row < valueEditors.size(); ++row)
        map.insert(keyEditors[row]->toPlainText(), valueEditors[row]->toPlainText());
    return map;
}

void KeyValueWidget::rebuild()
{
    qDebug() << "Rebuilding";
    connections.clear();
    table->clear();
    table->clearContents();
    table->setRowCount(0);
    keyEditors.clear();
    valueEditors.clear();
    deleteButtons.clear();
    storedKeys.clear();
    table->setHorizontalHeaderLabels({tr("Ключ"), tr("Значение"), QString()});
    table->setBaseSize(30, 30);
    table->setColumnWidth(ButtonColumn, 30);
    if (file) {
        for (const QString& key : file->keys())
            addPairRow(key);
    }
    addNewKeyRow();
}

void KeyValueWidget::addPairRow(const QString& key)
{
    auto* keyEditor = createEditor(key);
    auto* valueEditor = createEditor(file->getValue(key));
    QPushButton* deleteButton =
        UIHelper::GenerateSvgButton(QStringLiteral(":/icons/delete.svg"), QSize(24, 24), QSize(30, 30), QString());
    auto* container = new QWidget();
    UIHelper::InsertToWidget(container, deleteButton, 0, Qt::AlignLeft | Qt::AlignTop);
    deleteButtons.append(deleteButton);
    const int row = table->rowCount();
    storedKeys.append(key);
    connectPairRow(row, keyEditor, valueEditor, deleteButton);
    table->insertRow(row);
    table->setCellWidget(row, KeyColumn, keyEditor);
    table->setCellWidget(row, ValueColumn, valueEditor);
    table->setCellWidget(row, ButtonColumn, container);
    deleteButton->hide();
    fitRow(row, {keyEditor, valueEditor});
    keyEditors.append(keyEditor);
    valueEditors.append(valueEditor);
}

void KeyValueWidget::connectPairRow(int row, TextEditAdapter* keyEditor, TextEditAdapter* valueEditor,
                                    QPushButton* deleteButton)
{
    connections << connect(deleteButton, &QPushButton::clicked, deleteButton, [this, row] {
        if (file)
            file->removeKey(storedKeys[row]);
    });
    connections << connect(keyEditor, &TextEditAdapter::textChanged, keyEditor, [this, row] { checkKey(row); });
    connections << connect(keyEditor, &TextEditAdapter::focusGained, keyEditor, [this, row] {
        table->selectRow(row);
        showOnlyDeleteButton(row);
    });
    connections << connect(valueEditor, &TextEditAdapter::focusGained, valueEditor, [this, row, valueEditor] {
        showOnlyDeleteButton(row);
        valueEditor->setFocus();
    });
    connections << connect(valueEditor, &TextEditAdapter::resized, valueEditor, [this, row, keyEditor, valueEditor] {
        fitRow(row, {keyEditor, valueEditor});
    });
    connections << connect(valueEditor, &TextEditAdapter::textChanged, valueEditor,
                           [this, row, keyEditor, valueEditor] {
                               fitRow(row, {keyEditor, valueEditor});
                               storeValue(row);
                           });
}

void KeyValueWidget::addNewKeyRow()
{
    auto* editor = createEditor(QString());
    editor->setPlaceholderText(tr("Новый"));
    auto* container = new QWidget();
    auto* layout = new QHBoxLayout(container);
    layout->setContentsMargins(0, 0, 0, 0);
    container->setContentsMargins(0, 0, 0, 0);
    auto* addButton = new QPushButton(tr("+"));
    addButton->setFixedSize(30, 30);
    layout->addWidget(addButton, 0, Qt::AlignLeft | Qt::AlignTop);
    const int row = table->rowCount();
    connections << connect(editor, &TextEditAdapter::textChanged, editor, [this, row, editor, addButton] {
        checkNewKey(editor, addButton);
        fitRow(row, {editor});
    });
    connections << connect(addButton, &QPushButton::clicked, addButton, [this, editor] {
        // The duplicate test looked at the trimmed key; that is the key added.
        if (file)
            file->setValue(editor->toPlainText().trimmed(), QString());
    });
    table->insertRow(row);
    table->setCellWidget(row, KeyColumn, editor);
    table->setCellWidget(row, ValueColumn, container);
    table->setVerticalHeaderItem(row, new QTableWidgetItem(QString()));
    addButton->hide();
    fitRow(row, {editor});
}

void KeyValueWidget::fitRow(int row, const QList<TextEditAdapter*>& editors)
{
    int height = MinimumRowHeight;
    for (const TextEditAdapter* editor : editors)
        height = std::max(height, heightNeed(editor));
    for (TextEditAdapter* editor : editors)
        editor->setFixedHeight(height);
    table->resizeRowToContents(row);
}

void KeyValueWidget::showOnlyDeleteButton(int row)
{
    for (int index = 0; index < deleteButtons.size(); ++index)
        deleteButtons[index]->setVisible(index == row);
}

void KeyValueWidget::checkKey(int row)
{
    TextEditAdapter* keyEditor = keyEditors.value(row);
    TextEditAdapter* valueEditor = valueEditors.value(row);
    if (!keyEditor || !valueEditor || !file)
        return;
    fitRow(row, {keyEditor, valueEditor});
    const QString key = keyEditor->toPlainText();
    // The row's own key, typed back, is no duplicate.
    const bool takenByOther = key != storedKeys[row] && file->containsKey(key);
    if (!takenByOther && key != storedKeys[row]) {
        renameInFile(storedKeys[row], key);
        storedKeys[row] = key;
    }
    keyEditor->setStyleSheet(takenByOther ? DuplicateStyle : QString());
}

void KeyValueWidget::renameInFile(const QString& oldKey, const QString& newKey)
{
    const QStringList keys = file->keys();
    const QStringList values = file->values();
    QMap<QString, QString> pairs;
    for (int index = 0; index < keys.size(); ++index)
        pairs.insert(keys[index], values.value(index));
    pairs.insert(newKey, pairs.take(oldKey));
    // The rows already show the change; a rebuild would take the focus from the key being typed.
    const QSignalBlocker blocker(file);
    file->setMap(pairs);
}

void KeyValueWidget::checkNewKey(TextEditAdapter* editor, QPushButton* addButton)
{
    const QString key = editor->toPlainText().trimmed();
    const bool duplicate = file && file->containsKey(key);
    editor->setStyleSheet(duplicate && !key.isEmpty() ? DuplicateStyle : QString());
    addButton->setVisible(!key.isEmpty() && !duplicate);
}

void KeyValueWidget::storeValue(int row)
{
    if (!file)
        return;
    const QSignalBlocker blocker(file);
    file->setValue(storedKeys[row], valueEditors[row]->toPlainText());
}

void KeyValueWidget::showFileValue(const QString& key)
{
    const int row = int(storedKeys.indexOf(key));
    if (row < 0 || row >= valueEditors.size() || !file)
        return;
    const QString value = file->getValue(key);
    TextEditAdapter* editor = valueEditors[row];
    if (editor->toPlainText() == value)
        return;
    {
        // The value comes from the file; writing it back would only rewrite the file.
        const QSignalBlocker blocker(editor);
        editor->setPlainText(value);
    }
    fitRow(row, {keyEditors[row], editor});
}
