#pragma once

#include <QHash>
#include <QStringList>
#include <QTableWidget>

class LineEditAdapter;
class TextEditAdapter;

// Key and value pairs held in memory, one row each: the key in a one-line editor, the value in
// a multi-line editor whose row grows with its text. An edit is taken when its editor loses
// the focus. A key that another row already uses is refused with a warning, and the editor
// keeps the focus until it holds a free key.
class MultilineKeyValueTable : public QTableWidget
{
    Q_OBJECT
public:
    explicit MultilineKeyValueTable(QWidget* parent = nullptr);

    // False, with nothing inserted, when another row already holds the key. A row outside the
    // table inserts at its nearer end.
    bool insertMultilineRow(int row, const QString& key, const QString& value);
    bool addPair(const QString& key, const QString& value);
    void removeMultilineRow(int row);

    QStringList getKeys() const;
    QString valueByKey(const QString& key) const;

signals:
    void changed();

private:
    void connectKeyEditor(LineEditAdapter* editor);
    void connectValueEditor(TextEditAdapter* editor);
    void renameKey(LineEditAdapter* editor);
    void fitValueEditor(TextEditAdapter* editor);
    int rowOf(const QWidget* editor) const;
    void warnKeyExists();

    QStringList keys;
    QHash<QString, QString> values;
};
