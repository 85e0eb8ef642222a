#include "KeyValueTableWidget.h"

#include "GlobalConsole.h"
#include "SettingsFileHelper.h"

#include <QFile>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QStringDecoder>
#include <QTableWidget>
#include <QTextStream>

namespace {

enum Column { KeyColumn = 0, ValueColumn = 1 };

// A key or value as the file keeps it: on one line, in UTF-8, which writes a half of a surrogate
// pair (only a UTF-16 file brings one) as a stand-in character.
QString storable(QString text)
{
    static const QRegularExpression lineBreaks(QStringLiteral("\r\n|[\r\n]"));
    // Taken back whole: a key may begin with the character that marks a byte order.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return utf8.decode(text.replace(lineBreaks, QStringLiteral(" ")).toUtf8());
}

} // namespace

KeyValueTableWidget::KeyValueTableWidget(const QString& filePath, bool saveOnDestruction, QWidget* parent)
    : QWidget(parent)
    , filePath(filePath)
    , saveOnDestruction(saveOnDestruction)
    , table(new QTableWidget(1, 2, this))
{
    table->setHorizontalHeaderLabels({tr("Key/Name"), tr("Value")});
    auto* layout = new QGridLayout(this);
    layout->addWidget(table, 0, 0);
    load();
    connect(table, &QTableWidget::cellChanged, this, &KeyValueTableWidget::onCellChanged);
}

KeyValueTableWidget::~KeyValueTableWidget()
{
    if (saveOnDestruction)
        save();
}

void KeyValueTableWidget::load()
{
    QFile file(filePath);
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream stream(&file);
        while (!stream.atEnd()) {
            const QString key = storable(stream.readLine());
            keyValues.insert(key, storable(stream.readLine()));
        }
    } else if (file.exists()) {
        // Saved, the pairs typed here would take the place of all those the file holds.
        readFailed = true;
        GlobalConsole::writeItem(QStringLiteral("Cannot read \"%1\" (%2); edits in the table are not saved to it.")
                                     .arg(filePath.toHtmlEscaped(), file.errorString().toHtmlEscaped()),
                                 QStringLiteral("Error"));
    }
    showPairs();
}

void KeyValueTableWidget::showPairs()
{
    table->setRowCount(int(keyValues.size()) + 1);
    int row = 0;
    for (auto pair = keyValues.cbegin(); pair != keyValues.cend(); ++pair, ++row) {
        setCell(row, KeyColumn, pair.key(), pair.key());
        setCell(row, ValueColumn, pair.value());
    }
}

bool KeyValueTableWidget::save() const
{
    if (filePath.isEmpty() || readFailed)
        return false;
    QString text;
    for (auto pair = keyValues.cbegin(); pair != keyValues.cend(); ++pair)
        text += pair.key() + QLatin1Char('\n') + pair.value() + QLatin1Char('\n');
    // Reading takes a byte-order mark at the start of the file for the mark of its encoding, not
    // for text: a first key that begins with that character keeps it behind a mark of its own.
    if (text.startsWith(QChar::ByteOrderMark))
        text.prepend(QChar::ByteOrderMark);
    // Saved after every edit: the wait for the disk would stall typing.
    return SettingsFileHelper::commit(filePath, text.toUtf8(), false);
}

void KeyValueTableWidget::onCellChanged(int row, int column)
{
    if (column == KeyColumn)
        onKeyChanged(row);
    else
        onValueChanged(row);
}

void KeyValueTableWidget::onKeyChanged(int row)
{
    const QVariant oldKey = committedKey(row);
    const QString key = storable(cellText(row, KeyColumn));
    if (keyHeldByOtherRow(key, row)) {
        setCell(row, KeyColumn, oldKey.toString(), oldKey);
        return;
    }
    setCell(row, KeyColumn, key, key);
    if (row == table->rowCount() - 1)
        table->insertRow(table->rowCount());
    if (oldKey.isValid())
        keyValues.remove(oldKey.toString());
    keyValues.insert(key, storable(cellText(row, ValueColumn)));
    save();
    emit dataChanged();
}

void KeyValueTableWidget::onValueChanged(int row)
{
    const QVariant key = committedKey(row);
    if (!key.isValid())
        return;
    const QString value = storable(cellText(row, ValueColumn));
    setCell(row, ValueColumn, value);
    keyValues.insert(key.toString(), value);
    save();
    emit dataChanged();
}

void KeyValueTableWidget::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete)
        deleteCurrentCell();
    emit dataChanged();
}

void KeyValueTableWidget::deleteCurrentCell()
{
    QTableWidgetItem* current = table->currentItem();
    if (!current)
        return;
    const int row = current->row();
    if (current->column() == ValueColumn) {
        current->setText(QString());
        return;
    }
    const QVariant key = committedKey(row);
    // Only the last row, the place for a new pair, holds none.
    if (!key.isValid())
        return;
    keyValues.remove(key.toString());
    table->removeRow(row);
    save();
}

bool KeyValueTableWidget::keyHeldByOtherRow(const QString& key, int row) const
{
    for (int other = 0; other < table->rowCount(); ++other) {
        const QVariant otherKey = committedKey(other);
        if (other != row && otherKey.isValid() && otherKey.toString() == key)
            return true;
    }
    return false;
}

QVariant KeyValueTableWidget::committedKey(int row) const
{
    const QTableWidgetItem* item = table->item(row, KeyColumn);
    return item ? item->data(Qt::UserRole) : QVariant();
}

void KeyValueTableWidget::setCell(int row, int column, const QString& text, const QVariant& committed)
{
    // Storing the cell announces it as an edit, which it is not.
    const QSignalBlocker blocker(table);
    QTableWidgetItem* item = table->item(row, column);
    if (!item) {
        item = new QTableWidgetItem();
        table->setItem(row, column, item);
    }
    item->setText(text);
    if (column == KeyColumn)
        item->setData(Qt::UserRole, committed);
}

QString KeyValueTableWidget::cellText(int row, int column) const
{
    const QTableWidgetItem* item = table->item(row, column);
    return item ? item->text() : QString();
}
