#pragma once

#include "AbstractSettings.h"
#include "ZTProperty.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QStringList>
#include <QVariantMap>

class AbstractMetaDescription;
class MetaDescription;
class MetaDescriptor;
class QIODevice;

// The base of every settings object. A subclass declares its described properties with the
// macros of ZTProperty.h; the base gives it a file (path and format), loading and saving
// through its descriptor, saving after every change, defaults and values by name.
//
// Files are replaced atomically, and `saved` means the file on disk now holds the values.
// Explicit saves and the saves after each change take one path (SettingsFileHelper::commit):
// through symbolic links to the file they lead to, refusing what is not a regular file, and
// naming every failure on the message console instead of announcing it.
// A file that exists but does not load (malformed, truncated, garbage, another class's root)
// is copied aside as "<file>.broken-<time stamp>", named on the message console with the
// line of the fault, and the object keeps the values it had.
class ZTSettings : public AbstractSettings
{
    Q_OBJECT
public:
    enum ZTSettingsFormat {
        XML = 0,
        JSON = 1,
    };
    Q_ENUM(ZTSettingsFormat)

    explicit ZTSettings(const QString& filepath = QString(), bool autoSave = false, QObject* parent = nullptr,
                        ZTSettingsFormat format = XML);
    ~ZTSettings() override;

    void setFilepath(const QString& path);
    QString getFilepath() const;
    bool getAutoSave() const;
    void setAutoSave(bool on);
    ZTSettingsFormat getFormat() const;
    void setFormat(ZTSettingsFormat newFormat);

    AbstractMetaDescriptor* metaDescriptor() override;
    void updateMetaDescriptor();
    QString getClassName();

    // True when the file was read, or is missing (the values stay); false for an empty path
    // and for a file that exists but could not be read.
    virtual bool reload();
    virtual bool containsProperty(const QString& name);
    virtual QString getTextValue(const QString& name);

    QVariant getValue(const QString& name, const QVariant& defaultValue = QVariant()) override;
    bool setValue(const QString& name, const QVariant& value) override;
    bool setTextValue(const QString& name, const QString& text);
    QStringList getPropertiesNames();
    MetaDescription* getPropertyByName(const QString& name);
    QVariantMap getQVariantMap();

    bool save();
    bool saveAs(const QString& path);
    // Why the last save failed, as the console was told; empty after a save that succeeded.
    QString lastSaveProblem() const { return saveProblem; }
    void loadDefaults();
    bool loadFromXMLString(const QString& text);
    bool loadFromJson(const QByteArray& bytes);
    bool loadFromJson(const QJsonDocument& document);
    bool loadFromJson(const QJsonObject& object);
    bool loadFromJson(const QString& text);
    bool loadFromQVariantMap(const QVariantMap& map);
    QString saveToString();
    QJsonObject saveToJson();
    QString saveToJsonString(QJsonDocument::JsonFormat jsonFormat = QJsonDocument::Compact);
    QString saveToJsonByteArray();

    QJsonArray getAllCapabilitiesJson(bool all);
    QMap<QString, QString> getPropertyCapabilities(const QString& name);
    QList<QMap<QString, QString>> getAllCapabilities();

    static bool toogleItemInStringList(QStringList& list, QString item, bool add);

    static QString writeComponentsToString(const QList<ZTSettings*>& list);
    static void writeComponentsToFile(QIODevice* device, const QList<ZTSettings*>& list);
    static bool saveListFromString(const QList<ZTSettings*>& list, const QString& path);

signals:
    void reloaded();
    void saved();
    void filePathChanged();

protected:
    // Held while a property takes its new value. A subclass whose values another thread reads
    // under a lock of its own (an experiment read by its detector thread) takes that lock here.
    virtual void lockValues() {}
    virtual void unlockValues() {}

    QJsonObject getPropertyCapabilities(AbstractMetaDescription* description);
    QString getPropertyCapabilitiesString(AbstractMetaDescription* description);

    // A default given at run time in place of the declared one (a folder known only then); the
    // editors' default mark and their reset follow it.
    void changedDefault(const QString& name, const QVariant& value);
    // For files that are only ever read here and never saved over after a failed load: such a
    // file is named on the console but no copy of it is made.
    void setKeepDamagedCopy(bool keep) { keepDamagedCopy = keep; }

protected slots:
    void changedProperty(const QString& name);

private:
    bool readFile();
    bool writeFile(const QString& path, bool durable);
    void keepDamagedFileAside(const QString& problem);
    void applyRuntimeDefaults();

    bool reloading = false;
    bool keepDamagedCopy = true;
    bool autoSave = false;
    ZTSettingsFormat format = XML;
    QString filepath;
    QString saveProblem;
    MetaDescriptor* descriptor = nullptr;
    QVariantMap runtimeDefaults;
};
