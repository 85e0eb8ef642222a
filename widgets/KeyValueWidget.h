#pragma once

#include "ConnectionHelper.h"

#include <QList>
#include <QMap>
#include <QPointer>
#include <QStringList>
#include <QWidget>

class KeyValueFile;
class QPushButton;
class QTableWidget;
class TextEditAdapter;

// The editor of a key-value file: one row per pair (key, value, a delete button shown for the
// row in use) and a last line for a new key. Every edit goes straight into the file; adding and
// deleting a pair rebuild the table from the file, and so does any change of the file's keys
// by other code, while value changes made elsewhere show in their row.
//
// Each row acts on the key it last stored: while its key editor shows a key that another pair
// already has (in red), the file keeps the row's pair under its old key, and the row's value
// and delete button still act on that pair. The file is not owned and should outlive the
// widget; if it goes first, the rows stay and change nothing.
class KeyValueWidget : public QWidget
{
    Q_OBJECT
public:
    explicit KeyValueWidget(KeyValueFile* file, QWidget* parent = nullptr);

    // The pairs as the rows show them, a later row winning over an earlier one with the same key.
    QMap<QString, QString> getMapFromTable() const;

public slots:
    void rebuild();

private:
    void addPairRow(const QString& key);
    void addNewKeyRow();
    void connectPairRow(int row, TextEditAdapter* keyEditor, TextEditAdapter* valueEditor, QPushButton* deleteButton);
    void fitRow(int row, const QList<TextEditAdapter*>& editors);
    void showOnlyDeleteButton(int row);
    void checkKey(int row);
    void checkNewKey(TextEditAdapter* editor, QPushButton* addButton);
    void storeValue(int row);
    void showFileValue(const QString& key);
    void renameInFile(const QString& oldKey, const QString& newKey);

    ConnectionHelper connections;
    QPointer<KeyValueFile> file;
    QTableWidget* table;
    QList<TextEditAdapter*> keyEditors;
    QList<TextEditAdapter*> valueEditors;
    QList<QPushButton*> deleteButtons;
    // Per pair row, the key its pair is stored under in the file.
    QStringList storedKeys;
};
