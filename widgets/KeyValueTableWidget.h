#pragma once

#include <QMap>
#include <QString>
#include <QVariant>
#include <QWidget>

class QTableWidget;
class QTableWidgetItem;

// An editable two-column table of key and value pairs kept in a plain text file of alternating
// key and value lines, in key order, which is rewritten after every edit. The last row is
// always empty, for a new pair. Each row stands for one pair: a key that another row already
// holds is refused (the cell shows its old key again), renaming a key moves its pair, and
// deleting a key removes its pair from the file at once. Line breaks in keys and values become
// blanks, since each takes one line of the file. The file is written in UTF-8; one in the
// encoding a byte-order mark names is read in it, and a save loads back to the same table. A
// file that exists but cannot be read is never written over; a missing one is made at the first
// edit.
class KeyValueTableWidget : public QWidget
{
    Q_OBJECT
public:
    KeyValueTableWidget(const QString& filePath, bool saveOnDestruction, QWidget* parent = nullptr);
    ~KeyValueTableWidget() override;

signals:
    void dataChanged();

public slots:
    void onCellChanged(int row, int column);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void load();
    void showPairs();
    // False, with the reason on the console, when the file was not replaced; false at once when
    // the table has no file or could not read it.
    bool save() const;
    void onKeyChanged(int row);
    void onValueChanged(int row);
    void deleteCurrentCell();
    bool keyHeldByOtherRow(const QString& key, int row) const;
    // The key the row's pair is stored under; invalid while the row holds no pair.
    QVariant committedKey(int row) const;
    void setCell(int row, int column, const QString& text, const QVariant& committed = QVariant());
    QString cellText(int row, int column) const;

    QMap<QString, QString> keyValues;
    QString filePath;
    bool saveOnDestruction;
    bool readFailed = false;
    QTableWidget* table;
};
