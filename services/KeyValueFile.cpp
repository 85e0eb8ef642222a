#include "KeyValueFile.h"

#include "GlobalConsole.h"
#include "SettingsFileHelper.h"
#include "SettingsValueHelper.h"

#include <QFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

KeyValueFile::KeyValueFile(const QString& filePath, bool readAtOnce, bool autoSave, QObject* parent)
    : QObject(parent)
    , filePath(filePath)
    , autoSave(autoSave)
{
    if (readAtOnce)
        reload();
}

void KeyValueFile::setFilename(const QString& filePath, bool saveNow)
{
    if (filePath == this->filePath)
        return;
    this->filePath = filePath;
    if (saveNow)
        save();
}

void KeyValueFile::setValue(const QString& key, const QString& value)
{
    const bool added = !pairs.contains(key);
    pairs.insert(key, value);
    saveIfAutomatic();
    emit valueChanged(key);
    if (added)
        emit itemsChanged();
}

void KeyValueFile::setValueCaseInsensitive(const QString& key, const QString& value)
{
    const auto stored = findIgnoringCase(key);
    setValue(stored != pairs.cend() ? stored.key() : key, value);
}

void KeyValueFile::removeKey(const QString& key)
{
    if (pairs.remove(key) == 0)
        return;
    write(filePath, false);
    emit itemsChanged();
}

void KeyValueFile::setMap(const QMap<QString, QString>& map)
{
    pairs = map;
    saveIfAutomatic();
    emit itemsChanged();
}

QString KeyValueFile::getValue(const QString& key, bool* found) const
{
    if (found)
        *found = pairs.contains(key);
    return pairs.value(key);
}

QString KeyValueFile::getValueCaseInsensitive(const QString& key, bool* found) const
{
    const auto pair = findIgnoringCase(key);
    if (found)
        *found = pair != pairs.cend();
    return pair != pairs.cend() ? pair.value() : QString();
}

bool KeyValueFile::containsKey(const QString& key) const
{
    return pairs.contains(key);
}

bool KeyValueFile::containsKeyCaseInsensitive(const QString& key) const
{
    return findIgnoringCase(key) != pairs.cend();
}

int KeyValueFile::indexOfKey(const QString& key) const
{
    const auto found = pairs.constFind(key);
    return found == pairs.cend() ? -1 : int(std::distance(pairs.cbegin(), found));
}

QList<QString> KeyValueFile::keys() const
{
    return pairs.keys();
}

QList<QString> KeyValueFile::values() const
{
    return pairs.values();
}

int KeyValueFile::size() const
{
    return int(pairs.size());
}

int KeyValueFile::count() const
{
    return size();
}

// An iterator, not the key: the empty key and a null text compare equal, so no text can say
// "not found".
QMap<QString, QString>::const_iterator KeyValueFile::findIgnoringCase(const QString& key) const
{
    auto pair = pairs.cbegin();
    while (pair != pairs.cend() && pair.key().compare(key, Qt::CaseInsensitive) != 0)
        ++pair;
    return pair;
}

// ---- the file ----

void KeyValueFile::reload()
{
    QFile file(filePath);
    if (filePath.isEmpty() || !file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();
    file.close();
    QXmlStreamReader reader(bytes);
    while (!reader.atEnd() && !reader.hasError()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == u"item")
            readItem(reader);
    }
    if (reader.hasError() && !bytes.isEmpty())
        reportDamage(reader);
    emit loaded();
}

void KeyValueFile::readItem(QXmlStreamReader& reader)
{
    // Reading an element's text takes its end tag too, so only the end of the item, or of an
    // element of another name inside it, ends the item.
    // A text cut short by the end of a damaged file is not taken.
    QString key;
    while (!reader.atEnd() && !reader.hasError()) {
        reader.readNext();
        if (reader.isEndElement())
            return;
        const bool isKey = reader.isStartElement() && reader.name() == u"key";
        const bool isValue = reader.isStartElement() && reader.name() == u"value";
        const QString text = isKey || isValue ? reader.readElementText() : QString();
        if (reader.hasError())
            return;
        if (isKey)
            key = text;
        else if (isValue)
            pairs.insert(key, text);
    }
}

void KeyValueFile::reportDamage(const QXmlStreamReader& reader) const
{
    const QString copy = SettingsFileHelper::keepAside(filePath);
    const QString kept = copy.isEmpty() ? QStringLiteral("it could not be copied aside")
                                        : QStringLiteral("it was kept as \"%1\"").arg(copy.toHtmlEscaped());
    GlobalConsole::writeItem(QStringLiteral("Key-value file \"%1\" is damaged (line %2: %3); the pairs before the "
                                            "fault were read and %4.")
                                 .arg(filePath.toHtmlEscaped())
                                 .arg(reader.lineNumber())
                                 .arg(reader.errorString().toHtmlEscaped(), kept),
                             QStringLiteral("Error"));
}

bool KeyValueFile::save()
{
    return write(filePath, true);
}

bool KeyValueFile::saveAs(const QString& filePath)
{
    return write(filePath, true);
}

void KeyValueFile::saveIfAutomatic()
{
    if (autoSave)
        write(filePath, false);
}

bool KeyValueFile::write(const QString& path, bool durable) const
{
    if (path.isEmpty())
        return false;
    QByteArray bytes;
    QXmlStreamWriter writer(&bytes);
    writer.setAutoFormatting(true);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("items"));
    for (auto pair = pairs.cbegin(); pair != pairs.cend(); ++pair) {
        writer.writeStartElement(QStringLiteral("item"));
        writeText(writer, QStringLiteral("key"), pair.key());
        writeText(writer, QStringLiteral("value"), pair.value().trimmed());
        writer.writeEndElement();
    }
    writer.writeEndDocument();
    if (writer.hasError()) {
        GlobalConsole::writeItem(QStringLiteral("Key-value file \"%1\" was not saved: a key or value holds a character "
                                                "that an XML file cannot carry.")
                                     .arg(path.toHtmlEscaped()),
                                 QStringLiteral("Error"));
        return false;
    }
    return SettingsFileHelper::commit(path, bytes, durable);
}

void KeyValueFile::writeText(QXmlStreamWriter& writer, const QString& element, const QString& text)
{
    writer.writeStartElement(element);
    SettingsValueHelper::writeXmlCharacters(writer, text);
    writer.writeEndElement();
}
