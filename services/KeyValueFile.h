#pragma once

#include <QMap>
#include <QObject>
#include <QString>

class QXmlStreamReader;
class QXmlStreamWriter;

// Text pairs (key, value) kept in ascending key order and stored as a small XML file:
//
//     <?xml version="1.0" encoding="UTF-8"?>
//     <items>
//         <item>
//             <key>the key</key>
//             <value>the value</value>
//         </item>
//     </items>
//
// Keys come back from the file exactly as they were set, white space, line breaks and markup
// characters included; values too, except that the file holds them without their leading and
// trailing white space (the pairs held keep it until they are read again). With automatic
// saving every change rewrites the file at once.
// Files are replaced whole (SettingsFileHelper::commit), and a failed save, or a pair holding a
// character that XML cannot carry, leaves the old file in place, answers false and is named on
// the message console. Reading adds the pairs found to those held and stops at the end of the
// file or at its first fault; a damaged file keeps the pairs read before the fault, is copied
// aside as "<file>.broken-<time stamp>" before any save can replace it, and is named on the
// console. User-interface thread only.
class KeyValueFile : public QObject
{
    Q_OBJECT

public:
    explicit KeyValueFile(const QString& filePath = QString(), bool readAtOnce = true, bool autoSave = true,
                          QObject* parent = nullptr);

    // With saveNow, writes the pairs to the new path at once; nothing happens for the current path.
    void setFilename(const QString& filePath, bool saveNow);
    // Announces valueChanged also for an unchanged value, then itemsChanged for a new key.
    void setValue(const QString& key, const QString& value);
    // Sets the value of the first stored key equal to `key` ignoring case, keeping that key's own
    // letter case; otherwise adds `key`.
    void setValueCaseInsensitive(const QString& key, const QString& value);
    // Writes the file, with automatic saving or without, when a pair was removed.
    void removeKey(const QString& key);
    // Replaces all pairs and announces itemsChanged.
    void setMap(const QMap<QString, QString>& map);

    // A null text, and `found` false, for an absent key.
    QString getValue(const QString& key, bool* found = nullptr) const;
    QString getValueCaseInsensitive(const QString& key, bool* found = nullptr) const;
    bool containsKey(const QString& key) const;
    bool containsKeyCaseInsensitive(const QString& key) const;
    // The position in ascending key order, or -1.
    int indexOfKey(const QString& key) const;
    QList<QString> keys() const;
    QList<QString> values() const;
    int size() const;
    int count() const;

public slots:
    void reload();
    bool save();
    // Writes the pairs to `filePath` without making it the object's file.
    bool saveAs(const QString& filePath);

signals:
    void loaded();
    void valueChanged(const QString& key);
    void itemsChanged();

private:
    void saveIfAutomatic();
    bool write(const QString& path, bool durable) const;
    static void writeText(QXmlStreamWriter& writer, const QString& element, const QString& text);
    void readItem(QXmlStreamReader& reader);
    void reportDamage(const QXmlStreamReader& reader) const;
    // The first pair, in key order, whose key equals `key` ignoring case.
    QMap<QString, QString>::const_iterator findIgnoringCase(const QString& key) const;

    QString filePath;
    bool autoSave = true;
    QMap<QString, QString> pairs;
};
