#include "ZTSettings.h"

#include "FileUtilities.h"
#include "GlobalConsole.h"
#include "MetaDescription.h"
#include "MetaDescriptor.h"
#include "PropertyCapabilities.h"
#include "SettingsFileHelper.h"
#include "SettingsValueHelper.h"

#include <QDateTime>
#include <QFileInfo>
#include <QIODevice>
#include <QXmlStreamWriter>

ZTSettings::ZTSettings(const QString& filepath, bool autoSave, QObject* parent, ZTSettingsFormat format)
    : AbstractSettings(parent)
{
    setFilepath(filepath);
    this->autoSave = autoSave;
    this->format = format;
}

ZTSettings::~ZTSettings()
{
    delete descriptor;
}

void ZTSettings::setFilepath(const QString& path)
{
    if (!path.isEmpty())
        FileUtilities::createIfNotExists(QFileInfo(path).absolutePath());
    filepath = path;
    emit filePathChanged();
}

QString ZTSettings::getFilepath() const
{
    return filepath;
}

bool ZTSettings::getAutoSave() const
{
    return autoSave;
}

void ZTSettings::setAutoSave(bool on)
{
    autoSave = on;
}

ZTSettings::ZTSettingsFormat ZTSettings::getFormat() const
{
    return format;
}

void ZTSettings::setFormat(ZTSettingsFormat newFormat)
{
    format = newFormat;
}

// ---- descriptor and values by name ----

AbstractMetaDescriptor* ZTSettings::metaDescriptor()
{
    if (!descriptor)
        updateMetaDescriptor();
    return descriptor;
}

void ZTSettings::updateMetaDescriptor()
{
    if (!descriptor)
        descriptor = new MetaDescriptor();
    descriptor->set(this);
    applyRuntimeDefaults();
}

void ZTSettings::changedDefault(const QString& name, const QVariant& value)
{
    runtimeDefaults.insert(name, value);
    if (descriptor)
        applyRuntimeDefaults();
}

// The descriptions read the declared defaults, so those given since are laid over them.
void ZTSettings::applyRuntimeDefaults()
{
    for (auto it = runtimeDefaults.cbegin(); it != runtimeDefaults.cend(); ++it) {
        AbstractMetaDescription* description = descriptor->propertyByName(it.key());
        if (!description)
            continue;
        description->defaultText = SettingsValueHelper::toText(it.value(), SettingsValueHelper::typeOf(description));
        description->hasDefault = true;
    }
}

QString ZTSettings::getClassName()
{
    return metaDescriptor()->getClassName();
}

QVariant ZTSettings::getValue(const QString& name, const QVariant& defaultValue)
{
    AbstractMetaDescription* description = metaDescriptor()->propertyByName(name);
    return description ? description->getValue() : defaultValue;
}

QString ZTSettings::getTextValue(const QString& name)
{
    AbstractMetaDescription* description = metaDescriptor()->propertyByName(name);
    if (!description)
        return QString();
    return SettingsValueHelper::toText(description->getValue(), SettingsValueHelper::typeOf(description));
}

bool ZTSettings::containsProperty(const QString& name)
{
    return metaDescriptor()->propertyByName(name) != nullptr;
}

bool ZTSettings::setValue(const QString& name, const QVariant& value)
{
    return metaDescriptor()->setValue(name, value);
}

bool ZTSettings::setTextValue(const QString& name, const QString& text)
{
    return metaDescriptor()->setTextValue(name, text);
}

QStringList ZTSettings::getPropertiesNames()
{
    QStringList names;
    for (AbstractMetaDescription* description : metaDescriptor()->properties)
        names.append(description->name);
    return names;
}

MetaDescription* ZTSettings::getPropertyByName(const QString& name)
{
    for (AbstractMetaDescription* description : metaDescriptor()->properties)
        if (description->name.compare(name, Qt::CaseInsensitive) == 0)
            return qobject_cast<MetaDescription*>(description);
    return nullptr;
}

QVariantMap ZTSettings::getQVariantMap()
{
    return metaDescriptor()->getQVariantMap();
}

// ---- loading and saving ----

bool ZTSettings::reload()
{
    if (filepath.isEmpty())
        return false;
    bool fine = true;
    if (QFileInfo::exists(filepath)) {
        reloading = true;
        fine = readFile();
        reloading = false;
    }
    emit reloaded();
    return fine;
}

bool ZTSettings::readFile()
{
    AbstractMetaDescriptor* reader = metaDescriptor();
    if (format == JSON)
        reader->loadFromJsonFile(filepath);
    else
        reader->load(filepath);
    const QString problem = reader->lastLoadError();
    if (problem.isEmpty())
        return true;
    keepDamagedFileAside(problem);
    return false;
}

void ZTSettings::keepDamagedFileAside(const QString& problem)
{
    const QString copy = keepDamagedCopy ? SettingsFileHelper::keepAside(filepath) : QString();
    const QString kept = !keepDamagedCopy ? QStringLiteral("it was left as it is")
                         : copy.isEmpty() ? QStringLiteral("it could not be copied aside")
                                          : QStringLiteral("it was kept as \"%1\"").arg(copy.toHtmlEscaped());
    GlobalConsole::writeItem(QStringLiteral("Settings file \"%1\" could not be read (%2); %3. %4 keeps its values.")
                                 .arg(filepath.toHtmlEscaped(), problem.toHtmlEscaped(), kept, getClassName()),
                             QStringLiteral("Error"), QDateTime::currentDateTime());
}

bool ZTSettings::save()
{
    if (filepath.isEmpty() || !saveAs(filepath))
        return false;
    emit saved();
    return true;
}

bool ZTSettings::saveAs(const QString& path)
{
    return writeFile(path, true);
}

bool ZTSettings::writeFile(const QString& path, bool durable)
{
    if (path.isEmpty())
        return false;
    AbstractMetaDescriptor* writer = metaDescriptor();
    const QByteArray bytes =
        format == JSON ? writer->saveToJsonByteArray(QJsonDocument::Compact) : writer->saveAsXmlString().toUtf8();
    return SettingsFileHelper::commit(path, bytes, durable, &saveProblem);
}

void ZTSettings::loadDefaults()
{
    metaDescriptor()->defaults();
    emit reloaded();
}

bool ZTSettings::loadFromXMLString(const QString& text)
{
    const bool loaded = metaDescriptor()->loadFromXmlString(text);
    emit reloaded();
    return loaded;
}

bool ZTSettings::loadFromJson(const QByteArray& bytes)
{
    return metaDescriptor()->loadFromJson(bytes);
}

bool ZTSettings::loadFromJson(const QJsonDocument& document)
{
    return metaDescriptor()->loadFromJson(document);
}

bool ZTSettings::loadFromJson(const QJsonObject& object)
{
    return metaDescriptor()->loadFromJson(object);
}

bool ZTSettings::loadFromJson(const QString& text)
{
    return metaDescriptor()->loadFromJson(text);
}

bool ZTSettings::loadFromQVariantMap(const QVariantMap& map)
{
    return metaDescriptor()->loadFromQVariantMap(map);
}

QString ZTSettings::saveToString()
{
    return metaDescriptor()->saveAsXmlString();
}

QJsonObject ZTSettings::saveToJson()
{
    return metaDescriptor()->saveToJson();
}

QString ZTSettings::saveToJsonString(QJsonDocument::JsonFormat jsonFormat)
{
    return metaDescriptor()->saveToJsonString(jsonFormat);
}

QString ZTSettings::saveToJsonByteArray()
{
    return QString::fromUtf8(metaDescriptor()->saveToJsonByteArray(QJsonDocument::Compact));
}

void ZTSettings::changedProperty(const QString& name)
{
    emit propertyChanged(name);
    // Result records change on the per-frame path: the save after a change takes the path of an
    // explicit save, failures named alike, but does not wait for the disk; explicit saves do.
    if (autoSave && !reloading && writeFile(filepath, false))
        emit saved();
}

// ---- helpers ----

bool ZTSettings::toogleItemInStringList(QStringList& list, QString item, bool add)
{
    item = item.trimmed();
    if (item.isEmpty())
        return false;
    if (add) {
        if (list.contains(item))
            return false;
        list.append(item);
        return true;
    }
    return list.removeOne(item);
}

QString ZTSettings::writeComponentsToString(const QList<ZTSettings*>& list)
{
    QString text;
    QXmlStreamWriter writer(&text);
    writer.setAutoFormatting(true);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("Component"));
    for (ZTSettings* settings : list)
        settings->metaDescriptor()->saveXmlContent(writer);
    writer.writeEndDocument();
    return text;
}

void ZTSettings::writeComponentsToFile(QIODevice* device, const QList<ZTSettings*>& list)
{
    if (!device || !device->open(QIODevice::WriteOnly | QIODevice::Text))
        return;
    device->write(writeComponentsToString(list).toUtf8());
    device->close();
}

bool ZTSettings::saveListFromString(const QList<ZTSettings*>& list, const QString& path)
{
    return SettingsFileHelper::commit(path, writeComponentsToString(list).toUtf8());
}

// ---- capability reports ----

QJsonObject ZTSettings::getPropertyCapabilities(AbstractMetaDescription* description)
{
    return PropertyCapabilities::json(description);
}

QString ZTSettings::getPropertyCapabilitiesString(AbstractMetaDescription* description)
{
    return PropertyCapabilities::bracketedText(description);
}

QJsonArray ZTSettings::getAllCapabilitiesJson(bool all)
{
    QJsonArray capabilities;
    for (AbstractMetaDescription* description : metaDescriptor()->properties)
        if (all || (description->visible && description->editable))
            capabilities.append(getPropertyCapabilities(description));
    return capabilities;
}

QMap<QString, QString> ZTSettings::getPropertyCapabilities(const QString& name)
{
    for (AbstractMetaDescription* description : metaDescriptor()->properties)
        if (description->name == name)
            return {{description->name, getPropertyCapabilitiesString(description)}};
    return {};
}

QList<QMap<QString, QString>> ZTSettings::getAllCapabilities()
{
    QList<QMap<QString, QString>> capabilities;
    for (AbstractMetaDescription* description : metaDescriptor()->properties)
        capabilities.append({{description->name, getPropertyCapabilitiesString(description)}});
    return capabilities;
}
