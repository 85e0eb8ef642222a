#pragma once

#include "AbstractMetaDescription.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QObject>
#include <QVariantMap>

class QXmlStreamReader;
class QXmlStreamWriter;

// The descriptions of all described properties of one object, in declaration order, and the
// settings file formats built from them: an XML document whose root element is named after
// the object's class with one element per editable property, and a flat JSON object.
//
// A document that does not parse, or whose root element names a class that is neither the
// object's own nor one it derives from, is refused as a whole: nothing of it is applied, the load
// answers false and lastLoadError() says why and where, so the owner can keep the file aside
// instead of overwriting it. A record written by a base class is read back by its subclasses.
class AbstractMetaDescriptor : public QObject
{
    Q_OBJECT
public:
    explicit AbstractMetaDescriptor(QObject* parent = nullptr);

    QList<AbstractMetaDescription*> properties;
    QMap<QString, AbstractMetaDescription*> propertiesByName;

    virtual void set(QObject* object) = 0;
    virtual QString getClassName() = 0;
    // Whether an XML document with this root element belongs to the described object.
    virtual bool acceptsRootName(const QString& name);

    AbstractMetaDescription* at(int index) const;
    int count() const;
    QList<AbstractMetaDescription*> getProperties() const;
    AbstractMetaDescription* propertyByName(const QString& name) const;
    bool setValue(const QString& name, const QVariant& value);
    bool setTextValue(const QString& name, const QString& text);
    QMap<QString, QString> getPropertiesNameAndType() const;
    QVariantMap getQVariantMap() const;
    bool loadFromQVariantMap(const QVariantMap& map);
    void defaults();

    bool loadFromXmlString(const QString& text);
    bool saveXmlContent(QXmlStreamWriter& writer);
    // Reads the elements of this object's properties up to the end of the element `name`.
    void loadXmlContent(const QString& name, QXmlStreamReader& reader);

    bool saveToJsonFile(const QString& fileName);
    bool loadFromJson(const QByteArray& bytes);
    bool loadFromJson(const QJsonDocument& document);
    bool loadFromJson(const QJsonObject& object);
    bool loadFromJson(const QString& text);
    bool loadFromJsonFile(const QString& fileName);

    // Why the last load refused its input ("line 3: ..."); empty when nothing was wrong.
    QString lastLoadError() const;

    Q_INVOKABLE bool save(const QString& fileName);
    Q_INVOKABLE QString saveAsXmlString();
    Q_INVOKABLE QJsonObject saveToJson();
    Q_INVOKABLE QString saveToJsonString(QJsonDocument::JsonFormat format = QJsonDocument::Compact);
    Q_INVOKABLE QByteArray saveToJsonByteArray(QJsonDocument::JsonFormat format = QJsonDocument::Compact);
    Q_INVOKABLE bool load(const QString& fileName);

public slots:
    void clear();

private:
    AbstractMetaDescription* editableByName(const QString& name) const;
    bool loadXml(QXmlStreamReader& reader);
    bool loadJsonBytes(const QByteArray& bytes);
    bool loadJsonDocument(const QJsonDocument& document);
    bool loadJsonObject(const QJsonObject& object);
    bool readFile(const QString& fileName, QByteArray& bytes);
    bool refuse(const QString& reason);

    QString loadError;
};
