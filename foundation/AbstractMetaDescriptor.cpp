#include "AbstractMetaDescriptor.h"

#include "SettingsFileHelper.h"
#include "SettingsValueHelper.h"

#include <QDebug>
#include <QJsonParseError>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {
using XmlElement = SettingsValueHelper::XmlElement;

// The reader stands on the element's start tag; this reads through its end tag.
XmlElement captureElement(QXmlStreamReader& reader)
{
    XmlElement element{reader.name().toString(), QString(), reader.attributes(), {}, reader.lineNumber()};
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isCharacters()) {
            element.text += reader.text();
        } else if (reader.isStartElement()) {
            XmlElement child{reader.name().toString(), QString(), reader.attributes(), {}, reader.lineNumber()};
            child.text = reader.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
            element.children.append(child);
        } else if (reader.isEndElement()) {
            break;
        }
    }
    return element;
}

QString describedReaderError(const QXmlStreamReader& reader)
{
    return QStringLiteral("line %1: %2").arg(reader.lineNumber()).arg(reader.errorString());
}
} // namespace

AbstractMetaDescriptor::AbstractMetaDescriptor(QObject* parent)
    : QObject(parent)
{
}

AbstractMetaDescription* AbstractMetaDescriptor::at(int index) const
{
    if (index < 0 || index >= properties.size())
        return nullptr;
    return properties.at(index);
}

int AbstractMetaDescriptor::count() const
{
    return int(properties.size());
}

QList<AbstractMetaDescription*> AbstractMetaDescriptor::getProperties() const
{
    return properties;
}

AbstractMetaDescription* AbstractMetaDescriptor::propertyByName(const QString& name) const
{
    for (auto it = propertiesByName.begin(); it != propertiesByName.end(); ++it)
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.value();
    return nullptr;
}

bool AbstractMetaDescriptor::setValue(const QString& name, const QVariant& value)
{
    for (AbstractMetaDescription* description : properties)
        if (description->name.compare(name, Qt::CaseInsensitive) == 0)
            return description->setValue(value);
    return false;
}

bool AbstractMetaDescriptor::setTextValue(const QString& name, const QString& text)
{
    for (AbstractMetaDescription* description : properties)
        if (description->name.compare(name, Qt::CaseInsensitive) == 0)
            return description->setTextValue(text);
    return false;
}

QMap<QString, QString> AbstractMetaDescriptor::getPropertiesNameAndType() const
{
    QMap<QString, QString> types;
    for (AbstractMetaDescription* description : properties)
        types.insert(description->name, description->typeName);
    return types;
}

QVariantMap AbstractMetaDescriptor::getQVariantMap() const
{
    QVariantMap map;
    for (AbstractMetaDescription* description : properties)
        if (description->editable)
            map.insert(description->name, description->getValue());
    return map;
}

bool AbstractMetaDescriptor::loadFromQVariantMap(const QVariantMap& map)
{
    for (AbstractMetaDescription* description : properties)
        if (description->editable && map.contains(description->name))
            description->setValue(map.value(description->name));
    return true;
}

void AbstractMetaDescriptor::defaults()
{
    for (AbstractMetaDescription* description : properties)
        if (description->editable && description->hasDefault)
            description->setDefault();
}

void AbstractMetaDescriptor::clear()
{
    properties.clear();
    propertiesByName.clear();
}

AbstractMetaDescription* AbstractMetaDescriptor::editableByName(const QString& name) const
{
    for (AbstractMetaDescription* description : properties)
        if (description->editable && description->name == name)
            return description;
    return nullptr;
}

QString AbstractMetaDescriptor::lastLoadError() const
{
    return loadError;
}

bool AbstractMetaDescriptor::refuse(const QString& reason)
{
    loadError = reason;
    return false;
}

// ---- XML ----

QString AbstractMetaDescriptor::saveAsXmlString()
{
    QString text;
    QXmlStreamWriter writer(&text);
    writer.setAutoFormatting(true);
    writer.writeStartDocument();
    saveXmlContent(writer);
    writer.writeEndDocument();
    return text;
}

bool AbstractMetaDescriptor::saveXmlContent(QXmlStreamWriter& writer)
{
    writer.writeStartElement(getClassName());
    for (AbstractMetaDescription* description : properties)
        if (description->editable)
            SettingsValueHelper::writeXml(writer, description->name, description->getValue(),
                                          SettingsValueHelper::typeOf(description));
    writer.writeEndElement();
    return true;
}

bool AbstractMetaDescriptor::save(const QString& fileName)
{
    return SettingsFileHelper::commit(fileName, saveAsXmlString().toUtf8());
}

bool AbstractMetaDescriptor::load(const QString& fileName)
{
    QByteArray bytes;
    if (!readFile(fileName, bytes))
        return false;
    QXmlStreamReader reader(bytes);
    return loadXml(reader);
}

bool AbstractMetaDescriptor::loadFromXmlString(const QString& text)
{
    loadError.clear();
    QXmlStreamReader reader(text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text);
    return loadXml(reader);
}

bool AbstractMetaDescriptor::loadXml(QXmlStreamReader& reader)
{
    QList<XmlElement> found;
    bool rootSeen = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        if (!rootSeen) {
            rootSeen = true;
            if (!acceptsRootName(reader.name().toString()))
                return refuse(
                    QStringLiteral("line %1: the root element is \"%2\", not \"%3\" or a class it derives from")
                        .arg(reader.lineNumber())
                        .arg(reader.name().toString(), getClassName()));
            continue;
        }
        if (editableByName(reader.name().toString()))
            found.append(captureElement(reader));
    }
    if (reader.hasError())
        return refuse(describedReaderError(reader));
    if (!rootSeen)
        return refuse(QStringLiteral("line %1: the document has no root element").arg(reader.lineNumber()));
    for (const XmlElement& element : found) {
        AbstractMetaDescription* description = editableByName(element.name);
        const auto value = SettingsValueHelper::fromXml(element, SettingsValueHelper::typeOf(description));
        if (!value || !description->setValue(*value))
            qWarning().noquote() << "Settings: the value of" << element.name << "on line" << element.line
                                 << "does not fit the property; it keeps its value";
    }
    return true;
}

bool AbstractMetaDescriptor::acceptsRootName(const QString& name)
{
    const QString className = getClassName();
    return className.isEmpty() || name == className;
}

void AbstractMetaDescriptor::loadXmlContent(const QString& name, QXmlStreamReader& reader)
{
    QList<XmlElement> found;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isEndElement() && reader.name() == name)
            break;
        if (reader.isStartElement() && editableByName(reader.name().toString()))
            found.append(captureElement(reader));
    }
    if (reader.hasError()) {
        loadError = describedReaderError(reader);
        return;
    }
    for (const XmlElement& element : found) {
        AbstractMetaDescription* description = editableByName(element.name);
        if (const auto value = SettingsValueHelper::fromXml(element, SettingsValueHelper::typeOf(description)))
            description->setValue(*value);
    }
}

// ---- JSON ----

QJsonObject AbstractMetaDescriptor::saveToJson()
{
    QJsonObject object;
    for (AbstractMetaDescription* description : properties)
        if (description->editable)
            object.insert(description->name, SettingsValueHelper::toJson(description->getValue(),
                                                                         SettingsValueHelper::typeOf(description)));
    return object;
}

QByteArray AbstractMetaDescriptor::saveToJsonByteArray(QJsonDocument::JsonFormat format)
{
    return QJsonDocument(saveToJson()).toJson(format);
}

QString AbstractMetaDescriptor::saveToJsonString(QJsonDocument::JsonFormat format)
{
    return QString::fromUtf8(saveToJsonByteArray(format));
}

bool AbstractMetaDescriptor::saveToJsonFile(const QString& fileName)
{
    return SettingsFileHelper::commit(fileName, saveToJsonByteArray(QJsonDocument::Compact));
}

bool AbstractMetaDescriptor::loadFromJsonFile(const QString& fileName)
{
    QByteArray bytes;
    if (!readFile(fileName, bytes))
        return false;
    if (bytes.isEmpty())
        return refuse(QStringLiteral("line 1: the file is empty"));
    return loadJsonBytes(bytes);
}

bool AbstractMetaDescriptor::loadFromJson(const QString& text)
{
    loadError.clear();
    if (text.isEmpty())
        return false;
    return loadJsonBytes(text.toUtf8());
}

bool AbstractMetaDescriptor::loadFromJson(const QByteArray& bytes)
{
    loadError.clear();
    return loadJsonBytes(bytes);
}

bool AbstractMetaDescriptor::loadFromJson(const QJsonDocument& document)
{
    loadError.clear();
    return loadJsonDocument(document);
}

bool AbstractMetaDescriptor::loadFromJson(const QJsonObject& object)
{
    loadError.clear();
    return loadJsonObject(object);
}

bool AbstractMetaDescriptor::loadJsonBytes(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return false;
    const QByteArray json = SettingsFileHelper::withoutByteOrderMark(bytes);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        qDebug().noquote() << "Failed to create JSON doc." << Q_FUNC_INFO;
        return refuse(QStringLiteral("line %1: %2")
                          .arg(SettingsFileHelper::lineOfOffset(json, error.offset))
                          .arg(error.errorString()));
    }
    return loadJsonDocument(document);
}

bool AbstractMetaDescriptor::loadJsonDocument(const QJsonDocument& document)
{
    if (document.isNull()) {
        qDebug().noquote() << "Failed to create JSON doc." << Q_FUNC_INFO;
        return refuse(QStringLiteral("line 1: no JSON document"));
    }
    if (!document.isObject()) {
        qDebug().noquote() << "JSON is not an object." << Q_FUNC_INFO;
        return refuse(QStringLiteral("line 1: the JSON document is not an object"));
    }
    return loadJsonObject(document.object());
}

bool AbstractMetaDescriptor::loadJsonObject(const QJsonObject& object)
{
    if (object.isEmpty()) {
        qDebug().noquote() << "JSON object is empty" << Q_FUNC_INFO;
        return false;
    }
    for (AbstractMetaDescription* description : properties) {
        if (!description->editable || !object.contains(description->name))
            continue;
        const auto value =
            SettingsValueHelper::fromJson(object.value(description->name), SettingsValueHelper::typeOf(description));
        if (!value || !description->setValue(*value))
            qWarning().noquote() << "Settings: the JSON value of" << description->name
                                 << "does not fit the property; it keeps its value";
    }
    return true;
}

bool AbstractMetaDescriptor::readFile(const QString& fileName, QByteArray& bytes)
{
    loadError.clear();
    const QString problem = SettingsFileHelper::readRegularFile(fileName, bytes);
    if (!problem.isEmpty())
        return refuse(problem);
    return true;
}
